#include "engine/GraphicsStateBalance.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Manifest.h"

namespace sgry {
namespace {

TEST(GraphicsStateBalanceTest, EveryContentGivesItsCount) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("engine/balance.tsv");
    ASSERT_GT(rows.size(), 10u);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("balance.tsv line " + std::to_string(row.line) + " " + row[0]);
        GraphicsStateBalance balance;
        const std::string& content = row[1];
        for (std::size_t start = 0;;) {
            const std::size_t split = content.find(" || ", start);
            balance.Add(std::string_view(content).substr(start, split - start));
            if (split == std::string::npos) break;
            start = split + 4;
        }
        EXPECT_EQ(std::to_string(balance.ExtraRestores()), row[2]);
    }
}

}  // namespace
}  // namespace sgry
