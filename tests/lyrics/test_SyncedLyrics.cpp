#include "lyrics/SyncedLyrics.h"

#include <gtest/gtest.h>

using std::chrono::milliseconds;

namespace {

// "time|text|translation" per line, joined, for comparing in one string.
std::string shown(const SyncedLyrics& lyrics) {
    QStringList out;
    for (const SyncedLyrics::Line& l : lyrics.lines())
        out.append(QStringLiteral("%1|%2|%3")
                       .arg(l.time.count())
                       .arg(l.text, QString(l.translation).replace(u'\n', u'/')));
    return out.join(u"; ").toStdString();
}

struct ParseCase {
    const char* name;
    QStringList file;
    QStringList expected;  // empty: not synced, the file shows as plain text
    QString title = {};
};

}  // namespace

// Every tag form a lyric file carries: what is shown, at which time, in which order.
TEST(SyncedLyrics, ReadsTagsIntoTimedLinesWithoutTags) {
    const std::vector<ParseCase> cases = {
        {"centiseconds, colon fraction, whole seconds, milliseconds, tenths",
         {u"[00:01.50]a"_qs, u"[00:02:25]b"_qs, u"[01:03]c"_qs, u"[00:04.125]d"_qs,
          u"[00:05.5]e"_qs},
         {u"1500|a|"_qs, u"2250|b|"_qs, u"4125|d|"_qs, u"5500|e|"_qs, u"63000|c|"_qs}},
        {"several tags on one line, shown in time order",
         {u"[00:30.00][00:10.00]サビ"_qs, u"[00:20.00]間"_qs},
         {u"10000|サビ|"_qs, u"20000|間|"_qs, u"30000|サビ|"_qs}},
        {"header tags read and never shown; the title comes from [ti:]",
         {u"[ti:夜に駆ける]"_qs, u"[ar:YOASOBI]"_qs, u"[al:THE BOOK]"_qs, u"[by:someone]"_qs,
          u"[length: 04:21]"_qs, u"[re:tool]"_qs, u"[00:01.00]沈むように"_qs},
         {u"1000|沈むように|"_qs},
         u"夜に駆ける"_qs},
        {"a positive offset shows lines sooner, a negative one later",
         {u"[offset:+500]"_qs, u"[00:01.00]a"_qs, u"[00:00.20]b"_qs},
         {u"0|b|"_qs, u"500|a|"_qs}},
        {"negative offset", {u"[offset:-250]"_qs, u"[00:01.00]a"_qs}, {u"1250|a|"_qs}},
        {"word timing left out of the text",
         {u"[00:01.00]<00:01.00>Hello <00:01.50>world<00:02.00>"_qs},
         {u"1000|Hello world|"_qs}},
        {"two lines of one time: a line and its reading, in file order",
         {u"[00:01.00]君の名は"_qs, u"[00:01.00]きみのなは"_qs, u"[00:03.00]次"_qs},
         {u"1000|君の名は|きみのなは"_qs, u"3000|次|"_qs}},
        {"a blank timed line stays, it ends the line before",
         {u"[00:01.00]a"_qs, u"[00:02.00]"_qs},
         {u"1000|a|"_qs, u"2000||"_qs}},
        {"an untimed first line of a .txt is its title, not a line",
         {u"Song Title"_qs, u"[00:01.00]a"_qs, u"[00:02.00]b"_qs},
         {u"1000|a|"_qs, u"2000|b|"_qs},
         u"Song Title"_qs},
        {"plain text with a stray tag stays plain",
         {u"title"_qs, u"one"_qs, u"two"_qs, u"[00:01.00]three"_qs},
         {}},
        {"brackets that are not tags are text",
         {u"[chorus]"_qs, u"[1:2:3:4]x"_qs, u"[aa:bb.cc]y"_qs},
         {}},
    };
    for (const ParseCase& c : cases) {
        const SyncedLyrics lyrics = SyncedLyrics::Parse(c.file);
        EXPECT_EQ(shown(lyrics), c.expected.join(u"; ").toStdString()) << c.name;
        EXPECT_EQ(lyrics.isSynced(), !c.expected.isEmpty()) << c.name;
        if (!c.title.isNull()) {
            EXPECT_EQ(lyrics.title(), c.title) << c.name;
        }
    }
    EXPECT_EQ(SyncedLyrics::WithoutTags(u"[00:01.00][00:02]<00:01.20>ab<00:01.40>c"), u"abc"_qs);
}

// Which line is heard, and when the next change is due, with the user's shift: before the
// first line none, exactly at a line's time that line, after the last no change is due.
TEST(SyncedLyrics, FollowsTheHeardPositionWithAShift) {
    const SyncedLyrics lyrics =
        SyncedLyrics::Parse({u"[00:01.00]a"_qs, u"[00:02.00]b"_qs, u"[00:04.00]c"_qs});
    struct Case {
        int heardMs;
        int shiftMs;
        int line;
        int nextInMs;  // -1: none
    } cases[] = {
        {0, 0, -1, 1000},     {999, 0, -1, 1},     {1000, 0, 0, 1000},   {3999, 0, 1, 1},
        {4000, 0, 2, -1},     {60000, 0, 2, -1},   {1000, 100, -1, 100}, {1100, 100, 0, 1000},
        {900, -100, 0, 1000}, {3950, -100, 2, -1},
    };
    for (const Case& c : cases) {
        const milliseconds heard(c.heardMs);
        const milliseconds shift(c.shiftMs);
        EXPECT_EQ(lyrics.lineAt(heard, shift), c.line) << c.heardMs << " " << c.shiftMs;
        const auto next = lyrics.nextChangeIn(heard, shift);
        EXPECT_EQ(next ? int(next->count()) : -1, c.nextInMs) << c.heardMs << " " << c.shiftMs;
    }
}

// A synced lyric frame's texts: any order, same times grouped as line and reading.
TEST(SyncedLyrics, TimedTextsAreOrderedAndGrouped) {
    const SyncedLyrics lyrics = SyncedLyrics::FromTimedTexts({{milliseconds(2000), u"b"_qs},
                                                              {milliseconds(500), u"a"_qs},
                                                              {milliseconds(500), u"あ"_qs}});
    EXPECT_EQ(shown(lyrics), "500|a|あ; 2000|b|");
}
