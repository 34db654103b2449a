// The search window, the file information window and the tray icon, driven from the main window.
#include "MainWindowFixture.h"
#include "gui/search/frmSearch.h"
#include "gui/tags/frmTagInfo.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

const QString kNoHit = QStringLiteral("検索条件に一致する項目は見つかりません。");

// Answers the next search windows: the word and mode typed, or a cancel when `word` is null.
void answerSearch(frmMain& w, const QString& word, int mode,
                  const std::function<void(frmSearch&)>& check = {}) {
    ui(w).RunModal() = [=](QDialog& d) {
        auto& search = dynamic_cast<frmSearch&>(d);
        if (check)
            check(search);
        if (word.isNull()) {
            search.reject();
            return 0;
        }
        search.txtSearchWord->setText(word);
        search.setSearchMode(mode);
        search.cmdInput_Click();
        return 1;
    };
}

// The normal size, where the folder view is shown beside the playlist.
void normalSize(clsOption& o) {
    o.setFormStatus(1);
}

struct SearchFixture : MainWindowFixture {
    SearchFixture() : MainWindowFixture(normalSize) {
        setPlayList({u"/m/01 Intro.mp3"_qs, u"/m/02 Song.mp3"_qs, u"/m/03 Song (reprise).wav"_qs});
        activate();
        ui().lstPlayList()->setFocus();
    }
    int row() const { return ui().lstPlayList()->listIndex(); }
};

