#include "gui/MainWindowFixture.h"
#include "gui/settings/frmOptions.h"
#include "gui/widgets/ListBox.h"
#include "library/FileCollector.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A dialog over a store, as the main window opens it.
struct Dialog {
    explicit Dialog(const std::function<void(clsOption&)>& settings = {}) {
        if (settings)
            settings(options);
        form.wkZaoption = &options;
        form.Initialize();
        form.show();
    }
    TempDir app;
    clsOption options;
    FakeDialogs dialogs;
    frmOptions form{dialogs, app.path()};
};

}  // namespace

TEST(frmOptions, EachRowLoadsAndSavesAsItsOptionAsks) {
    using Set = std::function<void(clsOption&)>;
    using Act = std::function<void(frmOptions&)>;
    const struct {
        const char* row;
        Set set;
        Act act;  // what the user does before OK
        int index;
        int16_t stored;
    } rows[] = {
        {"blank 3000 shows 3 and saves 3000", [](clsOption& o) { o.setBlankSec(3000); },
         [](frmOptions& f) { EXPECT_EQ(f.txtBlank->text(), u"3"_s); }, 8, 3000},
        {"blank text 2.7", [](clsOption& o) { o.setBlankSec(3000); },
         [](frmOptions& f) { f.txtBlank->setText(u"2.7"_s); }, 8, 2000},
        {"clear blank box stores 0", [](clsOption& o) { o.setBlankSec(3000); },
         [](frmOptions& f) { f.chkBlank->click(); }, 8, 0},
        {"ticking the blank box offers 2 s", [](clsOption& o) { o.setBlankSec(0); },
         [](frmOptions& f) {
             EXPECT_FALSE(f.txtBlank->isEnabled());
             f.chkBlank->click();
         },
         8, 2000},
        {"first action bits", [](clsOption& o) { o.setFirstAction(5); },
         [](frmOptions& f) { EXPECT_FALSE(f.chkFirstAction[1]->isChecked()); }, 15, 5},
        {"nothing after folder choice drops play",
         [](clsOption& o) { o.setSetCurrentPathAction(5); },
         [](frmOptions& f) {
             EXPECT_TRUE(f.chkSetDirActionP->isChecked());
             f.optSetDirAction[0]->click();
             EXPECT_FALSE(f.chkSetDirActionP->isEnabled());
         },
         16, 0},
        {"add files with shuffle", [](clsOption& o) { o.setSetCurrentPathAction(2 + 8); },
         [](frmOptions& f) { EXPECT_TRUE(f.optSetDirAction[2]->isChecked()); }, 16, 10},
        {"file types 9 tick .mp3 and .mid", [](clsOption& o) { o.setGetFileType(9); },
         [](frmOptions& f) {
             for (size_t i = 0; i < f.chkGetFileType.size(); ++i)
                 EXPECT_EQ(f.chkGetFileType[i]->isChecked(), i == 0 || i == 3) << i;
         },
         17, 9},
        {"a new file type", [](clsOption& o) { o.setGetFileType(15); },
         [](frmOptions& f) { f.chkGetFileType[4]->click(); }, 17, 31},
        {"a later file type has its own field", [](clsOption& o) { o.setGetFileType(255); },
         [](frmOptions& f) {
             EXPECT_EQ(f.chkGetFileType[9]->text(), u".wv"_s);
             f.chkGetFileType[9]->click();
         },
         clsOption::kMoreFileTypes, 2},
        {"stop mode 1 is a clear box", [](clsOption& o) { o.setTimerStopMode(1); },
         [](frmOptions& f) { EXPECT_FALSE(f.chkTimerStopMode->isChecked()); }, 21, 1},
        {"stop mode other than 1 is ticked and saves 0",
         [](clsOption& o) { o.setTimerStopMode(7); },
         {},
         21,
         0},
        {"vague search 100 saves 1", [](clsOption& o) { o.setVagueSearch(100); }, {}, 18, 1},
        {"registered folder first saves True",
         [](clsOption& o) { o.setPrimaryCurrentPath(100); },
         {},
         19,
         -1},
        {"last folder first saves 0", [](clsOption& o) { o.setPrimaryCurrentPath(-1); },
         [](frmOptions& f) { f.optPrimaryCurrentPath[0]->click(); }, 19, 0},
        {"sub-folder flag", [](clsOption& o) { o.setSearchMode(1); },
         [](frmOptions& f) { f.chkSerchMode->click(); }, 20, 0},
        {"tray icon", {}, [](frmOptions& f) { f.chkTrayIcon->click(); }, 33, 1},
        {"unmarked tag text", [](clsOption& o) { o.setUnmarkedText(UnmarkedText::Japanese); },
         [](frmOptions& f) {
             EXPECT_EQ(f.cboUnmarkedText->currentText(), u"日本語 (Shift_JIS)"_s);
             f.cboUnmarkedText->setCurrentIndex(2);
         },
         39, 2},
        {"resume", {}, [](frmOptions& f) { f.chkResume->click(); }, clsOption::kResume, 1},
        {"gain mode", [](clsOption& o) { o.setGainMode(GainMode::Album); },
         [](frmOptions& f) {
             EXPECT_EQ(f.cboGainMode->currentText(), u"アルバム"_s);
             f.cboGainMode->setCurrentIndex(3);
         },
         clsOption::kGainMode, 3},
        {"pre-amp in tenths of a dB", [](clsOption& o) { o.setPreampDb(-2.5); },
         [](frmOptions& f) {
             EXPECT_DOUBLE_EQ(f.updPreamp->value(), -2.5);
             f.updPreamp->setValue(6.5);
         },
         clsOption::kPreampTenthsDb, 65},
        {"clipping prevention",
         {},
         [](frmOptions& f) { f.chkPreventClipping->click(); },
         clsOption::kPreventClipping,
         0},
        {"page shown", [](clsOption& o) { o.setOptionTab(2); },
         [](frmOptions& f) {
             EXPECT_EQ(f.sstOption->currentIndex(), 2);
             f.sstOption->setCurrentIndex(1);
         },
         4, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        Dialog d(r.set);
        if (r.act)
            r.act(d.form);
        d.form.cmdOK->click();
        EXPECT_FALSE(d.form.IsCancel);
        EXPECT_EQ(d.options.numeric(r.index), r.stored);
    }
}

TEST(frmOptions, TextsAndColoursAreSavedOnOkOnly) {
    Dialog d([](clsOption& o) { o.setEntryPathName(1, u"Jazz"_s); });
    EXPECT_EQ(d.form.txtEntryPathName[1]->text(), u"Jazz"_s);
    d.form.txtEntryPathName[1]->setText(u"Rock"_s);
    d.form.txtLyricFolder->setText(u"/lyrics"_s);
    d.form.txtEntryPath[2]->setText(u"/music"_s);
    d.dialogs.colors.push_back(0x123456);
    d.form.cmdSetColor[3]->click();
    d.form.cmdSetColor[4]->click();  // cancelled: keeps its colour
    EXPECT_EQ(d.options.PlayerColor(3), 1315860);
    d.form.cmdOK->click();
    EXPECT_EQ(d.options.EntryPathName(1), u"Rock"_s);
    EXPECT_EQ(d.options.LyricFolder(), u"/lyrics"_s);
    EXPECT_EQ(d.options.EntryPath(2), u"/music"_s);
    EXPECT_EQ(d.options.PlayerColor(3), 0x123456);
    EXPECT_EQ(d.options.PlayerColor(4), 16777215);
}

TEST(frmOptions, CancelLeavesEveryOptionButTheBrowsedFolders) {
    Dialog d;
    d.options.WriteOption(d.app.file(u"before.inf"_s));
    d.form.chkTrayIcon->click();
    d.form.chkBlank->click();
    d.form.txtEntryPathName[0]->setText(u"x"_s);
    d.dialogs.colors.push_back(0);
    d.form.cmdSetColor[0]->click();
    d.dialogs.folders.push_back(u"/srv/music/Jazz"_s);
    d.form.cmdGetEntryPath[1]->click();
    EXPECT_EQ(d.form.txtEntryPathName[1]->text(), u"Jazz"_s);
    d.form.cmdGetEntryPath[2]->click();  // the chooser cancelled: the path stays
    d.form.cmdCancel->click();
    EXPECT_TRUE(d.form.IsCancel);
    EXPECT_EQ(d.options.EntryPath(1), u"/srv/music/Jazz"_s);  // written at once
    d.options.setEntryPath(1, QString());
    d.options.WriteOption(d.app.file(u"after.inf"_s));
    EXPECT_EQ(d.app.read(u"after.inf"_s), d.app.read(u"before.inf"_s));
}

TEST(frmOptions, CtrlTabTurnsThePagesRoundFromAnyControl) {
    Dialog d([](clsOption& o) { o.setOptionTab(2); });
    QTest::keyClick(d.form.cmdOK, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(d.form.sstOption->currentIndex(), 0);
    QTest::keyClick(d.form.chkBlank, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(d.form.sstOption->currentIndex(), 1);
}

TEST(frmOptions, BadInputKeepsTheDialogOpenAndSavesNothing) {
    const struct {
        const char* what;
        qint64 lyricBytes;
        QString blank;
        QString message;
    } cases[] = {
        {"exactly the limit", 200'000'000, u"1"_s, QString()},
        {"one byte more", 200'000'001, u"1"_s,
         u"歌詞フォルダ内のファイルサイズ合計が大きすぎます。再設定してください。"_s},
        {"blank not a number", 0, u"two"_s,
         u"無音時間（秒）には 0 から 32 までの数値を入力してください。"_s},
        {"blank too long", 0, u"40"_s,
         u"無音時間（秒）には 0 から 32 までの数値を入力してください。"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Dialog d([](clsOption& o) { o.setBlankSec(5000); });
        QFile big(d.app.write(u"lyrics/big.txt"_s, {}));
        ASSERT_TRUE(big.open(QIODevice::ReadWrite) && big.resize(c.lyricBytes));
        d.form.txtLyricFolder->setText(d.app.file(u"lyrics"_s));
        d.form.txtBlank->setText(c.blank);
        d.form.cmdOK->click();
        EXPECT_EQ(d.dialogs.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(d.form.IsCancel, !c.message.isEmpty());
        EXPECT_EQ(d.options.LyricFolder().isEmpty(), !c.message.isEmpty());
        EXPECT_EQ(d.dialogs.placed.size(), c.message.isEmpty() ? 0u : 1u);
    }
}

TEST(frmOptions, ArrowKeysInTheBlankBoxStep) {
    Dialog d([](clsOption& o) { o.setBlankSec(9000); });
    QTest::keyClick(d.form.txtBlank, Qt::Key_Up);
    QTest::keyClick(d.form.txtBlank, Qt::Key_Up);
    EXPECT_EQ(d.form.txtBlank->text(), u"10"_s);
    QTest::keyClick(d.form.txtBlank, Qt::Key_Down);
    EXPECT_EQ(d.form.txtBlank->text(), u"9"_s);
}

TEST(frmOptions, ColourPatternsSaveLoadAndDelete) {
    Dialog d;
    d.app.write(u"color/b.col"_s, "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21\r\n");
    d.app.write(u"color/c.col"_s, "1,2,3\r\n");
    d.form.LoadColorPatternNames();
    d.form.ShowColorPatternNames();
    d.dialogs.colors.push_back(0);
    d.form.cmdSetColor[3]->click();
    d.form.cmdSetDefaultColor->click();  // resets the store at once
    EXPECT_EQ(d.form.ButtonColor(3), 1315860);

    d.dialogs.inputs = {u"a"_s, u"b"_s, u"../x"_s};
    d.form.cmdSaveColorPattern->click();
    EXPECT_EQ(d.app.read(u"color/a.col"_s).left(24), "-2147483633,-2147483633,");
    d.dialogs.answers.push_back(UserDialogs::No);
    d.form.cmdSaveColorPattern->click();  // exists: asked, and No keeps it
    d.form.cmdSaveColorPattern->click();  // no file name
    EXPECT_EQ(d.app.read(u"color/b.col"_s).left(4), "1,2,");
    EXPECT_EQ(d.dialogs.texts().mid(1),
              QStringList({u"色の設定の名前を入力してください。"_s,
                           u"同名のカラー設定ファイルが既に存在します。上書きしますか？"_s,
                           u"色の設定の名前を入力してください。"_s,
                           u"ファイル書き込み中にエラーが発生しました。"_s}));
    ASSERT_EQ(d.form.lstColorPatternList->count(), 3);
    EXPECT_EQ(d.form.lstColorPatternList->rowText(2), u"a"_s);  // a new pattern comes last

    d.form.lstColorPatternList->setListIndex(1);  // c: too few fields
    d.form.lstColorPatternList_DblClick();
    EXPECT_EQ(d.form.ButtonColor(20), 16744448);
    d.form.lstColorPatternList->setListIndex(0);
    d.form.lstColorPatternList_DblClick();
    EXPECT_EQ(d.form.ButtonColor(20), 21);
    EXPECT_EQ(d.options.PlayerColor(20), 16744448);  // only OK changes the scheme

    d.dialogs.answers = {UserDialogs::Cancel, UserDialogs::Ok};
    QTest::keyClick(d.form.lstColorPatternList, Qt::Key_Delete);
    EXPECT_EQ(d.form.lstColorPatternList->count(), 3);
    QTest::keyClick(d.form.lstColorPatternList, Qt::Key_Delete);
    EXPECT_EQ(d.form.lstColorPatternList->count(), 2);
    EXPECT_FALSE(QFile::exists(d.app.file(u"color/b.col"_s)));
    EXPECT_EQ(d.form.lstColorPatternList->rowText(0), u"c"_s);
    EXPECT_EQ(d.form.lstColorPatternList->listIndex(), 0);
    d.form.cmdCancel->click();
    EXPECT_EQ(d.options.PlayerColor(20), 16744448);
}

// A pattern whose file cannot be deleted says so and stays; one already gone loses its row.
TEST(frmOptions, APatternThatCannotBeDeletedSaysWhyAndOneAlreadyGoneGoes) {
    Dialog d;
    d.app.write(u"color/stuck.col/inside"_s, "x");  // a folder: unlink refuses it
    d.form.Patterns.ColorPatternFiles.assign(
        {d.app.file(u"color/gone.col"_s), d.app.file(u"color/stuck.col"_s)});
    d.form.ShowColorPatternNames();
    const struct {
        int row;
        QString text;
        int rowsAfter;
    } cases[] = {{1, u"stuck"_s, 2}, {0, {}, 1}};
    for (const auto& c : cases) {
        d.dialogs.shown.clear();
        d.dialogs.answers = {UserDialogs::Ok};
        d.form.lstColorPatternList->setListIndex(c.row);
        QTest::keyClick(d.form.lstColorPatternList, Qt::Key_Delete);
        ASSERT_EQ(d.dialogs.shown.size(), c.text.isEmpty() ? 1u : 2u);
        if (!c.text.isEmpty()) {
            EXPECT_TRUE(d.dialogs.shown.back().text.startsWith(c.text + u"を削除できません。"_s))
                << d.dialogs.shown.back().text.toStdString();
        }
        EXPECT_EQ(d.form.lstColorPatternList->count(), c.rowsAfter);
    }
    EXPECT_EQ(d.form.Patterns.ColorPatternFiles.items(),
              QStringList{d.app.file(u"color/stuck.col"_s)});
}

// The lyric-list button asks before scanning a whole drive, as the main window's scan does, and
// not under the busy cursor; "No" writes no list.
TEST(frmOptions, LyricListOfTheRootAsksFirst) {
    MainWindowFixture f;
    ASSERT_TRUE(f.loaded);
    f.dialogs->folders = {u"/"_s};
    f.dialogs->answers = {UserDialogs::No};
    bool busyWhileAsked = false;
    f.dialogs->onShow = [&] { busyWhileAsked = QApplication::overrideCursor() != nullptr; };
    QTimer::singleShot(0, f.form.get(), [&f] {
        auto* d = f.form->findChild<frmOptions*>();
        ASSERT_NE(d, nullptr);
        d->cmdSetLyricFolder->click();
        d->cmdMakeLyricList->click();
        d->cmdCancel->click();
    });
    f.ui().cmdOption()->click();
    ASSERT_FALSE(f.dialogs->shown.empty());
    EXPECT_EQ(f.dialogs->shown.back().text, FileCollector::RootQuestionText(u"/"_s));
    EXPECT_EQ(f.dialogs->shown.back().buttons, UserDialogs::YesNo);
    EXPECT_FALSE(busyWhileAsked);
    EXPECT_FALSE(QFile::exists(f.app.file(u"ZAlyric.lst"_s)));
}
