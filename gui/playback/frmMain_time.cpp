// The play-time label, its tool tip, and the seek bar.
#include "gui/frmMain.h"
#include "gui/playback/StatusStrip.h"
#include "playback/PlayerController.h"
#include "playback/TimeDisplay.h"

void frmMain::wireTimeAndVolume() {
    connect(picStatus, &StatusStrip::playTimeClicked, this, [this] { lblPlayTime_Click(); });
    connect(picStatus, &StatusStrip::seekPressed, this, &frmMain::lblSeekBar_MouseDown);
    connect(picStatus, &StatusStrip::seekReleased, this, &frmMain::lblSeekBar_MouseUp);
    connect(tmrVolume, &QTimer::timeout, this, [this] {
        picStatus->hideVolume();
        tmrVolume->stop();
    });
}

void frmMain::UpdatePlayTime() {
    const int32_t total = Player ? Player->getTotalSecond() : 0;
    const int32_t position = Player ? Player->playSecond() : 0;
    const double elapsed = sequence_ ? sequence_->ElapsedSeconds() : 0;
    picStatus->setPlayTime(
        TimeDisplay::PlayTimeText(Options.DispTimeType(), elapsed, total, position));
    picStatus->setPlayTimeToolTip(TimeDisplay::ToolTipText(total));
    picStatus->setSeekPosition(
        TimeDisplay::FilledWidth(total, position, picStatus->seekBarWidth()));
}

void frmMain::ResetPlayTime() {
    picStatus->setPlayTime(TimeDisplay::ResetText(Options.DispTimeType()));
    picStatus->setSeekPosition(0);
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
                                 picStatus->seekBarWidth()))
        picStatus->setSeekPosition(pos.x());
}

void frmMain::lblSeekBar_MouseUp(Qt::MouseButton button, QPoint pos) {
    if (!Player)
        return;
    const auto target =
        TimeDisplay::SeekTarget(button == Qt::LeftButton, Player->getState(), pos.x(),
                                picStatus->seekBarWidth(), Player->getTotalSecond());
    if (!target)
        return;
    picStatus->setSeekPosition(pos.x());
    sequence_->Seek(*target);
}
