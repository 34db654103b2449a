#include "library/FileCollector.h"
#include "support/TempDir.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QStringList sorted(QStringList l) {
    std::sort(l.begin(), l.end());
    return l;
}

clsArrayList listOf(const QStringList& items) {
    clsArrayList l;
    l.assign(items);
    return l;
}

}  // namespace

TEST(FileCollector, ExtensionsFollowTheTypeBitsInOrder) {
    EXPECT_TRUE(FileCollector::Extensions(0).isEmpty());
    EXPECT_EQ(FileCollector::Extensions(3), QStringList({u".mp3"_s, u".wma"_s}));
    EXPECT_EQ(FileCollector::Extensions(15),
              QStringList({u".mp3"_s, u".wma"_s, u".wav"_s, u".mid"_s}));
    EXPECT_EQ(FileCollector::Extensions(12), QStringList({u".wav"_s, u".mid"_s}));
}

TEST(FileCollector, CollectsTheChosenTypesByTheLastFourCharacters) {
    TempDir dir;
    const QString a = dir.write(u"a.MP3"_s, "x"), b = dir.write(u"b.wma"_s, "x");
    dir.write(u"c.wav"_s, "x");
    dir.write(u"song.mp3.txt"_s, "x");
    const QString bare = dir.write(u".mp3"_s, "x");
    dir.write(u"sub/d.mp3"_s, "x");

    clsArrayList l;
    EXPECT_EQ(FileCollector::Collect(l, dir.path(), 3, false), QString());
    EXPECT_EQ(sorted(l.items()), sorted({a, b, bare}));

    // Nothing chosen: nothing collected, no failure.
    clsArrayList none;
    EXPECT_EQ(FileCollector::Collect(none, dir.path(), 0, true), QString());
    EXPECT_EQ(none.Count(), 0);

    // Appends after what the list holds, sub-folders when asked.
    clsArrayList withSub = listOf({u"/keep.mp3"_s});
    FileCollector::Collect(withSub, dir.path(), 1, true);
    EXPECT_EQ(withSub.Value(0), u"/keep.mp3"_s);
    EXPECT_EQ(sorted(withSub.items().mid(1)), sorted({a, bare, dir.file(u"sub/d.mp3"_s)}));
}

TEST(FileCollector, UnreadableFoldersAndLinkLoops) {
    TempDir dir;
    clsArrayList l;
    EXPECT_EQ(FileCollector::Collect(l, dir.file(u"missing"_s), 15, true),
              u"指定されたパスにアクセスできません。"_s);
    EXPECT_EQ(l.Count(), 0);

    // A link back to the top must not walk forever nor list files twice.
    const QString top = dir.write(u"top/x.mp3"_s, "x");
    const QString inner = dir.write(u"top/in/y.wav"_s, "x");
    ASSERT_TRUE(QFile::link(dir.file(u"top"_s), dir.file(u"top/in/back"_s)));
    EXPECT_EQ(FileCollector::Collect(l, dir.file(u"top"_s), 15, true), QString());
    EXPECT_EQ(sorted(l.items()), sorted({top, inner}));
}

TEST(FileCollector, UnreadableSubFolderIsSkippedQuietly) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    TempDir dir;
    const QString x = dir.write(u"x.mp3"_s, "x");
    dir.write(u"locked/y.mp3"_s, "x");
    QFile::setPermissions(dir.file(u"locked"_s), QFileDevice::Permissions());
    clsArrayList l;
    const QString result = FileCollector::Collect(l, dir.path(), 1, true);
    QFile::setPermissions(dir.file(u"locked"_s),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(result, QString());
    EXPECT_EQ(l.items(), QStringList{x});
}

TEST(FileCollector, IgnoreWordsTestTheFileNameOnlyFromTheFirstIndex) {
    clsArrayList words = listOf({u"live"_s, u"demo"_s});
    clsArrayList l = listOf({u"/old/live.mp3"_s, u"/m/Alive.mp3"_s, u"/live/song.mp3"_s,
                             u"/m/DEMO track.mp3"_s, u"/m/x.mp3"_s, u"/m/Live2.mp3"_s});
    FileCollector::RemoveIgnoredFiles(l, 1, words);
    EXPECT_EQ(l.items(), QStringList({u"/old/live.mp3"_s, u"/live/song.mp3"_s, u"/m/x.mp3"_s}));

    clsArrayList noWords;
    FileCollector::RemoveIgnoredFiles(l, 0, noWords);
    EXPECT_EQ(l.Count(), 3);
}

