// A list file with a line of a megabyte: it is read in pieces of 2047 bytes,
// each tried as a path of its own and reported once, with memory in
// proportion to the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FileList.h"
#include "support/RecordingPrompts.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

TEST(ListFileBoundsTest, MegabyteLineIsReadInPieces) {
    test::ScratchDir dir("list-bounds");
    std::string line;
    for (int i = 0; line.size() < (1u << 20); ++i) line += "/no/such/folder/file" + std::to_string(i) + ".pdf;";
    line.resize(1u << 20);
    const std::string path = dir.File("huge.lst");
    {
        std::ofstream out(path, std::ios::binary);
        out << line << "\r\n/tail.pdf\r\n";
    }
    std::vector<std::string> paths;
    ASSERT_TRUE(FileList::ReadListPaths(path, paths));
    const size_t pieces = (line.size() + kListLinePieceBytes - 1) / kListLinePieceBytes;
    ASSERT_EQ(paths.size(), pieces + 1);
    EXPECT_EQ(paths[0].size(), 2047u);
    std::string joined;
    for (size_t i = 0; i < pieces; ++i) {
        EXPECT_LE(paths[i].size(), kListLinePieceBytes);
        joined += paths[i];
    }
    EXPECT_EQ(joined, line);
    EXPECT_EQ(paths.back(), "/tail.pdf");

    test::RecordingPrompts prompts;
    FileList list(prompts);
    ASSERT_TRUE(list.ReadListFile(path));
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(prompts.messages.size(), pieces + 1);
    EXPECT_NE(prompts.messages.back().text.find("/tail.pdf"), std::string::npos);
}

}  // namespace
}  // namespace sgry
