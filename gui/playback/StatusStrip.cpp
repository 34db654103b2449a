#include "StatusStrip.h"

#include "gui/LayoutMath.h"
#include "gui/widgets/ClickLabel.h"
#include "gui/widgets/WidgetHelpers.h"

#include <QFrame>
#include <QLabel>
#include <algorithm>

using namespace modZAUtil;

namespace {
constexpr int kStripHeight = 46;
}

StatusStrip::StatusStrip(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    resize(300, kStripHeight);
    lblTagInfoTitle = MakeClickLabel(this, QStringLiteral("Title"), {4, 2, 38, 14});
    lblTagInfo = MakeClickLabel(this, QString(), {44, 2, 100, 14});
    lblTagInfo->setElideMode(Qt::ElideRight);
    picPlayNumber = MakeClickLabel(this, QString(), {0, 3, 14, 12});
    picRepeatMode = MakeClickLabel(this, QString(), {0, 3, 14, 12});
    picTimerMode = MakeClickLabel(this, QString(), {0, 3, 14, 12});
    picPlayNumber->setAccessibleName(QStringLiteral("再生曲数"));
    picRepeatMode->setAccessibleName(QStringLiteral("リピート"));
    picTimerMode->setAccessibleName(QStringLiteral("タイマー"));
    lblPlayTime = MakeClickLabel(this, QStringLiteral("00:00"), {4, 17, 100, 14});
    lblVolume = MakeLabel(this, QStringLiteral("Vol.100"), {60, 17, 60, 14});
    lblVolume->hide();
    lblSoundDevice = MakeLabel(this, QString(), {60, 17, 100, 14});
    lblSoundDevice->setAccessibleName(QStringLiteral("音声デバイスの状態"));
    lblSoundDevice->hide();
    lblTime = MakeLabel(this, QStringLiteral("--:--"), {0, 17, 34, 14});
    lblTime->setAlignment(Qt::AlignCenter);
    shpSeekBar = new QFrame(this);
    shpSeekBar->setGeometry(4, 34, 100, 7);
    shpSeekBar->setFrameShape(QFrame::Box);
    shpSeekPosition = new QFrame(this);
    shpSeekPosition->setGeometry(4, 34, 0, 7);
    shpSeekPosition->setFrameShape(QFrame::Box);
    shpSeekPosition->setAutoFillBackground(true);
    lblSeekBar = MakeClickLabel(this, QString(), {4, 32, 100, 11});
    lblPlayListCount = MakeLabel(this, QStringLiteral("No File"), {0, 31, 64, 13});
    lblPlayListCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* l : {static_cast<QLabel*>(lblTagInfoTitle), static_cast<QLabel*>(lblTagInfo),
                      static_cast<QLabel*>(lblPlayTime), lblVolume, lblSoundDevice, lblTime,
                      lblPlayListCount}) {
        QFont f = l->font();
        f.setPixelSize(11);
        l->setFont(f);
    }

    for (ClickLabel* l : {lblTagInfo, lblTagInfoTitle})
        connect(l, &ClickLabel::mouseDown, this, &StatusStrip::tagLabelClicked);
    connect(lblPlayTime, &ClickLabel::mouseDown, this, [this] { Q_EMIT playTimeClicked(); });
    connect(lblSeekBar, &ClickLabel::mouseDown, this, &StatusStrip::seekPressed);
    connect(lblSeekBar, &ClickLabel::mouseUp, this, &StatusStrip::seekReleased);
    const std::array<std::pair<ClickLabel*, ModeIcon>, 3> icons = {{
        {picPlayNumber, ModeIcon::PlayNumber},
        {picRepeatMode, ModeIcon::Repeat},
        {picTimerMode, ModeIcon::Timer},
    }};
    for (const auto& [label, which] : icons)
        connect(label, &ClickLabel::mouseDown, this,
                [this, which] { Q_EMIT modeIconClicked(which); });
}

void StatusStrip::setTagTitle(const QString& title) {
    lblTagInfoTitle->setText(title);
}

void StatusStrip::setTagInfo(const QString& value) {
    lblTagInfo->setFullText(value);
    lblTagInfo->setToolTip(PlainToolTip(value));
}

void StatusStrip::setPlayTime(const QString& text) {
    lblPlayTime->setText(text);
}

void StatusStrip::setPlayTimeToolTip(const QString& tip) {
    lblPlayTime->setToolTip(tip);
}

int StatusStrip::seekBarWidth() const {
    return shpSeekBar->width();
}

void StatusStrip::setSeekPosition(int filledWidth) {
    shpSeekPosition->resize(filledWidth, shpSeekPosition->height());
}

