// The folder view as the user walks it: rows, double clicks, keys and the registered folders.
#include "MainWindowFixture.h"

#include <QKeyEvent>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
void keyDown(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w, &e);
}

struct Tree {
    TempDir d;
    Tree() {
        d.write(u"root/A/in-a.mp3"_qs, "x");
        d.write(u"root/A/deeper/z.mp3"_qs, "x");
        d.mkdir(u"root/B"_qs);
        d.write(u"root/x.mp3"_qs, "x");
        d.write(u"root/notes.txt"_qs, "x");
    }
    QString root() const { return d.file(u"root"_qs); }
};

// A real left click on a row, as the mouse gives it: press, then release.
void clickRow(ListBox* box, int row) {
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {},
                      box->visualRect(box->model()->index(row, 0)).center());
}

// The row of a sub-folder, whichever of the two tree marks it has.
int folderRow(const ListBox& box, const QString& name) {
    for (int i = 0; i < box.count(); ++i)
        if (box.rowText(i) == QStringLiteral("├ ") + name ||
            box.rowText(i) == QStringLiteral("└ ") + name)
            return i;
    return -1;
}
}  // namespace

TEST(FolderView, RowsCountsAndWalkingDownAndUp) {
    Tree t;
    MainWindowFixture f;
    frmMain& w = *f.form;
    ui(w).ShowFolder(t.root(), 1);
    ASSERT_EQ(ui(w).lstFolderView()->count(), 4);
    EXPECT_EQ(ui(w).lstFolderView()->rowText(0), QStringLiteral("┬ ・・"));
    const int rowA = folderRow(*ui(w).lstFolderView(), u"A"_qs);
    ASSERT_GT(rowA, 0);
    EXPECT_EQ(ui(w).lstFolderView()->rowText(3), u"    x.mp3"_qs);
    EXPECT_EQ(ui(w).lblFolderCount()->text() + ui(w).lblFolder()->text(),
              QStringLiteral("2フォルダ"));
    EXPECT_EQ(ui(w).lblFileCount()->text() + ui(w).lblFile()->text(), QStringLiteral("1ファイル"));
    EXPECT_EQ(ui(w).lblFolderViewCurrentFolder()->fullText(), t.root());

    // A click on a sub-folder row makes it the current folder without changing the view.
    ui(w).lstFolderView()->setListIndex(rowA);
    EXPECT_EQ(ui(w).CurrentFolder(), t.d.file(u"root/A"_qs));
    EXPECT_EQ(ui(w).FolderViewPath(), t.root());

    Q_EMIT ui(w).lstFolderView()->rowDoubleClicked();
    EXPECT_EQ(ui(w).FolderViewPath(), t.d.file(u"root/A"_qs));
    EXPECT_EQ(ui(w).lstFolderView()->listIndex(), 0);
    EXPECT_EQ(ui(w).lstFolderView()->rowText(0), QStringLiteral("┬ ・・"));
    EXPECT_EQ(ui(w).lstFolderView()->rowText(1), QStringLiteral("└ deeper"));

    keyDown(ui(w).lstFolderView(), Qt::Key_Backspace);  // back up, the folder just left selected
    EXPECT_EQ(ui(w).FolderViewPath(), t.root());
    EXPECT_EQ(ui(w).lstFolderView()->listIndex(), rowA);
    EXPECT_EQ(ui(w).FolderViewReturnRows().Count(), 0);
}

TEST(FolderView, FilesGoToThePlaylistAndSpaceAddsAFolder) {
    Tree t;
    MainWindowFixture f([](clsOption& o) { o.setSearchMode(0); });
    frmMain& w = *f.form;
    ui(w).ShowFolder(t.root(), 1);
    ui(w).lstFolderView()->setListIndex(3);  // x.mp3
    keyDown(ui(w).lstFolderView(), Qt::Key_Return);
    EXPECT_EQ(w.PlayList.items(), QStringList{t.d.file(u"root/x.mp3"_qs)});
    keyDown(ui(w).lstFolderView(), Qt::Key_Space);
    EXPECT_EQ(w.PlayList.Count(), 2);

    const int rowA = folderRow(*ui(w).lstFolderView(), u"A"_qs);
    ui(w).lstFolderView()->setListIndex(rowA);
    keyDown(ui(w).lstFolderView(), Qt::Key_Space);  // the sub-folder is the current folder now
    EXPECT_EQ(w.PlayList.Count(), 3);
    EXPECT_EQ(w.PlayList.Value(2), t.d.file(u"root/A/in-a.mp3"_qs));
    EXPECT_EQ(ui(w).FolderViewPath(), t.root());  // the view itself did not move
}