TEST(FileCollector, TidyNewEntriesSortsOnlyNewFilesOfAFolderWithoutSubFolders) {
    TempDir dir;
    dir.mkdir(u"flat"_s);
    dir.mkdir(u"deep/sub"_s);
    const QHash<QString, QString> tracks{{u"/n/b.mp3"_s, u"2"_s},
                                         {u"/n/a.mp3"_s, u"1"_s},
                                         {u"/o/z.mp3"_s, u"9"_s},
                                         {u"/o/y.mp3"_s, u"3"_s}};
    auto lookup = [&](const QString& p) { return tracks.value(p); };
    clsArrayList words = listOf({u"demo"_s});

    const QStringList before{u"/o/z.mp3"_s, u"/o/y.mp3"_s, u"/n/b.mp3"_s, u"/n/demo.mp3"_s,
                             u"/n/a.mp3"_s};
    clsArrayList l = listOf(before);
    FileCollector::TidyNewEntries(l, 2, dir.file(u"flat"_s), &words, lookup);
    EXPECT_EQ(l.items(), QStringList({u"/o/z.mp3"_s, u"/o/y.mp3"_s, u"/n/a.mp3"_s, u"/n/b.mp3"_s}));

    l = listOf(before);
    FileCollector::TidyNewEntries(l, 2, dir.file(u"deep"_s), nullptr, lookup);
    EXPECT_EQ(l.items(), before);
}

TEST(FileCollector, DroppedPaths) {
    TempDir dir;
    const QString folderNamedLikeAFile = dir.mkdir(u"album.mp3"_s);
    const QString inside = dir.write(u"album.mp3/sub/t.wav"_s, "x");
    EXPECT_EQ(FileCollector::Classify(folderNamedLikeAFile), FileCollector::PathKind::Folder);
    EXPECT_EQ(FileCollector::Classify(u"/m/x.MID"_s), FileCollector::PathKind::AudioFile);
    EXPECT_EQ(FileCollector::Classify(u"/cd/Track01.cda"_s), FileCollector::PathKind::AudioFile);
    EXPECT_EQ(FileCollector::Classify(u"/m/list.M3U"_s), FileCollector::PathKind::PlaylistFile);
    EXPECT_EQ(FileCollector::Classify(u"/m/readme.txt"_s), FileCollector::PathKind::Other);
    EXPECT_EQ(FileCollector::Classify(u"/m/song.flac"_s), FileCollector::PathKind::Other);

    const QString m3u = dir.write(u"l.m3u"_s, "/a.mp3\r\n/b.ogg\r\n");
    clsArrayList l;
    // A dropped folder always brings its sub-folders; dropped files ignore the type filter.
    EXPECT_EQ(FileCollector::AddPath(l, folderNamedLikeAFile, 4), QString());
    EXPECT_EQ(FileCollector::AddPath(l, u"/m/x.MID"_s, 1), QString());
    EXPECT_EQ(FileCollector::AddPath(l, u"/m/readme.txt"_s, 15), QString());
    EXPECT_EQ(FileCollector::AddPath(l, m3u, 15), QString());
    EXPECT_EQ(l.items(), QStringList({inside, u"/m/x.MID"_s, u"/a.mp3"_s, u"/b.ogg"_s}));
}

TEST(FileCollector, NamesWithLineBreaksAreCountedAndLeftOut) {
    TempDir dir;
    const QString plain = dir.write(u"f.mp3"_s, "x");
    for (const QString& name : {u"a\nb.mp3"_s, u"c\rd.mp3"_s, u"e\r\n.mp3"_s, u"x\ny/g.mp3"_s})
        dir.write(name, "x");
    clsArrayList l = listOf({u"/old\nentry.mp3"_s});  // before the first index: kept
    ASSERT_EQ(FileCollector::Collect(l, dir.path(), 1, true), QString());
    ASSERT_EQ(l.Count(), 6);
    EXPECT_EQ(FileCollector::RemoveLineBreakNames(l, 1), 4);
    EXPECT_EQ(l.items(), QStringList({u"/old\nentry.mp3"_s, plain}));
    EXPECT_EQ(FileCollector::RemoveLineBreakNames(l, 1), 0);
    EXPECT_EQ(FileCollector::LineBreakNamesText(4),
              u"改行を含む名前のファイル4個は取得できません。"_s);
}

