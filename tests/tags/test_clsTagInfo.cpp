#include "support/Id3TagBuilder.h"
#include "support/TempDir.h"
#include "tags/TagText.h"
#include "tags/clsTagInfo.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Id3TagBuilder;

namespace {

const QString kTitle = QStringLiteral("夜明けのうた");
const QString kArtist = QStringLiteral("岸洋子");
const QString kAlbum = QStringLiteral("Best ～ 2nd");

QByteArray ShiftJis(const QString& text) {
    QStringEncoder encoder("windows-31j");
    return encoder(text);
}

QByteArray Id(int version, const char* v2, const char* v3) {
    return QByteArray(version == 2 ? v2 : v3);
}

QByteArray YearFrame(int version, int encoding) {
    if (version == 4)
        return Frame(4, "TDRC", TextBody(encoding, QStringLiteral("1964-03-01T12:00")));
    return Frame(version, Id(version, "TYE", "TYER"), TextBody(encoding, QStringLiteral("1964")));
}

// The five kept frames, each with `encoding` (encoding 0 with `shiftJis` stores Shift_JIS bytes).
QByteArray FiveFrames(int version, int encoding, bool bigEndianBom = false, bool shiftJis = false) {
    const auto body = [&](const QString& text) {
        return shiftJis ? RawTextBody(0, ShiftJis(text)) : TextBody(encoding, text, bigEndianBom);
    };
    return Frame(version, Id(version, "TT2", "TIT2"), body(kTitle)) +
           Frame(version, Id(version, "TP1", "TPE1"), body(kArtist)) +
           Frame(version, Id(version, "TAL", "TALB"), body(kAlbum)) +
           Frame(version, Id(version, "TRK", "TRCK"), body(QStringLiteral("3/12"))) +
           YearFrame(version, encoding);
}

class TagFileTest : public ::testing::Test {
protected:
    clsTagInfo Read(const QByteArray& bytes) {
        clsTagInfo tag;
        tag.GetTagInfo(dir_.write(QStringLiteral("song.mp3"), bytes));
        return tag;
    }
    void ExpectFive(const clsTagInfo& tag) {
        EXPECT_TRUE(tag.IsValid);
        EXPECT_EQ(tag.Title, kTitle);
        EXPECT_EQ(tag.ArtistName, kArtist);
        EXPECT_EQ(tag.Album, kAlbum);
        EXPECT_EQ(tag.Track, QStringLiteral("3/12"));
        EXPECT_EQ(tag.Year, QStringLiteral("1964"));
    }
    void ExpectEmpty(const clsTagInfo& tag) {
        EXPECT_TRUE(tag.Title.isEmpty() && tag.ArtistName.isEmpty() && tag.Album.isEmpty() &&
                    tag.Track.isEmpty() && tag.Year.isEmpty());
    }
    TempDir dir_;
};

}  // namespace

TEST(clsTagInfoState, NewInstanceIsEmptyAndInvalidClearMakesItValid) {
    clsTagInfo tag;
    EXPECT_FALSE(tag.IsValid);
    EXPECT_TRUE(tag.Title.isEmpty() && tag.Year.isEmpty());
    tag.Title = QStringLiteral("x");
    tag.Track = QStringLiteral("1");
    tag.Clear();
    EXPECT_TRUE(tag.IsValid);
    EXPECT_TRUE(tag.Title.isEmpty() && tag.Track.isEmpty());
}

// Every version with every text encoding, in a tag with padding and audio after it.
struct EncodingCase {
    int version;
    int encoding;
    bool bigEndianBom;
    bool shiftJis;
};

class EncodingTest : public TagFileTest, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(EncodingTest, ReadsAllFiveFields) {
    const EncodingCase c = GetParam();
    const QByteArray tag =
        Tag(c.version, FiveFrames(c.version, c.encoding, c.bigEndianBom, c.shiftJis), 0, 256);
    ExpectFive(Read(tag + AudioBytes(5000)));
}

INSTANTIATE_TEST_SUITE_P(AllVersions, EncodingTest, ::testing::ValuesIn([] {
                             std::vector<EncodingCase> cases;
                             for (int version : {2, 3, 4}) {
                                 cases.push_back({version, 0, false, false});  // UTF-8 bytes
                                 cases.push_back({version, 0, false, true});   // Shift_JIS bytes
                                 cases.push_back({version, 1, false, false});
                                 cases.push_back({version, 1, true, false});
                                 cases.push_back({version, 2, false, false});
                                 cases.push_back({version, 3, false, false});
                             }
                             return cases;
                         }()));

