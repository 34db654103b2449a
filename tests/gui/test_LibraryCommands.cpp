// The playlist, collection, favorite-list and reserve commands of the main window, driven the
// way the user drives them: buttons, menu items, keys, drops, with boxes answered by a fake.
#include "MainWindowFixture.h"
#include "playback/PlayerController.h"

#include <QAction>
#include <QKeyEvent>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
QStringList paths(std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* n : names)
        out << QStringLiteral("/m/") + QString::fromUtf8(n);
    return out;
}
void keyUp(QWidget* w, int key) {
    QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}
}  // namespace

TEST(PlaylistCommands, UpDownDeleteKeepBoxAndSelectionInStep) {
    MainWindowFixture f;
    ASSERT_TRUE(f.loaded);
    frmMain& w = *f.form;
    f.setPlayList(paths({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}));
    EXPECT_EQ(ui(w).lblPlayListCount()->text(), QStringLiteral("×5"));

    ui(w).lstPlayList()->setListIndex(2);
    ui(w).cmdUpItem()->click();
    EXPECT_EQ(w.PlayList.Value(1), u"/m/c.mp3"_qs);
    EXPECT_EQ(ui(w).lstPlayList()->rowText(1), u"c"_qs);
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), 1);
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).cmdUpItem()->click();  // the first row cannot go up
    EXPECT_EQ(w.PlayList.Value(0), u"/m/a.mp3"_qs);
    ui(w).lstPlayList()->setListIndex(4);
    ui(w).cmdDownItem()->click();  // nor the last down
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), 4);

    keyUp(ui(w).lstPlayList(), Qt::Key_Delete);  // the last row: the new last row is selected
    EXPECT_EQ(w.PlayList.Count(), 4);
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), 3);
    ui(w).lstPlayList()->setListIndex(1);
    ui(w).mnuDel()->trigger();
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), 1);
    EXPECT_EQ(ui(w).lstPlayList()->rowText(1), u"b"_qs);
    EXPECT_EQ(ui(w).lblPlayListCount()->text(), QStringLiteral("×3"));
}

TEST(PlaylistCommands, ClearAsksAndCancelKeepsEverything) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    f.setPlayList(paths({"a.mp3", "b.mp3"}));
    f.dialogs->answers = {UserDialogs::Cancel};
    ui(w).cmdListClear()->click();
    EXPECT_EQ(w.PlayList.Count(), 2);
    ASSERT_EQ(f.dialogs->shown.size(), 1u);
    EXPECT_EQ(f.dialogs->shown[0].text,
              QStringLiteral("プレイリストの曲をすべて削除します。よろしいですか。"));
    EXPECT_EQ(f.dialogs->shown[0].buttons, UserDialogs::OkCancel);

    f.dialogs->answers = {UserDialogs::Ok};
    ui(w).mnuListClear()->trigger();
    EXPECT_EQ(w.PlayList.Count(), 0);
    EXPECT_EQ(ui(w).lblPlayListCount()->text(), u"No File"_qs);
    EXPECT_EQ(w.Sequence().PlayingIndex(), -1);
    ui(w).cmdListClear()->click();  // an empty box asks nothing
    EXPECT_EQ(f.dialogs->shown.size(), 2u);
}

TEST(PlaylistCommands, SortsAskOnlyAboveTheirLimits) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    QStringList many;
    for (int i = 1000; i >= 0; --i)
        many << QStringLiteral("/m/%1.mp3").arg(i, 4, 10, QLatin1Char('0'));
    f.setPlayList(many.mid(1));  // 1000 entries: sorted without a question
    ui(w).mnuSort_Title()->trigger();
    EXPECT_TRUE(f.dialogs->shown.empty());
    EXPECT_EQ(w.PlayList.Value(0), u"/m/0000.mp3"_qs);

    f.setPlayList(many);  // 1001 entries: a question first; Cancel changes nothing
    f.dialogs->answers = {UserDialogs::Cancel};
    ui(w).mnuSort_Title()->trigger();
    ASSERT_EQ(f.dialogs->shown.size(), 1u);
    EXPECT_EQ(f.dialogs->shown[0].text,
              QStringLiteral("時間かかる可能性があります。ソートを続けますか？"));
    EXPECT_EQ(w.PlayList.Value(0), u"/m/1000.mp3"_qs);

    f.setPlayList(many.mid(0, 101));  // the track sort asks above 100
    f.dialogs->answers = {UserDialogs::Ok};
    ui(w).mnuSort_Track()->trigger();
    EXPECT_EQ(f.dialogs->shown.size(), 2u);
}

