#include "playback/NextSongRule.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

clsArrayList playlist(int count) {
    clsArrayList list;
    for (int i = 0; i < count; ++i)
        list.Add(QStringLiteral("/music/Song%1.mp3").arg(i));
    return list;
}

// Plays from `startRow` and lets every song end while its row stays selected, as the main
// window would; returns the rows played in order (the first included) and where the
// selection was left when playback stopped.
struct PlayedRun {
    std::vector<int32_t> played;
    bool stopped = false;
    int32_t selectionAtStop = -2;
};

PlayedRun playThrough(NextSongRule& rule, const clsArrayList& list, int32_t startRow,
                      PlayCount playNumber, RepeatMode repeatMode, int songs) {
    PlayedRun run;
    int32_t selection = startRow;
    run.played.push_back(selection);
    while (static_cast<int>(run.played.size()) < songs) {
        NextSongRule::Input input;
        input.selectedRow = selection;
        input.playList = &list;
        input.rowCount = list.Count();
        input.finishedPath = list.Value(run.played.back());
        input.playNumber = playNumber;
        input.repeatMode = repeatMode;
        const auto decision = rule.Decide(input);
        selection = decision.selectedRow;
        if (decision.stop) {
            EXPECT_EQ(decision.playRow, -1);
            run.stopped = true;
            run.selectionAtStop = selection;
            break;
        }
        EXPECT_EQ(decision.playRow, decision.selectedRow);
        run.played.push_back(decision.playRow);
    }
    return run;
}

using Rows = std::vector<int32_t>;

TEST(NextSongRuleModes, OneSongRepeatOnPlaysTheSameRowForEver) {
    NextSongRule rule(1);
    const auto list = playlist(4);
    const PlayedRun run = playThrough(rule, list, 2, PlayCount::OneSong, RepeatMode::On, 6);
    EXPECT_FALSE(run.stopped);
    EXPECT_EQ(run.played, (Rows{2, 2, 2, 2, 2, 2}));
}

TEST(NextSongRuleModes, OneSongWithoutRepeatOrRandomStopsAfterIt) {
    NextSongRule rule(1);
    const auto list = playlist(4);
    for (RepeatMode mode : {RepeatMode::Off, RepeatMode::Random}) {
        const PlayedRun run = playThrough(rule, list, 1, PlayCount::OneSong, mode, 5);
        EXPECT_TRUE(run.stopped) << int(mode);
        EXPECT_EQ(run.played, (Rows{1})) << int(mode);
        EXPECT_EQ(run.selectionAtStop, 1) << int(mode);
    }
}

TEST(NextSongRuleModes, AllSongsRepeatOnWrapsToRowZero) {
    NextSongRule rule(1);
    const auto list = playlist(3);
    const PlayedRun run = playThrough(rule, list, 1, PlayCount::AllSongs, RepeatMode::On, 6);
    EXPECT_FALSE(run.stopped);
    EXPECT_EQ(run.played, (Rows{1, 2, 0, 1, 2, 0}));
}

TEST(NextSongRuleModes, AllSongsNoRepeatStopsAfterLastRowWithSelectionOnRowZero) {
    NextSongRule rule(1);
    const auto list = playlist(3);
    const PlayedRun run = playThrough(rule, list, 0, PlayCount::AllSongs, RepeatMode::Off, 10);
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(run.played, (Rows{0, 1, 2}));
    EXPECT_EQ(run.selectionAtStop, 0);
}

TEST(NextSongRuleModes, AllSongsRandomDrawsRowsAcrossThePlaylist) {
    NextSongRule rule(42);
    const auto list = playlist(5);
    const PlayedRun run = playThrough(rule, list, 0, PlayCount::AllSongs, RepeatMode::Random, 200);
    EXPECT_FALSE(run.stopped);
    const std::set<int32_t> seen(run.played.begin(), run.played.end());
    EXPECT_EQ(seen, (std::set<int32_t>{0, 1, 2, 3, 4}));
}

TEST(NextSongRuleModes, RandomWithOneEntryPlaysItAgain) {
    NextSongRule rule;
    const auto list = playlist(1);
    const PlayedRun run = playThrough(rule, list, 0, PlayCount::AllSongs, RepeatMode::Random, 5);
    EXPECT_FALSE(run.stopped);
    EXPECT_EQ(run.played, (Rows{0, 0, 0, 0, 0}));
}

// --- single decisions ----------------------------------------------------------------------