TEST(Search, CtrlFFindsInThePlaylistAndF3StepsThroughTheHitsBothWays) {
    SearchFixture f;
    answerSearch(*f.form, u"song"_qs, 2);
    QTest::keyClick(f.ui().lstPlayList(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(f.row(), 1);
    EXPECT_EQ(f.ui().SearchState(), 5);
    const std::pair<Qt::KeyboardModifiers, int> steps[] = {
        {Qt::NoModifier, 2},
        {Qt::NoModifier, 1},
        {Qt::ShiftModifier, 2},
        {Qt::ControlModifier | Qt::ShiftModifier, 1}};
    for (const auto& [mods, row] : steps) {
        QTest::keyClick(f.ui().lstPlayList(), Qt::Key_F3, mods);
        EXPECT_EQ(f.row(), row);
    }
}

TEST(Search, EachModeSelectsItsFirstHitOrSaysNothingMatched) {
    SearchFixture f;
    struct Case {
        const char16_t* word;
        int mode;
        int row;  // -1: the no-hit message
    };
    const Case cases[] = {
        {u"02", 1, 1}, {u"02 SONG", 0, 1}, {u"0?", 2, 0}, {u"song", 1, -1}, {u"[", 2, -1}};
    for (const Case& c : cases) {
        f.ui().lstPlayList()->setListIndex(-1);
        f.dialogs->shown.clear();
        answerSearch(*f.form, QString::fromUtf16(c.word), c.mode);
        f.ui().SearchList();
        EXPECT_EQ(f.row(), c.row) << c.mode;
        EXPECT_EQ(f.dialogs->shown.size(), c.row < 0 ? 1u : 0u) << c.mode;
        if (c.row < 0 && !f.dialogs->shown.empty()) {
            EXPECT_EQ(f.dialogs->shown[0].text, kNoHit);
        }
    }
}

TEST(Search, ACancelRunsTheLastSearchAgainSilently) {
    SearchFixture f;
    answerSearch(*f.form, u"song"_qs, 2);
    f.ui().SearchList();
    f.ui().lstPlayList()->setListIndex(0);
    answerSearch(*f.form, QString(), 2, [](frmSearch& s) {
        EXPECT_EQ(s.txtSearchWord->text(), u"song"_qs);  // the last word is offered again
    });
    f.ui().SearchList();
    EXPECT_EQ(f.row(), 1);
    f.setPlayList({u"/m/x.mp3"_qs});  // now nothing matches, and the cancel says nothing
    f.ui().SearchList();
    EXPECT_TRUE(f.dialogs->shown.empty());
    EXPECT_EQ(f.ui().SearchState(), 1);
}

TEST(Search, TheFolderViewOffersOnlyThePartMatch) {
    SearchFixture f;
    frmMain& w = *f.form;
    f.app.mkdir(u"music/Songs"_qs);
    f.app.write(u"music/a.mp3"_qs, "x");
    ui(w).ShowFolder(f.app.file(u"music"_qs), 1);
    ui(w).lstFolderView()->setFocus();
    answerSearch(w, u"songs"_qs, 0, [](frmSearch& s) {
        EXPECT_FALSE(s.optPerfect->isEnabled());
        EXPECT_FALSE(s.optFront->isEnabled());
        EXPECT_TRUE(s.optPart->isChecked());
    });
    ui(w).SearchList();
    EXPECT_EQ(ui(w).SearchState(), 10);
    EXPECT_EQ(ui(w).LastSearchMode(), 2);
    ASSERT_GE(ui(w).lstFolderView()->listIndex(), 0);
    EXPECT_TRUE(
        ui(w).lstFolderView()->rowText(ui(w).lstFolderView()->listIndex()).endsWith(u"Songs"_qs));
}

struct TagFixture : MainWindowFixture {
    TagFixture() : MainWindowFixture(normalSize) {
        app.write(u"music/sub/z.mp3"_qs, "x");
        app.write(u"music/first.mp3"_qs, "x");
        app.write(u"music/second.mp3"_qs, "x");
        setPlayList({app.file(u"music/first.mp3"_qs), app.file(u"music/second.mp3"_qs)});
        ui().ShowFolder(app.file(u"music"_qs), 1);
        activate();
        ui().RunModal() = [this](QDialog& d) {
            auto& window = dynamic_cast<frmTagInfo&>(d);
            shownName = window.lblFileName->text();
            window.show();
            dialogVisible = ui().AnyDialogVisible();  // the lyric window leaves it alone
            QTest::keyClick(&window, Qt::Key_Right);
            nextName = window.lblFileName->text();
            QTest::keyClick(&window, Qt::Key_Escape);
            return 0;
        };
    }
    QString shownName, nextName;
    bool dialogVisible = false;
};

TEST(TagInfo, AltEnterOrTheMenuKeyOpensTheSelectedFileAndTheFocusComesBack) {
    TagFixture f;
    frmMain& w = *f.form;
    const int firstFile = ui(w).FolderViewFolders().Count() + 1;
    const struct {
        ListBox* box;
        int row;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
    } cases[] = {{ui(w).lstPlayList(), 1, Qt::Key_Return, Qt::AltModifier},
                 {ui(w).lstPlayList(), 0, Qt::Key_Menu, Qt::NoModifier},
                 {ui(w).lstFolderView(), firstFile, Qt::Key_Return, Qt::AltModifier}};
    const QString shown[][2] = {{u"second.mp3 "_qs, u"first.mp3 "_qs},
                                {u"first.mp3 "_qs, u"second.mp3 "_qs},
                                {u"first.mp3 "_qs, u"second.mp3 "_qs}};
    for (int i = 0; i < 3; ++i) {
        const auto& c = cases[i];
        c.box->setFocus();
        c.box->setListIndex(c.row);
        f.shownName.clear();
        QTest::keyClick(c.box, c.key, c.mods);
        EXPECT_EQ(f.shownName, shown[i][0]) << i;
        EXPECT_EQ(f.nextName, shown[i][1]) << i;
        EXPECT_TRUE(f.dialogVisible) << i;
        EXPECT_EQ(QApplication::focusWidget(), c.box) << i;
        EXPECT_TRUE(f.dialogs->shown.empty()) << i;
    }
}

TEST(TagInfo, NoFileRowSelectedAsksForOne) {
    TagFixture f;
    frmMain& w = *f.form;
    for (ListBox* box : {ui(w).lstPlayList(), ui(w).lstFolderView()}) {
        box->setFocus();
        box->setListIndex(box == ui(w).lstPlayList() ? -1 : 1);  // nothing, or a folder row
        f.dialogs->shown.clear();
        ui(w).cmdTagInfo_Click();
        ASSERT_EQ(f.dialogs->shown.size(), 1u);
        EXPECT_EQ(f.dialogs->shown[0].text, u"ファイルを選択してください。"_qs);
    }
}

struct TrayFixture : MainWindowFixture {
    TrayFixture(bool trayAvailable = true)
        : MainWindowFixture([](clsOption& o) { o.setTrayIcon(1); }) {
        ui().TrayAvailable() = [trayAvailable] { return trayAvailable; };
        ui().TrayClickRestores() = [this] { return notifierItem; };
        activate();
    }
    void minimise() { form->setWindowState(form->windowState() | Qt::WindowMinimized); }
    bool notifierItem = false;  // an XEmbed tray unless a test says otherwise
};

TEST(Tray, MinimisingHidesIntoTheIconAndOnlyADoubleClickBringsItBack) {
    TrayFixture f;
    frmMain& w = *f.form;
    f.minimise();
    ASSERT_FALSE(w.isVisible());
    ASSERT_TRUE(ui(w).TrayIcon() && ui(w).TrayIcon()->isVisible());
    EXPECT_TRUE(ui(w).TrayIconShown());
    EXPECT_FALSE(w.isMinimized());  // it comes back normal-sized
    for (auto reason :
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        w.TrayIcon_Activated(reason);
        EXPECT_FALSE(w.isVisible()) << reason;
    }
    w.TrayIcon_Activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(ui(w).mnuZAPT()->isVisible());
    ui(w).mnuZAPT()->hide();
    w.TrayIcon_Activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(w.isVisible());
    // Shown, not shown minimised: the window system is told the window is back to normal.
    EXPECT_FALSE(w.windowHandle()->windowStates() & Qt::WindowMinimized);
    EXPECT_FALSE(ui(w).TrayIcon()->isVisible());
    EXPECT_FALSE(ui(w).TrayIconShown());
}

TEST(Tray, AStatusNotifierHostsClickRestoresForItHasNoDoubleClick) {
    TrayFixture f;
    f.notifierItem = true;
    f.minimise();
    f.form->TrayIcon_Activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(f.form->isVisible());
    EXPECT_FALSE(f.ui().TrayIconShown());
}

TEST(Tray, MinimisingAgainWhileInTheTrayAddsNoSecondIcon) {
    TrayFixture f;
    frmMain& w = *f.form;
    f.minimise();
    w.setWindowTitle(u"ZAPT - later"_qs);
    f.minimise();
    EXPECT_EQ(ui(w).TrayIcon()->toolTip(), u"ZAPT"_qs);  // the tip of the one "ADD"
}

TEST(Tray, WithoutATrayTheWindowMinimisesAsUsual) {
    TrayFixture f(false);
    f.minimise();
    EXPECT_TRUE(f.form->isVisible());
    EXPECT_TRUE(f.form->isMinimized());
    EXPECT_FALSE(f.ui().TrayIconShown());
}

}  // namespace