// A 300 KB picture ahead of the text, with and without unsynchronisation of the whole tag.
class PictureTest : public TagFileTest,
                    public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(PictureTest, SkipsThePictureAndReadsTheFramesAfterIt) {
    const auto [version, unsync] = GetParam();
    QByteArray frames = PictureFrame(version, 300 * 1024) + FiveFrames(version, 1);
    quint8 flags = 0;
    if (unsync) {
        flags = 0x80;
        if (version == 4) {
            // 2.4 unsynchronises frame by frame, so rebuild each frame with its own flag.
            frames = Frame(4, "APIC", Unsynchronise(PictureFrame(4, 300 * 1024).mid(10)), 0x0002) +
                     Frame(4, "TIT2", Unsynchronise(TextBody(1, kTitle)), 0x0002) +
                     Frame(4, "TPE1", Unsynchronise(TextBody(1, kArtist)), 0x0002) +
                     Frame(4, "TALB", Unsynchronise(TextBody(1, kAlbum)), 0x0002) +
                     Frame(4, "TRCK", TextBody(1, QStringLiteral("3/12"))) +
                     Frame(4, "TDRC", TextBody(0, QStringLiteral("1964")));
        } else {
            frames = Unsynchronise(frames);
        }
    }
    ExpectFive(Read(Tag(version, frames, flags, 1024) + AudioBytes(20000)));
}

INSTANTIATE_TEST_SUITE_P(AllVersions, PictureTest,
                         ::testing::Combine(::testing::Values(2, 3, 4), ::testing::Bool()));

TEST_F(TagFileTest, UnsynchronisationInsideTextIsUndone) {
    // UTF-16 with a little-endian BOM starts FF FE, which an unsynchronising writer splits.
    const QByteArray frames = FiveFrames(3, 1);
    ASSERT_NE(Unsynchronise(frames), frames);
    ExpectFive(Read(Tag(3, Unsynchronise(frames), 0x80)));
    ExpectFive(Read(Tag(2, Unsynchronise(FiveFrames(2, 1)), 0x80)));
    // A 2.4 tag flag means every frame is unsynchronised even without its own flag.
    QByteArray v4;
    for (const auto& [id, text] : {std::pair{"TIT2", kTitle},
                                   {"TPE1", kArtist},
                                   {"TALB", kAlbum},
                                   {"TRCK", QStringLiteral("3/12")},
                                   {"TYER", QStringLiteral("1964")}})
        v4 += Frame(4, id, Unsynchronise(TextBody(1, text)));
    ExpectFive(Read(Tag(4, v4, 0x80)));
}

TEST_F(TagFileTest, ExtendedHeadersAreSkipped) {
    // 2.3: the size excludes its own four bytes; 10 when a CRC follows.
    const QByteArray v3Ext =
        BigEndian(10, 4) + QByteArray("\x80\x00\x00\x00\x00\x00\x12\x34\x56\x78", 10);
    ExpectFive(Read(Tag(3, v3Ext + FiveFrames(3, 0), 0x40, 64)));
    // 2.4: a synchsafe size that includes itself.
    const QByteArray v4Ext = Synchsafe(6) + QByteArray("\x01\x00", 2);
    ExpectFive(Read(Tag(4, v4Ext + FiveFrames(4, 3), 0x40, 64)));
    // An extended header claiming to be larger than the tag leaves nothing to read.
    const clsTagInfo broken = Read(Tag(3, BigEndian(100000, 4) + FiveFrames(3, 0), 0x40));
    EXPECT_TRUE(broken.IsValid);
    ExpectEmpty(broken);
}

