#include "core/clsArrayList.h"

#include <gtest/gtest.h>

namespace {
clsArrayList make(std::initializer_list<const char*> items) {
    clsArrayList l;
    for (const char* s : items)
        l.Add(QString::fromUtf8(s));
    return l;
}
QStringList all(const clsArrayList& l) {
    return l.items();
}
}  // namespace

TEST(ArrayList, InsertPositions) {
    clsArrayList empty;
    empty.Insert(QStringLiteral("a"), 5);  // into an empty list: at 0 whatever the index
    EXPECT_EQ(all(empty), QStringList{QStringLiteral("a")});

    clsArrayList l = make({"a", "b", "c"});
    l.Insert(QStringLiteral("x"), 1);
    l.Insert(QStringLiteral("end"), 4);   // index == Count appends
    l.Insert(QStringLiteral("far"), 99);  // past the end appends too
    EXPECT_EQ(all(l), (QStringList{u"a"_qs, u"x"_qs, u"b"_qs, u"c"_qs, u"end"_qs, u"far"_qs}));
    EXPECT_EQ(l.Count(), 6);
    EXPECT_FALSE(l.Insert(QStringLiteral("neg"), -1));
    EXPECT_EQ(l.Count(), 6);  // refused before anything moved
}

TEST(ArrayList, DeleteAndTheSpareElement) {
    clsArrayList l = make({"a", "b"});
    l.Delete(2);  // == Count: nothing
    l.Delete(7);
    EXPECT_EQ(l.Count(), 2);
    l.Delete(0);
    EXPECT_EQ(all(l), QStringList{u"b"_qs});
    l.Delete(0);
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Value(0), QString());  // the spare element of an empty list
    l.setValue(0, QStringLiteral("ghost"));
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Value(0), QStringLiteral("ghost"));
    EXPECT_EQ(l.Value(1), QString());
    EXPECT_FALSE(l.Delete(-1));

    clsArrayList cleared = make({"x", "y"});
    cleared.Clear();
    EXPECT_EQ(cleared.Count(), 0);
    EXPECT_EQ(cleared.Value(0), QString());
}

TEST(ArrayList, OutOfRangeLeavesListUnchanged) {
    clsArrayList l = make({"a", "b"});
    EXPECT_EQ(l.Value(2), QString());
    EXPECT_EQ(l.Value(-1), QString());
    EXPECT_FALSE(l.setValue(-1, QStringLiteral("z")));
    EXPECT_FALSE(l.setValue(2, QStringLiteral("z")));
    EXPECT_FALSE(l.Swap(0, 2));
    EXPECT_EQ(all(l), (QStringList{u"a"_qs, u"b"_qs}));
    l.Swap(0, 1);
    EXPECT_EQ(all(l), (QStringList{u"b"_qs, u"a"_qs}));
}

TEST(ArrayList, ExistValueIsExactAndCaseSensitive) {
    clsArrayList l = make({"SONG", "Other"});
    EXPECT_TRUE(l.ExistValue(QStringLiteral("SONG")));
    EXPECT_FALSE(l.ExistValue(QStringLiteral("song")));
    EXPECT_FALSE(clsArrayList().ExistValue(QString()));
}

TEST(ArrayList, CloneReplacesTargetAndCopies) {
    clsArrayList src = make({"1", "2"});
    clsArrayList dst = make({"old", "older", "oldest"});
    src.Clone(dst);
    EXPECT_EQ(all(dst), all(src));
    dst.setValue(0, QStringLiteral("changed"));
    EXPECT_EQ(src.Value(0), QStringLiteral("1"));  // no sharing between the two lists

    src.Clone(src);  // the target is cleared before the copy starts
    EXPECT_EQ(src.Count(), 0);
}
