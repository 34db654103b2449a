// The play-time label, its tool tip, and the seek bar.
#include "gui/frmMain.h"
#include "playback/PlayerController.h"
#include "playback/TimeDisplay.h"

#include <QFrame>

void frmMain::wireTimeAndVolume() {
    connect(lblPlayTime, &ClickLabel::mouseDown, this, [this] { lblPlayTime_Click(); });
    connect(lblSeekBar, &ClickLabel::mouseDown, this, &frmMain::lblSeekBar_MouseDown);
    connect(lblSeekBar, &ClickLabel::mouseUp, this, &frmMain::lblSeekBar_MouseUp);
    connect(tmrVolume, &QTimer::timeout, this, [this] {
        lblVolume->hide();
        tmrVolume->stop();
    });
}

void frmMain::UpdatePlayTime() {
    const int32_t total = Player ? Player->getTotalSecond() : 0;
    const int32_t position = Player ? Player->playSecond() : 0;
    const double elapsed = sequence_ ? sequence_->ElapsedSeconds() : 0;
    lblPlayTime->setText(
        TimeDisplay::PlayTimeText(Options.DispTimeType(), elapsed, total, position));
    lblPlayTime->setToolTip(TimeDisplay::ToolTipText(total));
    shpSeekPosition->resize(TimeDisplay::FilledWidth(total, position, shpSeekBar->width()),
                            shpSeekPosition->height());
}

void frmMain::ResetPlayTime() {
    lblPlayTime->setText(TimeDisplay::ResetText(Options.DispTimeType()));
    shpSeekPosition->resize(0, shpSeekPosition->height());
}

void frmMain::lblPlayTime_Click() {
    Options.setDispTimeType(static_cast<int16_t>(1 - Options.DispTimeType()));
    UpdatePlayTime();
}

// Mouse positions arrive in pixels; the seek works on the fraction of the bar's width, so no
// conversion to twips is needed.
void frmMain::lblSeekBar_MouseDown(Qt::MouseButton button, QPoint pos) {
    if (!Player)
        return;
    if (TimeDisplay::SeekApplies(button == Qt::LeftButton, Player->getState(), pos.x(),
                                 shpSeekBar->width()))
        shpSeekPosition->resize(pos.x(), shpSeekPosition->height());
}

void frmMain::lblSeekBar_MouseUp(Qt::MouseButton button, QPoint pos) {
    if (!Player)
        return;
    const auto target =
        TimeDisplay::SeekTarget(button == Qt::LeftButton, Player->getState(), pos.x(),
                                shpSeekBar->width(), Player->getTotalSecond());
    if (!target)
        return;
    shpSeekPosition->resize(pos.x(), shpSeekPosition->height());
    sequence_->Seek(*target);
}
