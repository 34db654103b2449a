// Tags of the formats that are not MP3, in files made by FFmpeg's encoders.
#include "support/Id3TagBuilder.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"
#include "tags/clsTagInfo.h"

#include <QFile>
#include <fileref.h>
#include <gtest/gtest.h>
#include <tpropertymap.h>

namespace {

const QString kTitle = QStringLiteral("春の風");
const QString kArtist = QStringLiteral("風の楽団");
const QString kAlbum = QStringLiteral("四季");

TagLib::String Utf8(const QString& text) {
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

// A RIFF chunk: id, little-endian size, data padded to an even length.
QByteArray Chunk(const char* id, const QByteArray& data) {
    QByteArray out(id, 4);
    const auto size = quint32(data.size());
    for (int i = 0; i < 4; ++i)
        out += char((size >> (8 * i)) & 0xFF);
    out += data;
    if (data.size() % 2)
        out += '\0';
    return out;
}

// `wav` with `chunk` appended and the RIFF size made to match.
QByteArray WithChunk(QByteArray wav, const QByteArray& chunk) {
    wav += chunk;
    const auto size = quint32(wav.size() - 8);
    for (int i = 0; i < 4; ++i)
        wav[4 + i] = char((size >> (8 * i)) & 0xFF);
    return wav;
}

}  // namespace

TEST(TagLibFormats, EveryFormatGivesItsTitleArtistAlbumTrackAndYear) {
    TempDir dir;
    struct Case {
        const char* file;
        const char* encoder;  // null: a WAV with a chunk built here
        QByteArray chunk;
    };
    const QByteArray info = Chunk("LIST", "INFO" + Chunk("INAM", kTitle.toUtf8() + '\0') +
                                              Chunk("IART", kArtist.toUtf8() + '\0') +
                                              Chunk("IPRD", kAlbum.toUtf8() + '\0') +
                                              Chunk("IPRT", "7") + Chunk("ICRD", "2001"));
    using namespace Id3TagBuilder;
    const QByteArray id3 = Chunk(
        "id3 ",
        Tag(3, Frame(3, "TIT2", TextBody(1, kTitle)) + Frame(3, "TPE1", TextBody(1, kArtist)) +
                   Frame(3, "TALB", TextBody(1, kAlbum)) + Frame(3, "TRCK", TextBody(0, u"7"_qs)) +
                   Frame(3, "TYER", TextBody(0, u"2001"_qs))));
    const Case cases[] = {
        {"a.flac", "flac", {}},   {"b.ogg", "libvorbis", {}}, {"c.opus", "libopus", {}},
        {"d.m4a", "aac", {}},     {"e.wma", "wmav2", {}},     {"f.wv", "wavpack", {}},
        {"g.wav", nullptr, info}, {"h.wav", nullptr, id3},
    };
    MciMedia::Tone tone;
    tone.seconds = 0.2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir.file(QString::fromLatin1(c.file));
        if (c.encoder) {
            ASSERT_TRUE(MciMedia::writeTone(path, c.encoder, tone));
            TagLib::FileRef file(QFile::encodeName(path).constData(), false);
            ASSERT_FALSE(file.isNull());
            TagLib::PropertyMap tags;
            tags["TITLE"] = TagLib::StringList(Utf8(kTitle));
            tags["ARTIST"] = TagLib::StringList(Utf8(kArtist));
            tags["ALBUM"] = TagLib::StringList(Utf8(kAlbum));
            tags["TRACKNUMBER"] = TagLib::StringList(TagLib::String("7"));
            tags["DATE"] = TagLib::StringList(TagLib::String("2001"));
            file.file()->setProperties(tags);
            ASSERT_TRUE(file.save());
        } else {
            ASSERT_TRUE(MciMedia::writeWav(path, tone));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            const QByteArray bytes = WithChunk(file.readAll(), c.chunk);
            file.seek(0);
            file.write(bytes);
        }
        clsTagInfo tag;
        tag.GetTagInfo(path);
        EXPECT_TRUE(tag.IsValid);
        EXPECT_EQ(tag.Title, kTitle);
        EXPECT_EQ(tag.ArtistName, kArtist);
        EXPECT_EQ(tag.Album, kAlbum);
        EXPECT_EQ(tag.Track, u"7"_qs);
        EXPECT_EQ(tag.Year, u"2001"_qs);
    }
}

// The readings as Vorbis comments and MP4 atoms (soar, sonm, soal, soaa) hold them.
TEST(TagLibFormats, ReadingsOfVorbisCommentsAndMp4Atoms) {
    TempDir dir;
    const QString artist = QStringLiteral("かぜのがくだん"), title = QStringLiteral("ハルノカゼ"),
                  album = QStringLiteral("ｼｷ");
    const struct {
        const char* file;
        const char* encoder;
        const char* stored;  // how the artist's reading looks in the file
        const char* artistKey;
    } cases[] = {
        {"a.flac", "flac", "ARTISTSORT=", "ARTISTSORT"},
        {"b.ogg", "libvorbis", "ARTISTSORT=", "ARTISTSORT"},
        {"c.m4a", "aac", "soar", "ARTISTSORT"},
        {"d.m4a", "aac", "soaa", "ALBUMARTISTSORT"},
    };
    MciMedia::Tone tone;
    tone.seconds = 0.2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir.file(QString::fromLatin1(c.file));
        ASSERT_TRUE(MciMedia::writeTone(path, c.encoder, tone));
        {
            TagLib::FileRef file(QFile::encodeName(path).constData(), false);
            ASSERT_FALSE(file.isNull());
            TagLib::PropertyMap tags;
            tags["ARTIST"] = TagLib::StringList(Utf8(kArtist));
            tags[c.artistKey] = TagLib::StringList(Utf8(artist));
            tags["TITLESORT"] = TagLib::StringList(Utf8(title));
            tags["ALBUMSORT"] = TagLib::StringList(Utf8(album));
            file.file()->setProperties(tags);
            ASSERT_TRUE(file.save());
        }
        ASSERT_TRUE(dir.read(QString::fromLatin1(c.file)).contains(c.stored));
        clsTagInfo tag;
        tag.GetTagInfo(path);
        EXPECT_EQ(tag.ArtistReading, artist);
        EXPECT_EQ(tag.TitleReading, title);
        EXPECT_EQ(tag.AlbumReading, album);
    }
}
