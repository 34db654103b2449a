#include "app/frmMain.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QToolButton>

#include <gtest/gtest.h>

namespace {
std::unique_ptr<frmMain> loaded(const TempDir& d, int formStatus, int toolTips = 0) {
    clsOption o;
    o.setFormStatus(formStatus);
    o.setToolTipText(static_cast<int16_t>(toolTips));
    o.WriteOption(d.file(u"ZAopt.inf"_qs));
    auto f = std::make_unique<frmMain>(d.path(), QString(), std::make_unique<FakeDialogs>());
    EXPECT_TRUE(f->Form_Load());
    return f;
}
}  // namespace

TEST(MainWindowLayout, ModesShowTheirControlsAndSnapRows) {
    TempDir d;
    auto f = loaded(d, 0);
    EXPECT_EQ(f->size(), QSize(300, 300));
    EXPECT_FALSE(f->lstFolderView->isVisibleTo(f.get()));
    EXPECT_FALSE(f->lstFavoriteList->isVisibleTo(f.get()));
    EXPECT_EQ((f->lstPlayList->height() - 4) % 12, 0);
    EXPECT_GE(f->picButton->geometry().bottom(), f->lstPlayList->geometry().bottom());
    EXPECT_LE(f->picButton->geometry().bottom(), f->height());

    f->cmdChangeFormSize->click();
    EXPECT_EQ(f->Options.FormStatus(), 1);
    EXPECT_EQ(f->size(), QSize(600, 450));
    EXPECT_TRUE(f->lstFolderView->isVisibleTo(f.get()));
    for (ListBox* box : {f->lstPlayList, f->lstFavoriteList, f->lstFolderView})
        EXPECT_EQ((box->height() - 4) % 12, 0);
    // The rows really are 12 pixels high.
    f->PlayList.Add(u"/a/one.mp3"_qs);
    f->PlayList.Add(u"/a/two.mp3"_qs);
    f->RefreshPlayList();
    EXPECT_EQ(f->lstPlayList->visualRect(f->lstPlayList->model()->index(1, 0)).top() -
                  f->lstPlayList->visualRect(f->lstPlayList->model()->index(0, 0)).top(),
              12);
    f->ZAPT_End();
}

TEST(MainWindowLayout, EachModeRemembersItsOwnSizeAndMinimum) {
    TempDir d;
    auto f = loaded(d, 1);
    f->resize(700, 500);
    EXPECT_EQ(f->Options.FormWidthNormal(), 700);
    EXPECT_EQ(f->Options.FormHeightNormal(), 500);
    f->resize(100, 100);  // below the normal minimum of 7800 × 4200 twips
    EXPECT_EQ(f->size(), QSize(520, 280));
    f->cmdChangeFormSize_Click();
    EXPECT_EQ(f->Options.FormStatus(), 0);
    EXPECT_EQ(f->size(), QSize(300, 300));
    f->resize(200, 150);  // below the mini minimum of 4285 × 3140 twips
    EXPECT_EQ(f->size(), QSize(286, 209));
    EXPECT_EQ(f->Options.FormWidthMini(), 286);
    EXPECT_EQ(f->Options.FormWidthNormal(), 520);
    f->cmdChangeFormSize_Click();
    EXPECT_EQ(f->size(), QSize(520, 280));
    f->ZAPT_End();
}

TEST(MainWindowLayout, NarrowStatusStripNeverGoesNegative) {
    TempDir d;
    auto f = loaded(d, 0);
    f->resize(286, 209);
    for (QWidget* w : std::initializer_list<QWidget*>{f->lblTagInfo, f->lblPlayTime, f->shpSeekBar,
                                                      f->shpSeekPosition, f->lblSeekBar})
        EXPECT_GE(w->width(), 0);
    EXPECT_LT(f->shpSeekBar->geometry().right(), f->lblTime->x());
    EXPECT_LE(f->picTimerMode->geometry().right(), f->picStatus->width());
    f->ZAPT_End();
}

TEST(MainWindowLayout, ToolTipsFollowTheSetting) {
    TempDir off;
    auto a = loaded(off, 0, 0);
    EXPECT_TRUE(a->cmdShuffle->toolTip().isEmpty());
    a->ZAPT_End();
    TempDir on;
    auto b = loaded(on, 0, 1);
    EXPECT_EQ(b->cmdShuffle->toolTip(), QStringLiteral("プレイリストの並びをシャッフルします。"));
    EXPECT_EQ(b->cmdDownItem->toolTip(), QStringLiteral("選択中の曲を1つ下に移動します。"));
    b->ZAPT_End();
}
