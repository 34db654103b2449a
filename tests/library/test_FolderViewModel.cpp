#include "library/FolderViewModel.h"
#include "support/TempDir.h"

#include <QFile>
#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
clsArrayList listOf(const QStringList& items) {
    clsArrayList l;
    l.assign(items);
    return l;
}
}  // namespace

TEST(FolderViewModel, RowsWithAndWithoutSubFolders) {
    clsArrayList folders = listOf({u"/r/A"_s, u"/r/B"_s});
    clsArrayList files = listOf({u"/r/x.mp3"_s});
    EXPECT_EQ(FolderViewModel::Rows(folders, files),
              QStringList({u"┬ ・・"_s, u"├ A"_s, u"└ B"_s, u"    x.mp3"_s}));
    EXPECT_EQ(FolderViewModel::Rows(clsArrayList(), files), QStringList({u"・・"_s, u"x.mp3"_s}));
    EXPECT_EQ(FolderViewModel::Rows(listOf({u"/r/only"_s}), clsArrayList()),
              QStringList({u"┬ ・・"_s, u"└ only"_s}));
}

TEST(FolderViewModel, RowKinds) {
    // Two sub-folders: rows 1 and 2 are folders, 3 on are files.
    EXPECT_FALSE(FolderViewModel::IsFileRow(0, 2));
    EXPECT_FALSE(FolderViewModel::IsFileRow(2, 2));
    EXPECT_TRUE(FolderViewModel::IsFileRow(3, 2));
    EXPECT_FALSE(FolderViewModel::IsFileRow(-1, 2));
    EXPECT_EQ(FolderViewModel::FileIndex(3, 2), 0);
    EXPECT_EQ(FolderViewModel::FileIndex(2, 2), -1);
    EXPECT_EQ(FolderViewModel::FolderIndex(2, 2), 1);
    EXPECT_EQ(FolderViewModel::FolderIndex(0, 2), -1);
    EXPECT_EQ(FolderViewModel::FolderIndex(3, 2), -1);
    // No sub-folders: every row but 0 is a file.
    EXPECT_FALSE(FolderViewModel::IsFileRow(0, 0));
    EXPECT_TRUE(FolderViewModel::IsFileRow(1, 0));
    EXPECT_EQ(FolderViewModel::FileIndex(1, 0), 0);
    EXPECT_EQ(FolderViewModel::FolderIndex(1, 0), -1);
}

TEST(FolderViewModel, ParentFolders) {
    EXPECT_EQ(FolderViewModel::ParentFolder(u"/"_s), QString());
    EXPECT_EQ(FolderViewModel::ParentFolder(u"/a"_s), u"/"_s);
    EXPECT_EQ(FolderViewModel::ParentFolder(u"/a/b"_s), u"/a"_s);
    EXPECT_EQ(FolderViewModel::ParentFolder(u"/a/b/"_s), u"/a"_s);
    EXPECT_EQ(FolderViewModel::ParentFolder(QString()), QString());
}

