#include "playback/TimeDisplay.h"
#include "playback/VolumeStep.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace {

// --- volume step ---------------------------------------------------------------------------

struct StepCase {
    StereoVolume before;
    int32_t step;
    StereoVolume after;
};

class VolumeStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(VolumeStepTest, Applies) {
    const StepCase& c = GetParam();
    const StereoVolume got = VolumeStep::Apply(c.before, c.step);
    EXPECT_EQ(got.left, c.after.left);
    EXPECT_EQ(got.right, c.after.right);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VolumeStepTest,
    ::testing::Values(StepCase{{42, 42}, 5, {45, 45}},  // 47 / 5 = 9.4 → 9
                      StepCase{{40, 0}, 5, {45, 0}},    // full left balance stays
                      StepCase{{0, 40}, 5, {0, 45}},
                      StepCase{{40, 0}, -5, {35, -5}},      // going down moves both
                      StepCase{{0, 0}, 5, {5, 5}},          // both silent: both rise
                      StepCase{{100, 100}, 5, {105, 105}},  // no upper bound here
                      StepCase{{0, 0}, -5, {-5, -5}},
                      StepCase{{43, 43}, 5, {50, 50}},  // 48 / 5 = 9.6 → 10
                      StepCase{{2, 12}, 5, {5, 15}},    // 7 / 5 = 1.4, 17 / 5 = 3.4
                      StepCase{{2, 7}, 5, {5, 10}},     // 7 → 1.4 → 5; 12 → 2.4 → 10
                      StepCase{{30, 30}, 0, {30, 30}}));

TEST(VolumeStepSnap, HalvesGoToEven) {
    EXPECT_EQ(VolumeStep::SnapToStep(25, 10), 20);  // 2.5 → 2
    EXPECT_EQ(VolumeStep::SnapToStep(35, 10), 40);  // 3.5 → 4
    EXPECT_EQ(VolumeStep::SnapToStep(-25, 10), -20);
    EXPECT_EQ(VolumeStep::SnapToStep(-35, 10), -40);
    EXPECT_EQ(VolumeStep::SnapToStep(5, -2), 4);   // 5 / -2 = -2.5 → -2
    EXPECT_EQ(VolumeStep::SnapToStep(7, -2), 8);   // -3.5 → -4
    EXPECT_EQ(VolumeStep::SnapToStep(-7, 5), -5);  // -1.4 → -1
}

class RecordingVolumes : public VolumeControl {
public:
    StereoVolume soft{40, 0};
    std::vector<StereoVolume> softSets;
    StereoVolume SoftVolume() override { return soft; }
    void SetSoftVolume(int32_t left, int32_t right) override {
        soft = {left, right};
        softSets.push_back(soft);
    }
    StereoVolume DeviceVolume() override { return {}; }
    void SetDeviceVolume(int32_t, int32_t) override { ADD_FAILURE() << "device volume set"; }
};

TEST(VolumeStepChange, ReadsStepsAndWritesTheSoftVolume) {
    RecordingVolumes volumes;
    EXPECT_EQ(VolumeStep::ChangeSoftVolume(volumes, 5), (StereoVolume{45, 0}));
    EXPECT_EQ(VolumeStep::ChangeSoftVolume(volumes, -5), (StereoVolume{40, -5}));
    ASSERT_EQ(volumes.softSets.size(), 2u);
    EXPECT_EQ(volumes.softSets[1], (StereoVolume{40, -5}));
}

TEST(VolumeLabel, ShowsTheLargerChannel) {
    EXPECT_EQ(VolumeStep::LabelText({85, 60}), QStringLiteral("vol.85"));
    EXPECT_EQ(VolumeStep::LabelText({0, 45}), QStringLiteral("vol.45"));
}

// --- time display --------------------------------------------------------------------------

const QString kHyphen = QString(QChar(0x2010));

