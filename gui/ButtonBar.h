#pragma once

#include <QWidget>
#include <functional>

class CommandButton;
class QAction;
class QToolButton;

// The main window's bar of icon buttons, two rows of eleven. Play, pause and stop run the
// actions their menu items show; every other button reports its click. UI thread only.
class ButtonBar : public QWidget {
    Q_OBJECT
    friend class MainWindowDriver;

public:
    enum class Button {
        Previous,
        Next,
        Shuffle,
        Up,
        Down,
        Clear,
        Volume,
        FormSize,
        SetDir,
        GetFile,
        AddFile,
        SaveList,
        GetList,
        AddList,
        Search,
        Lyric,
        TagInfo,
        Option,
        Help
    };

    ButtonBar(QWidget* parent, int buttonSize);
    void setCommands(QAction* play, QAction* pause, QAction* stop);
    // Shows each button's tip when the pointer rests on it (screen readers always have it).
    void showToolTips();
    void setColors(const QColor& back, const QColor& fore, const QColor& buttonBack,
                   const QColor& buttonText);

Q_SIGNALS:
    void clicked(ButtonBar::Button button);
    // Play, pause or stop is being pressed: its action comes from the button, not the menu.
    void commandPressed();

private:
    CommandButton* makeButton(const char* themeIcon, const QString& resourceIcon);
    void forEachTip(const std::function<void(QToolButton*, const QString&)>& apply);

    int buttonSize_;
    CommandButton* cmdPlay = nullptr;
    CommandButton* cmdPause = nullptr;
    CommandButton* cmdStop = nullptr;
    QToolButton* cmdListIndexUp = nullptr;
    QToolButton* cmdListIndexDown = nullptr;
    QToolButton* cmdShuffle = nullptr;
    QToolButton* cmdUpItem = nullptr;
    QToolButton* cmdDownItem = nullptr;
    QToolButton* cmdListClear = nullptr;
    QToolButton* cmdVolume = nullptr;
    QToolButton* cmdChangeFormSize = nullptr;
    QToolButton* cmdSetDir = nullptr;
    QToolButton* cmdGetFile = nullptr;
    QToolButton* cmdAddFile = nullptr;
    QToolButton* cmdSaveList = nullptr;
    QToolButton* cmdGetList = nullptr;
    QToolButton* cmdAddList = nullptr;
    QToolButton* cmdSearch = nullptr;
    QToolButton* cmdLyric = nullptr;
    QToolButton* cmdTagInfo = nullptr;
    QToolButton* cmdOption = nullptr;
    QToolButton* cmdHelp = nullptr;
};
