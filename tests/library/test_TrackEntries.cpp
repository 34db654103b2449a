// Disc images with cue sheets in the playlist: collection, drops and playlist files list the
// tracks, rows show their titles, and the sorts place them by their sheet.
#include "library/FileCollector.h"
#include "library/FolderViewModel.h"
#include "library/PlaylistOps.h"
#include "library/TrackEntries.h"
#include "support/TempDir.h"

#include <QCollator>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <utime.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray Cue(const QByteArray& file, const QByteArray& title1) {
    return "PERFORMER \"Band\"\r\nTITLE \"Album\"\r\nFILE \"" + file + "\" WAVE\r\n" +
           "  TRACK 01 AUDIO\r\n    TITLE \"" + title1 +
           "\"\r\n    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    INDEX 01 01:00:00\r\n";
}

QByteArray ShiftJis(const QString& text) {
    QStringEncoder encoder("Shift_JIS");
    return encoder(text);
}

QByteArray LittleEndian32(quint32 value) {
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char(value >> (8 * i));
    return out;
}

// A FLAC whose only content is a stream header and a CUESHEET comment.
QByteArray FlacWithSheet(const QByteArray& sheet) {
    const QByteArray streamInfo = QByteArray(10, '\0') + "\x0A\xC4\x41" + QByteArray(21, '\0');
    const QByteArray comment = "CUESHEET=" + sheet;
    const QByteArray comments = LittleEndian32(3) + "ref" + LittleEndian32(1) +
                                LittleEndian32(quint32(comment.size())) + comment;
    const auto block = [](int type, const QByteArray& body) -> QByteArray {
        return char(type) + QByteArray(1, '\0') + char(body.size() >> 8) + char(body.size()) + body;
    };
    return "fLaC" + block(0, streamInfo) + block(0x84, comments);
}

std::string Text(const QStringList& lines) {
    return lines.join(u'|').toStdString();
}

QStringList Relative(const QStringList& entries, const QString& folder) {
    QStringList out;
    for (const QString& e : entries)
        out << (e.startsWith(folder + u'/') ? e.mid(folder.size() + 1) : e);
    return out;
}

}  // namespace

