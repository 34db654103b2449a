// The main window under keyboard and mouse: where the focus is, global keys, clicks on rows.
#include "MainWindowFixture.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
void clickRow(ListBox* box, int row) {
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {},
                      box->visualRect(box->model()->index(row, 0)).center());
}
}  // namespace

TEST(MainWindowInput, PlaylistHasTheFocusAfterStartUp) {
    MainWindowFixture f([](clsOption& o) { o.setStartHour(7); });
    ASSERT_TRUE(f.activate());
    ASSERT_EQ(QApplication::focusWidget(), f.ui().lstPlayList());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(f.ui().txtStartH()->text(), u"07"_qs);  // the saved hour is not typed over
}

// The window goes while a time box holds the focus: the box loses it as the widgets go, after
// the window's own part is gone, and that must reach nothing of the window (the sanitizers'
// builds see any use of it).
TEST(MainWindowInput, TheWindowGoesWhileATimeBoxHasTheFocus) {
    MainWindowFixture f;
    ASSERT_TRUE(f.activate());
    f.ui().txtStartH()->setFocus();
    f.ui().txtStartH()->setText(u"99"_qs);  // a box left with this would show a message
    ASSERT_EQ(QApplication::focusWidget(), f.ui().txtStartH());
    f.form.reset();
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

// F5 (the folder chooser, answered Cancel) and F11 (the size toggle) run once whichever
// control has the focus: a key a time box leaves passes its parents on the way to the window.
TEST(MainWindowInput, GlobalKeysRunOnceWhereverTheFocusIs) {
    MainWindowFixture f([](clsOption& o) { o.setFormStatus(1); });
    ASSERT_TRUE(f.activate());
    frmMain& w = *f.form;
    for (QWidget* target : std::initializer_list<QWidget*>{
             ui(w).txtStartH(), ui(w).txtStartM(), ui(w).txtEndH(), ui(w).txtEndM(),
             ui(w).lstPlayList(), ui(w).lstFavoriteList(), ui(w).lstFolderView()}) {
        SCOPED_TRACE(target->accessibleName().toStdString());
        if (w.Options.FormStatus() != 1)
            ui(w).cmdChangeFormSize_Click();
        target->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), target);
        const size_t boxes = f.dialogs->shown.size();
        QTest::keyClick(target, Qt::Key_F5);
        EXPECT_EQ(f.dialogs->shown.size(), boxes + 1);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F11);
        EXPECT_EQ(w.Options.FormStatus(), 0);
    }
}

// The playlist and the favorite list act on the clicked row as the folder view does.
TEST(MainWindowInput, ClickedRowIsTheRowCommandsActOn) {
    MainWindowFixture f([](clsOption& o) { o.setFormStatus(1); });
    frmMain& w = *f.form;
    f.app.write(u"list/a.m3u"_qs, "/m/a1.mp3\r\n");
    f.app.write(u"list/b.m3u"_qs, "/m/b1.mp3\r\n/m/b2.mp3\r\n");
    w.FavoriteLists.Clear();
    ui(w).LoadFavoriteLists();
    ui(w).ShowFavoriteLists();
    ASSERT_EQ(ui(w).lstFavoriteList()->count(), 2);
    f.setPlayList({u"/m/1.mp3"_qs, u"/m/2.mp3"_qs, u"/m/3.mp3"_qs});

    clickRow(ui(w).lstPlayList(), 0);
    clickRow(ui(w).lstPlayList(), 2);
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), 2);
    ui(w).cmdUpItem()->click();
    EXPECT_EQ(w.PlayList.items(), (QStringList{u"/m/1.mp3"_qs, u"/m/3.mp3"_qs, u"/m/2.mp3"_qs}));

    const int rowB = ui(w).lstFavoriteList()->rowText(0) == u"b"_qs ? 0 : 1;
    clickRow(ui(w).lstFavoriteList(), 1 - rowB);
    clickRow(ui(w).lstFavoriteList(), rowB);
    EXPECT_EQ(ui(w).lstFavoriteList()->listIndex(), rowB);
    ui(w).cmdGetList()->click();
    EXPECT_EQ(w.PlayList.items(), (QStringList{u"/m/b1.mp3"_qs, u"/m/b2.mp3"_qs}));
}

// A click on the tag label or its caption steps the field and leaves the focus, and so the
// list the commands act on, where it was.
TEST(MainWindowInput, TagLabelClicksKeepTheFocusAndTheActiveList) {
    MainWindowFixture f([](clsOption& o) { o.setFormStatus(1); });
    ASSERT_TRUE(f.activate());
    frmMain& w = *f.form;
    ui(w).lstFavoriteList()->setFocus();
    ASSERT_EQ(ui(w).ActiveListName(), u"lstFavoriteList"_qs);
    for (ClickLabel* label : {ui(w).lblTagInfo(), ui(w).lblTagInfoTitle()}) {
        const auto field = ui(w).TagFieldIndex();
        QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(ui(w).TagFieldIndex(), (field + 1) % 5);
        EXPECT_EQ(QApplication::focusWidget(), ui(w).lstFavoriteList());
        EXPECT_EQ(ui(w).ActiveListName(), u"lstFavoriteList"_qs);
    }
}
