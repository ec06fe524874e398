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
#include <functional>
#include <set>
#include <sstream>

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

    std::string Command(Mode mode, const std::string& file, const std::string& extra = "") {
        const std::string ini = dir.File(extra.empty() ? "sgry.ini" : "sgry-extra.ini");
        ScratchDir::Write(ini, "[OptionList1]\r\nHF4_StyleType=1\r\nHF4_StylePageType=0\r\n" + extra + "[App]\r\nOutput=" +
                                   std::to_string(static_cast<int>(mode)) + "\r\n");
        return "exec " + test::Quoted(SIGILRY_CLI_PATH) + " --yes --quiet --settings " + test::Quoted(ini) + " " +
               test::Quoted(file);
    }

    // Starts a shell command with stderr to errFile; with a point, returns
    // once the child has stopped itself there.
    pid_t Start(const std::string& command, const std::string& point, const std::string& errFile) {
        const pid_t child = fork();
        if (child == 0) {
            if (!point.empty()) setenv("SIGILRY_TEST_STOP_AT", point.c_str(), 1);
            const int errFd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errFd, STDERR_FILENO);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (!point.empty()) {
            int status = 0;
            waitpid(child, &status, WUNTRACED);
            EXPECT_TRUE(WIFSTOPPED(status)) << "never reached " << point;
        }
        return child;
    }

    // Sends the signals to a stopped child, continues it and waits for it.
    static int Finish(pid_t child, const std::vector<int>& signals) {
        for (const int s : signals) kill(child, s);
        kill(child, SIGCONT);
        int status = 0;
        waitpid(child, &status, 0);
        return status;
    }

    // Runs sigilry-cli on a.pdf (stderr kept in `err`). With a point, waits
    // until the child stops there, sends the signals and continues it.
    // Returns the wait status.
    int Run(Mode mode, const std::string& point = "", const std::vector<int>& signals = {},
            const std::string& arguments = "") {
        const std::string command = arguments.empty() ? Command(mode, source) : arguments;
        const int status = Finish(Start(command, point, dir.File("stderr.txt")), signals);
        err = ScratchDir::Read(dir.File("stderr.txt"));
        return status;
    }

    // An overwrite run on `file` killed halfway: a torn update and its journal.
    void TearUpdate(const std::string& file) {
        ASSERT_TRUE(WIFSIGNALED(Run(Mode::Overwrite, "mid-pages", {SIGKILL}, Command(Mode::Overwrite, file))));
        ASSERT_GT(ScratchDir::Read(file).size(), Source().size());
    }

    // Hidden files of the folder: journals and temporary copies.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path().filename().native().starts_with(".")) names.push_back(entry.path().filename());
        return names;
    }
    bool OutputExists() const { return std::filesystem::exists(output); }
    std::string Journal() const { return dir.File(".a.pdf.sgry-journal"); }

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
        {"synced", {SIGHUP}, Mode::Overwrite},       {"journaled", {SIGTERM}, Mode::Overwrite},
    };
    for (const StopCase& row : rows) {
        SCOPED_TRACE(Describe(row));
        ScratchDir::Write(source, Source());
        std::filesystem::remove(output);
        const int status = Run(row.mode, row.point, row.signals);
        ASSERT_TRUE(WIFEXITED(status)) << err;
        // The outputs are flushed after the last file's turn: a signal then
        // comes when every file is stamped.
        const bool afterTheLastFile = std::string(row.point) == "synced";
        EXPECT_EQ(WEXITSTATUS(status), afterTheLastFile ? 0 : 1);
        EXPECT_NE(err.find(afterTheLastFile ? "完了しました" : "中断しました"), std::string::npos) << err;
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

// Several files share one flush: a kill after their journals are published,
// or after the flush but before the names and journals are done, leaves each
// file as it was or rolled back by the next run, which stamps them all.
TEST_F(InterruptTest, AKillAnywhereInAGroupLeavesEveryFileCompleteOrAsItWas) {
    const std::vector<std::string> names = {"a.pdf", "b.pdf", "c.pdf"};
    for (const StopCase& row : std::vector<StopCase>{{"journaled", {SIGKILL}, Mode::Overwrite},
                                                     {"synced", {SIGKILL}, Mode::Overwrite},
                                                     {"synced", {SIGKILL}, Mode::Prefix}}) {
        SCOPED_TRACE(Describe(row));
        std::string command = Command(row.mode, source);
        for (const std::string& name : names) {
            ScratchDir::Write(dir.File(name), Source());
            std::filesystem::remove(dir.File("_" + name));
            if (name != "a.pdf") command += " " + test::Quoted(dir.File(name));
        }
        ASSERT_TRUE(WIFSIGNALED(Run(row.mode, row.point, row.signals, command))) << err;
        const bool prefix = row.mode == Mode::Prefix;
        // How many files the first group holds depends on the machine's
        // speed (it closes after a quarter of a second): every file is
        // either in it, appended to or copied, or not begun.
        std::size_t appended = 0;
        for (const std::string& name : names) {
            EXPECT_FALSE(std::filesystem::exists(dir.File("_" + name))) << name;
            const std::string bytes = ScratchDir::Read(dir.File(name));
            EXPECT_TRUE(bytes == Source() || bytes.starts_with(Source())) << name;
            appended += bytes.size() > Source().size() ? 1 : 0;
        }
        if (std::string(row.point) == "journaled" || prefix) {
            EXPECT_EQ(appended, 0u);
        }
        if (std::string(row.point) == "synced") {
            EXPECT_GE(prefix ? Leftovers().size() : appended, 1u);
        }
        if (!prefix) {  // every file of the group is journaled before any is appended to
            EXPECT_EQ(Leftovers().size(), names.size());
        }
        const int again = Run(row.mode, "", {}, command);
        ASSERT_TRUE(WIFEXITED(again) && WEXITSTATUS(again) == 0) << err;
        std::size_t restored = 0;
        for (std::size_t at = err.find(kRestored); at != std::string::npos; at = err.find(kRestored, at + 1)) ++restored;
        EXPECT_EQ(restored, appended) << err;
        for (const std::string& name : names) {
            EXPECT_EQ(ScratchDir::Read(dir.File(prefix ? "_" + name : name)), reference) << name;
        }
        EXPECT_TRUE(Leftovers().empty());
    }
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

const char* const kMismatch = "記録がこのファイルと一致しないため";

// A journal that does not belong to the file now under its name: every run
// (stamping, erasing) leaves the file and the journal as they are.
TEST_F(InterruptTest, AJournalThatIsNotTheFilesLeavesBothAlone) {
    const std::string other =
        test::FlatPdf(std::vector<std::string>(2500, "/MediaBox [0 0 612 792] /Resources << >>"));
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"another file renamed over it",
         [&] {
             ScratchDir::Write(dir.File("new.pdf"), other);
             std::filesystem::rename(dir.File("new.pdf"), source);
         }},
        {"another file written into it", [&] { ScratchDir::Write(source, other); }},
        {"cut shorter than the journal says",
         [&] { std::filesystem::resize_file(source, Source().size() - 10); }},
        {"a journal of the first format, by hand",
         [&] { ScratchDir::Write(Journal(), "%Sigilry-journal 1\r\n0\r\n"); }},
    };
    for (const auto& [name, replace] : cases) {
        SCOPED_TRACE(name);
        ScratchDir::Write(source, Source());
        TearUpdate(source);
        replace();
        const std::string file = ScratchDir::Read(source);
        const std::string journal = ScratchDir::Read(Journal());
        for (const std::string& command :
             {Command(Mode::Overwrite, source), "exec " + test::Quoted(SIGILRY_CLI_PATH) + " --erase " + test::Quoted(source)}) {
            const int status = Run(Mode::Overwrite, "", {}, command);
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 1);
            EXPECT_NE(err.find(kMismatch), std::string::npos) << err;
            EXPECT_NE(err.find(Journal()), std::string::npos) << err;
            EXPECT_EQ(ScratchDir::Read(source), file);
            EXPECT_EQ(ScratchDir::Read(Journal()), journal);
        }
        std::filesystem::remove(Journal());
    }
}

