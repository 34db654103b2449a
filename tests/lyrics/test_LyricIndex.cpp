#include "lyrics/LyricIndex.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

QStringList relative(const clsArrayList& list, const TempDir& dir) {
    QStringList out;
    for (const QString& p : list.items())
        out.append(p.mid(dir.path().size() + 1));
    return out;
}

}  // namespace

// Only the lyric types are listed, in scan order (names as a file manager sorts them, then the
// sub-folders), and a name that merely ends in the letters of a type is left out.
TEST(LyricIndex, ScanListsLyricTypesOnly) {
    TempDir dir;
    for (const char* name : {"b.TXT", "a.jpg", "c.png", "d.jpeg", "notjpeg", "e.mp3", "f.txt.bak",
                             "b.lrc", "sub/g.gif", "sub/h.bmp"})
        dir.write(QString::fromUtf8(name), "x");
    clsArrayList list;
    EXPECT_EQ(LyricIndex::ScanLyricFolder(list, dir.path()), QString());
    EXPECT_EQ(relative(list, dir), (QStringList{u"a.jpg"_qs, u"b.lrc"_qs, u"b.TXT"_qs, u"c.png"_qs,
                                                u"d.jpeg"_qs, u"sub/g.gif"_qs, u"sub/h.bmp"_qs}));
}

// Scan mode reads the folder, list mode only ZAlyric.lst; the writer's file is what list mode
// reads back, and a missing index file is neither an error nor created.
TEST(LyricIndex, ScanModeAndListModeAgreeThroughTheIndexFile) {
    TempDir lyrics;
    TempDir app;
    lyrics.write(u"one.txt"_qs, "x");
    lyrics.write(u"deep/two.jpg"_qs, "x");

    clsArrayList listMode;
    EXPECT_EQ(LyricIndex::LoadLyricList(listMode, lyrics.path(), 0, app.path()), QString());
    EXPECT_EQ(listMode.Count(), 0);
    EXPECT_FALSE(QFile::exists(LyricIndex::IndexFile(app.path())));

    FakeDialogs dialogs;
    ASSERT_TRUE(LyricIndex::WriteLyricList(lyrics.path(), app.path(), &dialogs));
    EXPECT_TRUE(dialogs.shown.empty());
    clsArrayList scanned;
    LyricIndex::LoadLyricList(scanned, lyrics.path(), 1, app.path());
    LyricIndex::LoadLyricList(listMode, u"/elsewhere"_qs, 0, app.path());
    EXPECT_EQ(scanned.Count(), 2);
    EXPECT_EQ(listMode.items(), scanned.items());

    clsArrayList none;
    EXPECT_EQ(LyricIndex::LoadLyricList(none, QString(), 1, app.path()), QString());
    EXPECT_EQ(none.Count(), 0);
}

// An unreadable lyric folder is said once and leaves an empty index rather than the old one.
TEST(LyricIndex, UnreadableFolderWritesAnEmptyIndex) {
    TempDir app;
    app.write(u"ZAlyric.lst"_qs, "/old/a.txt\r\n");
    FakeDialogs dialogs;
    EXPECT_TRUE(LyricIndex::WriteLyricList(app.file(u"missing"_qs), app.path(), &dialogs));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(app.read(u"ZAlyric.lst"_qs), QByteArray());
}