TEST(PlaylistCommands, ShuffleKeepsEveryEntry) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    const QStringList before = paths({"a", "b", "c", "d", "e", "f", "g"});
    f.setPlayList(before);
    ui(w).cmdShuffle()->click();
    QStringList after = w.PlayList.items();
    after.sort();
    EXPECT_EQ(after, before);
    EXPECT_EQ(ui(w).lstPlayList()->count(), 7);
}

TEST(PlaylistCommands, PopupMenuShowsTheItemsOfTheActiveList) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    ui(w).ActiveListName() = u"lstPlayList"_qs;
    ui(w).ShowListPopupMenu();
    ui(w).mnuZAPT()->hide();
    EXPECT_TRUE(ui(w).mnuShuffle()->isVisible());
    EXPECT_TRUE(ui(w).mnuHistory()->isVisible());
    EXPECT_FALSE(ui(w).mnuSort_Date()->isVisible());
    EXPECT_TRUE(ui(w).mnuPlay()->isVisible());
    EXPECT_FALSE(ui(w).mnuGetFile()->isVisible());

    ui(w).ActiveListName() = u"lstFolderView"_qs;
    ui(w).FolderViewFiles().Clear();
    ui(w).ShowListPopupMenu();
    ui(w).mnuZAPT()->hide();
    EXPECT_FALSE(ui(w).mnuShuffle()->isVisible());
    EXPECT_FALSE(ui(w).mnuSort_Date()->isVisible());
    EXPECT_FALSE(ui(w).mnuPlay()->isVisible());  // no file row selected: "get files" instead
    EXPECT_TRUE(ui(w).mnuGetFile()->isVisible());
}

TEST(Collection, GetAndAddFilesFollowTypesIgnoreWordsAndTrackOrder) {
    MainWindowFixture f([](clsOption& o) {
        o.setGetFileType(1 | 4);  // .mp3 and .wav
        o.setIgnoreWord(1);
    });
    frmMain& w = *f.form;
    TempDir music;
    music.write(u"b.mp3"_qs, "x");
    music.write(u"a.WAV"_qs, "x");
    music.write(u"c.wma"_qs, "x");
    music.write(u"Alive.mp3"_qs, "x");
    music.write(u"DEMO track.mp3"_qs, "x");
    ui(w).IgnoreWordList().Add(u"live"_qs);
    ui(w).IgnoreWordList().Add(u"demo"_qs);
    ui(w).CurrentFolder() = music.path();

    ui(w).cmdGetFile()->click();
    QStringList got = w.PlayList.items();
    got.sort();
    EXPECT_EQ(got, (QStringList{music.file(u"a.WAV"_qs), music.file(u"b.mp3"_qs)}));

    // Adding keeps the old entries where they were and the selected row selected.
    w.PlayList.assign({u"/old/one.mp3"_qs, u"/old/two.mp3"_qs});
    ui(w).RefreshPlayList();
    ui(w).lstPlayList()->setListIndex(1);
    ui(w).cmdAddFile()->click();
    EXPECT_EQ(w.PlayList.Count(), 4);
    EXPECT_EQ(w.PlayList.Value(0), u"/old/one.mp3"_qs);
    EXPECT_EQ(w.PlayList.Value(1), u"/old/two.mp3"_qs);
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), 1);
    EXPECT_TRUE(f.dialogs->shown.empty());
}

TEST(Collection, UnreadableFolderAndRootQuestion) {
    MainWindowFixture f([](clsOption& o) { o.setSearchMode(1); });
    frmMain& w = *f.form;
    ui(w).CurrentFolder() = f.app.file(u"gone"_qs);
    ui(w).cmdGetFile()->click();
    ASSERT_EQ(f.dialogs->shown.size(), 1u);
    EXPECT_EQ(f.dialogs->shown[0].text, QStringLiteral("指定されたパスにアクセスできません。"));
    EXPECT_EQ(f.dialogs->shown[0].title, u"ZAPT"_qs);

    // The root with sub-folders asks first; No adds nothing and leaves the playlist empty.
    f.setPlayList(paths({"keep.mp3"}));
    ui(w).CurrentFolder() = u"/"_qs;
    f.dialogs->answers = {UserDialogs::No};
    ui(w).cmdGetFile()->click();
    ASSERT_EQ(f.dialogs->shown.size(), 2u);
    EXPECT_EQ(f.dialogs->shown[1].text,
              QStringLiteral("/の検索は時間がかかる可能性があります。続けますか？"));
    EXPECT_EQ(f.dialogs->shown[1].buttons, UserDialogs::YesNo);
    EXPECT_EQ(w.PlayList.Count(), 0);
}