// Two runs on one file: the one that comes second, at any moment of the
// first, is refused at once and writes nothing; the first finishes its stamp.
TEST_F(InterruptTest, ASecondRunOnAFileBeingStampedIsRefusedAtOnce) {
    const std::string header = "HF1_StyleType=1\r\nHF1_StylePageType=0\r\n";
    ScratchDir::Write(source, Source());
    ASSERT_TRUE(WIFEXITED(Run(Mode::Overwrite, "", {}, Command(Mode::Overwrite, source, header))));
    const std::string headerReference = ScratchDir::Read(source);
    const std::vector<const char*> points = {"locked", "first-page", "mid-pages", "xref", "synced"};
    for (int trial = 0; trial < 40; ++trial) {
        const bool footerFirst = trial % 2 == 0;
        const std::string point = points[static_cast<std::size_t>(trial / 2) % points.size()];
        SCOPED_TRACE(std::string(footerFirst ? "footer run first, at " : "header run first, at ") + point);
        ScratchDir::Write(source, Source());
        const pid_t first = Start(Command(Mode::Overwrite, source, footerFirst ? "" : header), point, dir.File("first.txt"));
        const int second = Run(Mode::Overwrite, "", {}, Command(Mode::Overwrite, source, footerFirst ? header : ""));
        ASSERT_TRUE(WIFEXITED(second));
        EXPECT_EQ(WEXITSTATUS(second), 1);
        EXPECT_NE(err.find("別の実行がこのファイルを処理中"), std::string::npos) << err;
        const int status = Finish(first, {});
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ScratchDir::Read(dir.File("first.txt"));
        EXPECT_EQ(ScratchDir::Read(source), footerFirst ? reference : headerReference);
        EXPECT_TRUE(Leftovers().empty());
    }
    EXPECT_TRUE(test::QpdfCheckClean(source));

    // An erase that comes while a stamp is written is refused the same way.
    ScratchDir::Write(source, Source());
    const pid_t stamping = Start(Command(Mode::Overwrite, source), "mid-pages", dir.File("first.txt"));
    const int erase = Run(Mode::Overwrite, "", {}, "exec " + test::Quoted(SIGILRY_CLI_PATH) + " --erase " + test::Quoted(source));
    EXPECT_TRUE(WIFEXITED(erase) && WEXITSTATUS(erase) == 1);
    EXPECT_NE(err.find("別の実行がこのファイルを処理中"), std::string::npos) << err;
    EXPECT_TRUE(WIFEXITED(Finish(stamping, {})));
    EXPECT_EQ(ScratchDir::Read(source), reference);
}

