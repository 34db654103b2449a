#pragma once

#include "playback/PlayTimer.h"

#include <QObject>
#include <array>

class QLabel;
class QLineEdit;
class QWidget;
class StatusStrip;

// The play timer's four boxes in the status strip: the start and the stop time, each an hour
// and a minute box of two characters ("--" when unset). The boxes select their text when they
// get the focus, Delete unsets one, and Enter (Shift+Enter) or a filled box moves the focus
// along start hour, start minute, stop hour, stop minute and then the widget set by
// setFocusAfterLast(). Checking what was typed is left to the window (boxLeft). UI thread only.
class TimerBoxes : public QObject {
    Q_OBJECT
    friend class MainWindowDriver;

public:
    using Box = PlayTimer::TimeBox;

    // The boxes are placed in `strip`, which arranges them.
    explicit TimerBoxes(StatusStrip* strip);

    PlayTimer::Boxes texts() const;
    QString text(Box box) const;
    void setText(Box box, const QString& text);
    // The saved times; from now on a filled box moves the focus on.
    void showTimes(const PlayTimer::Boxes& times);
    void focusBox(Box box);
    // The next filled box keeps the focus (the window corrected what was typed in one).
    void SkipAutoAdvance() { skipAutoAdvance_ = true; }

    bool isBox(const QObject* o) const;
    // The window sees the boxes' keys before they do.
    void watchKeys(QObject* filter);
    void setFocusAfterLast(QWidget* next) { afterLast_ = next; }
    void setColors(const QColor& back, const QColor& startText, const QColor& stopText);

Q_SIGNALS:
    void boxLeft(PlayTimer::TimeBox box);  // a box lost the focus: its text is to be checked

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit(Box box) const { return boxes_[static_cast<size_t>(box)]; }
    int indexOf(const QObject* o) const;  // -1 for none
    QWidget* neighbour(int index, int direction) const;
    void boxChanged(int index);

    QWidget* picStartTime = nullptr;
    QWidget* picEndTime = nullptr;
    QLineEdit* txtStartH = nullptr;
    QLineEdit* txtStartM = nullptr;
    QLineEdit* txtEndH = nullptr;
    QLineEdit* txtEndM = nullptr;
    std::array<QLabel*, 2> txtColon{};
    std::array<QLineEdit*, 4> boxes_{};  // in focus order, indexed by Box
    QWidget* afterLast_ = nullptr;
    bool skipAutoAdvance_ = false;
};
