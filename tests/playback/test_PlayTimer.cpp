#include "playback/PlayTimer.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* kind;
    const char* text;
    bool right;
    const char* result;
};

class CheckTimeTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(CheckTimeTextTest, NormalisesOrResets) {
    const TextCase& c = GetParam();
    QString text = QString::fromUtf8(c.text);
    bool skip = false;
    EXPECT_EQ(PlayTimer::CheckTimeText(QString::fromUtf8(c.kind), text, skip), c.right);
    EXPECT_EQ(text, QString::fromUtf8(c.result));
    EXPECT_EQ(skip, !c.right);
}

INSTANTIATE_TEST_SUITE_P(
    Hours, CheckTimeTextTest,
    ::testing::Values(TextCase{"h", "7", true, "07"}, TextCase{"h", "25", true, "01"},
                      TextCase{"h", "24", true, "00"}, TextCase{"h", "30", true, "06"},
                      TextCase{"h", "23", true, "23"}, TextCase{"h", "19", true, "19"},
                      TextCase{"H", "0", true, "00"}, TextCase{"h", "31", false, "--"},
                      TextCase{"h", "2a", false, "--"}, TextCase{"h", "", false, "--"},
                      TextCase{"h", "a", false, "--"}, TextCase{"h", "1a", false, "--"},
                      TextCase{"h", "--", true, "--"}));

INSTANTIATE_TEST_SUITE_P(
    Minutes, CheckTimeTextTest,
    ::testing::Values(TextCase{"m", "6", true, "06"}, TextCase{"M", "59", true, "59"},
                      TextCase{"m", "00", true, "00"}, TextCase{"m", "60", false, "--"},
                      TextCase{"m", "5x", false, "--"}, TextCase{"m", "", false, "--"},
                      TextCase{"m", "--", true, "--"},
                      // Hours past 23 are folded only for the hour boxes.
                      TextCase{"m", "25", true, "25"}, TextCase{"m", "75", false, "--"}));

TEST(CheckTimeText, RightTextLeavesSkipFlagAlone) {
    QString text = QStringLiteral("12");
    bool skip = true;
    EXPECT_TRUE(PlayTimer::CheckTimeText(u"h", text, skip));
    EXPECT_TRUE(skip);
    skip = false;
    EXPECT_TRUE(PlayTimer::CheckTimeText(u"m", text, skip));
    EXPECT_FALSE(skip);
}

TEST(TimerBoxes, StoredValuesToBoxesAndBack) {
    EXPECT_EQ(PlayTimer::BoxText(99), QStringLiteral("--"));
    EXPECT_EQ(PlayTimer::BoxText(7), QStringLiteral("07"));
    EXPECT_EQ(PlayTimer::BoxText(0), QStringLiteral("00"));
    EXPECT_EQ(PlayTimer::BoxText(23), QStringLiteral("23"));

    using Box = PlayTimer::TimeBox;
    EXPECT_EQ(PlayTimer::StoredValue(Box::StartHour, QStringLiteral("--")), 99);
    EXPECT_EQ(PlayTimer::StoredValue(Box::StartHour, QStringLiteral("07")), 7);
    EXPECT_EQ(PlayTimer::StoredValue(Box::StopHour, QStringLiteral("26")), 2);
    EXPECT_EQ(PlayTimer::StoredValue(Box::StopMinute, QStringLiteral("5")), 5);
    EXPECT_EQ(PlayTimer::StoredValue(Box::StartMinute, QStringLiteral("60")), 99);
    EXPECT_EQ(PlayTimer::StoredValue(Box::StartMinute, QString()), 99);
}

// --- clock check ---------------------------------------------------------------------------

PlayTimer::Boxes boxes(const char* startH, const char* startM, const char* stopH,
                       const char* stopM) {
    return {QString::fromUtf8(startH), QString::fromUtf8(startM), QString::fromUtf8(stopH),
            QString::fromUtf8(stopM)};
}

constexpr int16_t kOn = 1;
constexpr int32_t kStopped = 0, kPlaying = 1, kPaused = 2;

TEST(PlayTimerCheck, LabelIsTwentyFourHourClock) {
    PlayTimer timer;
    EXPECT_EQ(
        timer.Check(QTime(21, 5, 40), boxes("--", "--", "--", "--"), kOn, 0, 0, kStopped).timeLabel,
        QStringLiteral("21:05"));
    EXPECT_EQ(
        timer.Check(QTime(0, 0), boxes("--", "--", "--", "--"), kOn, 0, 0, kStopped).timeLabel,
        QStringLiteral("00:00"));
}