TEST(TimeDisplayLabel, ElapsedDropsTheFractionOverTheFirstTicks) {
    double elapsed = 0;
    QStringList shown;
    for (int tick = 0; tick < 4; ++tick) {
        elapsed += TimeDisplay::kTickSeconds;
        shown << TimeDisplay::PlayTimeText(TimeDisplay::kElapsed, elapsed, 200, 99);
    }
    EXPECT_EQ(shown, (QStringList{QStringLiteral("00:00"), QStringLiteral("00:01"),
                                  QStringLiteral("00:01"), QStringLiteral("00:02")}));
    EXPECT_EQ(TimeDisplay::PlayTimeText(TimeDisplay::kElapsed, 3599.5, 0, 0),
              QStringLiteral("59:59"));
}

TEST(TimeDisplayLabel, RemainingComesFromTheEnginePosition) {
    EXPECT_EQ(TimeDisplay::PlayTimeText(TimeDisplay::kRemaining, 1.5, 200, 15),
              kHyphen + QStringLiteral("03:05"));
    EXPECT_EQ(TimeDisplay::ToolTipText(200), QStringLiteral("Total 03:20"));
    EXPECT_EQ(TimeDisplay::ToolTipText(0), QStringLiteral("Total 00:00"));
}

TEST(TimeDisplayBar, FilledWidthFollowsThePosition) {
    EXPECT_EQ(TimeDisplay::FilledWidth(0, 10, 300), 0);
    EXPECT_EQ(TimeDisplay::FilledWidth(200, 0, 300), 0);
    EXPECT_EQ(TimeDisplay::FilledWidth(200, 100, 300), 150);
    EXPECT_EQ(TimeDisplay::FilledWidth(240, 60, 301), 75);  // 75.25
    EXPECT_EQ(TimeDisplay::FilledWidth(200, 200, 300), 300);
    EXPECT_EQ(TimeDisplay::FilledWidth(3, 1, 100), 33);
}

TEST(TimeDisplaySeek, TargetRoundsHalvesToEven) {
    // 100-pixel bar over a 5-second song: x 10 → 0.5 s → 0, x 30 → 1.5 s → 2, x 50 → 2.5 s → 2.
    EXPECT_EQ(TimeDisplay::SeekTarget(true, 1, 10, 100, 5), 0);
    EXPECT_EQ(TimeDisplay::SeekTarget(true, 1, 30, 100, 5), 2);
    EXPECT_EQ(TimeDisplay::SeekTarget(true, 1, 50, 100, 5), 2);
    EXPECT_EQ(TimeDisplay::SeekTarget(true, 1, 70, 100, 5), 4);
    EXPECT_EQ(TimeDisplay::SeekTarget(true, 1, 71, 100, 5), 4);  // 3.55
    EXPECT_EQ(TimeDisplay::SeekTarget(true, 1, 150, 300, 240), 120);
    EXPECT_EQ(TimeDisplay::SeekTarget(true, 1, 0, 300, 240), 0);
}

TEST(TimeDisplaySeek, IgnoredOutsideTheBarWhilePausedOrWithOtherButtons) {
    EXPECT_FALSE(TimeDisplay::SeekTarget(true, 1, 300, 300, 240).has_value());
    EXPECT_FALSE(TimeDisplay::SeekTarget(true, 1, -1, 300, 240).has_value());
    EXPECT_FALSE(TimeDisplay::SeekTarget(true, 2, 150, 300, 240).has_value());
    EXPECT_FALSE(TimeDisplay::SeekTarget(true, 0, 150, 300, 240).has_value());
    EXPECT_FALSE(TimeDisplay::SeekTarget(false, 1, 150, 300, 240).has_value());
    EXPECT_FALSE(TimeDisplay::SeekTarget(true, 1, 0, 0, 240).has_value());
    EXPECT_TRUE(TimeDisplay::SeekApplies(true, 1, 299.5, 300));
}

TEST(TimeDisplaySeek, PressPreviewsOnlyWhilePlayingWithTheLeftButton) {
    EXPECT_EQ(TimeDisplay::PreviewWidth(true, 1, 42.4), 42);
    EXPECT_EQ(TimeDisplay::PreviewWidth(true, 1, -3), 0);
    EXPECT_FALSE(TimeDisplay::PreviewWidth(true, 2, 42).has_value());
    EXPECT_FALSE(TimeDisplay::PreviewWidth(false, 1, 42).has_value());
}

}  // namespace
