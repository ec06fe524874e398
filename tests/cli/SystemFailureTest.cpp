// Every system call of a run failed in turn: a library preloaded into
// sigilry-cli (failing/FailingCalls.cpp) fails the N-th call of one kind, for
// every N up to the number of such calls a run makes, in each output mode,
// on a file that gets every kind of stamp (fonts, text converted to the
// Japanese encoding, image, QR code, watermarks). After each run:
//   exit 0   the output is complete: byte for byte what an undisturbed run writes;
//   failed   nothing is under the output name, and the source is as it was,
//            or (in place) torn with its journal, which the next run rolls
//            back before it stamps.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "platform/Format.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::ScratchDir;

struct ModeCase {
    const char* name;
    int output;             // the settings' Output
    const char* stdinText;  // the save-as mode reads the output name here
    const char* outputName;
};

const ModeCase kModes[] = {
    {"prefix", 0, "", "_k.pdf"},
    {"save-as", 1, "chosen.pdf\n", "chosen.pdf"},
    {"overwrite", 2, "", "k.pdf"},
};

const char* const kKinds[] = {"open", "read", "write", "fsync", "ftruncate", "rename", "copy_file_range", "unlink"};

class SystemFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        original = ScratchDir::Read(std::string(SIGILRY_SOURCE_DIR) + "/examples/example.pdf");
        ASSERT_FALSE(original.empty());
    }

    void WriteSettings(const ModeCase& mode) {
        // The header's first slot is Japanese text in a CID font.
        ScratchDir::Write(dir.File("sgry.ini"),
                          "[OptionList1]\r\nHF0_StyleType=3\r\nHF0_CustomText=\x93\xfa\x96\x7b\x8c\xea\r\n"
                          "HF0_FontName=HeiseiKakuGo-W5\r\nHF2_StyleType=3\r\nHF2_CustomText=Stamped\r\n"
                          "HF2_FontName=Times-Roman\r\nHF4_StyleType=1\r\nHF4_StylePageType=3\r\n"
                          "WaterMarkType=16\r\nbWmNeed=True\r\nbWmText=Sigilry\r\n"
                          "ImageFileName=" SIGILRY_SOURCE_DIR "/examples/sgry-seal.png\r\nImagePosition=3\r\n"
                          "QRIsValid=True\r\nQRString=Sigilry\r\nQRPosition=5\r\n[App]\r\nOutput=" +
                              std::to_string(mode.output) + "\r\n");
    }

    // Runs sigilry-cli on k.pdf, failing call `at` of `kind` (0: none);
    // returns the exit status (-1 for a signal) and leaves the count of such
    // calls in `calls`.
    int Run(const ModeCase& mode, const std::string& kind, int at, const std::string& options = "") {
        const std::string count = dir.File("count.txt");
        const std::string preload = kind.empty() ? std::string()
                                                 : "SIGILRY_FAIL_CALL=" + kind + " SIGILRY_FAIL_AT=" +
                                                       std::to_string(at) + " SIGILRY_FAIL_COUNT=" + Quoted(count) +
                                                       " LD_PRELOAD=" + Quoted(SIGILRY_FAILING_CALLS_PATH) + " ";
        const std::string command = "cd " + Quoted(dir.Path().string()) + " && printf '" + mode.stdinText + "' | " +
                                    preload + "LANGUAGE=en ASAN_OPTIONS=verify_asan_link_order=0 " +
                                    Quoted(SIGILRY_CLI_PATH) + " --yes --quiet" + options +
                                    " --settings sgry.ini k.pdf 2>err.txt";
        const int status = std::system(command.c_str());
        calls = kind.empty() ? 0 : std::atoi(ScratchDir::Read(count).c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void Reset(const ModeCase& mode) {
        std::filesystem::remove(dir.File(mode.outputName));
        ScratchDir::Write(dir.File("k.pdf"), original);
    }

    // True when the files after a run with one failed call keep the invariant.
    bool Holds(const ModeCase& mode, int status, const std::string& reference) {
        const std::string output = dir.File(mode.outputName);
        const bool inPlace = mode.output == 2;
        if (status == 0) return ScratchDir::Read(output) == reference;
        const std::string source = ScratchDir::Read(dir.File("k.pdf"));
        if (!inPlace) return status > 0 && !std::filesystem::exists(output) && source == original;
        if (source == original) return true;
        // A torn update with its journal: the next run rolls it back and stamps.
        return std::filesystem::exists(dir.File(".k.pdf.sgry-journal")) && Run(mode, "", 0) == 0 &&
               ScratchDir::Read(output) == reference;
    }

    test::ScratchDir dir{"syscalls"};
    std::string original;
    int calls = 0;
};

TEST_F(SystemFailureTest, EveryFailedCallLeavesACompleteOutputOrNone) {
    std::cout << "mode       call              calls  held\n";
    for (const ModeCase& mode : kModes) {
        WriteSettings(mode);
        Reset(mode);
        ASSERT_EQ(Run(mode, "", 0), 0) << ScratchDir::Read(dir.File("err.txt"));
        const std::string reference = ScratchDir::Read(dir.File(mode.outputName));
        ASSERT_GT(reference.size(), original.size() + 4000);  // every stamp is there
        for (const char* kind : kKinds) {
            Reset(mode);
            ASSERT_EQ(Run(mode, kind, 0), 0) << kind;
            const int total = calls;
            if (std::string(kind) == "fsync") {
                EXPECT_GT(total, 0);
                Reset(mode);
                ASSERT_EQ(Run(mode, kind, 0, " --no-sync"), 0);
                EXPECT_EQ(calls, 0);  // nothing waits for the disk
            }
            int held = 0;
            for (int at = 1; at <= total; ++at) {
                Reset(mode);
                const int status = Run(mode, kind, at);
                const std::string err = ScratchDir::Read(dir.File("err.txt"));
                // A failed output names the step and the system's reason.
                const bool outputFailed = err.find("error occurred while writing the output") != std::string::npos ||
                                          err.find("Cannot write to the file") != std::string::npos;
                const std::string reason = std::strerror(std::string(kind) == "write" ? ENOSPC : EIO);
                if (outputFailed) {
                    EXPECT_NE(err.find(": " + reason + ")"), std::string::npos) << err;
                }
                if (Holds(mode, status, reference))
                    ++held;
                else
                    ADD_FAILURE() << mode.name << ", " << kind << " call " << at << " failed: exit " << status << "\n"
                                  << err;
            }
            std::cout << Format("%-10s %-16s %6d %5d\n", mode.name, kind, total, held);
        }
    }
}

}  // namespace
}  // namespace sgry
