#include "gui/LayoutMath.h"

#include <gtest/gtest.h>

using namespace LayoutMath;

TEST(LayoutMath, ListHeightsSnapToWholeRows) {
    EXPECT_EQ(SnapListHeight(95), 100);  // remainder 7: up
    EXPECT_EQ(SnapListHeight(94), 88);   // remainder 6: down
    EXPECT_EQ(SnapListHeight(100), 100);
    EXPECT_EQ(SnapListHeight(4), 4);
    for (int h = 4; h < 400; ++h)
        EXPECT_EQ((SnapListHeight(h) - 4) % 12, 0) << h;
}

TEST(LayoutMath, MiniStacksTheLeftColumn) {
    const FixedHeights fixed{46, 52, 42};
    const MainRects r = LayoutMini(292, 300, fixed);
    EXPECT_FALSE(r.normal);
    EXPECT_EQ(r.status, QRect(4, 4, 284, 46));
    EXPECT_EQ(r.playList.top(), 54);
    EXPECT_EQ(r.playList.height(), 184);  // 300-46-52-20 = 182 snaps to 184
    EXPECT_EQ(r.button.top(), 54 + 184 + 4);
    EXPECT_EQ(r.playList.width(), 284);
}

TEST(LayoutMath, NormalSplitsTwoColumns) {
    const FixedHeights fixed{46, 52, 42};
    const MainRects r = LayoutNormal(600, 450, fixed);
    const int left = RoundEven((600 - 12) * 0.54);  // 318
    EXPECT_EQ(r.status.width(), left);
    EXPECT_EQ(r.folderView.left(), left + 8);
    EXPECT_EQ(r.folderView.width(), 600 - 12 - left);
    const int t = 450 - 46 - 52 - 20;
    EXPECT_EQ(r.playList.height(), SnapListHeight(RoundEven(t * 0.6)));
    EXPECT_EQ(r.favoriteList.height(), SnapListHeight(t - r.playList.height() - 5));
    EXPECT_EQ(r.button.top(), r.playList.bottom() + 1 + 2);
    EXPECT_EQ(r.favoriteList.top(), r.button.bottom() + 1 + 2);
    EXPECT_EQ(r.folderView.top(), 4 + 42 + 4);
    EXPECT_EQ((r.folderView.height() - 4) % 12, 0);
}

TEST(LayoutMath, TinyClientsNeverGiveNegativeSizes) {
    const FixedHeights fixed{46, 52, 42};
    for (const MainRects& r : {LayoutMini(1, 1, fixed), LayoutNormal(3, 10, fixed)}) {
        for (const QRect& q : {r.status, r.playList, r.button, r.favoriteList, r.folderView}) {
            EXPECT_GE(q.width(), 0);
            EXPECT_GE(q.height(), 0);
        }
    }
}

TEST(LayoutMath, FolderStatusCountersAndTabs) {
    FolderStatusInput in;
    in.width = 301;
    in.fileWidth = 28;
    in.fileCountWidth = 34;
    in.folderWidth = 46;
    in.folderCountWidth = 28;
    const FolderStatusPlacement p = LayoutFolderViewStatus(in);
    EXPECT_EQ(p.fileLeft, 301 - 28 - 3);
    EXPECT_EQ(p.fileCountLeft, p.fileLeft - 34 - 2);
    EXPECT_EQ(p.folderLeft, p.fileCountLeft - 46 - 4);
    EXPECT_EQ(p.folderCountLeft, p.folderLeft - 28 - 2);
    EXPECT_EQ(p.tabWidth[0], 100);
    EXPECT_EQ(p.tabWidth[2], 101);
    EXPECT_EQ(p.tabLeft[1], 99);  // neighbouring tabs overlap by one pixel
    EXPECT_EQ(p.tabLeft[2], 198);
}

TEST(LayoutMath, StatusStripRightAlignsAndKeepsTheBarShare) {
    StatusBarInput in;
    in.stripWidth = 400;
    in.tagTitleLeft = 4;
    in.tagTitleWidth = 38;
    in.timerModeWidth = in.repeatModeWidth = in.playNumberWidth = 14;
    in.endTimeWidth = in.startTimeWidth = 31;
    in.timeWidth = 34;
    in.seekBarLeft = 4;
    in.oldSeekBarWidth = 200;
    in.oldSeekPositionWidth = 50;
    in.totalSeconds = 240;
    const StatusBarPlacement p = ArrangeStatusBar(in);
    EXPECT_EQ(p.timerModeLeft, 400 - 19);
    EXPECT_EQ(p.playNumberLeft, 400 - 3 * 19);
    EXPECT_EQ(p.tagInfoWidth, 400 - 4 - 38 - 3 * 19);
    EXPECT_EQ(p.endTimeLeft, 400 - 32);
    EXPECT_EQ(p.timeLeft, 400 - 32 - 32 - 35);
    EXPECT_EQ(p.barWidth, p.timeLeft - 4 - 5);
    EXPECT_EQ(p.seekPositionWidth, p.barWidth / 4);  // a quarter stays a quarter

    in.totalSeconds = 0;
    EXPECT_EQ(ArrangeStatusBar(in).seekPositionWidth, 0);
    in.totalSeconds = 240;
    in.oldSeekBarWidth = 0;  // a bar that had shrunk to nothing
    EXPECT_EQ(ArrangeStatusBar(in).seekPositionWidth, 0);

    for (int w : {0, 20, 60, 120}) {
        in.stripWidth = w;
        const StatusBarPlacement n = ArrangeStatusBar(in);
        EXPECT_GE(n.tagInfoWidth, 0) << w;
        EXPECT_GE(n.barWidth, 0) << w;
        EXPECT_GE(n.seekPositionWidth, 0) << w;
    }
}

TEST(LayoutMath, WindowsAreKeptOnTheScreen) {
    const QSize screen(1024 * 15, 768 * 15);
    const QSize size(300 * 15, 200 * 15);
    EXPECT_EQ(KeepWindowOnScreen({-500, -30}, size, screen), QPoint(0, 0));
    EXPECT_EQ(KeepWindowOnScreen({900 * 15, 700 * 15}, size, screen),
              QPoint((1024 - 300) * 15, (768 - 200) * 15));
    EXPECT_EQ(KeepWindowOnScreen({1500, 1500}, size, screen), QPoint(1500, 1500));
    EXPECT_EQ(CenterOver(QRect(100, 50, 400, 300), QSize(150, 67)), QPoint(225, 166));
}

// A window beside the main window: right when it fits the free area, else left, else as far
// right as the area allows; its top stays inside the area (here below a 30-pixel panel).
TEST(LayoutMath, BesideTheMainWindow) {
    const QRect area(0, 30, 1024, 738);
    const QSize lyric(300, 500);
    struct Case {
        QRect main;
        QPoint expected;
    };
    const Case cases[] = {
        {QRect(0, 30, 500, 400), QPoint(500, 30)},      // room on the right
        {QRect(600, 100, 400, 400), QPoint(300, 100)},  // only on the left
        {QRect(100, 30, 800, 400), QPoint(724, 30)},    // neither: on the screen, overlapping
        {QRect(0, 500, 300, 200), QPoint(300, 268)},    // its bottom would pass the area's
        {QRect(0, 0, 300, 200), QPoint(300, 30)},       // above the area's top
    };
    for (const Case& c : cases)
        EXPECT_EQ(BesideWindow(c.main, lyric, area), c.expected) << c.main.x() << "," << c.main.y();
}
