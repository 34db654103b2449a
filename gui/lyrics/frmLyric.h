#pragma once

#include "core/clsArrayList.h"
#include "lyrics/SyncedLyrics.h"

#include <QHash>
#include <QMargins>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>

class PlayerController;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QScrollBar;
class QTimer;

// The lyric window: one lyric file of the candidates at a time, a text as a title line and a
// body, a picture in a panel with scroll bars. It fits its size to what it shows, keeps the
// last size the user gave it while showing text, and hides instead of closing until the player
// ends (UnloadFlg). A top-level window of its own, so it has a task-bar entry and can sit on
// another screen; showing it never takes the focus from the player.
// Synced lyrics (.lrc, a .txt of timed lines, an MP3's synced lyric frame) show as a list whose
// selected row is the line heard, following the player: a click on a line seeks there,
// Ctrl+Left and Ctrl+Right move the timing by 0.1 s for the run. UI thread only.
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

    // The player whose heard position synced lyrics follow, and how to learn which song it
    // plays; the lines follow only while that song is the one the lyrics were shown for.
    void followPlayer(PlayerController* player, std::function<QString()> playingPath);
    // The song the lyrics shown next belong to.
    void setSongPath(const QString& songPath) { SongPath_ = songPath; }
    // Lyrics the song carries in its tag, when no lyric file matches: synced ones when there
    // are, else the plain text under `title`.
    void DispEmbedded(const QString& title, const SyncedLyrics& synced, const QString& plain);
    bool IsSyncedMode() const { return IsSynced_; }
    // The row of the line heard, -1 before the first line or when none is synced.
    int32_t CurrentLine() const { return CurrentLine_; }
    // How much later than written the lines of the shown lyric come, moved by Ctrl+arrows.
    std::chrono::milliseconds TimingShift() const { return shifts_.value(SyncedKey_); }
    static constexpr std::chrono::milliseconds kShiftStep{100};

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
    QListWidget* lstSynced = nullptr;  // the synced lines; the selected row is heard
    QLabel* lblShift = nullptr;        // the timing shift, shown a moment after a change

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void Form_Resize();
    void Form_KeyDown(int key, Qt::KeyboardModifiers modifiers = {});
    void showPlain(const QString& title, const QStringList& body);
    void showSynced(const QString& key, const QString& title, SyncedLyrics lyrics);
    void showLine(int line);
    void followHeard();
    bool following() const;
    void shiftTiming(std::chrono::milliseconds by);
    void seekToLine(int line);
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
    QString SongPath_;
    bool IsSynced_ = false;
    SyncedLyrics Synced_;
    QString SyncedKey_;  // the lyric file, or the song for lyrics of its tag
    int32_t CurrentLine_ = -1;
    QHash<QString, std::chrono::milliseconds> shifts_;  // by SyncedKey_, for the run
    QPointer<PlayerController> player_;
    std::function<QString()> playingPath_;
    QTimer* follow_ = nullptr;      // due at the next line change while a synced lyric plays
    QTimer* shiftShown_ = nullptr;  // hides lblShift
    QMargins frame_;
    QSize handledSize_;  // the client size the last resize handling saw
};
