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

TEST(ObjectOffsetTableTest, MoreThanFortyThousandObjects) {
    ObjectOffsetTable table;
    constexpr int32_t kObjects = 50000;
    for (int32_t n = 1; n <= kObjects; ++n) ASSERT_EQ(table.Insert(n, 0, int64_t{n} * 31), Result::Inserted);
    EXPECT_EQ(table.Count(), kObjects);
    EXPECT_EQ(table.OverflowCount(), kObjects - 40000);
    for (int32_t n = 1; n <= kObjects; ++n) ASSERT_EQ(table.Find(n, 0), int64_t{n} * 31) << n;
    EXPECT_EQ(table.Find(kObjects + 1, 0), -1);
}

TEST(ObjectOffsetTableTest, FullBucketSpillsIntoAnOverflowGridGrowingByTenRows) {
    ObjectOffsetTable table;
    // Bucket 7 takes 4; the other 151 go into overflow column 7: 16 blocks of 10 rows.
    constexpr int32_t kSameBucket = 155;
    for (int32_t k = 0; k < kSameBucket; ++k) {
        ASSERT_EQ(table.Insert(7 + k * 10000, 2, k), Result::Inserted);
        if (k == 6) {
            EXPECT_EQ(table.OverflowRows(), 10);  // three spilled: the first block
        }
    }
    EXPECT_EQ(table.OverflowCount(), kSameBucket - 4);
    EXPECT_EQ(table.OverflowRows(), 160);
    for (int32_t k = 0; k < kSameBucket; ++k) EXPECT_EQ(table.Find(7 + k * 10000, 2), k);
    EXPECT_EQ(table.Find(7 + kSameBucket * 10000, 2), -1);
    // Another column is unaffected by the growth.
    ASSERT_EQ(table.Insert(3, 0, 42), Result::Inserted);
    EXPECT_EQ(table.Find(3, 0), 42);
    EXPECT_EQ(table.Insert(7 + 20 * 10000, 2, 999), Result::Duplicate);
}

}  // namespace
}  // namespace sgry