TEST(Collection, DropsTakeFoldersWithSubFoldersAndKnownEndings) {
    MainWindowFixture f([](clsOption& o) { o.setSearchMode(0); });
    frmMain& w = *f.form;
    TempDir d;
    d.write(u"album/top.mp3"_qs, "x");
    d.write(u"album/disc2/deep.mp3"_qs, "x");
    d.write(u"list.m3u"_qs, "/x/1.mp3\r\n#EXTM3U\r\n");
    Q_EMIT ui(w).lstPlayList()->filesDropped(
        {d.file(u"album"_qs), u"/x/SONG.MID"_qs, u"/x/readme.txt"_qs, d.file(u"list.m3u"_qs)});
    QStringList got = w.PlayList.items();
    EXPECT_EQ(got.size(), 5);
    EXPECT_TRUE(got.contains(d.file(u"album/disc2/deep.mp3"_qs)));  // sub-folders though off
    EXPECT_TRUE(got.contains(u"/x/SONG.MID"_qs));
    EXPECT_FALSE(got.contains(u"/x/readme.txt"_qs));
    EXPECT_EQ(got.last(), u"#EXTM3U"_qs);
    EXPECT_EQ(ui(w).lstPlayList()->count(), 5);
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), -1);
}

TEST(FavoriteLists, SaveOverwriteLoadAddAndDelete) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    f.setPlayList(paths({"one.mp3", "two.mp3"}));
    f.dialogs->inputs = {u"mix"_qs};
    ui(w).cmdSaveList()->click();
    EXPECT_EQ(f.app.read(u"list/mix.m3u"_qs), QByteArray("/m/one.mp3\r\n/m/two.mp3\r\n"));
    ASSERT_EQ(ui(w).lstFavoriteList()->count(), 1);
    EXPECT_EQ(ui(w).lstFavoriteList()->rowText(0), u"mix"_qs);

    // Saving under the same name asks; Cancel keeps the old file.
    f.setPlayList(paths({"three.mp3"}));
    ui(w).ActiveListName() = u"lstFavoriteList"_qs;
    ui(w).lstFavoriteList()->setListIndex(0);
    f.dialogs->inputs = {u"mix"_qs};
    f.dialogs->answers = {UserDialogs::Cancel};
    ui(w).cmdSaveList()->click();
    EXPECT_EQ(f.dialogs->lastInputDefault, u"mix"_qs);  // the selected list's name is offered
    EXPECT_EQ(f.dialogs->shown.back().text,
              QStringLiteral("同名のリストファイルが既に存在します。上書きしますか？"));
    EXPECT_EQ(f.app.read(u"list/mix.m3u"_qs), QByteArray("/m/one.mp3\r\n/m/two.mp3\r\n"));
    f.dialogs->inputs = {u"mix"_qs};
    f.dialogs->answers = {UserDialogs::Ok};
    ui(w).cmdSaveList()->click();
    EXPECT_EQ(f.app.read(u"list/mix.m3u"_qs), QByteArray("/m/three.mp3\r\n"));
    EXPECT_EQ(ui(w).lstFavoriteList()->count(), 1);

    // Names that would leave the list folder are refused with the writer's message.
    for (const QString& bad : {u"../escape"_qs, u".."_qs, u"a/b"_qs}) {
        f.dialogs->inputs = {bad};
        ui(w).cmdSaveList()->click();
        EXPECT_EQ(f.dialogs->shown.back().text,
                  QStringLiteral("ファイル書き込み中にエラーが発生しました。"));
        EXPECT_EQ(f.dialogs->shown.back().title, u"ERROR"_qs);
    }
    EXPECT_FALSE(QFile::exists(f.app.file(u"escape.m3u"_qs)));

    // Load replaces the playlist; add appends and keeps the selected row.
    f.setPlayList(paths({"x.mp3", "y.mp3"}));
    ui(w).lstPlayList()->setListIndex(1);
    ui(w).lstFavoriteList()->setListIndex(0);
    ui(w).cmdAddList()->click();
    EXPECT_EQ(w.PlayList.items(), paths({"x.mp3", "y.mp3", "three.mp3"}));
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), 1);
    ui(w).cmdGetList()->click();
    EXPECT_EQ(w.PlayList.items(), paths({"three.mp3"}));
    EXPECT_EQ(ui(w).lstPlayList()->listIndex(), -1);

    // Delete asks under its own title; OK removes file and row.
    f.dialogs->answers = {UserDialogs::Ok};
    ui(w).lstFavoriteList()->setListIndex(0);
    ui(w).DeleteSelectedFavoriteList();
    EXPECT_EQ(f.dialogs->shown.back().title, QStringLiteral("リストの削除"));
    EXPECT_FALSE(QFile::exists(f.app.file(u"list/mix.m3u"_qs)));
    EXPECT_EQ(ui(w).lstFavoriteList()->count(), 0);
    EXPECT_EQ(ui(w).lstFavoriteList()->listIndex(), -1);
}