// The journal lives beside the real file, so a torn update made through a
// symbolic link is rolled back through the real name, and one made through a
// hard link through the file's other name in the same folder. In another
// folder the torn file is refused and named as such, never stamped.
TEST_F(InterruptTest, ATornUpdateIsFoundThroughEveryNameOfTheFile) {
    std::filesystem::create_directory(dir.File("real"));
    const std::string real = dir.File("real/r.pdf");
    ScratchDir::Write(real, Source());
    std::filesystem::create_symlink(real, dir.File("link.pdf"));
    TearUpdate(dir.File("link.pdf"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("real/.r.pdf.sgry-journal")));
    EXPECT_TRUE(Leftovers().empty());
    ASSERT_EQ(WEXITSTATUS(Run(Mode::Overwrite, "", {}, Command(Mode::Overwrite, real))), 0) << err;
    EXPECT_NE(err.find(kRestored), std::string::npos) << err;
    EXPECT_EQ(ScratchDir::Read(real), reference);
    EXPECT_FALSE(std::filesystem::exists(dir.File("real/.r.pdf.sgry-journal")));
    ScratchDir::Write(real, Source());  // and the other way round
    TearUpdate(real);
    ASSERT_EQ(WEXITSTATUS(Run(Mode::Overwrite, "", {}, Command(Mode::Overwrite, dir.File("link.pdf")))), 0) << err;
    EXPECT_NE(err.find(kRestored), std::string::npos) << err;
    EXPECT_EQ(ScratchDir::Read(real), reference);

    ScratchDir::Write(source, Source());
    std::filesystem::create_hard_link(source, dir.File("b.pdf"));
    TearUpdate(source);
    ASSERT_EQ(WEXITSTATUS(Run(Mode::Overwrite, "", {}, Command(Mode::Overwrite, dir.File("b.pdf")))), 0) << err;
    EXPECT_NE(err.find(kRestored), std::string::npos) << err;
    EXPECT_EQ(ScratchDir::Read(source), reference);
    EXPECT_TRUE(Leftovers().empty());

    std::filesystem::remove(dir.File("b.pdf"));
    ScratchDir::Write(source, Source());
    std::filesystem::create_hard_link(source, dir.File("real/a.pdf"));
    TearUpdate(source);
    const std::string torn = ScratchDir::Read(source);
    ASSERT_EQ(WEXITSTATUS(Run(Mode::Overwrite, "", {}, Command(Mode::Overwrite, dir.File("real/a.pdf")))), 1);
    EXPECT_NE(err.find("書き込みが途中で止まったファイルの可能性があります"), std::string::npos) << err;
    EXPECT_EQ(ScratchDir::Read(source), torn);
}

