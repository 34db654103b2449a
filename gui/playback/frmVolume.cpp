#include "gui/playback/frmVolume.h"

#include "playback/Vbmp3VolumeControl.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QSlider* makeSlider(QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, frmVolume::kSliderMaximum);
    slider->setSingleStep(1);
    slider->setPageStep(frmVolume::kSliderPageStep);
    slider->setMinimumWidth(160);
    return slider;
}

}  // namespace

frmVolume::frmVolume(QWidget* parent)
    : QDialog(parent), ownedVolumes_(std::make_unique<Vbmp3VolumeControl>()),
      volumes_(*ownedVolumes_) {
    buildControls();
    Form_Load();
}

frmVolume::frmVolume(VolumeControl& volumes, QWidget* parent) : QDialog(parent), volumes_(volumes) {
    buildControls();
    Form_Load();
}

frmVolume::~frmVolume() = default;

void frmVolume::setSoundSettingsLauncher(SoundSettingsLauncher launcher) {
    launcher_ = std::move(launcher);
}

void frmVolume::buildControls() {
    setWindowTitle(QStringLiteral("音量"));
    setModal(false);

    // The soft and the device volume each get a frame of two sliders and a both-channels box.
    auto makeFrame = [this](const QString& title, QGroupBox*& frame, QLabel*& leftLabel,
                            QLabel*& rightLabel, QSlider*& left, QSlider*& right,
                            QCheckBox*& both) {
        frame = new QGroupBox(title, this);
        leftLabel = new QLabel(QStringLiteral("L"), frame);
        rightLabel = new QLabel(QStringLiteral("R"), frame);
        left = makeSlider(frame);
        right = makeSlider(frame);
        // Four sliders under two frames: each name says which volume and channel it sets.
        left->setAccessibleName(title + QStringLiteral(" 左"));
        right->setAccessibleName(title + QStringLiteral(" 右"));
        both = new QCheckBox(QStringLiteral("左右同時に調整"), frame);
        auto* grid = new QGridLayout(frame);
        grid->addWidget(leftLabel, 0, 0);
        grid->addWidget(left, 0, 1);
        grid->addWidget(rightLabel, 1, 0);
        grid->addWidget(right, 1, 1);
        grid->addWidget(both, 2, 0, 1, 2);
    };
    makeFrame(QStringLiteral("ソフト"), fraSoft, lblSoftLeft, lblSoftRight, sliSoftLeft,
              sliSoftRight, chkSoftBoth);
    makeFrame(QStringLiteral("デバイス"), fraDevice, lblDeviceLeft, lblDeviceRight, sliDeviceLeft,
              sliDeviceRight, chkDeviceBoth);

    cmdSoundBoard = new QPushButton(QStringLiteral("デバイスプロパティ"), this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSoundBoard);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraSoft);
    layout->addWidget(fraDevice);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmVolume::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdSoundBoard, &QPushButton::clicked, this, &frmVolume::cmdSoundBoard_Click);
}

void frmVolume::Form_Load() {
    openingSoft_ = volumes_.SoftVolume();
    openingDevice_ = volumes_.DeviceVolume();
    sliSoftLeft->setValue(openingSoft_.left);
    sliSoftRight->setValue(openingSoft_.right);
    sliDeviceLeft->setValue(openingDevice_.left);
    sliDeviceRight->setValue(openingDevice_.right);
    chkSoftBoth->setChecked(true);
    chkDeviceBoth->setChecked(true);

    // Connected only now, so showing the opening values sends nothing to the library.
    connect(sliSoftLeft, &QSlider::valueChanged, this,
            [this] { sliderScrolled(sliSoftLeft, sliSoftRight, chkSoftBoth, true); });
    connect(sliSoftRight, &QSlider::valueChanged, this,
            [this] { sliderScrolled(sliSoftRight, sliSoftLeft, chkSoftBoth, true); });
    connect(sliDeviceLeft, &QSlider::valueChanged, this,
            [this] { sliderScrolled(sliDeviceLeft, sliDeviceRight, chkDeviceBoth, false); });
    connect(sliDeviceRight, &QSlider::valueChanged, this,
            [this] { sliderScrolled(sliDeviceRight, sliDeviceLeft, chkDeviceBoth, false); });
}

void frmVolume::sliderScrolled(QSlider* leader, QSlider* follower, QCheckBox* both, bool soft) {
    if (both->isChecked()) {
        // The follower's own handler would send the same pair a second time.
        const QSignalBlocker blocker(follower);
        follower->setValue(leader->value());
    }
    if (soft) {
        volumes_.SetSoftVolume(sliSoftLeft->value(), sliSoftRight->value());
        Q_EMIT softVolumeChanged();
    } else {
        volumes_.SetDeviceVolume(sliDeviceLeft->value(), sliDeviceRight->value());
    }
}

void frmVolume::cmdOK_Click() {
    volumeAccepted_ = true;
    accept();
}

void frmVolume::cmdSoundBoard_Click() {
    if (!launcher_.Launch())
        Q_EMIT soundSettingsUnavailable();  // the main window says so
}

void frmVolume::done(int result) {
    if (!volumeAccepted_ && !restored_) {
        restored_ = true;
        volumes_.SetSoftVolume(openingSoft_.left, openingSoft_.right);
        volumes_.SetDeviceVolume(openingDevice_.left, openingDevice_.right);
        Q_EMIT softVolumeChanged();
    }
    QDialog::done(result);
}