TEST(FileCollector, RootQuestion) {
    EXPECT_TRUE(FileCollector::NeedsRootQuestion(u"/"_s, true));
    EXPECT_FALSE(FileCollector::NeedsRootQuestion(u"/"_s, false));
    EXPECT_FALSE(FileCollector::NeedsRootQuestion(u"/home"_s, true));
    EXPECT_EQ(FileCollector::RootQuestionText(u"/"_s),
              u"/の検索は時間がかかる可能性があります。続けますか？"_s);
}

TEST(FileCollector, CollectsExactlyTheTickedTypes) {
    TempDir dir;
    const QStringList endings{u"mp3"_s,  u"wma"_s, u"wav"_s,  u"mid"_s,  u"flac"_s, u"ogg"_s,
                              u"opus"_s, u"m4a"_s, u"aac"_s,  u"ape"_s,  u"wv"_s,   u"tta"_s,
                              u"tak"_s,  u"aif"_s, u"aiff"_s, u"aifc"_s, u"mp2"_s,  u"mpa"_s,
                              u"dsf"_s,  u"dff"_s, u"mka"_s,  u"webm"_s, u"ac3"_s};
    for (const QString& e : endings)
        dir.write(u"t."_s + e.toUpper(), "x");
    dir.write(u"xflac"_s, "x");  // an ending without its dot is no type
    dir.write(u"t.oga"_s, "x");
    dir.write(u"t.wvc"_s, "x");  // a WavPack correction file is no song
    const struct {
        int32_t bits;
        QStringList kept;
    } cases[] = {
        {15, {u"MID"_s, u"MP3"_s, u"WAV"_s, u"WMA"_s}},
        {16 | 64, {u"FLAC"_s, u"OPUS"_s}},
        {32 | 128, {u"AAC"_s, u"M4A"_s, u"OGG"_s}},
        {256 | 1024 | 4096, {u"AIF"_s, u"AIFC"_s, u"AIFF"_s, u"APE"_s, u"TTA"_s}},
        {512 | 2048 | 8192, {u"MP2"_s, u"MPA"_s, u"TAK"_s, u"WV"_s}},
        {16384 | 32768 | 65536, {u"AC3"_s, u"DFF"_s, u"DSF"_s, u"MKA"_s, u"WEBM"_s}},
        {255,
         {u"AAC"_s, u"FLAC"_s, u"M4A"_s, u"MID"_s, u"MP3"_s, u"OGG"_s, u"OPUS"_s, u"WAV"_s,
          u"WMA"_s}},
    };
    for (const auto& c : cases) {
        clsArrayList l;
        FileCollector::Collect(l, dir.path(), c.bits, false);
        QStringList got;
        for (const QString& p : l.items())
            got << p.section(u'.', -1);
        EXPECT_EQ(sorted(got), c.kept) << c.bits;
    }
    clsArrayList all;
    FileCollector::Collect(all, dir.path(), FileCollector::kAllFileTypes, false);
    EXPECT_EQ(all.Count(), endings.size());
}

TEST(FileCollector, DroppedFilesOfTheLaterTypesFollowTheirBoxes) {
    clsArrayList l;
    FileCollector::AddPath(l, u"/m/a.FLAC"_s, 15);
    FileCollector::AddPath(l, u"/m/b.flac"_s, 16);
    FileCollector::AddPath(l, u"/m/c.aac"_s, 128);
    FileCollector::AddPath(l, u"/m/d.ogg"_s, 255 & ~32);
    FileCollector::AddPath(l, u"/m/e.wma"_s, 16);  // the first four ignore the boxes
    FileCollector::AddPath(l, u"/m/f.WV"_s, 512);
    FileCollector::AddPath(l, u"/m/g.dsf"_s, 255);
    FileCollector::AddPath(l, u"/m/h.Aiff"_s, 4096);
    FileCollector::AddPath(l, u"/m/i.mka"_s, FileCollector::kAllFileTypes & ~32768);
    EXPECT_EQ(l.items(), QStringList({u"/m/b.flac"_s, u"/m/c.aac"_s, u"/m/e.wma"_s, u"/m/f.WV"_s,
                                      u"/m/h.Aiff"_s}));
}
