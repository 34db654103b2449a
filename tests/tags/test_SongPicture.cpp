// A song's picture in every container that keeps one, in files made by FFmpeg's encoders and
// given their pictures by TagLib, and the image beside the song.
#include "support/Id3TagBuilder.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"
#include "tags/SongPicture.h"

#include <QFile>
#include <flacfile.h>
#include <flacpicture.h>
#include <gtest/gtest.h>
#include <mp4file.h>
#include <opusfile.h>
#include <vorbisfile.h>
#include <xiphcomment.h>

namespace {
using namespace Id3TagBuilder;

const QByteArray kJpeg = QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(300, '\x5A') + "end";
const QByteArray kPng = QByteArray("\x89PNG\r\n\x1A\n", 8) + QByteArray(50, '\x01');
const QString kDescription = QStringLiteral("表紙");

TagLib::ByteVector Bytes(const QByteArray& b) {
    return TagLib::ByteVector(b.constData(), uint(b.size()));
}

TagLib::FLAC::Picture* FlacPicture(const QByteArray& data) {
    auto* p = new TagLib::FLAC::Picture;
    p->setType(TagLib::FLAC::Picture::FrontCover);
    p->setMimeType("image/png");
    p->setDescription(TagLib::String(kDescription.toStdString(), TagLib::String::UTF8));
    p->setData(Bytes(data));
    return p;
}

// The picture given to an encoded tone through TagLib.
template <class File> void AddXiphPicture(const QString& path, const QByteArray& data) {
    File file(QFile::encodeName(path).constData(), false);
    file.tag()->addPicture(FlacPicture(data));
    file.save();
}

QByteArray Apic(const QByteArray& data) {
    return Frame(3, "APIC",
                 QByteArray("\x01image/jpeg\0\x03", 13) + TextBody(1, kDescription).mid(1) +
                     QByteArray(2, '\0') + data);
}

// A RIFF chunk: id, little-endian size, data padded to an even length.
QByteArray Chunk(const char* id, const QByteArray& data) {
    QByteArray size = BigEndian(quint32(data.size()), 4);
    std::reverse(size.begin(), size.end());
    return QByteArray(id, 4) + size + data + QByteArray(data.size() % 2, '\0');
}

}  // namespace

TEST(SongPicture, FoundInEveryContainerAndBesideTheSong) {
    struct Case {
        const char* file;
        const char* encoder;  // null: the bytes below
        void (*tag)(const QString& path,
                    const QByteArray& data);  // gives an encoded tone its picture
        QByteArray bytes;
        QByteArray expected;
        QString description;
    };
    const QByteArray audio = AudioBytes(2000);
    const QByteArray wave = Chunk("fmt ", QByteArray(16, '\1')) + Chunk("data", audio);
    const Case cases[] = {
        {"a.mp3", nullptr, nullptr, Tag(3, Apic(kJpeg)) + audio, kJpeg, kDescription},
        {"b.flac",
         "flac",
         [](const QString& path, const QByteArray& data) {
             TagLib::FLAC::File file(QFile::encodeName(path).constData(), false);
             file.addPicture(FlacPicture(data));
             file.save();
         },
         {},
         kPng,
         kDescription},
        {"c.ogg", "libvorbis", AddXiphPicture<TagLib::Ogg::Vorbis::File>, {}, kPng, kDescription},
        {"d.opus", "libopus", AddXiphPicture<TagLib::Ogg::Opus::File>, {}, kPng, kDescription},
        {"e.m4a",
         "aac",
         [](const QString& path, const QByteArray& data) {
             TagLib::MP4::File file(QFile::encodeName(path).constData(), false);
             file.tag()->setItem("covr", TagLib::MP4::CoverArtList().append(TagLib::MP4::CoverArt(
                                             TagLib::MP4::CoverArt::PNG, Bytes(data))));
             file.save();
         },
         {},
         kPng,
         {}},
        {"f.wav", nullptr, nullptr,
         "RIFF" + QByteArray(4, '\0') + "WAVE" + wave + Chunk("id3 ", Tag(3, Apic(kJpeg))), kJpeg,
         kDescription},
        {"g.mp3", nullptr, nullptr, audio, {}, {}},
    };
    TempDir dir;
    MciMedia::Tone tone;
    tone.seconds = 0.2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir.file(QString::fromLatin1(c.file));
        if (c.encoder) {
            ASSERT_TRUE(MciMedia::writeTone(path, c.encoder, tone));
            c.tag(path, kPng);
        } else {
            dir.write(QString::fromLatin1(c.file), c.bytes);
        }
        const SongPicture::Picture found = SongPicture::Find(path);
        EXPECT_EQ(found.bytes, c.expected);
        EXPECT_EQ(found.description, c.description);
    }
    // An image beside the song, when the song carries none.
    const QString beside = dir.write(u"Folder.JPG"_qs, kJpeg);
    EXPECT_EQ(SongPicture::FileBeside(dir.file(u"g.mp3"_qs)), beside);
    EXPECT_EQ(SongPicture::Find(dir.file(u"g.mp3"_qs)).bytes, kJpeg);
    EXPECT_EQ(SongPicture::Find(dir.file(u"c.ogg"_qs)).bytes, kPng);
}
