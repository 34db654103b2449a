#include "core/modZAUtil.h"
#include "library/FavoriteListStore.h"
#include "support/TempDir.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Playlist files go through the shared line reader and writer: old Shift_JIS lists are read,
// lists are written back as UTF-8 with CR LF.
TEST(M3uFiles, ShiftJisInUtf8CrLfOut) {
    TempDir app;
    QStringEncoder sjis("Shift_JIS");
    ASSERT_TRUE(sjis.isValid());
    const QString song = u"C:/音楽/アルバム/01 曲.mp3"_s;
    QByteArray bytes = "#EXTM3U\r\n";
    bytes += sjis(song);
    bytes += "\r\n/second.mp3\r\n\r\n/after-empty.mp3\r\n";
    const QString path = app.write(u"list/old.m3u"_s, bytes);

    clsArrayList l;
    ASSERT_TRUE(modZAUtil::ReadLinesToList(path, l));
    EXPECT_EQ(l.items(), QStringList({u"#EXTM3U"_s, song, u"/second.mp3"_s}));

    FavoriteListStore store(app.path());
    ASSERT_TRUE(modZAUtil::WriteListToFile(store.PathForName(u"new"_s), l, nullptr));
    EXPECT_EQ(app.read(u"list/new.m3u"_s),
              QByteArray("#EXTM3U\r\n") + song.toUtf8() + "\r\n/second.mp3\r\n");

    clsArrayList again;
    ASSERT_TRUE(modZAUtil::ReadLinesToList(store.PathForName(u"new"_s), again));
    EXPECT_EQ(again.items(), l.items());
}

TEST(M3uFiles, EmptyListWritesAnEmptyFileAndAFirstEmptyLineReadsNothing) {
    TempDir app;
    const QString path = app.file(u"empty.m3u"_s);
    ASSERT_TRUE(modZAUtil::WriteListToFile(path, clsArrayList(), nullptr));
    EXPECT_EQ(app.read(u"empty.m3u"_s), QByteArray());

    const QString blankFirst = app.write(u"blank.m3u"_s, "\r\n/a.mp3\r\n");
    clsArrayList l;
    l.Add(u"/kept.mp3"_s);
    ASSERT_TRUE(modZAUtil::ReadLinesToList(blankFirst, l));
    EXPECT_EQ(l.items(), QStringList{u"/kept.mp3"_s});
}
