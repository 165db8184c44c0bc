#include "common/program_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/unprivileged_user.h"

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
        AsUnprivilegedUser([&] { return ProgramFolderFor(bin, data.c_str(), "/nonexistent"); }),
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