// Fields of tens of thousands of characters keep their first kMaxFieldChars, never half a
// UTF-16 pair.
TEST_F(TagFileTest, LongFieldsAreCut) {
    const QString pairs = u"a"_qs + QString(u"😀"_qs).repeated(20000);
    struct Case {
        const char* id;
        int encoding;
        QString value;
        qsizetype kept;
    };
    const Case cases[] = {{"TIT2", 0, QString(30000, u'\n'), clsTagInfo::kMaxFieldChars},
                          {"TPE1", 3, QString(65000, u'x'), clsTagInfo::kMaxFieldChars},
                          {"TALB", 1, pairs, clsTagInfo::kMaxFieldChars - 1}};
    for (const Case& c : cases) {
        const clsTagInfo tag = Read(Tag(4, Frame(4, c.id, TextBody(c.encoding, c.value))));
        const QString& field = c.encoding == 0   ? tag.Title
                               : c.encoding == 3 ? tag.ArtistName
                                                 : tag.Album;
        EXPECT_EQ(field.size(), c.kept) << c.id;
        EXPECT_TRUE(c.value.startsWith(field)) << c.id;
    }
}

TEST_F(TagFileTest, TextIsCutAtItsFirstTerminator) {
    const auto title = [&](int version, const QByteArray& body) {
        return Read(Tag(version, Frame(version, "TIT2", body))).Title;
    };
    EXPECT_EQ(title(3, RawTextBody(0, QByteArray("Song\0", 5))), QStringLiteral("Song"));
    EXPECT_EQ(title(4, RawTextBody(3, QByteArray("One\0Two\0", 8))), QStringLiteral("One"));
    EXPECT_EQ(title(4, TextBody(1, QStringLiteral("One")) + QByteArray(2, '\0') +
                           TextBody(1, QStringLiteral("Two")).mid(1)),
              QStringLiteral("One"));
    // A zero byte inside a UTF-16 character is not a terminator.
    EXPECT_EQ(title(3, TextBody(2, QStringLiteral("\u0100A"))), QStringLiteral("\u0100A"));
    EXPECT_EQ(title(3, QByteArray()), QString());
    EXPECT_EQ(title(3, QByteArray(1, '\1')), QString());
}

TEST_F(TagFileTest, LaterFramesReplaceEarlierOnesAndYearComesFromTheRecordingTime) {
    const QByteArray frames = Frame(3, "TPE1", TextBody(0, QStringLiteral("First"))) +
                              Frame(3, "TPE1", TextBody(0, QStringLiteral("Second")));
    EXPECT_EQ(Read(Tag(3, frames)).ArtistName, QStringLiteral("Second"));
    EXPECT_EQ(Read(Tag(4, Frame(4, "TDRC", TextBody(3, QStringLiteral("2001-05"))))).Year,
              QStringLiteral("2001"));
    EXPECT_EQ(Read(Tag(4, Frame(4, "TDRC", TextBody(3, QStringLiteral("199"))))).Year,
              QStringLiteral("199"));
}

TEST_F(TagFileTest, FrameFlagsAreHonoured) {
    // Compressed and encrypted frames are skipped whole; the frames after them still count.
    const QByteArray artist = Frame(3, "TPE1", TextBody(0, kArtist));
    clsTagInfo v3 = Read(
        Tag(3, Frame(3, "TIT2", BigEndian(99, 4) + QByteArray(40, 'x'), 0x0080) +
                   Frame(3, "TALB", QByteArray(1, '\x81') + QByteArray(40, 'y'), 0x0040) + artist));
    EXPECT_TRUE(v3.Title.isEmpty() && v3.Album.isEmpty());
    EXPECT_EQ(v3.ArtistName, kArtist);
    clsTagInfo v4 = Read(Tag(4, Frame(4, "TIT2", QByteArray(40, 'x'), 0x0008 | 0x0001) +
                                    Frame(4, "TPE1", TextBody(0, kArtist))));
    EXPECT_TRUE(v4.Title.isEmpty());
    EXPECT_EQ(v4.ArtistName, kArtist);
    // Grouping byte and data length indicator precede the text.
    const QByteArray text = TextBody(3, kTitle);
    EXPECT_EQ(
        Read(Tag(4, Frame(4, "TIT2", QByteArray(1, '\x07') + Synchsafe(quint32(text.size())) + text,
                          0x0041)))
            .Title,
        kTitle);
    EXPECT_EQ(Read(Tag(3, Frame(3, "TIT2", QByteArray(1, '\x07') + text, 0x0020))).Title, kTitle);
}

TEST_F(TagFileTest, WalkStopsAtTheTagEndAndAtPadding) {
    const QByteArray title = Frame(3, "TIT2", TextBody(0, QStringLiteral("Real")));
    const QByteArray lookalike = Frame(3, "TIT2", TextBody(0, QStringLiteral("Audio")));
    // No padding: the bytes after the tag are audio, even when they look like a frame.
    EXPECT_EQ(Read(Tag(3, title) + lookalike + AudioBytes(1000)).Title, QStringLiteral("Real"));
    // Padding ends the walk, whatever follows inside the tag.
    EXPECT_EQ(Read(Tag(3, title + QByteArray(16, '\0') + lookalike)).Title, QStringLiteral("Real"));
}

