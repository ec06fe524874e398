// Writes that fail: a full disk (a file-size limit in a child process, with
// SIGXFSZ ignored, stands in for it) and a source that cannot be opened for
// update. Whatever fails, the source is changed only by a complete update in
// overwrite mode, and no failed copy or update leaves a file that cannot be
// read again.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "TestPdf.h"
#include "engine/JobRunner.h"
#include "support/RecordingPrompts.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

// Twelve pages, each with its own resources, so that the update is some
// kilobytes long and a limit can fall anywhere inside it.
std::string TwelvePages() {
    std::vector<std::string> pages;
    for (int i = 0; i < 12; ++i) pages.push_back("/MediaBox [0 0 595 842] /Resources << /ProcSet [/PDF] >>");
    return test::FlatPdf(pages);
}

struct ChildResult {
    bool exited = false;
    int code = -1;  // the job's error code after Run (0 when it succeeded)
};

// Stamps `path` in a child process whose files may not grow past `sizeLimit`
// bytes (none when negative) and which runs as the unprivileged user when
// `unprivileged` is set.
ChildResult StampInChild(const std::string& path, OutputMode mode, int64_t sizeLimit, bool unprivileged = false) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        if (sizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(sizeLimit), static_cast<rlim_t>(sizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
        }
        if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(101);
        StampSettings stamp;
        stamp.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
        stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
        stamp.Slots[kHeaderLeft].CustomText = "Header text of some length";
        AppSettings app;
        app.Output = mode;
        test::RecordingPrompts prompts;
        PdfJob job(path);
        if (job.ErrorCode() != 0) _exit(102);
        JobRunner runner(job, stamp, app, prompts);
        const bool stamped = runner.Run();
        _exit(stamped ? 0 : (job.ErrorCode() == 0 ? 103 : job.ErrorCode()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

int ReadError(const std::string& path) { return PdfJob(path).ErrorCode(); }

TEST(WriteFailureTest, FullDiskDuringOverwriteLeavesTheSourceByteIdentical) {
    ScratchDir dir("full-disk");
    const std::string source = TwelvePages();
    // Probe the size of a complete update once, without a limit.
    const std::string probe = dir.File("probe.pdf");
    ScratchDir::Write(probe, source);
    ASSERT_EQ(StampInChild(probe, OutputMode::Overwrite, -1).code, 0);
    const int64_t updateBytes = static_cast<int64_t>(std::filesystem::file_size(probe) - source.size());
    ASSERT_GT(updateBytes, 1000);

    // Limits from no room at all to one byte short of the whole update.
    const std::vector<int64_t> rooms = {0, 1, 20, 100, updateBytes / 3, updateBytes / 2, updateBytes - 40,
                                        updateBytes - 1};
    for (const int64_t room : rooms) {
        SCOPED_TRACE("room for " + std::to_string(room) + " of " + std::to_string(updateBytes) + " bytes");
        const std::string path = dir.File("a.pdf");
        ScratchDir::Write(path, source);
        const ChildResult result = StampInChild(path, OutputMode::Overwrite, static_cast<int64_t>(source.size()) + room);
        ASSERT_TRUE(result.exited);
        EXPECT_NE(result.code, 0);
        EXPECT_EQ(ScratchDir::Read(path), source);
        EXPECT_EQ(ReadError(path), 0);
    }
    // With room enough the update is complete and the file reads again.
    const std::string path = dir.File("a.pdf");
    ScratchDir::Write(path, source);
    EXPECT_EQ(StampInChild(path, OutputMode::Overwrite, static_cast<int64_t>(source.size()) + updateBytes).code, 0);
    EXPECT_EQ(ScratchDir::Read(path).substr(0, source.size()), source);
    EXPECT_EQ(ReadError(path), 0);
}

TEST(WriteFailureTest, FullDiskInPrefixModeLeavesNoUnreadableCopy) {
    ScratchDir dir("full-disk-copy");
    const std::string source = TwelvePages();
    const std::string path = dir.File("a.pdf");
    const std::string copy = dir.File("_a.pdf");
    // During the copy itself, then during the update appended to the copy.
    for (const int64_t limit : {int64_t{0}, static_cast<int64_t>(source.size()) / 2,
                                static_cast<int64_t>(source.size()) + 200}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        ScratchDir::Write(path, source);
        std::filesystem::remove(copy);
        const ChildResult result = StampInChild(path, OutputMode::PrefixedCopy, limit);
        ASSERT_TRUE(result.exited);
        EXPECT_NE(result.code, 0);
        EXPECT_EQ(ScratchDir::Read(path), source);
        if (std::filesystem::exists(copy)) {
            EXPECT_EQ(ReadError(copy), 0) << "a copy that was left must read";
        }
    }
}

TEST(WriteFailureTest, ReadOnlySourceInOverwriteModeIsError1AndUnchanged) {
    ScratchDir dir("read-only");
    const std::string source = TwelvePages();
    const std::string path = dir.File("a.pdf");
    ScratchDir::Write(path, source);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    // Root writes through any mode bits: the child drops to the unprivileged
    // user, who may read the file (its folder and the file are readable) but
    // not write it.
    if (geteuid() == 0) {
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::all, std::filesystem::perm_options::add);
        const ChildResult probe = StampInChild(path, OutputMode::Overwrite, -1, true);
        if (probe.code == 101 || probe.code == 102) GTEST_SKIP() << "cannot act as an unprivileged user here";
        EXPECT_EQ(probe.code, job_error::kOpen);
    } else {
        EXPECT_EQ(StampInChild(path, OutputMode::Overwrite, -1).code, job_error::kOpen);
    }
    EXPECT_EQ(ScratchDir::Read(path), source);
}

}  // namespace
}  // namespace sgry
