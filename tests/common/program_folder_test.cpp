#include "common/program_folder.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace suantiji {
namespace {

namespace fs = std::filesystem;

class ProgramFolderTest : public testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("suantiji-folder-" + std::to_string(getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "bin");
    }
    void TearDown() override {
        fs::permissions(m_root / "bin", fs::perms::owner_all);
        fs::remove_all(m_root);
    }
    fs::path m_root;
};

TEST_F(ProgramFolderTest, WritableExecutableFolderIsTheProgramFolder) {
    const std::string bin = (m_root / "bin").string();
    EXPECT_EQ(ProgramFolderFor(bin, nullptr, "/nonexistent"), bin);
}

// Root may write everywhere, and CI runs as root: there the rule runs in a child process that
// has become nobody, for whom the executable's folder is as read-only as /usr/bin.
std::string asUnprivilegedUser(const std::function<std::string()>& body) {
    if (geteuid() != 0) return body();
    const passwd* nobody = getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    int channel[2];
    if (pipe(channel) != 0) return "(no pipe)";
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(1);
        const std::string result = body();
        const bool written =
            write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    std::string result;
    char buffer[256];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "(child failed)";
}

TEST_F(ProgramFolderTest, ReadOnlyExecutableFolderFallsBackToPerUserFolder) {
    const std::string bin = (m_root / "bin").string();
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    fs::permissions(m_root, fs::perms::owner_all | fs::perms::others_exec);
    const std::string data = (m_root / "xdg").string();
    fs::create_directories(data);
    fs::permissions(data, fs::perms::all);
    EXPECT_EQ(
        asUnprivilegedUser([&] { return ProgramFolderFor(bin, data.c_str(), "/nonexistent"); }),
        data + "/suantiji");
    EXPECT_TRUE(IsFolder(data + "/suantiji"));
}

TEST_F(ProgramFolderTest, InstalledCopyUsesPerUserFolderEvenForRoot) {
    const std::string data = (m_root / "xdg").string();
    EXPECT_EQ(ProgramFolderFor("/usr/bin", data.c_str(), "/nonexistent"), data + "/suantiji");
}

TEST_F(ProgramFolderTest, MissingExecutableFolderUsesHomeWhenNoXdgDataHome) {
    const std::string missing = (m_root / "gone").string();
    const std::string home = (m_root / "home").string();
    EXPECT_EQ(ProgramFolderFor(missing, "relative/ignored", home.c_str()),
              home + "/.local/share/suantiji");
    EXPECT_TRUE(IsFolder(home + "/.local/share/suantiji"));
}

TEST_F(ProgramFolderTest, FolderHelpers) {
    const std::string nested = (m_root / "a" / "b").string();
    EXPECT_FALSE(MakeFolder(nested));  // parent missing
    EXPECT_TRUE(MakeFolderPath(nested));
    EXPECT_TRUE(IsFolder(nested));
    EXPECT_FALSE(IsFolder((m_root / "a" / "b" / "none").string()));
    EXPECT_FALSE(IsFolder(""));
    EXPECT_TRUE(ExecutableFolder().size() > 1);
}

}  // namespace
}  // namespace suantiji