TEST_F(TagFileTest, PlainSizesInVersion24AreRecognised) {
    // 200 data bytes stored as 00 00 00 C8, which cannot be synchsafe.
    QByteArray comment =
        QByteArray("TXXX") + BigEndian(200, 4) + BigEndian(0, 2) + QByteArray(200, 'c');
    EXPECT_EQ(Read(Tag(4, comment + Frame(4, "TIT2", TextBody(3, kTitle)))).Title, kTitle);
}

TEST_F(TagFileTest, DamagedTagsKeepWhatWasReadBeforeTheDamage) {
    const QByteArray good =
        Frame(3, "TIT2", TextBody(0, kTitle)) + Frame(3, "TPE1", TextBody(0, kArtist));
    const QByteArray album = Frame(3, "TALB", TextBody(0, kAlbum));
    const auto check = [&](const QByteArray& bytes, const char* what) {
        SCOPED_TRACE(what);
        const clsTagInfo tag = Read(bytes);
        EXPECT_TRUE(tag.IsValid);
        EXPECT_EQ(tag.Title, kTitle);
        EXPECT_EQ(tag.ArtistName, kArtist);
        EXPECT_TRUE(tag.Album.isEmpty());
    };
    const QByteArray whole = Tag(3, good + PictureFrame(3, 5000) + album);
    check(whole.left(whole.size() - 4000), "file ends inside a skipped frame");
    check(Tag(3, good + album).chopped(3), "file ends inside a kept frame");
    check(Tag(3, good + QByteArray("TALB") + BigEndian(0x7FFFFFF0, 4) + BigEndian(0, 2) +
                     QByteArray(20, 'a')),
          "size past the end");
    check(Tag(3, good + QByteArray("T\x01LB\x00\x00\x00\x02\x00\x00\x00x", 12) + album),
          "garbage frame id");
    check(Tag(3, good + QByteArray("TAL")), "half a frame header at the end");
    // A tag size past the end of the file is bounded by the file.
    QByteArray longTag = Tag(3, good);
    longTag.replace(6, 4, Synchsafe(0x0FFFFFFF));
    check(longTag, "tag size past the end");
}

TEST_F(TagFileTest, HeadersThatAreNotReadableTagsGiveNoTag) {
    for (const QByteArray& bytes :
         {QByteArray("ID3\x03", 4), QByteArray("ID3\x05\x00\x00\x00\x00\x00\x10", 10),
          QByteArray("ID3\x03\x00\x00\x00\x80\x00\x10", 10),
          QByteArray("id3\x03\x00\x00\x00\x00\x00\x10", 10)}) {
        const clsTagInfo tag = Read(bytes + AudioBytes(64));
        EXPECT_FALSE(tag.IsValid) << bytes.toHex().constData();
        ExpectEmpty(tag);
    }
    // A compressed 2.2 tag is a tag, but nothing in it can be read.
    const clsTagInfo compressed = Read(Tag(2, FiveFrames(2, 0), 0x40));
    EXPECT_TRUE(compressed.IsValid);
    ExpectEmpty(compressed);
}