TEST(PlayTimerCheck, StartPlaysOnceInItsMinuteAndAgainTheNextDay) {
    PlayTimer timer;
    const auto set = boxes("07", "30", "--", "--");
    int starts = 0;
    for (int second = 0; second < 60; second += 5) {
        const auto actions = timer.Check(QTime(7, 30, second), set, kOn, 0, 0, kStopped);
        starts += actions.startPlay ? 1 : 0;
        EXPECT_FALSE(actions.shuffleFirst);
    }
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(timer.StartDone());

    EXPECT_FALSE(timer.Check(QTime(7, 31), set, kOn, 0, 0, kPlaying).startPlay);
    EXPECT_FALSE(timer.StartDone());
    EXPECT_TRUE(timer.Check(QTime(7, 30), set, kOn, 0, 0, kPlaying).startPlay);
}

TEST(PlayTimerCheck, ShuffleComesWithTheStartOnly) {
    PlayTimer timer;
    const auto set = boxes("07", "30", "--", "--");
    EXPECT_FALSE(timer.Check(QTime(7, 29), set, kOn, 1, 0, kStopped).shuffleFirst);
    const auto start = timer.Check(QTime(7, 30), set, kOn, 1, 0, kStopped);
    EXPECT_TRUE(start.startPlay);
    EXPECT_TRUE(start.shuffleFirst);
    EXPECT_FALSE(timer.Check(QTime(7, 30, 5), set, kOn, 1, 0, kPlaying).shuffleFirst);
}

TEST(PlayTimerCheck, SameMinuteStartsAndNeverStops) {
    PlayTimer timer;
    const auto set = boxes("08", "00", "08", "00");
    const auto first = timer.Check(QTime(8, 0, 0), set, kOn, 0, 1, kStopped);
    EXPECT_TRUE(first.startPlay);
    EXPECT_FALSE(first.stopNow);
    EXPECT_FALSE(first.stopAfterSong);
    for (int second = 5; second < 60; second += 5) {
        const auto later = timer.Check(QTime(8, 0, second), set, kOn, 0, 1, kPlaying);
        EXPECT_FALSE(later.startPlay || later.stopNow || later.stopAfterSong) << second;
    }
    EXPECT_FALSE(timer.StopDone());
}

TEST(PlayTimerCheck, StopWhilePlayingWaitsForTheSongInModeZero) {
    PlayTimer timer;
    const auto set = boxes("--", "--", "23", "59");
    const auto actions = timer.Check(QTime(23, 59, 2), set, kOn, 0, 0, kPlaying);
    EXPECT_TRUE(actions.stopAfterSong);
    EXPECT_FALSE(actions.stopNow);
    EXPECT_TRUE(timer.StopDone());
    const auto again = timer.Check(QTime(23, 59, 7), set, kOn, 0, 0, kPlaying);
    EXPECT_FALSE(again.stopAfterSong || again.stopNow);
}

TEST(PlayTimerCheck, StopWhilePausedOrStoppedOrInModeOneIsImmediate) {
    const auto set = boxes("--", "--", "12", "00");
    {
        PlayTimer timer;
        const auto paused = timer.Check(QTime(12, 0), set, kOn, 0, 0, kPaused);
        EXPECT_TRUE(paused.stopNow);
        EXPECT_FALSE(paused.stopAfterSong);
    }
    {
        PlayTimer timer;
        EXPECT_TRUE(timer.Check(QTime(12, 0), set, kOn, 0, 0, kStopped).stopNow);
    }
    {
        PlayTimer timer;
        const auto playing = timer.Check(QTime(12, 0), set, kOn, 0, 1, kPlaying);
        EXPECT_TRUE(playing.stopNow);
        EXPECT_FALSE(playing.stopAfterSong);
    }
}

TEST(PlayTimerCheck, FunctionOffOnlyRefreshesTheLabel) {
    PlayTimer timer;
    const auto set = boxes("09", "15", "09", "15");
    const auto actions = timer.Check(QTime(9, 15), set, 0, 1, 0, kPlaying);
    EXPECT_EQ(actions.timeLabel, QStringLiteral("09:15"));
    EXPECT_FALSE(actions.startPlay || actions.shuffleFirst || actions.stopNow ||
                 actions.stopAfterSong);
    EXPECT_FALSE(timer.StartDone());
    // Switched on later in the same minute, the start still happens.
    EXPECT_TRUE(timer.Check(QTime(9, 15, 30), set, kOn, 0, 0, kStopped).startPlay);
}

TEST(PlayTimerCheck, TimesWithAnUnsetPartNeverMatch) {
    PlayTimer timer;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        const QTime now(minute / 60, minute % 60);
        const QString hh = now.toString(QStringLiteral("HH"));
        const QString mm = now.toString(QStringLiteral("mm"));
        const PlayTimer::Boxes set{PlayTimer::kUnsetText, mm, hh, PlayTimer::kUnsetText};
        const auto actions = timer.Check(now, set, kOn, 0, 1, kPlaying);
        ASSERT_FALSE(actions.startPlay || actions.stopNow || actions.stopAfterSong) << minute;
    }
}

}  // namespace
