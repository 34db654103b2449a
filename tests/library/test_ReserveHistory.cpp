#include "library/PlayHistory.h"
#include "library/ReserveQueue.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ReserveQueue, LimitOfTwentyAndTheMenu) {
    clsArrayList q;
    ReserveQueue::MenuModel menu = ReserveQueue::BuildMenu(q);
    EXPECT_EQ(menu.clearCaption, u"(なし)"_s);
    EXPECT_TRUE(menu.addEnabled);
    EXPECT_TRUE(std::none_of(menu.visible.begin(), menu.visible.end(), [](bool v) { return v; }));

    EXPECT_TRUE(ReserveQueue::Add(q, u"/m/same.mp3"_s));
    EXPECT_TRUE(ReserveQueue::Add(q, u"/m/same.mp3"_s));
    EXPECT_TRUE(ReserveQueue::Add(q, u"/m/disc.cue?3"_s));
    menu = ReserveQueue::BuildMenu(q);
    EXPECT_EQ(menu.clearCaption, u"(クリア)"_s);
    EXPECT_EQ(menu.captions[0], u"same.mp3"_s);
    EXPECT_EQ(menu.captions[1], u"same.mp3"_s);
    EXPECT_EQ(menu.captions[2], u"disc 03"_s);  // a track, not "disc.cue?3"
    EXPECT_TRUE(menu.visible[2]);
    EXPECT_FALSE(menu.visible[3]);

    for (int i = 3; i < 20; ++i)
        EXPECT_TRUE(ReserveQueue::Add(q, u"/m/%1.mp3"_s.arg(i)));
    menu = ReserveQueue::BuildMenu(q);
    EXPECT_FALSE(menu.addEnabled);
    EXPECT_TRUE(menu.visible[19]);
    EXPECT_FALSE(ReserveQueue::Add(q, u"/m/extra.mp3"_s));
    EXPECT_EQ(q.Count(), 20);

    EXPECT_EQ(ReserveQueue::TakeAt(q, 5), u"/m/5.mp3"_s);
    EXPECT_TRUE(ReserveQueue::BuildMenu(q).addEnabled);
}

TEST(ReserveQueue, TakingEntries) {
    clsArrayList q;
    EXPECT_EQ(ReserveQueue::TakeFirst(q), std::nullopt);
    for (const QString& p : {u"/1"_s, u"/2"_s, u"/3"_s, u"/4"_s, u"/5"_s})
        ReserveQueue::Add(q, p);
    EXPECT_EQ(ReserveQueue::TakeAt(q, 2), u"/3"_s);
    EXPECT_EQ(q.items(), QStringList({u"/1"_s, u"/2"_s, u"/4"_s, u"/5"_s}));
    EXPECT_EQ(ReserveQueue::TakeAt(q, 4), std::nullopt);
    EXPECT_EQ(ReserveQueue::TakeFirst(q), u"/1"_s);
    EXPECT_EQ(q.items(), QStringList({u"/2"_s, u"/4"_s, u"/5"_s}));
}

TEST(PlayHistory, NewestFirstOnceIgnoringCase) {
    clsArrayList h;
    PlayHistory::Record(h, u"/m/A.mp3"_s);
    PlayHistory::Record(h, u"/m/b.mp3"_s);
    PlayHistory::Record(h, u"/M/a.MP3"_s);
    EXPECT_EQ(h.items(), QStringList({u"/M/a.MP3"_s, u"/m/b.mp3"_s}));
}

TEST(PlayHistory, KeepsTheNewestHundred) {
    clsArrayList h;
    for (int i = 1; i <= 101; ++i)
        PlayHistory::Record(h, u"/m/%1.mp3"_s.arg(i));
    ASSERT_EQ(h.Count(), 100);
    EXPECT_EQ(h.Value(0), u"/m/101.mp3"_s);
    EXPECT_EQ(h.Value(99), u"/m/2.mp3"_s);

    // A longer list from a hand-edited file is cut back at the next song.
    clsArrayList edited;
    for (int i = 0; i < 150; ++i)
        edited.Add(u"/e/%1.mp3"_s.arg(i));
    PlayHistory::Record(edited, u"/e/new.mp3"_s);
    ASSERT_EQ(edited.Count(), 100);
    EXPECT_EQ(edited.Value(0), u"/e/new.mp3"_s);
    EXPECT_EQ(edited.Value(99), u"/e/98.mp3"_s);
}