void StatusStrip::setClock(const QString& text) {
    lblTime->setText(text);
}

void StatusStrip::setPlayListCount(const QString& text) {
    lblPlayListCount->setText(text);
}

void StatusStrip::showVolume(const QString& text) {
    lblVolume->setText(text);
    lblVolume->show();
    lblVolume->raise();
}

void StatusStrip::hideVolume() {
    lblVolume->hide();
}

void StatusStrip::showSoundDevice(const QString& text) {
    lblSoundDevice->setText(text);
    lblSoundDevice->show();
    // The quick volume label shows over it for its two seconds.
    lblSoundDevice->stackUnder(lblVolume);
}

void StatusStrip::hideSoundDevice() {
    lblSoundDevice->hide();
}

QSize StatusStrip::modeIconSize() const {
    return picPlayNumber->size();
}

void StatusStrip::setModeIcon(ModeIcon which, const QPixmap& icon, const QString& description) {
    ClickLabel* label = which == ModeIcon::PlayNumber ? picPlayNumber
                        : which == ModeIcon::Repeat   ? picRepeatMode
                                                      : picTimerMode;
    label->setAccessibleDescription(description);
    label->setPixmap(icon);
}

void StatusStrip::setTimeBoxes(QWidget* start, QWidget* end) {
    startTime_ = start;
    endTime_ = end;
    // In their place between the clock and the seek bar.
    start->stackUnder(shpSeekBar);
    end->stackUnder(shpSeekBar);
}

void StatusStrip::arrange(int32_t totalSeconds) {
    LayoutMath::StatusBarInput in;
    in.stripWidth = width();
    in.tagTitleLeft = lblTagInfoTitle->x();
    in.tagTitleWidth = lblTagInfoTitle->width();
    in.tagInfoLeft = lblTagInfo->x();
    in.timerModeWidth = picTimerMode->width();
    in.repeatModeWidth = picRepeatMode->width();
    in.playNumberWidth = picPlayNumber->width();
    in.endTimeWidth = endTime_ ? endTime_->width() : 0;
    in.startTimeWidth = startTime_ ? startTime_->width() : 0;
    in.timeWidth = lblTime->width();
    in.seekBarLeft = lblSeekBar->x();
    in.oldSeekBarWidth = shpSeekBar->width();
    in.oldSeekPositionWidth = shpSeekPosition->width();
    in.totalSeconds = totalSeconds;
    const LayoutMath::StatusBarPlacement p = LayoutMath::ArrangeStatusBar(in);
    picTimerMode->move(p.timerModeLeft, picTimerMode->y());
    picRepeatMode->move(p.repeatModeLeft, picRepeatMode->y());
    picPlayNumber->move(p.playNumberLeft, picPlayNumber->y());
    lblTagInfo->resize(p.tagInfoWidth, lblTagInfo->height());
    if (endTime_)
        endTime_->move(p.endTimeLeft, endTime_->y());
    if (startTime_)
        startTime_->move(p.startTimeLeft, startTime_->y());
    lblTime->move(p.timeLeft, lblTime->y());
    lblPlayTime->resize(p.barWidth, lblPlayTime->height());
    lblSeekBar->resize(p.barWidth, lblSeekBar->height());
    shpSeekPosition->resize(p.seekPositionWidth, shpSeekPosition->height());
    shpSeekBar->resize(p.barWidth, shpSeekBar->height());
    // The count sits under the clock and the timer boxes, right of the seek bar.
    lblPlayListCount->setGeometry(p.timeLeft, lblPlayListCount->y(),
                                  std::max(0, width() - p.timeLeft - 2),
                                  lblPlayListCount->height());
}

void StatusStrip::setColors(const QColor& back, const QColor& fore, const QColor& clock,
                            const QColor& seekBack, const QColor& seekFore) {
    PaintWidget(this, back, fore);
    for (QLabel* l :
         {static_cast<QLabel*>(lblPlayTime), static_cast<QLabel*>(lblTagInfoTitle), lblVolume,
          lblSoundDevice, static_cast<QLabel*>(lblTagInfo), lblPlayListCount})
        PaintWidget(l, back, fore);
    PaintWidget(lblTime, back, clock);
    PaintWidget(shpSeekPosition, seekBack, seekFore);
    PaintWidget(shpSeekBar, back, seekFore);
}

void StatusStrip::setLabelsTransparent() {
    // The coloured strip behind these labels shows through.
    for (QLabel* l :
         {static_cast<QLabel*>(lblTagInfo), static_cast<QLabel*>(lblTagInfoTitle),
          static_cast<QLabel*>(lblPlayTime), lblPlayListCount, static_cast<QLabel*>(lblSeekBar)})
        MakeTransparent(l);
}