TEST(FolderView, RootHasNoParentAndVanishedFoldersAreReported) {
    Tree t;
    MainWindowFixture f;
    frmMain& w = *f.form;
    ui(w).ShowFolder(u"/"_qs, 1);
    ui(w).lstFolderView()->setListIndex(0);
    ui(w).FolderViewOpen();
    EXPECT_EQ(ui(w).FolderViewPath(), u"/"_qs);
    EXPECT_TRUE(f.dialogs->shown.empty());

    ui(w).ShowFolder(t.root(), 1);
    QDir(t.d.file(u"root/B"_qs)).removeRecursively();
    const int rowB = folderRow(*ui(w).lstFolderView(), u"B"_qs);
    ui(w).lstFolderView()->setListIndex(rowB);
    ui(w).FolderViewOpen();
    ASSERT_EQ(f.dialogs->shown.size(), 1u);
    EXPECT_EQ(f.dialogs->shown[0].text,
              QStringLiteral("ファイルまたはフォルダにアクセスできません。"));
    EXPECT_EQ(ui(w).FolderViewPath(), t.root());
}

TEST(FolderView, RegisteredFolders) {
    Tree t;
    const QString root = t.root();
    MainWindowFixture f([&root](clsOption& o) {
        o.setEntryPath(0, root);
        o.setEntryPathName(0, u"Music"_qs);
        o.setEntryPathName(2, QString());
    });
    frmMain& w = *f.form;
    EXPECT_EQ(ui(w).lblEntryFolder()[0]->text(), u"Music"_qs);
    EXPECT_FALSE(ui(w).lblEntryFolder()[2]->isVisibleTo(&w));
    ui(w).FolderViewReturnRows().Add(u"3"_qs);
    Q_EMIT ui(w).lblEntryFolder()[0]->mouseDown(Qt::LeftButton, {});
    EXPECT_EQ(ui(w).FolderViewPath(), root);
    EXPECT_EQ(ui(w).FolderViewReturnRows().Count(), 0);

    const QString before = ui(w).FolderViewPath();
    Q_EMIT ui(w).lblEntryFolder()[1]->mouseDown(Qt::LeftButton, {});
    ASSERT_EQ(f.dialogs->shown.size(), 1u);
    EXPECT_EQ(f.dialogs->shown[0].text,
              QStringLiteral(
                  "登録フォルダが設定されていません。\r\nプレイヤー設定画面で設定してください。"));
    EXPECT_EQ(ui(w).FolderViewPath(), before);
}

TEST(FolderView, DateSortPutsNewestFilesFirst) {
    TempDir d;
    const QString older = d.write(u"v/older.mp3"_qs, "x");
    const QString newer = d.write(u"v/newer.mp3"_qs, "x");
    {
        QFile o(older);
        o.open(QIODevice::ReadWrite);
        o.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
    }
    MainWindowFixture f;
    frmMain& w = *f.form;
    ui(w).ShowFolder(d.file(u"v"_qs), 1);
    ui(w).mnuSort_Date()->trigger();
    EXPECT_EQ(ui(w).FolderViewFiles().Value(0), newer);
    EXPECT_EQ(ui(w).lstFolderView()->rowText(1), u"newer.mp3"_qs);
}

