// sigilry-cli stopped in the middle of an update, in both output modes: the
// child stops itself at a named point (SIGILRY_TEST_STOP_AT, see
// engine/TestStopPoint.h), gets its signals there and is continued.
// SIGTERM finishes the file; SIGKILL or a second signal leave a torn update
// that only the next run may see, and it rolls it back before stamping.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/engine/TestPdf.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

// Large enough that the update takes a while and every point lies inside it.
const std::string& Source() {
    static const std::string bytes =
        test::FlatPdf(std::vector<std::string>(1500, "/MediaBox [0 0 595 842] /Resources << >>"));
    return bytes;
}

enum class Mode { Prefix = 0, Overwrite = 2 };

struct StopCase {
    const char* point;
    std::vector<int> signals;
    Mode mode;
};

std::string Describe(const StopCase& row) {
    std::string text = std::string(row.mode == Mode::Prefix ? "prefix" : "overwrite") + " at " + row.point + ":";
    for (const int s : row.signals) text += std::string(" ") + sigabbrev_np(s);
    return text;
}

class InterruptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScratchDir::Write(source, Source());
        ASSERT_TRUE(WIFEXITED(Run(Mode::Overwrite)));
        reference = ScratchDir::Read(source);
        ASSERT_GT(reference.size(), Source().size());
        ASSERT_TRUE(test::QpdfCheckClean(source));
        ScratchDir::Write(source, Source());
    }

    // Runs sigilry-cli on a.pdf (stderr kept in `err`). With a point, waits
    // until the child stops there, sends the signals and continues it.
    // Returns the wait status.
    int Run(Mode mode, const std::string& point = "", const std::vector<int>& signals = {},
            const std::string& arguments = "") {
        const std::string ini = dir.File("sgry.ini");
        ScratchDir::Write(ini, "[OptionList1]\r\nHF4_StyleType=1\r\nHF4_StylePageType=0\r\n[App]\r\nOutput=" +
                                   std::to_string(static_cast<int>(mode)) + "\r\n");
        const std::string command = arguments.empty() ? "exec " + test::Quoted(SIGILRY_CLI_PATH) +
                                                            " --yes --quiet --settings " + test::Quoted(ini) + " " +
                                                            test::Quoted(source)
                                                      : arguments;
        const pid_t child = fork();
        if (child == 0) {
            if (!point.empty()) setenv("SIGILRY_TEST_STOP_AT", point.c_str(), 1);
            const int errFd = open(dir.File("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errFd, STDERR_FILENO);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, WUNTRACED);
        if (WIFSTOPPED(status)) {
            for (const int s : signals) kill(child, s);
            kill(child, SIGCONT);
            waitpid(child, &status, 0);
        }
        err = ScratchDir::Read(dir.File("stderr.txt"));
        return status;
    }

    // Hidden files of the folder: journals and temporary copies.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path().filename().native().starts_with(".")) names.push_back(entry.path().filename());
        return names;
    }
    bool OutputExists() const { return std::filesystem::exists(output); }

    ScratchDir dir{"interrupt"};
    std::string source = dir.File("a.pdf");
    std::string output = dir.File("_a.pdf");
    std::string reference;  // a.pdf stamped by an undisturbed run
    std::string err;
};

const char* const kRestored = "書き込み前の状態に戻しました";

TEST_F(InterruptTest, TermFinishesTheFileBeingStampedAndStops) {
    const std::vector<StopCase> rows = {
        {"copied", {SIGTERM}, Mode::Prefix},         {"first-page", {SIGTERM}, Mode::Prefix},
        {"xref", {SIGTERM}, Mode::Prefix},           {"first-page", {SIGTERM}, Mode::Overwrite},
        {"mid-pages", {SIGTERM}, Mode::Overwrite},   {"xref", {SIGTERM}, Mode::Overwrite},
        {"synced", {SIGHUP}, Mode::Overwrite},
    };
    for (const StopCase& row : rows) {
        SCOPED_TRACE(Describe(row));
        ScratchDir::Write(source, Source());
        std::filesystem::remove(output);
        const int status = Run(row.mode, row.point, row.signals);
        ASSERT_TRUE(WIFEXITED(status)) << err;
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_NE(err.find("中断しました"), std::string::npos) << err;
        const bool prefix = row.mode == Mode::Prefix;
        EXPECT_EQ(ScratchDir::Read(source), prefix ? Source() : reference);
        EXPECT_EQ(ScratchDir::Read(output), prefix ? reference : "");
        EXPECT_TRUE(Leftovers().empty());
    }
}

TEST_F(InterruptTest, KillLeavesNoOutputNameAndTheNextRunRollsBackAndStamps) {
    const std::vector<StopCase> rows = {
        {"copied", {SIGKILL}, Mode::Prefix},          {"mid-pages", {SIGKILL}, Mode::Prefix},
        {"xref", {SIGKILL}, Mode::Prefix},            {"synced", {SIGKILL}, Mode::Prefix},
        {"first-page", {SIGKILL}, Mode::Overwrite},   {"mid-pages", {SIGKILL}, Mode::Overwrite},
        {"xref", {SIGKILL}, Mode::Overwrite},         {"synced", {SIGKILL}, Mode::Overwrite},
        {"mid-pages", {SIGHUP, SIGTERM}, Mode::Prefix}, {"mid-pages", {SIGINT, SIGTERM}, Mode::Overwrite},
    };
    for (const StopCase& row : rows) {
        SCOPED_TRACE(Describe(row));
        ScratchDir::Write(source, Source());
        std::filesystem::remove(output);
        ASSERT_TRUE(WIFSIGNALED(Run(row.mode, row.point, row.signals))) << err;
        const bool prefix = row.mode == Mode::Prefix;
        EXPECT_FALSE(OutputExists());
        if (prefix) {
            EXPECT_EQ(ScratchDir::Read(source), Source());
        }
        EXPECT_EQ(Leftovers().size(), 1u);  // the journal, or the temporary copy

        const int again = Run(row.mode);
        ASSERT_TRUE(WIFEXITED(again) && WEXITSTATUS(again) == 0) << err;
        EXPECT_EQ(err.find(kRestored) == std::string::npos, prefix) << err;
        EXPECT_EQ(ScratchDir::Read(source), prefix ? Source() : reference);
        EXPECT_EQ(ScratchDir::Read(output), prefix ? reference : "");
        EXPECT_TRUE(Leftovers().empty());
    }
    EXPECT_TRUE(test::QpdfCheckClean(source));
}

TEST_F(InterruptTest, EraseRollsBackATornUpdateFirst) {
    ASSERT_TRUE(WIFSIGNALED(Run(Mode::Overwrite, "xref", {SIGKILL})));
    const int status = Run(Mode::Overwrite, "", {}, "exec " + test::Quoted(SIGILRY_CLI_PATH) + " --erase " +
                                                        test::Quoted(source));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(err.find(kRestored), std::string::npos) << err;
    EXPECT_EQ(ScratchDir::Read(source), Source());
    EXPECT_TRUE(Leftovers().empty());
}

// A disk that fills up after the copy was made: the run fails, and nothing
// is left under the output name (prefix) or the source is as it was.
TEST_F(InterruptTest, FullDiskAfterTheCopyLeavesNoOutput) {
    // dash counts ulimit -f in blocks of 512 bytes: room for the copy and 2 KB.
    const std::size_t blocks = Source().size() / 512 + 4;
    for (const Mode mode : {Mode::Prefix, Mode::Overwrite}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const std::string ini = dir.File("sgry.ini");
        const int status =
            Run(mode, "", {},
                "trap '' XFSZ; ulimit -f " + std::to_string(blocks) + "; exec " + test::Quoted(SIGILRY_CLI_PATH) +
                    " --yes --quiet --settings " + test::Quoted(ini) + " " + test::Quoted(source));
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << err;
        EXPECT_FALSE(OutputExists());
        EXPECT_EQ(ScratchDir::Read(source), Source());
        EXPECT_TRUE(Leftovers().empty());
    }
}

}  // namespace
}  // namespace sgry
