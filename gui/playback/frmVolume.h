#pragma once

#include "playback/SoundSettingsLauncher.h"
#include "playback/VolumeControl.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

// The volume window: soft and device volume, left and right, each slider taking effect as it
// moves. OK keeps the new volumes; every other way of closing (Cancel, Escape, the close box)
// gives the library back the volumes it had when the window opened. Modeless; the main window
// places it and decides its lifetime.
class frmVolume : public QDialog {
    Q_OBJECT
public:
    // Works on the playback library's volumes.
    explicit frmVolume(QWidget* parent);
    // Works on `volumes`, which must outlive the window.
    frmVolume(VolumeControl& volumes, QWidget* parent);
    ~frmVolume() override;

    // Replaces how the sound-settings button finds and starts the mixer program.
    void setSoundSettingsLauncher(SoundSettingsLauncher launcher);

    bool VolumeAccepted() const { return volumeAccepted_; }

    // Every way of closing ends here; anything but OK restores the opening volumes first.
    void done(int result) override;

Q_SIGNALS:
    // The sound-settings button found no mixer program to start.
    void soundSettingsUnavailable();
    // The soft volume moved, or went back to where it was when the window opened.
    void softVolumeChanged();

public:
    static constexpr int kSliderMaximum = 100;
    static constexpr int kSliderPageStep = 5;

    QGroupBox* fraSoft = nullptr;
    QLabel* lblSoftLeft = nullptr;
    QLabel* lblSoftRight = nullptr;
    QSlider* sliSoftLeft = nullptr;
    QSlider* sliSoftRight = nullptr;
    QCheckBox* chkSoftBoth = nullptr;
    QGroupBox* fraDevice = nullptr;
    QLabel* lblDeviceLeft = nullptr;
    QLabel* lblDeviceRight = nullptr;
    QSlider* sliDeviceLeft = nullptr;
    QSlider* sliDeviceRight = nullptr;
    QCheckBox* chkDeviceBoth = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdSoundBoard = nullptr;

private:
    void buildControls();
    void Form_Load();
    // A slider of a pair moved: with the pair's box ticked the other slider follows, then the
    // pair goes to the library, left first.
    void sliderScrolled(QSlider* leader, QSlider* follower, QCheckBox* both, bool soft);
    void cmdOK_Click();
    void cmdSoundBoard_Click();

    std::unique_ptr<VolumeControl> ownedVolumes_;
    VolumeControl& volumes_;
    SoundSettingsLauncher launcher_;
    StereoVolume openingSoft_;
    StereoVolume openingDevice_;
    bool volumeAccepted_ = false;
    bool restored_ = false;
};