// A click on a row acts on that row, not on the row selected before it: the current folder,
// get files, Space and the "・・" row all follow the row the mouse pressed.
TEST(FolderView, ClickedRowIsTheRowActedOn) {
    Tree t;
    MainWindowFixture f([](clsOption& o) {
        o.setFormStatus(1);
        o.setSearchMode(0);
    });
    frmMain& w = *f.form;
    ui(w).ShowFolder(t.root(), 1);
    const int rowA = folderRow(*ui(w).lstFolderView(), u"A"_qs);
    const int rowB = folderRow(*ui(w).lstFolderView(), u"B"_qs);

    clickRow(ui(w).lstFolderView(), rowB);
    EXPECT_EQ(ui(w).CurrentFolder(), t.d.file(u"root/B"_qs));
    clickRow(ui(w).lstFolderView(), rowA);
    EXPECT_EQ(ui(w).lstFolderView()->listIndex(), rowA);
    EXPECT_EQ(ui(w).CurrentFolder(), t.d.file(u"root/A"_qs));
    ui(w).cmdGetFile()->click();
    EXPECT_EQ(w.PlayList.items(), QStringList{t.d.file(u"root/A/in-a.mp3"_qs)});
    QTest::keyClick(ui(w).lstFolderView(), Qt::Key_Down);  // a key moves the current folder too
    EXPECT_EQ(ui(w).lstFolderView()->listIndex(), rowA + 1);
    EXPECT_EQ(ui(w).CurrentFolder(), ui(w).FolderViewFolders().Value(rowA));

    clickRow(ui(w).lstFolderView(), 0);  // the "・・" row: the shown folder is the current one
    EXPECT_EQ(ui(w).CurrentFolder(), t.root());
    keyDown(ui(w).lstFolderView(), Qt::Key_Space);
    EXPECT_EQ(w.PlayList.Value(1), t.d.file(u"root/x.mp3"_qs));

    clickRow(ui(w).lstFolderView(), rowA);
    clickRow(ui(w).lstFolderView(), 0);  // a double click: press and release, then the second press
    QTest::mouseDClick(
        ui(w).lstFolderView()->viewport(), Qt::LeftButton, {},
        ui(w).lstFolderView()->visualRect(ui(w).lstFolderView()->model()->index(0, 0)).center());
    EXPECT_EQ(ui(w).FolderViewPath(), t.d.path());  // up from root, not back to root from A
}

TEST(FolderView, NamesWithLineBreaksNeverReachTheStateFiles) {
    TempDir t;
    const QString root = t.mkdir(u"root"_qs);
    const QString ok = t.write(u"root/ok.mp3"_qs, "x");
    const QString lf = t.write(u"root/a\nb.mp3"_qs, "x");
    t.write(u"root/c\rd.mp3"_qs, "x");
    const QString broken = t.mkdir(u"root/sub\nx"_qs);
    t.write(u"root/sub\nx/e.mp3"_qs, "x");
    MainWindowFixture f([](clsOption& o) { o.setSearchMode(1); });
    frmMain& w = *f.form;
    const QString messageOf3 = u"改行を含む名前のファイル3個は取得できません。"_qs;
    const QString messageOf1 = u"改行を含む名前のファイル1個は取得できません。"_qs;
    struct Case {
        const char* what;
        std::function<void()> act;
        QStringList playList;
        QString message;
    };
    const std::vector<Case> cases = {
        {"get files",
         [&] {
             ui(w).ShowFolder(root, 1);
             ui(w).GetFilesFromCurrentFolder();
         },
         {ok},
         messageOf3},
        {"folder-view file",
         [&] { ui(w).AddFolderViewFile(int32_t(ui(w).FolderViewFiles().items().indexOf(lf))); },
         {},
         messageOf1},
        {"drop",
         [&] {
             ui(w).lstPlayList_FilesDropped(QStringList{lf, ok});
         },
         {ok},
         messageOf1},
    };
    for (const Case& c : cases) {
        w.PlayList.Clear();
        f.dialogs->shown.clear();
        c.act();
        EXPECT_EQ(w.PlayList.items(), c.playList) << c.what;
        ASSERT_EQ(f.dialogs->shown.size(), 1u) << c.what;
        EXPECT_EQ(f.dialogs->shown[0].text, c.message) << c.what;
    }

    // A current folder with a line break is not remembered: the last good one stays.
    ui(w).ShowFolder(broken, 1);
    w.ZAPT_End();
    clsOption back;
    ASSERT_TRUE(back.ReadOption(f.app.file(u"ZAopt.inf"_qs)));
    EXPECT_EQ(back.LastCurrentFolder(), f.app.path());
    EXPECT_EQ(back.EntryPathName(0), u"1Folder"_qs);
}
