#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/SharedLibrary.h"

namespace sgry {
namespace {

struct ZlibTable {
    decltype(&::zlibVersion) zlibVersion = nullptr;
    decltype(&::crc32) crc32 = nullptr;
};

bool BindZlib(SharedLibrary& library, ZlibTable& table) {
    return SGRY_BIND(library, table, zlibVersion) && SGRY_BIND(library, table, crc32);
}

// Stands for a library of another version, which lacks a function.
bool BindMissing(SharedLibrary& library, ZlibTable& table) {
    return SGRY_BIND(library, table, zlibVersion) && library.Bind(table.crc32, "sigilry_no_such_function");
}

// A table is given only whole: every function found and callable, else none,
// with the loader's reason, for a missing library and for a missing function.
TEST(SharedLibraryTest, GivesWholeTablesOnlyAndSaysWhyNot) {
    const LibraryFunctions<ZlibTable> zlib("libz.so.1", BindZlib);
    ASSERT_NE(zlib.Functions(), nullptr) << zlib.Error();
    EXPECT_STREQ(zlib.Functions()->zlibVersion(), ::zlibVersion());
    EXPECT_EQ(zlib.Functions()->crc32(0, reinterpret_cast<const Bytef*>("abc"), 3), 0x352441C2u);

    const LibraryFunctions<ZlibTable> partial("libz.so.1", BindMissing);
    EXPECT_EQ(partial.Functions(), nullptr);
    EXPECT_NE(partial.Error().find("sigilry_no_such_function"), std::string::npos);

    const LibraryFunctions<ZlibTable> absent("libsigilry-absent.so.9", BindZlib);
    EXPECT_EQ(absent.Functions(), nullptr);
    EXPECT_NE(absent.Error().find("libsigilry-absent.so.9"), std::string::npos);
    SharedLibrary unloaded("libsigilry-absent.so.9");
    ZlibTable table;
    EXPECT_FALSE(unloaded.Bind(table.crc32, "crc32"));
    EXPECT_EQ(table.crc32, nullptr);
}

}  // namespace
}  // namespace sgry
