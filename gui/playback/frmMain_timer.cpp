// The play timer: the clock, the four time boxes and the timed start and stop.
#include "core/modZAUtil.h"
#include "gui/frmMain.h"
#include "gui/playback/StatusStrip.h"
#include "gui/playback/TimerBoxes.h"
#include "playback/PlayerController.h"

void frmMain::wireTimer() {
    connect(tmrTimer, &QTimer::timeout, this, &frmMain::tmrTimer_Timer);
    connect(picStatus, &StatusStrip::modeIconClicked, this, [this](StatusStrip::ModeIcon which) {
        if (which == StatusStrip::ModeIcon::Timer)
            picTimerMode_Click();
    });
    connect(timerBoxes_, &TimerBoxes::boxLeft, this, [this](PlayTimer::TimeBox box) {
        if (loaded_ && !ended_)
            timeBoxLostFocus(box);
    });
}

bool frmMain::CheckTimeText(const QString& kind, QString& text) {
    bool skip = false;
    const bool ok = PlayTimer::CheckTimeText(kind, text, skip);
    if (skip)
        timerBoxes_->SkipAutoAdvance();
    return ok;
}

void frmMain::tmrTimer_Timer() {
    const QTime now = Clock ? Clock() : QTime::currentTime();
    const PlayTimer::Boxes boxes = timerBoxes_->texts();
    const PlayTimer::Actions a =
        playTimer_.Check(now, boxes, Options.TimerMode(), Options.TimerShuffleFlg(),
                         Options.TimerStopMode(), Player ? Player->getState() : 0);
    picStatus->setClock(a.timeLabel);
    if (a.startPlay) {
        if (a.shuffleFirst)
            cmdShuffle_Click();
        PlaySelectedRow();
    }
    if (a.stopNow)
        cmdStop_Click();
    if (a.stopAfterSong)
        sequence_->SetStopAfterSong(true);
}

void frmMain::ShowTimerTimes() {
    timerBoxes_->showTimes(
        {PlayTimer::BoxText(Options.StartHour()), PlayTimer::BoxText(Options.StartMinute()),
         PlayTimer::BoxText(Options.StopHour()), PlayTimer::BoxText(Options.StopMinute())});
}

void frmMain::picTimerMode_Click() {
    Options.setTimerMode(static_cast<int16_t>(1 - Options.TimerMode()));
    DrawTimerMode(static_cast<uint8_t>(Options.TimerMode()));
}

void frmMain::DrawTimerMode(uint8_t mode) {
    picStatus->setModeIcon(StatusStrip::ModeIcon::Timer,
                           MaskedIcon(mode != 0 ? QStringLiteral(":/icons/timer_on.png")
                                                : QStringLiteral(":/icons/timer_off.png"),
                                      picStatus->modeIconSize()),
                           mode != 0 ? QStringLiteral("オン") : QStringLiteral("オフ"));
}

void frmMain::timeBoxLostFocus(PlayTimer::TimeBox box) {
    const QString typed = timerBoxes_->text(box);
    QString text = typed;
    const bool ok = CheckTimeText(PlayTimer::TimeBoxKind(box), text);
    if (text != typed)
        timerBoxes_->setText(box, text);  // its change event clears a pending SkipAutoAdvance
    if (!ok) {
        Dialogs().message(PlayTimer::TimeBoxMessage(box), QStringLiteral("ZAPT"));
        timerBoxes_->focusBox(box);
    }
}
