#include "library/CueSheet.h"
#include "support/TempDir.h"

#include <QSet>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace std::string_view_literals;

namespace {

// The bytes of a literal that holds a NUL, all of them.
QByteArray bytesOf(std::string_view text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

// "path number start-end title|performer|album|date|genre", times in milliseconds.
QString Describe(const CueSheet::ListedTrack& t) {
    return u"%1 %2 %3-%4 %5|%6|%7|%8|%9"_s.arg(t.path)
        .arg(t.number)
        .arg(CueSheet::ToMilliseconds(t.start).count())
        .arg(t.end ? QString::number(CueSheet::ToMilliseconds(*t.end).count()) : u"end"_s)
        .arg(t.title, t.performer, t.album, t.date, t.genre);
}

QStringList Describe(const QList<CueSheet::ListedTrack>& tracks) {
    QStringList out;
    for (const auto& t : tracks)
        out << Describe(t);
    return out;
}

std::string Text(const QStringList& lines) {
    return lines.join(u'\n').toStdString();
}

QStringList Layout(const QByteArray& bytes, const QStringList& files) {
    const QSet<QString> present(files.begin(), files.end());
    return Describe(CueSheet::Tracks(CueSheet::Parse(bytes), u"/m"_s,
                                     [&](const QString& p) { return present.contains(p); }));
}

QByteArray ShiftJis(const QString& text) {
    QStringEncoder encoder("Shift_JIS");
    return encoder(text);
}

}  // namespace

TEST(CueSheet, SheetsBecomeTracks) {
    const QByteArray disc = "REM GENRE \"J-Pop\"\nREM DATE 1999\nPERFORMER \"Disc Artist\"\n"
                            "TITLE \"The Album\"\nFILE \"My Disc.flac\" WAVE\n"
                            "  TRACK 01 AUDIO\n    TITLE \"One\"\n    INDEX 01 00:00:00\n"
                            "  TRACK 02 AUDIO\n    TITLE \"Two\"\n    PERFORMER \"Guest\"\n"
                            "    PREGAP 00:01:00\n    INDEX 00 03:00:00\n    INDEX 01 03:02:00\n";
    const QByteArray renamed = "FILE \"disc.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
    const struct {
        const char* name;
        QByteArray sheet;
        QStringList files;
        QStringList tracks;
    } cases[] = {
        {"quoted names, REM fields, the pregap ends the track before",
         disc,
         {u"/m/My Disc.flac"_s},
         {u"/m/My Disc.flac 1 0-180000 One|Disc Artist|The Album|1999|J-Pop"_s,
          u"/m/My Disc.flac 2 182000-end Two|Guest|The Album|1999|J-Pop"_s}},
        {"BOM, CR LF, keywords in lower case, an unquoted name with a space, a title by number",
         "\xEF\xBB\xBFtitle Live\r\nfile My Disc.wav WAVE\r\ntrack 3 audio\r\n"
         "index 01 00:00:00\r\ntrack 4 audio\r\ntitle \"x y\"\r\nindex 01 01:00:74\r\n",
         {u"/m/My Disc.wav"_s},
         {u"/m/My Disc.wav 3 0-60986 My Disc 03||Live||"_s,
          u"/m/My Disc.wav 4 60986-end x y||Live||"_s}},
        {"an unquoted name without a type",
         "FILE My Disc.wav\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         {u"/m/My Disc.wav"_s},
         {u"/m/My Disc.wav 1 0-end My Disc 01||||"_s}},
        {"Shift_JIS with CR line ends",
         ShiftJis(u"TITLE \"春の歌\"\rPERFORMER \"山田\"\rFILE \"春.flac\" WAVE\r"
                  u"TRACK 01 AUDIO\rTITLE \"桜\"\rINDEX 01 00:00:00\r"_s),
         {u"/m/春.flac"_s},
         {u"/m/春.flac 1 0-end 桜|山田|春の歌||"_s}},
        {"several files, a pregap left at the end of the file before",
         "FILE \"a.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
         "INDEX 00 04:00:00\nFILE \"b.wav\" WAVE\nINDEX 01 00:00:00\nTRACK 03 AUDIO\n"
         "INDEX 01 02:00:00\n",
         {u"/m/a.wav"_s, u"/m/b.wav"_s},
         {u"/m/a.wav 1 0-240000 a 01||||"_s, u"/m/b.wav 2 0-120000 b 02||||"_s,
          u"/m/b.wav 3 120000-end b 03||||"_s}},
        {"one of several files missing",
         "FILE \"gone.wav\" WAVE\nTRACK 01 AUDIO\n"
         "INDEX 01 00:00:00\nFILE \"b.wav\" WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n",
         {u"/m/b.wav"_s},
         {u"/m/b.wav 2 0-end b 02||||"_s}},
        {"renamed after the sheet was written",
         renamed,
         {u"/m/disc.flac"_s, u"/m/disc.cue"_s},
         {u"/m/disc.flac 1 0-end disc 01||||"_s}},
        {"two renamed candidates", renamed, {u"/m/disc.flac"_s, u"/m/disc.APE"_s}, {}},
        {"only missing files", renamed, {u"/m/other.flac"_s}, {}},
        {"a Windows path",
         "FILE \"C:\\Rips\\disc.ape\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         {u"/m/disc.ape"_s},
         {u"/m/disc.ape 1 0-end disc 01||||"_s}},
        {"garbage, disorder, bad numbers and times",
         bytesOf("FILE \"d.flac\" WAVE\ngarbage \"line\nTRACK 02 AUDIO\nINDEX 01 05:00:00\n"
                 "TRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 03 AUDIO\nINDEX 00 04:00:00\n"
                 "TRACK 100 AUDIO\nINDEX 01 09:00:00\nTRACK 02 AUDIO\nINDEX 01 08:00:00\n"
                 "TRACK 04 AUDIO\nINDEX 01 -1:00:00\nTRACK 05 AUDIO\n"
                 "INDEX 01 99999999:00:00\nTRACK 06 AUDIO\nINDEX 01 06:00:75\n"
                 "TRACK 07 MODE1/2352\nINDEX 01 06:30:00\nTRACK 08 AUDIO\nTITLE \"a\0b\"\n"
                 "INDEX 01 05:00:00\n"sv),
         {u"/m/d.flac"_s},
         {u"/m/d.flac 1 0-300000 d 01||||"_s, u"/m/d.flac 2 300000-end d 02||||"_s}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(Layout(c.sheet, c.files)), Text(c.tracks)) << c.name;
}

TEST(CueSheet, LimitsHoldAgainstHugeSheets) {
    QByteArray many;
    for (int f = 0; f < 150; ++f)
        many += "FILE \"f" + QByteArray::number(f) + ".wav\" WAVE\nTRACK " +
                QByteArray::number(f % 120 + 1) + " AUDIO\nINDEX 01 00:00:00\n";
    const CueSheet sheet = CueSheet::Parse(many);
    EXPECT_EQ(sheet.files.size(), CueSheet::kMaxFiles);
    qsizetype tracks = 0;
    for (const auto& file : sheet.files)
        tracks += file.tracks.size();
    EXPECT_EQ(tracks, CueSheet::kMaxTracks);

    const QByteArray longTitle = "FILE a.wav WAVE\nTRACK 1 AUDIO\nTITLE " + QByteArray(5000, 'x');
    EXPECT_EQ(CueSheet::Parse(longTitle).files.front().tracks.front().title.size(),
              CueSheet::kMaxTextChars);
    EXPECT_TRUE(CueSheet::Parse(QByteArray(CueSheet::kMaxBytes + 1, '\n') + many).files.isEmpty());

    TempDir dir;
    EXPECT_FALSE(
        CueSheet::ReadFile(dir.write(u"big.cue"_s, QByteArray(CueSheet::kMaxBytes + 1, ' '))));
    EXPECT_FALSE(CueSheet::ReadFile(dir.mkdir(u"folder.cue"_s)));
    ASSERT_EQ(::mkfifo(dir.file(u"fifo.cue"_s).toUtf8().constData(), 0600), 0);
    EXPECT_FALSE(CueSheet::ReadFile(dir.file(u"fifo.cue"_s)));
    EXPECT_FALSE(CueSheet::ReadEmbedded(dir.file(u"fifo.cue"_s)));
    const auto read = CueSheet::ReadFile(dir.write(u"ok.cue"_s, "TITLE t\n"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title, u"t"_s);
}

namespace {

QByteArray BigEndian(quint64 value, int bytes) {
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char(value >> (8 * i));
    return out;
}

QByteArray LittleEndian32(quint32 value) {
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char(value >> (8 * i));
    return out;
}

QByteArray Block(int type, const QByteArray& body, bool last = false) {
    return char(type | (last ? 0x80 : 0)) + BigEndian(quint64(body.size()), 3) + body;
}

QByteArray StreamInfo(quint32 rate) {
    return Block(0, QByteArray(10, '\0') + BigEndian(quint64(rate) << 4 | 1, 3) +
                        QByteArray(21, '\0'));
}

QByteArray Comments(const QList<QByteArray>& entries) {
    QByteArray body = LittleEndian32(3) + "ref" + LittleEndian32(quint32(entries.size()));
    for (const QByteArray& e : entries)
        body += LittleEndian32(quint32(e.size())) + e;
    return Block(4, body);
}

// Tracks as (number, offset, index points of (number, offset)), offsets in samples.
QByteArray CueBlock(const QList<std::tuple<int, quint64, QList<std::pair<int, quint64>>>>& tracks) {
    QByteArray body = QByteArray(395, '\0') + char(tracks.size());
    for (const auto& [number, offset, points] : tracks) {
        body += BigEndian(offset, 8) + char(number) + QByteArray(26, '\0') + char(points.size());
        for (const auto& [point, at] : points)
            body += BigEndian(at, 8) + char(point) + QByteArray(3, '\0');
    }
    return Block(5, body);
}

QByteArray ApeTag(const QList<std::pair<QByteArray, QByteArray>>& items) {
    QByteArray body;
    for (const auto& [key, value] : items)
        body += LittleEndian32(quint32(value.size())) + LittleEndian32(0) + key + '\0' + value;
    return body + "APETAGEX" + LittleEndian32(2000) + LittleEndian32(quint32(body.size() + 32)) +
           LittleEndian32(quint32(items.size())) + QByteArray(12, '\0');
}

}  // namespace

TEST(CueSheet, EmbeddedInImages) {
    const QByteArray comment =
        "CUESHEET=TITLE \"Embedded\"\nFILE \"whatever.wav\" WAVE\nTRACK 01 AUDIO\n"
        "TITLE \"\xE6\x98\xA5\"\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:30:00\n";
    const QByteArray binary =
        CueBlock({{1, 0, {{1, 0}}}, {2, 44100 * 60, {{0, 0}, {1, 588}}}, {170, 44100 * 90, {}}});
    const QByteArray id3 = QByteArray("ID3\x03\0\0\0\0\0\x05", 10) + QByteArray(5, '\0');
    const struct {
        const char* name;
        QByteArray file;
        QStringList tracks;
    } cases[] = {
        {"the CUESHEET comment, whatever file it names",
         "fLaC" + StreamInfo(44100) + Comments({"ALBUM=Other", "DATE=2001", comment}) +
             Block(1, QByteArray(8, '\0'), true),
         {u"/m/image 1 0-30000 春||Embedded|2001|"_s,
          u"/m/image 2 30000-end image 02||Embedded|2001|"_s}},
        {"the CUESHEET block behind an ID3 tag, the disc from the comments",
         id3 + "fLaC" + StreamInfo(44100) +
             Comments({"album=Album", "ARTIST=Band", "DATE=2001", "GENRE=Rock"}) + binary,
         {u"/m/image 1 0-60000 image 01|Band|Album|2001|Rock"_s,
          u"/m/image 2 60013-end image 02|Band|Album|2001|Rock"_s}},
        {"a block cut short", "fLaC" + StreamInfo(44100) + binary.left(binary.size() - 60), {}},
        {"an entry count past the block",
         "fLaC" + StreamInfo(48000) + Block(4, LittleEndian32(0) + LittleEndian32(0xFFFFFFFF)) +
             binary,
         {u"/m/image 1 0-55125 image 01||||"_s, u"/m/image 2 55137-end image 02||||"_s}},
        {"no sample rate", "fLaC" + binary, {}},
        {"an APE tag's Cuesheet item before an ID3v1 tag",
         "wvpk" + QByteArray(64, 'x') +
             ApeTag(
                 {{"Year", "2010"}, {"Cover Art (Front)", "\1\2"}, {"Cuesheet", comment.mid(9)}}) +
             "TAG" + QByteArray(125, ' '),
         {u"/m/image 1 0-30000 春||Embedded|2010|"_s,
          u"/m/image 2 30000-end image 02||Embedded|2010|"_s}},
        {"not a FLAC", "OggS" + StreamInfo(44100) + binary, {}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const QString path = dir.write(u"image"_s, c.file);
        const auto sheet = CueSheet::ReadEmbedded(path);
        const QStringList tracks =
            sheet ? Describe(CueSheet::Tracks(*sheet, u"/m"_s, [](const QString&) { return true; }))
                  : QStringList();
        EXPECT_EQ(Text(tracks), Text(c.tracks)) << c.name;
    }
}

TEST(CueSheet, TrackReferences) {
    using Ref = CueSheet::TrackReference;
    const Ref written[] = {{u"/m/春 の/disc.cue"_s, 3}, {u"/m/image.flac"_s, 99}};
    for (const Ref& r : written)
        EXPECT_EQ(CueSheet::DecodeTrackReference(CueSheet::EncodeTrackReference(r)), r)
            << r.path.toStdString();
    EXPECT_EQ(CueSheet::EncodeTrackReference({u"/m/disc.cue"_s, 3}), u"/m/disc.cue?3"_s);

    const struct {
        QString entry;
        std::optional<Ref> read;
    } read[] = {
        {u"file:///m/%E6%98%A5%20x.CUE?12"_s, Ref{u"/m/春 x.CUE"_s, 12}},
        {u"/m/disc.wv?07"_s, Ref{u"/m/disc.wv"_s, 7}},
        {u"cue:///m/a b.cue/5"_s, Ref{u"/m/a b.cue"_s, 5}},
        {u"cue:///m/a%23%3F.cue#6"_s, Ref{u"/m/a#?.cue"_s, 6}},
        {u"cue://5"_s, std::nullopt},
        {u"/m/disc.cue"_s, std::nullopt},
        {u"/m/song.mp3?3"_s, std::nullopt},
        {u"/m/disc.cue?0"_s, std::nullopt},
        {u"/m/disc.cue?100"_s, std::nullopt},
        {u"/m/disc.cue?3x"_s, std::nullopt},
        {u"/m/.cue?3"_s, std::nullopt},
        {u"file://host.cue?3"_s, std::nullopt},
    };
    for (const auto& r : read)
        EXPECT_EQ(CueSheet::DecodeTrackReference(r.entry), r.read) << r.entry.toStdString();
    EXPECT_EQ(CueSheet::DecodeTrackReference(
                  u"/m/odd.cue?3"_s, [](const QString& p) { return p == u"/m/odd.cue?3"_s; }),
              std::nullopt);
}
