#include "LayoutMath.h"

#include <algorithm>
#include <cmath>

namespace LayoutMath {

int RoundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

int16_t Clamp16(double value) {
    const double r = std::nearbyint(value);
    return static_cast<int16_t>(std::clamp(r, -32768.0, 32767.0));
}

int SnapListHeight(int height) {
    const int r = (height - 4) % kRowHeight;  // sign of the dividend, as before
    return r <= 6 ? height - r : height - r + kRowHeight;
}

namespace {
int notNegative(int v) {
    return v < 0 ? 0 : v;
}
}  // namespace

MainRects LayoutMini(int w, int h, const FixedHeights& fixed) {
    MainRects r;
    const int width = notNegative(w - 8);
    const int listHeight =
        notNegative(SnapListHeight(Clamp16(h - fixed.status - fixed.button - 20)));
    r.status = QRect(4, 4, width, fixed.status);
    r.playList = QRect(4, r.status.top() + fixed.status + 4, width, listHeight);
    r.button = QRect(4, r.playList.top() + listHeight + 4, width, fixed.button);
    return r;
}

MainRects LayoutNormal(int w, int h, const FixedHeights& fixed) {
    MainRects r;
    r.normal = true;
    const int left = notNegative(Clamp16((w - 12) * 0.54));
    const int right = notNegative((w - 12) - left);
    const int rightLeft = left + 8;
    const int t = Clamp16(h - fixed.status - fixed.button - 20);
    const int listHeight = notNegative(SnapListHeight(Clamp16(t * 0.6)));
    const int favHeight = notNegative(SnapListHeight(t - listHeight - 5));
    const int fvTop = 4;
    const int folderHeight =
        notNegative(SnapListHeight(Clamp16(h - fvTop - fixed.folderViewStatus - 12 - 5)));

    r.status = QRect(4, 4, left, fixed.status);
    r.playList = QRect(4, r.status.top() + fixed.status + 4, left, listHeight);
    r.button = QRect(4, r.playList.top() + listHeight + 2, left, fixed.button);
    r.favoriteList = QRect(4, r.button.top() + fixed.button + 2, left, favHeight);
    r.folderViewStatus = QRect(rightLeft, fvTop, right, fixed.folderViewStatus);
    r.folderView = QRect(rightLeft, fvTop + fixed.folderViewStatus + 4, right, folderHeight);
    return r;
}

FolderStatusPlacement LayoutFolderViewStatus(const FolderStatusInput& in) {
    FolderStatusPlacement p;
    p.fileLeft = in.width - in.fileWidth - 3;
    p.fileCountLeft = p.fileLeft - in.fileCountWidth - 2;
    p.folderLeft = p.fileCountLeft - in.folderWidth - 4;
    p.folderCountLeft = p.folderLeft - in.folderCountWidth - 2;
    const int third = RoundEven(in.width / 3.0);
    p.tabWidth = {third, third, in.width - 2 * third};
    p.tabLeft[0] = in.firstTabLeft;
    p.tabLeft[1] = p.tabLeft[0] + p.tabWidth[0] - 1;
    p.tabLeft[2] = p.tabLeft[1] + p.tabWidth[1] - 1;
    return p;
}

StatusBarPlacement ArrangeStatusBar(const StatusBarInput& in) {
    StatusBarPlacement p;
    p.timerModeLeft = in.stripWidth - (in.timerModeWidth + 5);
    p.repeatModeLeft = p.timerModeLeft - (in.repeatModeWidth + 5);
    p.playNumberLeft = p.repeatModeLeft - (in.playNumberWidth + 5);
    p.tagInfoWidth = std::max<int>(0, Clamp16(in.stripWidth - in.tagTitleLeft - in.tagTitleWidth -
                                              (in.timerModeWidth + 5) * 3));
    // The width counts from the title's right edge; the label starts a little further right and
    // must still end clear of the first mode button.
    p.tagInfoWidth = std::clamp(p.playNumberLeft - 3 - in.tagInfoLeft, 0, p.tagInfoWidth);
    p.endTimeLeft = in.stripWidth - (in.endTimeWidth + 1);
    p.startTimeLeft = p.endTimeLeft - (in.startTimeWidth + 1);
    p.timeLeft = p.startTimeLeft - (in.timeWidth + 1);
    p.barWidth = std::max<int>(0, Clamp16(p.timeLeft - in.seekBarLeft - 5));
    if (in.totalSeconds != 0 && in.oldSeekBarWidth > 0)
        p.seekPositionWidth = static_cast<int>(static_cast<int64_t>(p.barWidth) *
                                               in.oldSeekPositionWidth / in.oldSeekBarWidth);
    else
        p.seekPositionWidth = 0;  // no length, or a bar that had shrunk to nothing
    p.seekPositionWidth = std::clamp(p.seekPositionWidth, 0, p.barWidth);
    return p;
}

QPoint KeepWindowOnScreen(QPoint topLeft, QSize size, QSize screen, QPoint farthest) {
    int left = std::clamp(topLeft.x(), 0, farthest.x());
    int top = std::clamp(topLeft.y(), 0, farthest.y());
    if (screen.height() - top < size.height())
        top = screen.height() - size.height();
    if (left + size.width() > screen.width())
        left = screen.width() - size.width();
    return {left, top};
}

QPoint CenterOver(QRect main, QSize box) {
    return {RoundEven((main.width() - box.width()) / 2.0 + main.left()),
            RoundEven(main.top() + (main.height() - box.height()) / 2.0)};
}

QPoint BesideWindow(QRect mainFrame, QSize frame, QRect area) {
    const int right = mainFrame.right() + 1;
    const int left = mainFrame.left() - frame.width();
    int x = right;
    if (right + frame.width() > area.right() + 1)
        x = left >= area.left() ? left : area.right() + 1 - frame.width();
    x = std::max(x, area.left());
    const int y =
        std::max(std::min(mainFrame.top(), area.bottom() + 1 - frame.height()), area.top());
    return {x, y};
}

}  // namespace LayoutMath