TEST_F(TagFileTest, Version1TagsAtTheEnd) {
    const QByteArray audio = AudioBytes(4000);
    clsTagInfo v10 =
        Read(audio + V1Tag("Title  ", "Artist", ShiftJis(kAlbum), "1999", 0, "comment"));
    EXPECT_TRUE(v10.IsValid);
    EXPECT_EQ(v10.Title, QStringLiteral("Title"));
    EXPECT_EQ(v10.ArtistName, QStringLiteral("Artist"));
    EXPECT_EQ(v10.Album, kAlbum);
    EXPECT_EQ(v10.Year, QStringLiteral("1999"));
    EXPECT_TRUE(v10.Track.isEmpty());
    // A 1.0 comment using all 30 bytes has no zero byte before its last one: no track.
    EXPECT_TRUE(Read(audio + V1Tag("T", "A", "B", "1999", 0, QByteArray(30, 'c'))).Track.isEmpty());

    clsTagInfo v11 = Read(audio + V1Tag(kTitle.toUtf8(), "A", "B", "2004", 212, "c"));
    EXPECT_EQ(v11.Title, kTitle);
    EXPECT_EQ(v11.Track, QStringLiteral("212"));
    // Exactly 128 bytes is a file of nothing but the tag.
    EXPECT_EQ(Read(V1Tag("Only", "", "", "")).Title, QStringLiteral("Only"));
    // An ID3v2 tag wins over a v1 tag.
    clsTagInfo both = Read(Tag(3, Frame(3, "TIT2", TextBody(0, kTitle))) + audio +
                           V1Tag("Old", "Old", "Old", "1900", 1));
    EXPECT_EQ(both.Title, kTitle);
    EXPECT_TRUE(both.ArtistName.isEmpty() && both.Track.isEmpty());
    // An unreadable v2 header falls back to the v1 tag.
    EXPECT_EQ(
        Read(QByteArray("ID3\x09\x00\x00\x00\x00\x00\x10", 10) + audio + V1Tag("V1", "", "", ""))
            .Title,
        QStringLiteral("V1"));
}

TEST_F(TagFileTest, TextInTheLocalCodePageIsReadAsWesternOrJapanese) {
    QStringEncoder cp1252("windows-1252");
    const QString texts[] = {QStringLiteral("Björk"), QStringLiteral("Mylène Farmer"),
                             QStringLiteral("情熱大陸"), QStringLiteral("葉加瀬太郎"),
                             QStringLiteral("ﾊﾝｶｸ")};
    for (const QString& text : texts) {
        const QByteArray bytes =
            text[0].unicode() < 0x100 ? QByteArray(cp1252(text)) : ShiftJis(text);
        const QByteArray audio = AudioBytes(400);
        EXPECT_EQ(Read(audio + V1Tag(bytes, bytes, "", "")).ArtistName, text);
        EXPECT_EQ(Read(Tag(3, Frame(3, "TIT2", RawTextBody(0, bytes))) + audio).Title, text);
    }
}

