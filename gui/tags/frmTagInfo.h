#pragma once

#include <QDialog>
#include <cstdint>

class ClickLabel;
class QImage;
class QLabel;
class QToolButton;
class clsArrayList;

// The file information window: name, path and the tag fields of one file of a list, with the
// audio format on a line of small text, and steps to the list's other files. Run modally by
// the main window, which gives it the list and the position. Values are laid out to keep the
// window within the screen: on one line (the path on a few), elided, whole in the tool tip.
// The song's picture, read and scaled on a pool thread, appears beside the fields when it has
// one; without one the window looks as it would without pictures at all.
// GUI thread only.
class frmTagInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmTagInfo(QWidget* parent = nullptr);

    // The caller's list itself, which must outlive the window.
    const clsArrayList* FileList = nullptr;
    void setDispIndex(int32_t index) { dispIndex_ = index; }
    int32_t dispIndex() const { return dispIndex_; }

    // Shows the file at dispIndex; every label is empty when it does not exist.
    void DispTagInfo();
    // Steps to the next (+1) or previous (-1) file, wrapping at both ends.
    void Step(int32_t step);
    // Colours as the settings store them (0x00BBGGRR; negative for the system's face colour).
    void setColor(int32_t setBack, int32_t setFore);

    QLabel* lblFileNameTitle = nullptr;
    QLabel* lblFileName = nullptr;
    QLabel* lblPathTitle = nullptr;
    QLabel* lblPath = nullptr;
    QLabel* lblTitleTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblArtist = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblAlbum = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* lblTrack = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* lblYear = nullptr;
    // The readings, in small text under their fields; hidden when the tag has none.
    QLabel* lblTitleReading = nullptr;
    QLabel* lblArtistReading = nullptr;
    QLabel* lblAlbumReading = nullptr;
    QLabel* lblAudio = nullptr;  // format, bit rate, sample rate, channels, length
    ClickLabel* lblBack = nullptr;
    ClickLabel* lblNext = nullptr;
    QToolButton* imgClose = nullptr;
    // The song's picture, at most kPictureBoxPx on a side; hidden when it has none.
    QLabel* picPicture = nullptr;
    static constexpr int kPictureBoxPx = 160;

Q_SIGNALS:
    // The picture of the file now shown has been looked for, found or not.
    void pictureLoaded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ClearTagLabels();
    QList<QLabel*> valueLabels() const;
    int valueWidthLimit() const;
    void showValue(QLabel* label, const QString& value, int widthLimit);
    void showReading(QLabel* label, const QString& reading, int widthLimit);
    void loadPicture(const QString& path);
    void showPicture(QImage image, const QString& description);

    int32_t dispIndex_ = 0;
    uint64_t pictureSerial_ = 0;  // moves with every file shown; older loads are dropped
};
