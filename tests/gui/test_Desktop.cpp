// What the player asks of the desktop: programs that open its files, the folder chooser's
// answers, and Qt's own texts in Japanese.
#include "MainWindowFixture.h"
#include "gui/QtTranslations.h"
#include "gui/playback/frmVolume.h"

#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
const QString kNoHelpProgram = QStringLiteral("ヘルプを開くプログラムが見つかりません。");
const QString kNoListProgram = QStringLiteral("リストを開くプログラムが見つかりません。");
const QString kNoMixer = QStringLiteral("サウンド設定を開くプログラムが見つかりません。");
}  // namespace

TEST(Desktop, NoProgramToOpenHelpOrAListIsSaid) {
    for (const bool opens : {false, true}) {
        MainWindowFixture w;
        w.app.write(u"help/index.html"_qs, "<html></html>");
        QList<QUrl> asked;
        w.ui().OpenUrl() = [&](const QUrl& url) {
            asked << url;
            return opens;
        };
        w.ui().cmdHelp()->click();
        ASSERT_EQ(asked.size(), 1);
        EXPECT_TRUE(asked[0].path().endsWith(u"/help/index.html"_qs));

        const QString list = w.app.write(u"list/お気に入り.m3u"_qs, "/x/1.mp3\r\n");
        w.form->FavoriteLists.Clear();
        w.ui().LoadFavoriteLists();
        w.ui().ShowFavoriteLists();
        w.ui().lstFavoriteList()->setListIndex(0);
        w.ui().mnuExecList()->trigger();
        ASSERT_EQ(asked.size(), 2);
        EXPECT_EQ(asked[1], QUrl::fromLocalFile(list));

        const QStringList expected =
            opens ? QStringList() : QStringList{kNoHelpProgram, kNoListProgram};
        EXPECT_EQ(w.dialogs->texts(), expected) << "opens: " << opens;
    }
}

// Without its page a launcher would open nothing (or a browser's own error): the player says
// which file it looked for and asks no program to open it.
TEST(Desktop, AMissingHelpPageIsSaid) {
    MainWindowFixture w;
    QList<QUrl> asked;
    w.ui().OpenUrl() = [&](const QUrl& url) {
        asked << url;
        return true;
    };
    w.ui().cmdHelp()->click();
    EXPECT_TRUE(asked.isEmpty());
    ASSERT_EQ(w.dialogs->texts().size(), 1);
    EXPECT_TRUE(w.dialogs->texts()[0].endsWith(u"/help/index.htmlにアクセスできません。"_qs));
}

TEST(Desktop, NoEditorAndNoOpenerForAListIsSaid) {
    MainWindowFixture w;
    w.app.write(u"list/a.m3u"_qs, "/x/1.mp3\r\n");
    w.form->FavoriteLists.Clear();
    w.ui().LoadFavoriteLists();
    w.ui().ShowFavoriteLists();
    w.ui().lstFavoriteList()->setListIndex(0);
    TempDir emptyPath;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", emptyPath.path().toLocal8Bit());
    w.ui().mnuOpneByEditor()->trigger();
    qputenv("PATH", path);
    EXPECT_EQ(w.dialogs->texts(), QStringList{kNoListProgram});
}

TEST(Desktop, NoMixerProgramIsSaid) {
    for (const bool installed : {false, true}) {
        MainWindowFixture w;
        w.ui().cmdVolume()->click();
        auto* volume = w.form->findChild<frmVolume*>();
        ASSERT_NE(volume, nullptr);
        volume->setSoundSettingsLauncher(SoundSettingsLauncher(
            [&](const QString& program) { return installed ? program : QString(); },
            [](const QString&, const QStringList&) { return true; }));
        volume->cmdSoundBoard->click();
        EXPECT_EQ(w.dialogs->texts(), installed ? QStringList() : QStringList{kNoMixer});
        volume->reject();
    }
}

// Only an empty answer is a cancelled folder chooser; the root is a folder to show.
TEST(Desktop, FolderChooserTakesTheRoot) {
    struct Case {
        QString answer;
        bool taken;
    };
    for (const Case& c : {Case{u"/"_qs, true}, Case{QString(), false}}) {
        MainWindowFixture w;
        const QString before = w.ui().CurrentFolder();
        w.dialogs->folders = {c.answer};
        w.ui().cmdSetDir()->click();
        EXPECT_EQ(w.ui().CurrentFolder(), c.taken ? c.answer : before);
        EXPECT_EQ(w.ui().FolderViewPath(), c.taken ? c.answer : before);
    }
}

TEST(Desktop, QtsOwnTextsAreJapanese) {
    const auto translator = InstallQtJapanese(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "Qt's translations (qt6-translations-l10n) are missing";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"キャンセル"_qs);
    QCoreApplication::removeTranslator(translator.get());
}
