#include "core/modZAUtil.h"
#include "library/FavoriteListStore.h"
#include "support/TempDir.h"

#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

TEST(FavoriteListStore, NamesThatCannotBeAFileOfTheListFolderAreRefused) {
    TempDir app;
    FavoriteListStore store(app.path());
    EXPECT_EQ(store.Folder(), app.path() + u"/list"_s);
    EXPECT_EQ(store.PathForName(u"mix"_s), app.path() + u"/list/mix.m3u"_s);
    EXPECT_EQ(store.PathForName(u"a b.c"_s), app.path() + u"/list/a b.c.m3u"_s);
    for (const QString& bad : {u""_s, u"."_s, u".."_s, u"../escape"_s, u"a/b"_s, u"/etc/x"_s,
                               QString::fromUtf16(u"a\0b", 3)}) {
        EXPECT_FALSE(FavoriteListStore::IsValidName(bad)) << bad.toStdString();
        EXPECT_EQ(store.PathForName(bad), QString());
        EXPECT_FALSE(store.Exists(bad));
    }
    EXPECT_TRUE(FavoriteListStore::IsValidName(u"..."_s));  // an ordinary file name
}

TEST(FavoriteListStore, SaveListAndDelete) {
    TempDir app;
    FavoriteListStore store(app.path());
    clsArrayList lists;
    EXPECT_EQ(store.Load(lists), u"指定されたパスにアクセスできません。"_s);  // no list folder yet
    EXPECT_EQ(lists.Count(), 0);

    app.mkdir(u"list/sub"_s);
    app.write(u"list/sub/deep.m3u"_s, "");
    app.write(u"list/notes.txt"_s, "");
    app.write(u"list/Upper.M3U"_s, "");
    clsArrayList playlist;
    playlist.assign({u"/m/a.mp3"_s, u"/m/b.mp3"_s});
    EXPECT_FALSE(store.Exists(u"mix"_s));
    ASSERT_TRUE(modZAUtil::WriteListToFile(store.PathForName(u"mix"_s), playlist, nullptr));
    EXPECT_TRUE(store.Exists(u"mix"_s));
    EXPECT_EQ(app.read(u"list/mix.m3u"_s), QByteArray("/m/a.mp3\r\n/m/b.mp3\r\n"));

    EXPECT_EQ(store.Load(lists), QString());
    QStringList found = lists.items();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, QStringList({app.file(u"list/Upper.M3U"_s), app.file(u"list/mix.m3u"_s)}));
    EXPECT_EQ(FavoriteListStore::NameOf(app.file(u"list/mix.m3u"_s)), u"mix"_s);

    // Deleting a file that is already gone keeps its entry.
    lists.assign(
        {app.file(u"list/Upper.M3U"_s), app.file(u"list/gone.m3u"_s), app.file(u"list/mix.m3u"_s)});
    EXPECT_FALSE(FavoriteListStore::DeleteEntry(lists, 1));
    EXPECT_EQ(lists.Count(), 3);
    EXPECT_FALSE(FavoriteListStore::DeleteEntry(lists, 3));
    EXPECT_TRUE(FavoriteListStore::DeleteEntry(lists, 2));
    EXPECT_FALSE(QFile::exists(app.file(u"list/mix.m3u"_s)));
    EXPECT_EQ(lists.Count(), 2);
}

TEST(FavoriteListStore, SelectionAfterDelete) {
    EXPECT_EQ(FavoriteListStore::SelectionAfterDelete(2, 2), 1);  // the last of three
    EXPECT_EQ(FavoriteListStore::SelectionAfterDelete(0, 2), 0);
    EXPECT_EQ(FavoriteListStore::SelectionAfterDelete(0, 0), -1);  // the only one
}

TEST(FavoriteListStore, ListsInNameOrderAndAShiftJisNamedListIsDeleted) {
    TempDir app;
    for (const QString& name : {u"list/mix 10.m3u"_s, u"list/Mix 9.m3u"_s, u"list/a.m3u"_s})
        app.write(name, "");
    const QByteArray sjisList =
        QFile::encodeName(app.path()) + "/list/\x89\xB9\x8A\x79.m3u";  // 音楽
    ::close(::open(sjisList.constData(), O_WRONLY | O_CREAT, 0644));
    FavoriteListStore store(app.path());
    clsArrayList lists;
    ASSERT_EQ(store.Load(lists), QString());
    EXPECT_EQ(lists.items(),
              (QStringList{app.file(u"list/a.m3u"_s), app.file(u"list/Mix 9.m3u"_s),
                           app.file(u"list/mix 10.m3u"_s), app.file(u"list/音楽.m3u"_s)}));
    EXPECT_EQ(FavoriteListStore::NameOf(lists.Value(3)), u"音楽"_s);
    EXPECT_TRUE(FavoriteListStore::DeleteEntry(lists, 3));
    EXPECT_NE(::access(sjisList.constData(), F_OK), 0);
}
