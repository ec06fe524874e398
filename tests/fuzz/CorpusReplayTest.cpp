// Replays the seed corpus of every fuzz target (fuzz/corpus/<target>/) and
// every input a fuzz run once failed on (fuzz/regressions/<target>/) through
// the same bodies the fuzz targets run, so that the normal test run (and its
// sanitizer build) keeps them passing without libFuzzer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

namespace fs = std::filesystem;

struct TargetRow { const char* name; int (*body)(const uint8_t*, std::size_t); };

const TargetRow kTargets[] = {
    {"job", fuzz::Job},       {"parser", fuzz::Parser},     {"resources", fuzz::Resources},
    {"bmp", fuzz::Bmp},       {"jpeg", fuzz::Jpeg},         {"png", fuzz::Png},
    {"settings", fuzz::Settings}, {"listfile", fuzz::ListFile}, {"qr", fuzz::Qr},
    {"security", fuzz::Security}, {"journal", fuzz::Journal}, {"pagebox", fuzz::PageBoxes},
    {"balance", fuzz::Balance},
};

std::vector<fs::path> InputsOf(const std::string& target, const char* kind) {
    std::vector<fs::path> files;
    const fs::path folder = fs::path(SIGILRY_SOURCE_DIR) / "fuzz" / kind / target;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file()) files.push_back(entry.path());
    return files;
}

class CorpusReplayTest : public ::testing::TestWithParam<TargetRow> {
protected:
    // The replay checks every invariant, the re-read of an updated file included.
    void SetUp() override { setenv("SIGILRY_FUZZ_REREAD", "1", 1); }
};

TEST_P(CorpusReplayTest, EverySeedAndFindingPasses) {
    const TargetRow& row = GetParam();
    const std::vector<fs::path> seeds = InputsOf(row.name, "corpus");
    EXPECT_FALSE(seeds.empty()) << "no seed corpus for " << row.name;
    std::vector<fs::path> inputs = seeds;
    for (const fs::path& p : InputsOf(row.name, "regressions")) inputs.push_back(p);
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const std::string bytes = test::ScratchDir::Read(input.string());
        // A broken invariant aborts the process, which fails the test.
        EXPECT_EQ(row.body(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplayTest, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<TargetRow>& info) { return std::string(info.param.name); });

// The corpora stay small: the seeds and what long runs added, at most 128 KB a target.
TEST(CorpusSizeTest, EachTargetCorpusIsSmall) {
    for (const TargetRow& row : kTargets) {
        std::uintmax_t total = 0;
        for (const fs::path& p : InputsOf(row.name, "corpus")) total += fs::file_size(p);
        EXPECT_LE(total, 128u * 1024u) << row.name;
    }
}

}  // namespace
}  // namespace sgry
