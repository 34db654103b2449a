#include "search/ListSearch.h"

#include <gtest/gtest.h>

namespace {

const QStringList kRows{
    QStringLiteral("01 Intro"), QStringLiteral("02 Song"),  QStringLiteral("03 Song (reprise)"),
    QStringLiteral("ﾐｸの歌"),   QStringLiteral("みくの歌"), QStringLiteral("ミクの歌"),
    QStringLiteral("バの歌")};

TEST(ListSearch, FindsTheRowsEachModeMatches) {
    struct Case {
        const char16_t* word;
        int32_t mode;
        std::vector<int32_t> hits;
    };
    const Case cases[] = {
        {u"song", ListSearch::Part, {1, 2}},
        {u"02", ListSearch::Front, {1}},
        {u"song", ListSearch::Front, {}},
        {u"02 SONG", ListSearch::Perfect, {1}},
        {u"02 song.mp3", ListSearch::Perfect, {}},
        {u"0*", ListSearch::Perfect, {}},  // a plain comparison: no wildcards
        {u"0?", ListSearch::Part, {0, 1, 2}},
        {u"3 ", ListSearch::Part, {2}},
        {u"[", ListSearch::Part, {}},
        {u"(reprise", ListSearch::Front, {}},
        {u"song", 3, {}},
        {u"ミク", ListSearch::Part, {3, 4, 5}},  // kana type and width ignored
        {u"ﾐｸ", ListSearch::Front, {3, 4, 5}},
        {u"みくの歌", ListSearch::Perfect, {3, 4, 5}},
        {u"[ま-も]", ListSearch::Front, {3, 4, 5}},
        {u"ＳＯＮＧ", ListSearch::Part, {1, 2}},
        {u"は", ListSearch::Part, {}},
    };
    for (const Case& c : cases) {
        const QString word = QString::fromUtf16(c.word);
        EXPECT_EQ(ListSearch::FindRows(word, kRows, c.mode), c.hits)
            << word.toStdString() << " mode " << c.mode;
    }
}

TEST(ListSearch, StepsWrapAtBothEnds) {
    EXPECT_EQ(ListSearch::Step(0, 2, true), 1);
    EXPECT_EQ(ListSearch::Step(1, 2, true), 0);
    EXPECT_EQ(ListSearch::Step(0, 2, false), 1);
    EXPECT_EQ(ListSearch::Step(1, 2, false), 0);
    EXPECT_EQ(ListSearch::Step(0, 1, true), 0);  // a single hit stays
    EXPECT_EQ(ListSearch::Step(0, 1, false), 0);
}

}  // namespace
