#pragma once

#include <QString>
#include <QStringView>
#include <QTime>
#include <cstdint>

// The play timer: the four time boxes (start hour and minute, stop hour and minute), their
// checks, and the clock check that starts playback in the start minute and stops it in the
// stop minute. The clock is passed in, so the check runs the same under a test.
class PlayTimer {
public:
    enum class TimeBox { StartHour, StartMinute, StopHour, StopMinute };

    // What a box holds when its time is not set, and what the option store keeps for it.
    static inline const QString kUnsetText = QStringLiteral("--");
    static constexpr int16_t kUnsetValue = 99;

    // The four box texts as they stand.
    struct Boxes {
        QString startHour, startMinute, stopHour, stopMinute;
    };

    // The result of one clock check: the clock label and what the main window is to do.
    struct Actions {
        QString timeLabel;           // "hh:MM", 24-hour clock
        bool shuffleFirst = false;   // shuffle the playlist before the timed start
        bool startPlay = false;      // play the current playlist row
        bool stopNow = false;        // stop at once
        bool stopAfterSong = false;  // let the playing song finish, then stop
    };

    // Validates and normalises one box's text for kind "h" (hour) or "m" (minute), the kind
    // compared ignoring case. Hours 24 to 30 mean 0 to 6 o'clock; one character gets a leading
    // "0"; "--" is always right. A wrong text becomes "--", `skipAutoAdvance` is set (the box
    // keeps the focus on its next change) and the result is false. Only the first and the last
    // character are looked at.
    static bool CheckTimeText(QStringView kind, QString& text, bool& skipAutoAdvance);
    static bool CheckTimeText(QStringView kind, QString& text);

    static bool IsHourBox(TimeBox box) {
        return box == TimeBox::StartHour || box == TimeBox::StopHour;
    }
    static QString TimeBoxKind(TimeBox box) {  // "h" or "m"
        return IsHourBox(box) ? QStringLiteral("h") : QStringLiteral("m");
    }
    // The message shown when a box was left with a wrong entry.
    static QString TimeBoxMessage(TimeBox box);

    // A stored time as the box shows it: "--" for 99, otherwise two digits.
    static QString BoxText(int16_t storedValue);
    // A box text as the option store keeps it at shutdown: checked like a lost focus (kind "H"
    // or "M"), "--" (ignoring case) becomes 99, anything else its number.
    static int16_t StoredValue(TimeBox box, const QString& boxText);

    // The clock check, run every five seconds and once at start-up. With the function off
    // (`timerMode` 0) only the label is refreshed. Each action runs once in its minute; when
    // the start and the stop are the same minute, only the start runs.
    Actions Check(const QTime& now, const Boxes& boxes, int16_t timerMode, int16_t timerShuffleFlg,
                  int16_t timerStopMode, int32_t engineState);

    bool StartDone() const { return startDone_; }
    bool StopDone() const { return stopDone_; }

private:
    bool startDone_ = false;
    bool stopDone_ = false;
};
