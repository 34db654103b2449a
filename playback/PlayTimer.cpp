#include "playback/PlayTimer.h"

#include <cmath>

namespace {

bool between(QChar c, char16_t low, char16_t high) {
    return c.unicode() >= low && c.unicode() <= high;
}

// Hours 24 to 30 are taken as the small hours of the next day (0 to 6 o'clock).
void foldLateHours(QString& text) {
    bool numeric = false;
    const double value = text.trimmed().toDouble(&numeric);
    if (!numeric || !std::isfinite(value))
        return;
    const double whole = std::trunc(value);
    if (whole > 23 && whole < 31)
        text = QString::number(static_cast<int>(whole) - 24);
}

bool validHour(const QString& text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    const QChar last = text.back();
    if (first == u'0' || first == u'1')
        return between(last, u'0', u'9');
    if (first == u'2')
        return between(last, u'0', u'3');
    return false;
}

bool validMinute(const QString& text) {
    return !text.isEmpty() && between(text.front(), u'0', u'5') && between(text.back(), u'0', u'9');
}

}  // namespace

bool PlayTimer::CheckTimeText(QStringView kind, QString& text, bool& skipAutoAdvance) {
    if (text == kUnsetText)
        return true;

    bool right = true;
    if (kind.compare(u"h", Qt::CaseInsensitive) == 0) {
        foldLateHours(text);
        if (text.size() == 1)
            text.prepend(u'0');
        right = validHour(text);
    } else if (kind.compare(u"m", Qt::CaseInsensitive) == 0) {
        if (text.size() == 1)
            text.prepend(u'0');
        right = validMinute(text);
    }

    if (!right) {
        text = kUnsetText;
        skipAutoAdvance = true;
    }
    return right;
}

bool PlayTimer::CheckTimeText(QStringView kind, QString& text) {
    bool skipAutoAdvance = false;
    return CheckTimeText(kind, text, skipAutoAdvance);
}

QString PlayTimer::TimeBoxMessage(TimeBox box) {
    switch (box) {
    case TimeBox::StartHour:
        return QStringLiteral("0～23の値を入力してください。");
    case TimeBox::StartMinute:
        return QStringLiteral("0～59を入力してください。");
    case TimeBox::StopHour:
        return QStringLiteral("0～23を入力してください。");
    case TimeBox::StopMinute:
        return QStringLiteral("0～59の値を入力してください。");
    }
    return {};
}

QString PlayTimer::BoxText(int16_t storedValue) {
    if (storedValue == kUnsetValue)
        return kUnsetText;
    return QStringLiteral("%1").arg(storedValue, 2, 10, QLatin1Char('0'));
}

int16_t PlayTimer::StoredValue(TimeBox box, const QString& boxText) {
    QString text = boxText;
    CheckTimeText(IsHourBox(box) ? u"H" : u"M", text);
    if (text.compare(kUnsetText, Qt::CaseInsensitive) == 0)
        return kUnsetValue;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    // A text that passed the check but is no number (only its ends are looked at) is kept as
    // not set rather than as a made-up time.
    return ok ? static_cast<int16_t>(value) : kUnsetValue;
}

PlayTimer::Actions PlayTimer::Check(const QTime& now, const Boxes& boxes, int16_t timerMode,
                                    int16_t timerShuffleFlg, int16_t timerStopMode,
                                    int32_t engineState) {
    Actions actions;
    actions.timeLabel = now.toString(QStringLiteral("HH:mm"));
    if (timerMode == 0)
        return actions;

    const QString startTime = boxes.startHour + u':' + boxes.startMinute;
    if (startTime.compare(actions.timeLabel, Qt::CaseInsensitive) == 0) {
        if (!startDone_) {
            actions.shuffleFirst = timerShuffleFlg != 0;
            actions.startPlay = true;
            startDone_ = true;
        }
    } else {
        startDone_ = false;
    }

    const QString stopTime = boxes.stopHour + u':' + boxes.stopMinute;
    if (stopTime.compare(actions.timeLabel, Qt::CaseInsensitive) == 0) {
        if (!stopDone_ && !startDone_) {
            if (timerStopMode == 0 && engineState == 1)
                actions.stopAfterSong = true;
            else
                actions.stopNow = true;
            stopDone_ = true;
        }
    } else {
        stopDone_ = false;
    }
    return actions;
}
