#include "engine/ObjectOffsetTable.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace sgry {
namespace {

using Result = ObjectOffsetTable::InsertResult;

TEST(ObjectOffsetTableTest, EmptySlotIsNotEntryZero) {
    ObjectOffsetTable table;
    ASSERT_TRUE(table.IsReady());
    EXPECT_EQ(table.Find(0, 0), -1);
    // Entry index 0 lands in bucket 0 for number 10000; number 0 shares the bucket.
    ASSERT_EQ(table.Insert(10000, 0, 1234), Result::Inserted);
    EXPECT_EQ(table.Find(10000, 0), 1234);
    EXPECT_EQ(table.Find(0, 0), -1);
    EXPECT_EQ(table.Find(10000, 1), -1);
}

TEST(ObjectOffsetTableTest, DuplicateKeepsFirstOffset) {
    ObjectOffsetTable table;
    EXPECT_EQ(table.Insert(7, 0, 100), Result::Inserted);
    EXPECT_EQ(table.Insert(7, 0, 200), Result::Duplicate);
    EXPECT_EQ(table.Insert(7, 1, 300), Result::Inserted);
    EXPECT_EQ(table.Find(7, 0), 100);
    EXPECT_EQ(table.Find(7, 1), 300);
    EXPECT_EQ(table.Count(), 2);
}

TEST(ObjectOffsetTableTest, RefusesNumbersOutsideThirtyTwoBits) {
    ObjectOffsetTable table;
    EXPECT_EQ(table.Insert(-1, 0, 10), Result::OutOfRange);
    EXPECT_EQ(table.Insert(1, -1, 10), Result::OutOfRange);
    EXPECT_EQ(table.Insert(INT64_C(4294967297), 0, 10), Result::OutOfRange);  // would wrap to 1
    EXPECT_EQ(table.Find(1, 0), -1);
    EXPECT_EQ(table.Find(INT64_C(4294967297), 0), -1);
    EXPECT_EQ(table.Find(-3, 0), -1);
}

// Numbers spread over the whole range and several generations of one
// number, as many as a large file holds, in time linear in the count.
TEST(ObjectOffsetTableTest, MillionsOfObjectsAndSharedNumbers) {
    ObjectOffsetTable table;
    constexpr int32_t kObjects = 2000000;
    for (int32_t n = 1; n <= kObjects; ++n) ASSERT_EQ(table.Insert(n, 0, int64_t{n} * 31), Result::Inserted);
    for (int32_t g = 1; g < 200; ++g) ASSERT_EQ(table.Insert(7, g, g), Result::Inserted);
    ASSERT_EQ(table.Insert(INT32_MAX, INT32_MAX, 5), Result::Inserted);
    EXPECT_EQ(table.Count(), kObjects + 200);
    EXPECT_EQ(table.HighestNumber(), INT32_MAX);
    for (int32_t n = 1; n <= kObjects; ++n) ASSERT_EQ(table.Find(n, 0), int64_t{n} * 31) << n;
    for (int32_t g = 1; g < 200; ++g) ASSERT_EQ(table.Find(7, g), g);
    EXPECT_EQ(table.Find(INT32_MAX, INT32_MAX), 5);
    EXPECT_EQ(table.Find(kObjects + 1, 0), -1);
    EXPECT_EQ(table.Find(7, 200), -1);
    EXPECT_EQ(table.Insert(7, 150, 999), Result::Duplicate);
}

// A reservation keeps what the table holds; one beyond any memory is refused
// and leaves the table working.
TEST(ObjectOffsetTableTest, ReservationKeepsEntriesAndRefusesTheImpossible) {
    ObjectOffsetTable table;
    for (int32_t n = 0; n < 3000; ++n) ASSERT_EQ(table.Insert(n, 0, n + 1), Result::Inserted);
    EXPECT_TRUE(table.Reserve(100000));
    EXPECT_FALSE(table.Reserve(SIZE_MAX / 2));
    for (int32_t n = 3000; n < 5000; ++n) ASSERT_EQ(table.Insert(n, 0, n + 1), Result::Inserted);
    for (int32_t n = 0; n < 5000; ++n) ASSERT_EQ(table.Find(n, 0), n + 1) << n;
    EXPECT_EQ(table.Count(), 5000);
}

}  // namespace
}  // namespace sgry