TEST(TrackEntries, CollectionListsTheTracksOfASheetAndNotItsImage) {
    const int32_t flacMp3 = 16 | 1;
    const struct {
        const char* name;
        QList<std::pair<QString, QByteArray>> files;
        int32_t types;
        QStringList listed;
    } cases[] = {
        {"a UTF-8 sheet beside its image",
         {{u"a.mp3"_s, "x"}, {u"disc.flac"_s, "x"}, {u"disc.cue"_s, Cue("disc.flac", "春")}},
         flacMp3,
         {u"a.mp3"_s, u"disc.cue?1"_s, u"disc.cue?2"_s}},
        {"a Shift_JIS sheet naming a Japanese file",
         {{u"ディスク.wav"_s, "x"},
          {u"ディスク.cue"_s, Cue(ShiftJis(u"ディスク.wav"_s), ShiftJis(u"春の歌"_s))}},
         4,
         {u"ディスク.cue?1"_s, u"ディスク.cue?2"_s}},
        {"two discs of a set keep their order",
         {{u"d1.wav"_s, "x"},
          {u"d2.wav"_s, "x"},
          {u"d2.cue"_s, Cue("d2.wav", "t")},
          {u"d1.cue"_s, Cue("d1.wav", "t")}},
         4,
         {u"d1.cue?1"_s, u"d1.cue?2"_s, u"d2.cue?1"_s, u"d2.cue?2"_s}},
        {"a sheet naming a missing file",
         {{u"a.mp3"_s, "x"}, {u"disc.cue"_s, Cue("gone.flac", "t")}},
         flacMp3,
         {u"a.mp3"_s}},
        {"a sheet whose file's type is not chosen",
         {{u"a.mp3"_s, "x"}, {u"disc.wav"_s, "x"}, {u"disc.cue"_s, Cue("disc.wav", "t")}},
         flacMp3,
         {u"a.mp3"_s}},
        {"a sheet embedded in a FLAC",
         {{u"image.flac"_s, FlacWithSheet(Cue("x.wav", "t"))}, {u"plain.flac"_s, "fLaC"}},
         flacMp3,
         {u"image.flac?1"_s, u"image.flac?2"_s, u"plain.flac"_s}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        for (const auto& [name, bytes] : c.files)
            dir.write(name, bytes);
        clsArrayList list;
        list.Add(u"/before.mp3"_s);
        EXPECT_EQ(FileCollector::Collect(list, dir.path(), c.types, false), QString());
        FileCollector::TidyNewEntries(list, 1, dir.path(), nullptr);
        EXPECT_EQ(Text(Relative(list.items(), dir.path())),
                  Text(QStringList{u"/before.mp3"_s} + c.listed))
            << c.name;
        clsArrayList shown;
        FolderViewModel::LoadFiles(shown, dir.path(), c.types);
        EXPECT_EQ(Text(Relative(shown.items(), dir.path())), Text(c.listed)) << c.name;
    }
}

TEST(TrackEntries, RowsShowTheTrackTitle) {
    TempDir dir;
    dir.write(u"disc.wav"_s, "x");
    dir.write(u"disc.cue"_s, Cue("disc.wav", "春"));
    dir.write(u"sj.cue"_s, Cue("disc.wav", ShiftJis(u"春の歌"_s)));
    dir.write(u"image.flac"_s, FlacWithSheet(Cue("x.wav", "埋め込み")));
    const struct {
        QString entry;
        QString row;
    } cases[] = {
        {dir.file(u"disc.cue?1"_s), u"春"_s},         {dir.file(u"disc.cue?2"_s), u"disc 02"_s},
        {dir.file(u"sj.cue?1"_s), u"春の歌"_s},       {dir.file(u"image.flac?1"_s), u"埋め込み"_s},
        {dir.file(u"image.flac?2"_s), u"image 02"_s}, {dir.file(u"gone.cue?3"_s), u"gone 03"_s},
        {dir.file(u"disc.cue?7"_s), u"disc 07"_s},    {u"/m/song.mp3"_s, u"song"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaylistOps::RowText(c.entry).toStdString(), c.row.toStdString());

    // A sheet edited after it was shown shows its new title.
    dir.write(u"disc.cue"_s, Cue("disc.wav", "夏の歌"));
    EXPECT_EQ(PlaylistOps::RowText(dir.file(u"disc.cue?1"_s)), u"夏の歌"_s);
    clsArrayList folders, files;
    files.Add(dir.file(u"disc.cue?1"_s));
    EXPECT_EQ(FolderViewModel::Rows(folders, files).back(), u"夏の歌"_s);
}

TEST(TrackEntries, DropsAndPlaylistFilesListTracksAndKeepTrackEntries) {
    TempDir dir;
    dir.write(u"disc.wav"_s, "x");
    const QString cue = dir.write(u"disc.cue"_s, Cue("disc.wav", "t"));
    const QString missing = dir.write(u"missing.cue"_s, Cue("gone.wav", "t"));
    const QString track = dir.file(u"disc.cue?2"_s);
    const QByteArray withTracks =
        (u"/m/a.mp3\r\n"_s + cue + u"\r\n/elsewhere/x.cue?3\r\n"_s + track + u"\r\n"_s).toUtf8();
    const QByteArray plain = "#EXTM3U\r\n/m/a.mp3\r\n/m/image.flac\r\n";
    const struct {
        const char* name;
        QByteArray list;
        QStringList read;
        QByteArray written;
    } cases[] = {
        {"a .cue line becomes its tracks, track entries stay", withTracks,
         QStringList{u"/m/a.mp3"_s, cue + u"?1"_s, cue + u"?2"_s, u"/elsewhere/x.cue?3"_s, track},
         (u"/m/a.mp3\r\n"_s + cue + u"?1\r\n"_s + cue + u"?2\r\n/elsewhere/x.cue?3\r\n"_s + track +
          u"\r\n"_s)
             .toUtf8()},
        {"a list without tracks", plain, {u"#EXTM3U"_s, u"/m/a.mp3"_s, u"/m/image.flac"_s}, plain},
    };
    for (const auto& c : cases) {
        clsArrayList list;
        ASSERT_TRUE(FileCollector::ReadPlaylistFile(dir.write(u"in.m3u"_s, c.list), list, nullptr,
                                                    modZAUtil::IfMissing::Report));
        EXPECT_EQ(Text(list.items()), Text(c.read)) << c.name;
        ASSERT_TRUE(modZAUtil::WriteListToFile(dir.file(u"out.m3u"_s), list, nullptr));
        EXPECT_EQ(dir.read(u"out.m3u"_s), c.written) << c.name;
        clsArrayList again;
        ASSERT_TRUE(FileCollector::ReadPlaylistFile(dir.file(u"out.m3u"_s), again, nullptr,
                                                    modZAUtil::IfMissing::Report));
        EXPECT_EQ(again.items(), c.read) << c.name;
    }

    clsArrayList dropped;
    FileCollector::AddPath(dropped, cue, 1);
    FileCollector::AddPath(dropped, missing, 1);
    EXPECT_EQ(dropped.items(), (QStringList{cue + u"?1"_s, cue + u"?2"_s}));
}

TEST(TrackEntries, SortsPlaceTracksByTheirSheet) {
    TempDir dir;
    dir.write(u"disc.wav"_s, "x");
    const QString cue = dir.write(u"disc.cue"_s, Cue("disc.wav", "Zebra"));
    const QString older = dir.write(u"older.mp3"_s, "x");
    const utimbuf past{1'000'000'000, 1'000'000'000};
    ASSERT_EQ(::utime(older.toUtf8().constData(), &past), 0);
    const QString one = cue + u"?1"_s, two = cue + u"?2"_s;

    clsArrayList byTrack;
    byTrack.assign({two, one});
    PlaylistOps::SortByTrack(byTrack, 0);
    EXPECT_EQ(byTrack.items(), (QStringList{one, two}));

    const PlaylistOps::ReadingFields first = PlaylistOps::TagReadingFields(one);
    EXPECT_EQ(QStringList({first.artist, first.album, first.track, first.title}),
              (QStringList{u"Band"_s, u"Album"_s, u"1"_s, u"Zebra"_s}));

    clsArrayList byName;
    byName.assign({cue + u"?10"_s, u"/m/e.mp3"_s, two, u"/m/a.mp3"_s});
    PlaylistOps::SortByFileName(byName, 0, QCollator(QLocale::c()));
    EXPECT_EQ(Text(byName.items()), Text({u"/m/a.mp3"_s, two, cue + u"?10"_s, u"/m/e.mp3"_s}));

    clsArrayList byDate;
    byDate.assign({older, two, one});
    PlaylistOps::SortByDateNewestFirst(byDate);
    EXPECT_EQ(byDate.items(), (QStringList{two, one, older}));
}