NextSongRule::Input endedAt(const clsArrayList& list, int32_t selected, const QString& finished,
                            PlayCount playNumber, RepeatMode repeatMode) {
    NextSongRule::Input input;
    input.selectedRow = selected;
    input.playList = &list;
    input.rowCount = list.Count();
    input.finishedPath = finished;
    input.playNumber = playNumber;
    input.repeatMode = repeatMode;
    return input;
}

TEST(NextSongRuleDecision, RowChosenWhileTheLastSongPlayedIsNext) {
    NextSongRule rule(1);
    const auto list = playlist(6);
    // Repeat off, the last row played, the user moved the selection to row 3.
    const auto d =
        rule.Decide(endedAt(list, 3, list.Value(5), PlayCount::AllSongs, RepeatMode::Off));
    EXPECT_FALSE(d.stop);
    EXPECT_FALSE(d.advanced);
    EXPECT_EQ(d.playRow, 3);
}

TEST(NextSongRuleDecision, PathsCompareIgnoringCase) {
    NextSongRule rule(1);
    const auto list = playlist(3);
    const QString shouted = list.Value(2).toUpper();
    const auto d = rule.Decide(endedAt(list, 2, shouted, PlayCount::AllSongs, RepeatMode::Off));
    EXPECT_TRUE(d.stop);
    EXPECT_TRUE(d.advanced);
    EXPECT_EQ(d.selectedRow, 0);

    const auto onOne =
        rule.Decide(endedAt(list, 1, list.Value(1).toLower(), PlayCount::AllSongs, RepeatMode::On));
    EXPECT_TRUE(onOne.advanced);
    EXPECT_EQ(onOne.playRow, 2);
}

TEST(NextSongRuleDecision, NoSelectionCountsAsRowZero) {
    NextSongRule rule(1);
    const auto list = playlist(3);
    // The ended song is row 0's: the selection steps from "none" onto row 0, which plays.
    const auto same =
        rule.Decide(endedAt(list, -1, list.Value(0), PlayCount::AllSongs, RepeatMode::On));
    EXPECT_TRUE(same.advanced);
    EXPECT_EQ(same.playRow, 0);
    // Another song ended (a reserved one): nothing moves, and row 0 plays.
    const auto other = rule.Decide(endedAt(list, -1, QStringLiteral("/elsewhere/x.mp3"),
                                           PlayCount::AllSongs, RepeatMode::Off));
    EXPECT_FALSE(other.advanced);
    EXPECT_FALSE(other.stop);
    EXPECT_EQ(other.playRow, 0);
    EXPECT_EQ(other.selectedRow, 0);
}

TEST(NextSongRuleDecision, LastRowOnlyCountsWhenItsSongEnded) {
    NextSongRule rule(1);
    const auto list = playlist(4);
    // The last row is selected but a reserved song ended: that row plays, no stop.
    const auto d = rule.Decide(
        endedAt(list, 3, QStringLiteral("/reserve/r.mp3"), PlayCount::AllSongs, RepeatMode::Off));
    EXPECT_FALSE(d.stop);
    EXPECT_EQ(d.playRow, 3);
}

TEST(NextSongRuleDecision, RandomRowPastTheBoxIsNotSelected) {
    NextSongRule rule(7);
    const auto list = playlist(8);
    auto input = endedAt(list, 0, list.Value(0), PlayCount::AllSongs, RepeatMode::Random);
    input.rowCount = 1;  // the box shows fewer rows than the list holds
    bool sawRowPastBox = false;
    for (int k = 0; k < 100; ++k) {
        const auto d = rule.Decide(input);
        ASSERT_TRUE(d.randomRow.has_value());
        ASSERT_GE(*d.randomRow, 0);
        ASSERT_LT(*d.randomRow, 8);
        EXPECT_EQ(d.playRow, 0);
        sawRowPastBox = sawRowPastBox || *d.randomRow > 0;
    }
    EXPECT_TRUE(sawRowPastBox);
}

TEST(NextSongRuleDraw, RowForDrawStaysInRange) {
    EXPECT_EQ(NextSongRule::RowForDraw(0.99999999, 5), 4);
    EXPECT_EQ(NextSongRule::RowForDraw(1.0, 5), 4);
    EXPECT_EQ(NextSongRule::RowForDraw(0.5, 0), 0);
}

TEST(NextSongRuleDraw, SameSeedSameRowsDifferentSeedsDiffer) {
    NextSongRule a(123), b(123), c(456);
    std::vector<int32_t> ra, rb, rc;
    for (int k = 0; k < 50; ++k) {
        ra.push_back(a.DrawRow(1000));
        rb.push_back(b.DrawRow(1000));
        rc.push_back(c.DrawRow(1000));
    }
    EXPECT_EQ(ra, rb);
    EXPECT_NE(ra, rc);
}

}  // namespace
