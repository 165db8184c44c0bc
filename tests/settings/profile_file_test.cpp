#include "settings/profile_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "common/file_replace.h"
#include "tests/settings/temp_folder.h"
#include "tests/support/unprivileged_user.h"

namespace suantiji {
namespace {

// GBK bytes of a few names, written out so the tests do not trust the converter under test.
const std::string kGbkCheckBoxSection = "\xd1\xa1\xd4\xf1\xbf\xf2";  // 选择框
const std::string kGbkTrue = "\xd5\xe6";                             // 真

struct ValueCase {
    const char* line;
    const char* value;
};

class ProfileReadValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(ProfileReadValueTest, FollowsProfileRules) {
    const ProfileFile profile =
        ProfileFile::FromBytes(std::string("[s]\r\n") + GetParam().line + "\r\n");
    EXPECT_EQ(profile.ReadValue("s", "k"), GetParam().value) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Rules, ProfileReadValueTest,
                         testing::Values(ValueCase{"k=abc", "abc"}, ValueCase{"k=  abc \t", "abc"},
                                         ValueCase{"  K\t= abc", "abc"},
                                         ValueCase{"k=\"abc\"", "abc"}, ValueCase{"k='abc'", "abc"},
                                         ValueCase{"k= \" a b \" ", " a b "},
                                         ValueCase{"k=\"\"abc\"\"", "\"abc\""},
                                         ValueCase{"k=\"abc'", "\"abc'"}, ValueCase{"k=\"", "\""},
                                         ValueCase{"k=a=b", "a=b"}, ValueCase{"k=", ""},
                                         ValueCase{"k", ""}, ValueCase{"k=\xd6\xd0", "中"},
                                         ValueCase{"k=a\xff"
                                                   "b",
                                                   "a\xEF\xBF\xBD"
                                                   "b"},
                                         ValueCase{"k=\x84\x31\xa4", "\xEF\xBF\xBD"}));

TEST(ProfileRead, MatchesSectionAndKeyWithoutCaseFirstMatchWins) {
    const ProfileFile profile = ProfileFile::FromBytes(
        "outside=0\r\n[Abc]\r\nKey=1\r\nkey=2\r\n\r\n[ABC]\r\nlater=3\r\n[d\r\nbroken=4\r\n");
    EXPECT_EQ(profile.ReadValue("aBC", "KEY"), "1");
    EXPECT_EQ(profile.ReadValue("abc", "outside"), "");
    // A repeated section is not searched, and a "[" line without "]" opens none.
    EXPECT_EQ(profile.ReadValue("abc", "later"), "");
    EXPECT_EQ(profile.ReadValue("d", "broken"), "");
    EXPECT_EQ(profile.ReadValue("missing", "key"), "");
}

TEST(ProfileRead, FoldsOnlyAsciiLettersNotTrailBytes) {
    // 丄 is 81 41 and 乤 is 81 61 in GBK: folding bytes blindly would make them equal.
    const ProfileFile profile = ProfileFile::FromBytes("[\x81\x41]\r\nk=1\r\n");
    EXPECT_EQ(profile.ReadValue("丄", "k"), "1");
    EXPECT_EQ(profile.ReadValue("乤", "k"), "");
}

TEST(ProfileRead, CutsLongValuesAtACharacterBoundary) {
    const std::size_t limit = ProfileFile::kMaxValueBytes;
    const ProfileFile megabyte =
        ProfileFile::FromBytes("[s]\r\nk=" + std::string(1 << 20, 'x') + "\r\nn=1\r\n");
    EXPECT_EQ(megabyte.ReadValue("s", "k"), std::string(limit, 'x'));
    EXPECT_EQ(megabyte.ReadValue("s", "n"), "1");

    // 中 would straddle the limit: it is dropped whole.
    const ProfileFile straddle =
        ProfileFile::FromBytes("[s]\r\nk=" + std::string(limit - 1, 'a') + "\xd6\xd0");
    EXPECT_EQ(straddle.ReadValue("s", "k"), std::string(limit - 1, 'a'));
}

TEST(ProfileBytes, UntouchedFileKeepsEveryByte) {
    for (const std::string& bytes :
         {std::string(""), std::string("\r\n\r\n"), std::string("a\nb\r\nc"),
          std::string("[s]\rk=1\r\n"), std::string("[\xff\x00]\n=\x80\x81\r\r\n", 12)}) {
        EXPECT_EQ(ProfileFile::FromBytes(bytes).Bytes(), bytes);
    }
}

TEST(ProfileWrite, ReplacesTheKeyLineInPlace) {
    ProfileFile profile =
        ProfileFile::FromBytes("; note\r\n[s]\r\nA=1\r\nk = old \r\nk=dup\r\n[t]\nk=x\n");
    profile.WriteValue("S", "k", "new");
    EXPECT_EQ(profile.Bytes(), "; note\r\n[s]\r\nA=1\r\nk=new\r\nk=dup\r\n[t]\nk=x\n");
    // A line without "=" is that key; writing it replaces the line.
    profile = ProfileFile::FromBytes("[s]\nk\nz=1\n");
    profile.WriteValue("s", "K", "v");
    EXPECT_EQ(profile.Bytes(), "[s]\nK=v\nz=1\n");
}

TEST(ProfileWrite, AppendsKeysAndSectionsWhereTheyBelong) {
    ProfileFile profile = ProfileFile::FromBytes("[a]\r\nx=1\r\n;c\r\n\r\n\r\n[b]\r\ny=2");
    profile.WriteValue("a", "k", "v");
    profile.WriteValue("b", "k", "w");
    profile.WriteValue("c", "k", "z");
    EXPECT_EQ(profile.Bytes(),
              "[a]\r\nx=1\r\n;c\r\nk=v\r\n\r\n\r\n[b]\r\ny=2\r\nk=w\r\n[c]\r\nk=z\r\n");

    ProfileFile empty;
    empty.WriteValue("选择框", "k", "真");
    EXPECT_EQ(empty.Bytes(), "[" + kGbkCheckBoxSection + "]\r\nk=" + kGbkTrue + "\r\n");
}

TEST(ProfileWrite, ValueNeverSpansLinesAndAnyCharacterSurvives) {
    ProfileFile profile = ProfileFile::FromBytes("[s]\r\nk=1\r\nz=2\r\n");
    profile.WriteValue("s", "k", "a\r\n[x]\nb=c");
    EXPECT_EQ(profile.Bytes(), "[s]\r\nk=a  [x] b=c\r\nz=2\r\n");

    // Characters outside GBK still go through GB18030 and come back.
    profile.WriteValue("s", "z", "€😀");
    const ProfileFile reread = ProfileFile::FromBytes(profile.Bytes());
    EXPECT_EQ(reread.ReadValue("s", "z"), "€😀");
    EXPECT_EQ(reread.ReadValue("s", "k"), "a  [x] b=c");
}

TEST(ProfileFileOnDisk, LoadTellsMissingFromUnreadable) {
    TempFolder folder;
    EXPECT_EQ(ProfileFile::Load(folder.file("none.ini")).source(), ProfileFile::Source::Missing);
    EXPECT_EQ(ProfileFile::Load(folder.file("none/x.ini")).source(), ProfileFile::Source::Missing);
    EXPECT_EQ(ProfileFile::Load(folder.path()).source(), ProfileFile::Source::Unreadable);
    WriteBytes(folder.file("a.ini"), "[s]\r\nk=1\r\n");
    const ProfileFile loaded = ProfileFile::Load(folder.file("a.ini"));
    EXPECT_EQ(loaded.source(), ProfileFile::Source::Loaded);
    EXPECT_EQ(loaded.ReadValue("s", "k"), "1");
}

TEST(ProfileFileOnDisk, SaveReplacesWholeFileKeepingModeAndLeavesNoTemporary) {
    TempFolder folder;
    const std::string path = folder.file("a.ini");
    WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ProfileFile profile = ProfileFile::Load(path);
    profile.WriteValue("s", "k", "v");
    ASSERT_TRUE(profile.Save(path));
    EXPECT_EQ(ReadBytes(path), "old\r\n[s]\r\nk=v\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ProfileFileOnDisk, SaveFailsQuietlyAndFollowsLinks) {
    TempFolder folder;
    ProfileFile profile;
    profile.WriteValue("s", "k", "v");
    EXPECT_FALSE(profile.Save(folder.file("missing/a.ini")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("missing")));

    WriteBytes(folder.file("real.ini"), "x");
    std::filesystem::create_symlink("real.ini", folder.file("link.ini"));
    ASSERT_TRUE(profile.Save(folder.file("link.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.ini")));
    EXPECT_EQ(ReadBytes(folder.file("real.ini")), "[s]\r\nk=v\r\n");
}

// A file its owner made read-only stays as it is, even for root; a folder that takes no new
// files still gets a writable file rewritten in place.
TEST(ProfileFileOnDisk, ReadOnlyFileIsLeftAndAFolderWithoutNewFilesIsWrittenInPlace) {
    TempFolder folder;
    ProfileFile profile;
    profile.WriteValue("s", "k", "new");
    const std::string readOnly = folder.file("read-only.abc");
    WriteBytes(readOnly, "[s]\r\nk=old\r\n");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    EXPECT_FALSE(profile.Save(readOnly));
    EXPECT_EQ(ReadBytes(readOnly), "[s]\r\nk=old\r\n");

    const std::string data = folder.file("data");
    const std::string settings = data + "/config.abc";
    std::filesystem::create_directory(data);
    WriteBytes(settings, "[s]\r\nk=old\r\n");
    ASSERT_EQ(::chmod(settings.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(data.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    EXPECT_EQ(AsUnprivilegedUser([&] { return profile.Save(settings) ? "saved" : "failed"; }),
              "saved");
    EXPECT_EQ(ReadBytes(settings), "[s]\r\nk=new\r\n");
    ::chmod(data.c_str(), 0755);
}

// Killed at any moment of a save, the file is whole, old or new; what a killed save leaves
// beside it, and what earlier versions left there, is gone after the next start.
TEST(ProfileFileOnDisk, KillDuringSaveLeavesTheWholeFileAndNothingAfterTheNextStart) {
    TempFolder folder;
    const std::string path = folder.file("config.abc");
    ProfileFile small;
    small.WriteValue("s", "k", "small");
    ProfileFile large;
    large.WriteValue("s", "k", std::string(200'000, 'x'));
    ASSERT_TRUE(small.Save(path));
    for (int kill = 0; kill < 150; ++kill) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (bool big = true;; big = !big) (big ? large : small).Save(path);
        }
        ::usleep(static_cast<useconds_t>(500 + (kill * 211) % 4000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string bytes = ReadBytes(path);
        ASSERT_TRUE(bytes == small.Bytes() || bytes == large.Bytes()) << "kill " << kill;
    }
    WriteBytes(path + ".Ab3dE9", "left by an earlier version");
    std::filesystem::last_write_time(
        path + ".Ab3dE9", std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2));
    WriteBytes(path + ".Xy12z0", "being written right now");
    RemoveStaleTemporaries(path);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"config.abc", "config.abc.Xy12z0"}));
}

}  // namespace
}  // namespace suantiji
