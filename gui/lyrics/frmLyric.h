#pragma once

#include "core/clsArrayList.h"

#include <QMargins>
#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollBar;

// The lyric window: one lyric file of the candidates at a time, a text as a title line and a
// body, a picture in a panel with scroll bars. It fits its size to what it shows, keeps the
// last size the user gave it while showing text, and hides instead of closing until the player
// ends (UnloadFlg). A top-level window of its own, so it has a task-bar entry and can sit on
// another screen; showing it never takes the focus from the player.
class frmLyric : public QWidget {
    Q_OBJECT
public:
    frmLyric();
    ~frmLyric() override;

    bool UnloadFlg = false;

    void setLyricFile(const clsArrayList& files) { LyricFile_ = files; }
    const clsArrayList& LyricFile() const { return LyricFile_; }
    int32_t WidthTextMode() const { return WidthTextMode_; }
    int32_t HeightTextMode() const { return HeightTextMode_; }
    int32_t CurrentIndex() const { return CurrentIndex_; }
    bool IsImageMode() const { return IsImageMode_; }
    int32_t LineCount() const { return LineCount_; }
    int32_t MaxLineBytes() const { return MaxLineBytes_; }

    void SetSize(int32_t width, int32_t height);  // outer size, twips
    void SetLocate(int32_t left, int32_t top);    // outer position, twips
    void DispLyric(int32_t Index);
    void AjdustFormSize();
    void setColor(const QColor& setBack, const QColor& setFore);
    void ChangeLyric(int32_t chengeNumber);
    void SetVisible_Text(bool value);
    void SetVisible_Image(bool value);

    // The frame's thickness on each side, learnt from the window system once the window has
    // been shown; nothing before.
    QMargins FrameMargins();

    QLabel* lblTitle = nullptr;
    QPlainTextEdit* txtLyric = nullptr;
    QLineEdit* txtActive = nullptr;  // holds the focus, so the body never shows a caret
    QWidget* picGuide = nullptr;
    QLabel* lblGuide1 = nullptr;  // "→": next candidate
    QLabel* lblGuide2 = nullptr;  // "←": previous candidate
    QWidget* picLyricPanel = nullptr;
    QLabel* picLyric = nullptr;
    QScrollBar* hscLyric = nullptr;
    QScrollBar* vscLyric = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void Form_Resize();
    void Form_KeyDown(int key);
    void ArrangeControls();
    void ScrollPicture();
    void fitScrollBars();
    QSize outerSize();
    void keepTextModeSize(QSize outer);  // stored in twips

    clsArrayList LyricFile_;
    int32_t CurrentIndex_ = 0;
    int32_t WidthTextMode_ = 0;
    int32_t HeightTextMode_ = 0;
    bool IsImageMode_ = false;
    bool WasMinimized_ = false;
    bool IsAdjusting_ = false;
    int32_t LineCount_ = 0;
    int32_t MaxLineBytes_ = 0;
    QMargins frame_;
    QSize handledSize_;  // the client size the last resize handling saw
};
