#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class ClickLabel;
class QFrame;
class QLabel;

// The strip over the playlist: the tag shown, the three mode icons, the play time with the seek
// bar, the clock, the quick volume and sound device notes, and the playlist count. The timer's
// boxes belong to the window, which hands them over to be placed here. UI thread only.
class StatusStrip : public QWidget {
    Q_OBJECT
    friend class MainWindowDriver;

public:
    enum class ModeIcon { PlayNumber, Repeat, Timer };

    explicit StatusStrip(QWidget* parent);

    void setTagTitle(const QString& title);
    void setTagInfo(const QString& value);
    void setPlayTime(const QString& text);
    void setPlayTimeToolTip(const QString& tip);
    int seekBarWidth() const;
    void setSeekPosition(int filledWidth);
    void setClock(const QString& text);
    void setPlayListCount(const QString& text);
    // Shown over everything else in the strip until hidden.
    void showVolume(const QString& text);
    void hideVolume();
    void showSoundDevice(const QString& text);
    void hideSoundDevice();
    QSize modeIconSize() const;
    // The icon is a picture only: the description is what a screen reader says.
    void setModeIcon(ModeIcon which, const QPixmap& icon, const QString& description);
    void setTimeBoxes(QWidget* start, QWidget* end);
    // Fits everything to the strip's width; the seek position keeps its share of the song.
    void arrange(int32_t totalSeconds);
    void setColors(const QColor& back, const QColor& fore, const QColor& clock,
                   const QColor& seekBack, const QColor& seekFore);
    void setLabelsTransparent();

Q_SIGNALS:
    void tagLabelClicked(Qt::MouseButton button);
    void playTimeClicked();
    void seekPressed(Qt::MouseButton button, QPoint pos);
    void seekReleased(Qt::MouseButton button, QPoint pos);
    void modeIconClicked(ModeIcon which);

private:
    ClickLabel* lblTagInfoTitle = nullptr;
    ClickLabel* lblTagInfo = nullptr;
    ClickLabel* picPlayNumber = nullptr;
    ClickLabel* picRepeatMode = nullptr;
    ClickLabel* picTimerMode = nullptr;
    ClickLabel* lblPlayTime = nullptr;
    QLabel* lblVolume = nullptr;
    QLabel* lblSoundDevice = nullptr;  // says when nothing can be heard: no device, or one lost
    QLabel* lblTime = nullptr;
    QFrame* shpSeekBar = nullptr;
    QFrame* shpSeekPosition = nullptr;
    ClickLabel* lblSeekBar = nullptr;
    QLabel* lblPlayListCount = nullptr;
    QWidget* startTime_ = nullptr;
    QWidget* endTime_ = nullptr;
};