TEST_F(TagFileTest, FilesWithoutTagsAndPathsThatAreNotFiles) {
    const QByteArray wav =
        QByteArray("RIFF\x24\x10\x00\x00WAVEfmt ", 16) + QByteArray(4000, '\x01');
    const QByteArray midi =
        QByteArray("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0MTrk", 18) + QByteArray(300, '\0');
    const QByteArray text = QByteArray("ID3 is not here\r\n").repeated(20);
    clsTagInfo tag;
    tag.GetTagInfo(dir_.write(QStringLiteral("a.mp3"), Tag(3, FiveFrames(3, 0))));
    ASSERT_TRUE(tag.IsValid);
    // Reusing the instance leaves nothing of the earlier file.
    for (const QByteArray& bytes : {wav, midi, text, QByteArray(), QByteArray("ID")}) {
        tag.GetTagInfo(dir_.write(QStringLiteral("b.bin"), bytes));
        EXPECT_FALSE(tag.IsValid);
        ExpectEmpty(tag);
    }
    const QString missing = dir_.file(QStringLiteral("missing.mp3"));
    tag.GetTagInfo(missing);
    EXPECT_FALSE(tag.IsValid);
    EXPECT_FALSE(QFileInfo::exists(missing));
    tag.GetTagInfo(QString());
    EXPECT_FALSE(tag.IsValid);
    tag.GetTagInfo(dir_.mkdir(QStringLiteral("folder.mp3")));
    EXPECT_FALSE(tag.IsValid);
    // A FIFO would block a plain open; it must come back at once with no tag.
    const QString fifo = dir_.file(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    tag.GetTagInfo(fifo);
    EXPECT_FALSE(tag.IsValid);
}

// The readings of title, artist and album in every version, under the names writers use; the
// album artist's reading stands in for the artist's only when they are the same person.
TEST_F(TagFileTest, ReadingsAreRead) {
    const QString title = QStringLiteral("よあけのうた"), artist = QStringLiteral("キシヨウコ"),
                  album = QStringLiteral("ﾍﾞｽﾄ");
    struct Case {
        int version;
        const char *titleId, *artistId, *albumId;
    };
    for (const Case& c : {Case{2, "TST", "TSP", "TSA"}, Case{3, "TSOT", "TSOP", "TSOA"},
                          Case{3, "XSOT", "XSOP", "XSOA"}, Case{4, "TSOT", "TSOP", "TSOA"}}) {
        const clsTagInfo tag = Read(Tag(
            c.version, FiveFrames(c.version, 1) + Frame(c.version, c.titleId, TextBody(1, title)) +
                           Frame(c.version, c.artistId, TextBody(3 * (c.version == 4), artist)) +
                           Frame(c.version, c.albumId, TextBody(0, album))));
        EXPECT_EQ(tag.TitleReading, title) << c.titleId;
        EXPECT_EQ(tag.ArtistReading, artist) << c.artistId;
        EXPECT_EQ(tag.AlbumReading, album) << c.albumId;
        ExpectFive(tag);
    }
    const QByteArray artistFrame = Frame(3, "TPE1", TextBody(1, kArtist));
    const QByteArray albumArtistReading = Frame(3, "TSO2", TextBody(1, artist));
    const struct {
        QByteArray frames;
        QString reading;
    } albumArtist[] = {
        {artistFrame + albumArtistReading, artist},
        {artistFrame + Frame(3, "TPE2", TextBody(1, kArtist)) + albumArtistReading, artist},
        {artistFrame + Frame(3, "TPE2", TextBody(1, u"V.A."_qs)) + albumArtistReading, {}},
        {artistFrame + Frame(3, "TSOP", TextBody(1, u"きし"_qs)) + albumArtistReading, u"きし"_qs},
    };
    for (const auto& c : albumArtist)
        EXPECT_EQ(Read(Tag(3, c.frames)).ArtistReading, c.reading);
    clsTagInfo reused = Read(Tag(3, artistFrame + albumArtistReading));
    reused.GetTagInfo(dir_.write(u"plain.mp3"_qs, Tag(3, artistFrame)));
    EXPECT_TRUE(reused.ArtistReading.isEmpty());
}

namespace {

// Sets the process's choice for unmarked text for one scope.
struct UnmarkedTextScope {
    explicit UnmarkedTextScope(UnmarkedText choice) { TagText::SetUnmarkedText(choice); }
    ~UnmarkedTextScope() { TagText::SetUnmarkedText(UnmarkedText::Auto); }
};

}  // namespace

// Shift_JIS bytes read once as Latin-1 and saved as UTF-16 or UTF-8 come back as Japanese,
// unless the choice is Western; Western text in those frames is left alone. Text without an
// encoding follows the choice.
TEST_F(TagFileTest, MisreadShiftJisIsRepairedAndUnmarkedTextFollowsTheChoice) {
    const QString misread = QString::fromLatin1(ShiftJis(QStringLiteral("情熱大陸")));
    QStringDecoder cp1252("windows-1252");
    const QString lone = QStringLiteral("ﾑu");  // Auto reads its bytes as Ñu
    const struct {
        UnmarkedText choice;
        QByteArray body;
        QString title;
    } cases[] = {
        {UnmarkedText::Auto, TextBody(1, misread), QStringLiteral("情熱大陸")},
        {UnmarkedText::Auto, TextBody(2, misread), QStringLiteral("情熱大陸")},
        {UnmarkedText::Auto, TextBody(3, misread), QStringLiteral("情熱大陸")},
        {UnmarkedText::Japanese, TextBody(1, misread), QStringLiteral("情熱大陸")},
        {UnmarkedText::Western, TextBody(1, misread), misread},
        {UnmarkedText::Auto, TextBody(1, u"Café Müller"_qs), u"Café Müller"_qs},
        {UnmarkedText::Auto, TextBody(3, u"Mylène"_qs), u"Mylène"_qs},
        {UnmarkedText::Auto, RawTextBody(0, ShiftJis(lone)), u"Ñu"_qs},
        {UnmarkedText::Japanese, RawTextBody(0, ShiftJis(lone)), lone},
        {UnmarkedText::Western, RawTextBody(0, ShiftJis(kTitle)), cp1252(ShiftJis(kTitle))},
        {UnmarkedText::Western, RawTextBody(0, kTitle.toUtf8()), kTitle},
    };
    for (const auto& c : cases) {
        const UnmarkedTextScope scope(c.choice);
        EXPECT_EQ(Read(Tag(3, Frame(3, "TIT2", c.body))).Title, c.title)
            << int(c.choice) << " " << c.body.toHex().constData();
    }
}