TEST(FolderViewModel, LoadsAFolderAndWalksDownAndBackUp) {
    TempDir dir;
    const QString root = dir.mkdir(u"root"_s);
    dir.mkdir(u"root/A/deeper"_s);
    dir.mkdir(u"root/B"_s);
    const QString x = dir.write(u"root/x.mp3"_s, "x");
    dir.write(u"root/y.wav"_s, "x");
    dir.write(u"root/A/in.mp3"_s, "x");
    ASSERT_TRUE(QFile::link(dir.file(u"root/B"_s), dir.file(u"root/LinkB"_s)));

    clsArrayList folders = listOf({u"/stale"_s}), files, returnRows;
    EXPECT_TRUE(FolderViewModel::LoadFolders(folders, root));
    QStringList names = folders.items();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, QStringList({root + u"/A"_s, root + u"/B"_s, root + u"/LinkB"_s}));
    EXPECT_EQ(FolderViewModel::LoadFiles(files, root, 1), QString());
    EXPECT_EQ(files.items(), QStringList{x});

    // Enter A, then go up again: A's row is selected again.
    const QStringList rows = FolderViewModel::Rows(folders, files);
    const auto rowOfA =
        static_cast<int32_t>(std::find_if(rows.begin(), rows.end(),
                                          [](const QString& r) { return r.endsWith(u" A"_s); }) -
                             rows.begin());
    ASSERT_TRUE(FolderViewModel::IsFolderRow(rowOfA, folders.Count()));
    FolderViewModel::PushReturnRow(returnRows, rowOfA);
    const QString a = folders.Value(FolderViewModel::FolderIndex(rowOfA, folders.Count()));
    FolderViewModel::LoadFolders(folders, a);
    FolderViewModel::LoadFiles(files, a, 15);
    EXPECT_EQ(FolderViewModel::Rows(folders, files),
              QStringList({u"┬ ・・"_s, u"└ deeper"_s, u"    in.mp3"_s}));

    const QString parent = FolderViewModel::ParentFolder(a);
    EXPECT_EQ(parent, root);
    FolderViewModel::LoadFolders(folders, parent);
    const int32_t back = FolderViewModel::PopReturnRow(returnRows);
    EXPECT_EQ(back, rowOfA);
    EXPECT_EQ(FolderViewModel::PopReturnRow(returnRows), 0);  // empty stack: row 0
}

TEST(FolderViewModel, MissingFolderLeavesEmptyLists) {
    TempDir dir;
    clsArrayList folders = listOf({u"/stale"_s}), files = listOf({u"/stale.mp3"_s});
    EXPECT_FALSE(FolderViewModel::LoadFolders(folders, dir.file(u"gone"_s)));
    EXPECT_EQ(folders.Count(), 0);
    EXPECT_EQ(FolderViewModel::LoadFiles(files, dir.file(u"gone"_s), 15),
              u"指定されたパスにアクセスできません。"_s);
    EXPECT_EQ(files.Count(), 0);
}

TEST(FolderViewModel, FoldersAndFilesInNameOrderWithShiftJisNamesDecoded) {
    TempDir dir;
    for (const QString& name : {u"Disc 10"_s, u"disc 2"_s, u"Disc 1"_s, u"b"_s})
        dir.mkdir(name);
    for (const QString& name : {u"10 end.mp3"_s, u"2 b.mp3"_s, u"1 a.mp3"_s})
        dir.write(name, "x");
    const QByteArray sjisFolder = QFile::encodeName(dir.path()) + "/\x89\xB9\x8A\x79";  // 音楽
    ASSERT_EQ(::mkdir(sjisFolder.constData(), 0755), 0);
    const QByteArray sjisSong = sjisFolder + "/\x83\x65\x83\x58\x83\x67.mp3";  // テスト.mp3
    ::close(::open(sjisSong.constData(), O_WRONLY | O_CREAT, 0644));

    clsArrayList folders, files;
    ASSERT_TRUE(FolderViewModel::LoadFolders(folders, dir.path()));
    QStringList names;
    for (const QString& f : folders.items())
        names << f.mid(dir.path().size() + 1);
    EXPECT_EQ(names, (QStringList{u"b"_s, u"Disc 1"_s, u"disc 2"_s, u"Disc 10"_s, u"音楽"_s}));
    EXPECT_EQ(FolderViewModel::LoadFiles(files, dir.path(), 1), QString());
    EXPECT_EQ(files.items(), (QStringList{dir.file(u"1 a.mp3"_s), dir.file(u"2 b.mp3"_s),
                                          dir.file(u"10 end.mp3"_s)}));
    EXPECT_EQ(FolderViewModel::LoadFiles(files, folders.Value(4), 1), QString());
    EXPECT_EQ(files.items(), QStringList{dir.file(u"音楽/テスト.mp3"_s)});
}
