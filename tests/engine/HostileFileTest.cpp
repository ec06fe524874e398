// Damaged and hostile sources, built from the recipes of
// tests/data/engine/hostile.tsv: each gives its error code when the job reads
// it, and its page count or walk error when the page tree is walked.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "engine/PdfJob.h"
#include "support/Manifest.h"
#include "tests/engine/TestPdf.h"

namespace sgry {
namespace {

std::string WithPlaceholders(std::string text, const test::TestPdf& pdf) {
    char last[24];
    std::snprintf(last, sizeof last, "%010ld", pdf.LastXref());
    const std::pair<std::string, std::string> names[] = {{"{here}", std::to_string(pdf.Bytes().size())},
                                                         {"{last10}", last}};
    for (const auto& [name, value] : names)
        for (std::size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), value);
    return text;
}

// The file a recipe describes (commands separated by " ;; ").
std::string Build(const std::string& recipe) {
    test::TestPdf pdf;
    std::string before;
    std::vector<std::pair<std::string, std::string>> replacements;
    std::size_t mark = 0;
    for (std::size_t start = 0; start <= recipe.size();) {
        const std::size_t end = std::min(recipe.find(" ;; ", start), recipe.size());
        const std::string command = recipe.substr(start, end - start);
        start = end + 4;
        const std::size_t space = command.find(' ');
        const std::string verb = command.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : command.substr(space + 1);
        const std::size_t split = rest.find(' ');
        const std::string first = rest.substr(0, split);
        const std::string second = split == std::string::npos ? "" : rest.substr(split + 1);
        if (verb == "obj") pdf.Object(std::stoi(first), second);
        if (verb == "xref") pdf.EndSection(std::stoi(first), second.empty() ? "/Root 1 0 R" : WithPlaceholders(second, pdf));
        if (verb == "raw") pdf.Raw(rest);
        if (verb == "mark") mark = pdf.Bytes().size();
        if (verb == "startxref") pdf.Raw("startxref\n" + std::to_string(mark) + "\n%%EOF\n");
        if (verb == "before") before = rest;
        if (verb == "replace") replacements.emplace_back(first, WithPlaceholders(second, pdf));
    }
    std::string bytes = pdf.Bytes();
    for (const auto& [from, to] : replacements) {
        const std::size_t at = bytes.rfind(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) bytes.replace(at, from.size(), to);
    }
    return before + bytes;
}

TEST(HostileFileTest, EveryRecipeGivesItsCodes) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("engine/hostile.tsv");
    ASSERT_GT(rows.size(), 30u);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("hostile.tsv line " + std::to_string(row.line) + " " + row[0]);
        std::unique_ptr<PdfJob> job = PdfJob::FromBytes(Build(row[1]));
        if (row[2] != "*") {
            EXPECT_EQ(std::to_string(job->ErrorCode()), row[2]);
        }
        if (row[3].empty()) continue;
        const bool walked = job->BuildPageList(PageRangeChoice{});
        EXPECT_EQ(walked, row[3][0] == '=');
        EXPECT_EQ(row[3].substr(1), std::to_string(walked ? job->Pages().Count() : job->Pages().ErrorCode()));
    }
}

}  // namespace
}  // namespace sgry
