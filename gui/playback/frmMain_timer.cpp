// The play timer: the clock, the four time boxes and the timed start and stop.
#include "core/modZAUtil.h"
#include "gui/frmMain.h"
#include "gui/playback/StatusStrip.h"
#include "playback/PlayerController.h"

#include <QKeyEvent>
#include <QLineEdit>

PlayTimer::TimeBox frmMain::timeBoxKind(const QLineEdit* box) const {
    if (box == txtStartH)
        return PlayTimer::TimeBox::StartHour;
    if (box == txtStartM)
        return PlayTimer::TimeBox::StartMinute;
    if (box == txtEndH)
        return PlayTimer::TimeBox::StopHour;
    return PlayTimer::TimeBox::StopMinute;
}

void frmMain::wireTimer() {
    connect(tmrTimer, &QTimer::timeout, this, &frmMain::tmrTimer_Timer);
    connect(picStatus, &StatusStrip::modeIconClicked, this, [this](StatusStrip::ModeIcon which) {
        if (which == StatusStrip::ModeIcon::Timer)
            picTimerMode_Click();
    });
    for (QLineEdit* box : {txtStartH, txtStartM, txtEndH, txtEndM}) {
        connect(box, &QLineEdit::textChanged, this, [this, box] { timeBoxChanged(box); });
    }
}

bool frmMain::CheckTimeText(const QString& kind, QString& text) {
    bool skip = false;
    const bool ok = PlayTimer::CheckTimeText(kind, text, skip);
    if (skip)
        SkipAutoAdvance = true;
    return ok;
}

void frmMain::tmrTimer_Timer() {
    const QTime now = Clock ? Clock() : QTime::currentTime();
    const PlayTimer::Boxes boxes{txtStartH->text(), txtStartM->text(), txtEndH->text(),
                                 txtEndM->text()};
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
    txtStartH->setText(PlayTimer::BoxText(Options.StartHour()));
    txtStartM->setText(PlayTimer::BoxText(Options.StartMinute()));
    txtEndH->setText(PlayTimer::BoxText(Options.StopHour()));
    txtEndM->setText(PlayTimer::BoxText(Options.StopMinute()));
    txtStartH->setEnabled(true);  // from now on a full box moves the focus on
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

QWidget* frmMain::nextTimeBox(QLineEdit* box, int direction) const {
    const std::array<QWidget*, 5> order = {txtStartH, txtStartM, txtEndH, txtEndM, lstPlayList};
    for (size_t i = 0; i < 4; ++i) {
        if (order[i] != box)
            continue;
        if (direction > 0)
            return order[i + 1];
        return i == 0 ? nullptr : order[i - 1];
    }
    return nullptr;
}

void frmMain::timeBoxKeyDown(QLineEdit* box, QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return;
    const bool back = (event->modifiers() & Qt::ShiftModifier) != 0;
    if (QWidget* next = nextTimeBox(box, back ? -1 : +1))
        next->setFocus();
}

void frmMain::timeBoxChanged(QLineEdit* box) {
    if (box->text().size() != 2 || !txtStartH->isEnabled())
        return;
    if (SkipAutoAdvance) {
        SkipAutoAdvance = false;
        return;
    }
    if (box->hasFocus())
        if (QWidget* next = nextTimeBox(box, +1))
            next->setFocus();
}

void frmMain::timeBoxLostFocus(QLineEdit* box) {
    const PlayTimer::TimeBox kind = timeBoxKind(box);
    QString text = box->text();
    const bool ok = CheckTimeText(PlayTimer::TimeBoxKind(kind), text);
    if (text != box->text())
        box->setText(text);  // its change event clears a pending SkipAutoAdvance
    if (!ok) {
        Dialogs().message(PlayTimer::TimeBoxMessage(kind), QStringLiteral("ZAPT"));
        box->setFocus();
    }
}
