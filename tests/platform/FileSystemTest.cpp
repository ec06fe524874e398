#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/FileLock.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// A copy holds the source's bytes and permission bits whatever stood at the
// target before (a longer file is cut to the source's length); a copy onto
// the source itself, or from a file that is not there, fails and changes
// nothing.
TEST(CopyFileReplacingTest, CopiesWholeAndRefusesItsOwnSource) {
    ScratchDir dir("copy");
    const std::string source = dir.File("source.pdf");
    std::string bytes;
    for (int i = 0; bytes.size() < 300000; ++i) bytes += std::to_string(i) + (i % 7 == 0 ? "\n" : " ");
    bytes += std::string(3, '\0');
    ScratchDir::Write(source, bytes);
    ASSERT_EQ(::chmod(source.c_str(), 0640), 0);

    const std::string target = dir.File("target.pdf");
    ScratchDir::Write(target, std::string(400000, 'x'));
    ASSERT_TRUE(fs::CopyFileReplacing(source, target));
    EXPECT_EQ(ScratchDir::Read(target), bytes);
    EXPECT_EQ(ModeOf(target), 0640u);

    EXPECT_FALSE(fs::CopyFileReplacing(source, source));
    EXPECT_EQ(ScratchDir::Read(source), bytes);
    const std::string link = dir.File("link.pdf");
    std::filesystem::create_hard_link(source, link);
    EXPECT_FALSE(fs::CopyFileReplacing(source, link));
    EXPECT_EQ(ScratchDir::Read(source), bytes);

    const std::string missingCopy = dir.File("never.pdf");
    EXPECT_FALSE(fs::CopyFileReplacing(dir.File("missing.pdf"), missingCopy));
    EXPECT_FALSE(std::filesystem::exists(missingCopy));
}

// A new file is never made through a name that is taken, least of all
// through a planted link: its target keeps its bytes.
TEST(CopyFileReplacingTest, ANewCopyNeverFollowsALinkAtItsName) {
    ScratchDir dir("new-copy");
    const std::string source = dir.File("source.pdf");
    const std::string victim = dir.File("victim.txt");
    ScratchDir::Write(source, "%PDF-1.4 source");
    ScratchDir::Write(victim, "keep");
    std::filesystem::create_symlink(victim, dir.File("planted"));
    EXPECT_FALSE(fs::CopyToNewFile(source, dir.File("planted")));
    EXPECT_EQ(ScratchDir::Read(victim), "keep");
    EXPECT_FALSE(fs::CopyToNewFile(source, victim));
    EXPECT_EQ(ScratchDir::Read(victim), "keep");
    ASSERT_TRUE(fs::CopyToNewFile(source, dir.File("fresh.pdf")));
    EXPECT_EQ(ScratchDir::Read(dir.File("fresh.pdf")), "%PDF-1.4 source");
}

// One lock a file: a second, even in the same process, finds it busy until
// the first goes; a folder or a missing file gets none.
TEST(FileLockTest, ASecondLockOfTheSameFileIsRefusedUntilTheFirstGoes) {
    ScratchDir dir("lock");
    const std::string file = dir.File("a.pdf");
    ScratchDir::Write(file, "%PDF");
    std::filesystem::create_hard_link(file, dir.File("b.pdf"));
    {
        const fs::FileLock first(file);
        ASSERT_TRUE(first.Held());
        EXPECT_TRUE(first.Writable());
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(first.Identity(), (fs::FileIdentity{info.st_dev, info.st_ino}));
        EXPECT_EQ(fs::FileLock(dir.File("b.pdf")).GetState(), fs::FileLock::State::Busy);
        EXPECT_EQ(fs::FileLock(file).Fd(), -1);
    }
    EXPECT_TRUE(fs::FileLock(dir.File("b.pdf")).Held());
    EXPECT_EQ(fs::FileLock(dir.Path().string()).GetState(), fs::FileLock::State::Unavailable);
    EXPECT_EQ(fs::FileLock(dir.File("missing.pdf")).GetState(), fs::FileLock::State::Unavailable);
}

// Every byte of a file larger than one read, and of a file that reports no
// size (the kernel's own); a folder and a missing file give nothing.
TEST(ReadWholeFileTest, ReadsToTheEndAndRefusesWhatIsNoFile) {
    ScratchDir dir("read");
    const std::string path = dir.File("whole.pdf");
    std::string bytes;
    for (int i = 0; bytes.size() < 70000; ++i) bytes += std::to_string(i) + '\0';
    ScratchDir::Write(path, bytes);
    EXPECT_EQ(fs::ReadWholeFile(path), bytes);

    const std::optional<std::string> status = fs::ReadWholeFile("/proc/self/status");
    ASSERT_TRUE(status);
    EXPECT_NE(status->find("\nPid:"), std::string::npos);

    EXPECT_FALSE(fs::ReadWholeFile(dir.Path().string()));
    EXPECT_FALSE(fs::ReadWholeFile(dir.File("missing.pdf")));
}

}  // namespace
}  // namespace sgry
