#include "gui/playback/frmVolume.h"
#include "playback/decoder/vbmp3.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QSlider>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Call {
    bool soft;
    StereoVolume volume;
    friend bool operator==(const Call&, const Call&) = default;
};

class RecordingVolumes : public VolumeControl {
public:
    StereoVolume soft{60, 40};
    StereoVolume device{80, 90};
    std::vector<Call> calls;

    StereoVolume SoftVolume() override { return soft; }
    void SetSoftVolume(int32_t left, int32_t right) override {
        soft = {left, right};
        calls.push_back({true, soft});
    }
    StereoVolume DeviceVolume() override { return device; }
    void SetDeviceVolume(int32_t left, int32_t right) override {
        device = {left, right};
        calls.push_back({false, device});
    }
};

TEST(frmVolume, OpensWithTheLibraryVolumesAndSendsNothing) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    EXPECT_EQ(dialog.sliSoftLeft->value(), 60);
    EXPECT_EQ(dialog.sliSoftRight->value(), 40);
    EXPECT_EQ(dialog.sliDeviceLeft->value(), 80);
    EXPECT_EQ(dialog.sliDeviceRight->value(), 90);
    EXPECT_TRUE(dialog.chkSoftBoth->isChecked());
    EXPECT_TRUE(dialog.chkDeviceBoth->isChecked());
    EXPECT_TRUE(volumes.calls.empty());
}

// Two frames of "L" and "R": a screen reader tells the four sliders apart by their names.
TEST(frmVolume, SlidersHaveDistinctNames) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    const std::pair<QSlider*, QString> rows[] = {{dialog.sliSoftLeft, u"ソフト 左"_qs},
                                                 {dialog.sliSoftRight, u"ソフト 右"_qs},
                                                 {dialog.sliDeviceLeft, u"デバイス 左"_qs},
                                                 {dialog.sliDeviceRight, u"デバイス 右"_qs}};
    for (const auto& [slider, name] : rows)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(slider)->text(QAccessible::Name), name);
}

TEST(frmVolume, TickedBoxMovesBothSlidersOfThePair) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    dialog.sliSoftRight->setValue(30);
    EXPECT_EQ(dialog.sliSoftLeft->value(), 30);
    dialog.sliDeviceLeft->setValue(55);
    EXPECT_EQ(dialog.sliDeviceRight->value(), 55);
    EXPECT_EQ(volumes.calls, (std::vector<Call>{{true, {30, 30}}, {false, {55, 55}}}));
}

TEST(frmVolume, UntickedBoxMovesOneChannelLeftFirst) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    dialog.chkSoftBoth->setChecked(false);
    dialog.chkDeviceBoth->setChecked(false);
    dialog.sliSoftRight->setValue(10);
    dialog.sliDeviceRight->setValue(20);
    dialog.sliDeviceLeft->setValue(70);
    EXPECT_EQ(dialog.sliSoftLeft->value(), 60);
    EXPECT_EQ(volumes.calls,
              (std::vector<Call>{{true, {60, 10}}, {false, {80, 20}}, {false, {70, 20}}}));
}

TEST(frmVolume, OkKeepsTheNewVolumes) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    dialog.show();
    dialog.sliSoftLeft->setValue(25);
    dialog.cmdOK->click();
    EXPECT_TRUE(dialog.VolumeAccepted());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(volumes.soft, (StereoVolume{25, 25}));
    EXPECT_EQ(volumes.calls.size(), 1u);
}

// Each way of leaving without OK gives back the opening volumes, soft first.
void expectRestored(const RecordingVolumes& volumes, const frmVolume& dialog) {
    EXPECT_FALSE(dialog.VolumeAccepted());
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_GE(volumes.calls.size(), 2u);
    const std::vector<Call> tail(volumes.calls.end() - 2, volumes.calls.end());
    EXPECT_EQ(tail, (std::vector<Call>{{true, {60, 40}}, {false, {80, 90}}}));
}