TEST(ReserveAndHistory, QueueOfTwentyAndTheHistoryMenu) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    f.setPlayList(paths({"a & b.mp3", "c.mp3"}));
    ui(w).ActiveListName() = u"lstPlayList"_qs;
    EXPECT_EQ(ui(w).mnuClearReserveList()->text(), QStringLiteral("(なし)"));
    ui(w).lstPlayList()->setListIndex(0);
    ui(w).mnuAddReserveList()->trigger();
    ui(w).mnuAddReserveList()->trigger();  // the same row twice: queued twice
    EXPECT_EQ(w.ReserveList.Count(), 2);
    EXPECT_TRUE(ui(w).mnuReserve()[1]->isVisible());
    EXPECT_FALSE(ui(w).mnuReserve()[2]->isVisible());
    EXPECT_EQ(ui(w).mnuReserve()[0]->text(), u"a && b.mp3"_qs);  // shown with one ampersand
    EXPECT_EQ(ui(w).mnuClearReserveList()->text(), QStringLiteral("(クリア)"));
    for (int i = 0; i < 18; ++i)
        ui(w).mnuAddReserveList()->trigger();
    EXPECT_EQ(w.ReserveList.Count(), 20);
    EXPECT_FALSE(ui(w).mnuAddReserveList()->isEnabled());
    ui(w).mnuClearReserveList()->trigger();
    EXPECT_EQ(w.ReserveList.Count(), 0);
    EXPECT_TRUE(ui(w).mnuAddReserveList()->isEnabled());

    w.HistoryList.assign(paths({"newest.mp3", "older.mp3"}));
    ui(w).mnuHistory()->trigger();
    EXPECT_EQ(w.PlayList.items(), paths({"newest.mp3", "older.mp3"}));
    EXPECT_EQ(ui(w).lstPlayList()->rowText(0), u"newest"_qs);
    EXPECT_EQ(w.HistoryList.Count(), 2);
}

// A list whose file cannot be deleted says so and stays; one already gone loses its row quietly.
TEST(FavoriteLists, AListThatCannotBeDeletedSaysWhyAndOneAlreadyGoneGoes) {
    MainWindowFixture f;
    frmMain& w = *f.form;
    f.app.write(u"list/stuck.m3u/inside"_qs, "x");  // a folder: unlink refuses it
    w.FavoriteLists.assign({f.app.file(u"list/gone.m3u"_qs), f.app.file(u"list/stuck.m3u"_qs)});
    ui(w).ShowFavoriteLists();
    const struct {
        int row;
        QString text;
        int rowsAfter;
    } cases[] = {{1, u"stuck"_qs, 2}, {0, {}, 1}};
    for (const auto& c : cases) {
        f.dialogs->shown.clear();
        f.dialogs->answers = {UserDialogs::Ok};
        ui(w).lstFavoriteList()->setListIndex(c.row);
        ui(w).DeleteSelectedFavoriteList();
        ASSERT_EQ(f.dialogs->shown.size(), c.text.isEmpty() ? 1u : 2u);
        if (!c.text.isEmpty()) {
            EXPECT_TRUE(f.dialogs->shown.back().text.startsWith(c.text + u"を削除できません。"_qs))
                << f.dialogs->shown.back().text.toStdString();
        }
        EXPECT_EQ(ui(w).lstFavoriteList()->count(), c.rowsAfter);
    }
    EXPECT_EQ(w.FavoriteLists.items(), QStringList{f.app.file(u"list/stuck.m3u"_qs)});
}
