#include "core/clsArrayList.h"

#include <gtest/gtest.h>

TEST(ArrayList, InsertIntoEmptyStoresAtZeroWhateverTheIndex) {
    clsArrayList l;
    l.Insert(QStringLiteral("a"), 5);
    ASSERT_EQ(l.Count(), 1);
    EXPECT_EQ(l.Value(0), QStringLiteral("a"));
}
