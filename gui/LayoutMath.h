#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>

// The main window's layout arithmetic, kept apart from the widgets so it can be checked
// without a window. All values are pixels unless a name says twips.
namespace LayoutMath {

constexpr int kRowHeight = 12;

// Minimum outer sizes in twips: mini, normal.
constexpr QSize kMinTwipsMini{4285, 3140};
constexpr QSize kMinTwipsNormal{7800, 4200};

// A list box height adjusted so that height − 4 is a whole number of 12-pixel rows.
int SnapListHeight(int height);

// Clamps to the 16-bit range the stored sizes use.
int16_t Clamp16(double value);
// Rounds half to even, the rounding the stored sizes were made with, so they read back the same.
int RoundEven(double value);

struct FixedHeights {
    int status = 0;            // picStatus
    int button = 0;            // picButton
    int folderViewStatus = 0;  // picFolderViewStatus
};

struct MainRects {
    QRect status, playList, button, favoriteList, folderViewStatus, folderView;
    bool normal = false;  // false: only the left column shows
};

MainRects LayoutMini(int clientWidth, int clientHeight, const FixedHeights& fixed);
MainRects LayoutNormal(int clientWidth, int clientHeight, const FixedHeights& fixed);

struct FolderStatusInput {
    int width = 0;  // of picFolderViewStatus
    int fileWidth = 0, fileCountWidth = 0, folderWidth = 0, folderCountWidth = 0;
    int firstTabLeft = 0;
};
struct FolderStatusPlacement {
    int fileLeft = 0, fileCountLeft = 0, folderLeft = 0, folderCountLeft = 0;
    std::array<int, 3> tabLeft{}, tabWidth{};
};
FolderStatusPlacement LayoutFolderViewStatus(const FolderStatusInput& in);

struct StatusBarInput {
    int stripWidth = 0;  // picStatus
    int tagTitleLeft = 0, tagTitleWidth = 0;
    int tagInfoLeft = 0;  // lblTagInfo, which sits a little right of its title
    int timerModeWidth = 0, repeatModeWidth = 0, playNumberWidth = 0;
    int endTimeWidth = 0, startTimeWidth = 0, timeWidth = 0;
    int seekBarLeft = 0;           // lblSeekBar
    int oldSeekBarWidth = 0;       // shpSeekBar before the change
    int oldSeekPositionWidth = 0;  // shpSeekPosition before the change
    int32_t totalSeconds = 0;      // the engine's length of the open song
};
struct StatusBarPlacement {
    int timerModeLeft = 0, repeatModeLeft = 0, playNumberLeft = 0;
    int tagInfoWidth = 0;
    int endTimeLeft = 0, startTimeLeft = 0, timeLeft = 0;
    int barWidth = 0;           // lblPlayTime, lblSeekBar and shpSeekBar
    int seekPositionWidth = 0;  // the filled part, keeping its share of the bar
};
StatusBarPlacement ArrangeStatusBar(const StatusBarInput& in);

// Moves a window so it lies on the screen, its corner no farther than `farthest`; any one unit.
QPoint KeepWindowOnScreen(QPoint topLeft, QSize size, QSize screen,
                          QPoint farthest = {32767, 32767});

// Top-left corner (pixels) of a window of `frame` outer size beside the main window's frame:
// to its right when it fits the screen's free area, else to its left, else as near its right
// as the area allows. Top edges aligned, kept inside the area.
QPoint BesideWindow(QRect mainFrame, QSize frame, QRect area);

// Top-left corner (pixels) that centres a box of `box` pixels over the main window.
QPoint CenterOver(QRect mainWindowPixels, QSize box);

}  // namespace LayoutMath