// A run into an output folder killed after its third file: the folder holds
// exactly the files its report lists as stamped, each complete; the others
// of the three are temporary files the next run into the folder removes.
TEST_F(InterruptTest, AKilledRunIntoAFolderLeavesOnlyWhatItsReportListsAsStamped) {
    const std::string out = dir.File("out"), report = dir.File("r.tsv");
    std::string command = Command(Mode::Prefix, source) + " --output-dir " + test::Quoted(out) + " --report " +
                          test::Quoted(report);
    for (const char* name : {"b.pdf", "c.pdf", "d.pdf", "e.pdf", "f.pdf"}) {
        ScratchDir::Write(dir.File(name), Source());
        command += " " + test::Quoted(dir.File(name));
    }
    ASSERT_TRUE(WIFSIGNALED(Run(Mode::Prefix, "file-done#3", {SIGKILL}, command))) << err;
    std::set<std::string> listed, complete;
    std::istringstream lines(ScratchDir::Read(report));
    std::string line;
    ASSERT_TRUE(std::getline(lines, line) && line.starts_with("source\toutput\toutcome\t"));
    while (std::getline(lines, line)) {
        EXPECT_NE(line.find("\tstamped\t0\t\t1500\t"), std::string::npos) << line;
        listed.insert(line.substr(line.find('\t') + 1, line.find("\tstamped") - line.find('\t') - 1));
    }
    std::size_t temporary = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        if (entry.path().filename().native().starts_with(".")) {
            ++temporary;
            continue;
        }
        complete.insert(entry.path().native());
        EXPECT_EQ(ScratchDir::Read(entry.path()), reference) << entry.path();
    }
    EXPECT_EQ(listed, complete);
    EXPECT_EQ(listed.size() + temporary, 3u);
    EXPECT_EQ(ScratchDir::Read(source), Source());
}

// A source whose own update was torn is neither cut back nor stamped by a run
// that may only read it: file and journal stay for a run in place.
TEST_F(InterruptTest, ATornSourceIsLeftAsItIsByARunIntoAFolder) {
    TearUpdate(source);
    const std::string torn = ScratchDir::Read(source), journal = ScratchDir::Read(Journal());
    const int status = Run(Mode::Prefix, "", {}, Command(Mode::Prefix, source) + " -o " + test::Quoted(dir.File("out")));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(err.find("出力先フォルダーを指定した実行では、元のファイルを書き込み前の状態に戻しません"), std::string::npos)
        << err;
    EXPECT_EQ(ScratchDir::Read(source), torn);
    EXPECT_EQ(ScratchDir::Read(Journal()), journal);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/a.pdf")));
}

// A journal name that is a symbolic link planted in the folder is neither
// followed nor written through: its target stays as it was.
TEST_F(InterruptTest, APlantedLinkAsTheJournalIsNeverFollowed) {
    const std::string victim = dir.File("victim.txt");
    ScratchDir::Write(victim, "%Sigilry-journal 2\r\nnot a journal\r\n");
    ScratchDir::Write(source, Source());
    std::filesystem::create_symlink(victim, Journal());
    const int status = Run(Mode::Overwrite);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(err.find("記録がシンボリックリンクです"), std::string::npos) << err;
    EXPECT_EQ(ScratchDir::Read(victim), "%Sigilry-journal 2\r\nnot a journal\r\n");
    EXPECT_EQ(ScratchDir::Read(source), Source());
    EXPECT_TRUE(std::filesystem::is_symlink(Journal()));
}

}  // namespace
}  // namespace sgry