TEST(frmVolume, CancelRestoresTheOpeningVolumes) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    dialog.show();
    dialog.sliSoftLeft->setValue(5);
    dialog.sliDeviceRight->setValue(15);
    dialog.cmdCancel->click();
    expectRestored(volumes, dialog);
}

TEST(frmVolume, CloseBoxRestoresTheOpeningVolumes) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    dialog.show();
    dialog.sliDeviceLeft->setValue(0);
    EXPECT_TRUE(dialog.close());
    expectRestored(volumes, dialog);
    EXPECT_EQ(volumes.calls.size(), 3u);  // the move, then one restore only
}

TEST(frmVolume, EscapeRestoresTheOpeningVolumes) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    dialog.show();
    dialog.sliSoftRight->setValue(99);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
    expectRestored(volumes, dialog);
}

TEST(frmVolume, SoundSettingsButtonStartsTheFirstInstalledMixer) {
    RecordingVolumes volumes;
    frmVolume dialog(volumes, nullptr);
    dialog.show();
    QStringList looked;
    QString started;
    QStringList startedArgs;
    dialog.setSoundSettingsLauncher(SoundSettingsLauncher(
        [&](const QString& program) {
            looked << program;
            return program == QStringLiteral("gnome-control-center")
                       ? QStringLiteral("/usr/bin/gnome-control-center")
                       : QString();
        },
        [&](const QString& program, const QStringList& args) {
            started = program;
            startedArgs = args;
            return true;
        }));
    dialog.cmdSoundBoard->click();
    EXPECT_EQ(looked,
              (QStringList{QStringLiteral("pavucontrol"), QStringLiteral("gnome-control-center")}));
    EXPECT_EQ(started, QStringLiteral("/usr/bin/gnome-control-center"));
    EXPECT_EQ(startedArgs, QStringList{QStringLiteral("sound")});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(volumes.calls.empty());
}

TEST(SoundSettingsLauncher, NothingInstalledStartsNothing) {
    int starts = 0;
    SoundSettingsLauncher launcher([](const QString&) { return QString(); },
                                   [&](const QString&, const QStringList&) {
                                       ++starts;
                                       return true;
                                   });
    EXPECT_FALSE(launcher.Launch());
    EXPECT_EQ(starts, 0);

    SoundSettingsLauncher kde(
        [](const QString& p) { return p == QStringLiteral("systemsettings") ? p : QString(); },
        [&](const QString&, const QStringList& args) {
            ++starts;
            return args == QStringList{QStringLiteral("kcm_pulseaudio")};
        });
    EXPECT_TRUE(kde.Launch());
    EXPECT_EQ(starts, 1);
}

// The real playback library under SDL's dummy driver.
TEST(frmVolumeWithLibrary, MovesAndRestoresTheLibraryVolumes) {
    ASSERT_NE(vbmp3_init(), 0);
    vbmp3_setSoftVolume(70, 50);
    vbmp3_setVolume(90, 100);
    {
        frmVolume dialog(nullptr);
        dialog.show();
        EXPECT_EQ(dialog.sliSoftLeft->value(), 70);
        EXPECT_EQ(dialog.sliDeviceLeft->value(), 90);
        dialog.sliSoftLeft->setValue(20);
        dialog.chkDeviceBoth->setChecked(false);
        dialog.sliDeviceRight->setValue(35);

        int32_t left = -1, right = -1;
        vbmp3_getSoftVolume(&left, &right);
        EXPECT_EQ(left, 20);
        EXPECT_EQ(right, 20);
        vbmp3_getVolume(&left, &right);
        EXPECT_EQ(left, 90);
        EXPECT_EQ(right, 35);

        dialog.close();
        vbmp3_getSoftVolume(&left, &right);
        EXPECT_EQ(left, 70);
        EXPECT_EQ(right, 50);
        vbmp3_getVolume(&left, &right);
        EXPECT_EQ(left, 90);
        EXPECT_EQ(right, 100);
    }
    vbmp3_setSoftVolume(100, 100);
    vbmp3_setVolume(100, 100);
    vbmp3_free();
}

}  // namespace
