#include "clsTagInfo.h"

#include "TagLibReader.h"
#include "TagText.h"
#include "clsTagStream.h"
#include "core/Id3Bytes.h"
#include "core/modZAUtil.h"

#include <QFile>
#include <QStringDecoder>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Text frames longer than this are read only this far: the first value of a title is never
// that long, and a damaged size must not make us allocate the whole file.
constexpr qint64 kMaxTextBytes = 64 * 1024;

using Id3Bytes::BigEndian;
using Id3Bytes::Synchsafe;

bool IsSynchsafe(const char* bytes) {
    for (int i = 0; i < 4; ++i) {
        if (static_cast<unsigned char>(bytes[i]) & 0x80)
            return false;
    }
    return true;
}

bool IsFrameIdChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void RemoveUnsynchronisation(QByteArray& bytes) {
    Id3Bytes::RemoveUnsynchronisation(bytes, [](QByteArray& b, qsizetype n) { b.truncate(n); });
}

QString DecodeUtf16(QByteArrayView data, bool bigEndianByDefault) {
    // The first value ends at the first 00 00 on a character boundary.
    qsizetype length = data.size() & ~qsizetype(1);
    for (qsizetype i = 0; i + 1 < length; i += 2) {
        if (data[i] == 0 && data[i + 1] == 0) {
            length = i;
            break;
        }
    }
    data = data.first(length);
    bool bigEndian = bigEndianByDefault;
    if (data.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(data[0]);
        const auto b1 = static_cast<unsigned char>(data[1]);
        if (b0 == 0xFF && b1 == 0xFE) {
            bigEndian = false;
            data = data.sliced(2);
        } else if (b0 == 0xFE && b1 == 0xFF) {
            bigEndian = true;
            data = data.sliced(2);
        }
    }
    QStringDecoder decoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                           QStringConverter::Flag::Stateless);
    return decoder(data);
}

QByteArrayView FirstValue(QByteArrayView data) {
    const qsizetype nul = data.indexOf('\0');
    return nul < 0 ? data : data.first(nul);
}

// The player routes a name ending in "mp3" to its MP3 decoder, and reads its tags itself.
bool IsMp3Name(const QString& path) {
    return path.endsWith(QLatin1String("mp3"), Qt::CaseInsensitive);
}

QString TrimTrailing(QString text) {
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == u' ' || text[end - 1] == u'\0'))
        --end;
    text.truncate(end);
    return text;
}

}  // namespace

void clsTagInfo::Clear() {
    Title.clear();
    ArtistName.clear();
    Album.clear();
    Track.clear();
    Year.clear();
    TitleReading.clear();
    ArtistReading.clear();
    AlbumReading.clear();
    albumArtist_.clear();
    albumArtistReading_.clear();
    IsValid = true;
}

void clsTagInfo::GetTagInfo(const QString& agePath) {
    Clear();
    IsValid = false;
    FilePath = agePath;
    if (agePath.isEmpty())
        return;
    // Non-blocking, so a FIFO given as a song cannot hang the open; only regular files are read.
    const int fd = ::open(modZAUtil::NativePath(agePath).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const qint64 size = info.st_size;
        IsValid = (!IsMp3Name(agePath) && ReadWithTagLib(agePath)) || ReadId3v2(fd, size) ||
                  ReadId3v1(fd, size);
    }
    ::close(fd);
}

bool clsTagInfo::ReadId3v2(int fd, qint64 fileSize) {
    clsTagStream stream(fd, fileSize);
    char header[10];
    if (!stream.Read(header, 10))
        return false;
    const int major = static_cast<unsigned char>(header[3]);
    if (header[0] != 'I' || header[1] != 'D' || header[2] != '3' || major < 2 || major > 4 ||
        static_cast<unsigned char>(header[4]) == 0xFF || !IsSynchsafe(header + 6))
        return false;
    const auto flags = static_cast<unsigned char>(header[5]);
    if (major == 2 && (flags & 0x40))
        return true;  // a compressed 2.2 tag: no scheme was ever defined, so nothing is readable
    stream.SetEnd(10 + qint64(Synchsafe(header + 6)));
    // Version 2.4 marks unsynchronisation per frame; the tag flag only says all frames have it.
    const bool unsynchronised = (flags & 0x80) != 0;
    if (major < 4)
        stream.SetUnsynchronised(unsynchronised);

    if (major >= 3 && (flags & 0x40)) {
        char sizeBytes[4];
        if (!stream.Read(sizeBytes, 4))
            return true;
        if (major == 3) {
            if (!stream.Skip(BigEndian(sizeBytes, 4)))
                return true;
        } else {
            const quint32 size = Synchsafe(sizeBytes);
            if (size < 6 || !stream.Skip(qint64(size) - 4))
                return true;
        }
    }
    ReadFrames(stream, major, major == 4 && unsynchronised);
    TakeAlbumArtistReading();
    return true;
}

void clsTagInfo::TakeAlbumArtistReading() {
    if (ArtistReading.isEmpty() && (albumArtist_.isEmpty() || albumArtist_ == ArtistName))
        ArtistReading = albumArtistReading_;
}

void clsTagInfo::ReadFrames(clsTagStream& stream, int majorVersion, bool allFramesUnsynchronised) {
    const int idLength = majorVersion == 2 ? 3 : 4;
    const int headerLength = majorVersion == 2 ? 6 : 10;
    char header[10];
    while (stream.Read(header, headerLength)) {
        if (header[0] == 0)
            return;  // padding
        for (int i = 0; i < idLength; ++i) {
            if (!IsFrameIdChar(header[i]))
                return;  // damaged: keep what was read so far
        }
        qint64 size = 0;
        bool skip = false;
        bool unsynchronised = false;
        int prefixLength = 0;  // grouping and data-length bytes ahead of the text
        if (majorVersion == 2) {
            size = BigEndian(header + 3, 3);
        } else if (majorVersion == 3) {
            size = BigEndian(header + 4, 4);
            const auto format = static_cast<unsigned char>(header[9]);
            skip = (format & 0xC0) != 0;  // compressed or encrypted
            prefixLength = (format & 0x20) ? 1 : 0;
        } else {
            // Some writers put plain sizes in 2.4 tags; a byte with its top bit set betrays them.
            size = IsSynchsafe(header + 4) ? Synchsafe(header + 4) : BigEndian(header + 4, 4);
            const auto format = static_cast<unsigned char>(header[9]);
            skip = (format & 0x0C) != 0;
            unsynchronised = allFramesUnsynchronised || (format & 0x02);
            prefixLength = ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0);
        }
        const Field field = skip ? Field::None : FieldOfFrame(header, majorVersion);
        if (field == Field::None) {
            if (!stream.Skip(size))
                return;
            continue;
        }
        const qint64 kept = qMin(size, kMaxTextBytes);
        QByteArray body(kept, Qt::Uninitialized);
        if (!stream.Read(body.data(), kept))
            return;
        if (unsynchronised)
            RemoveUnsynchronisation(body);
        body.remove(0, qMin<qsizetype>(prefixLength, body.size()));
        StoreFrame(field, body);
        if (!stream.Skip(size - kept))
            return;
    }
}

clsTagInfo::Field clsTagInfo::FieldOfFrame(const char* id, int majorVersion) {
    const QByteArrayView name(id, majorVersion == 2 ? 3 : 4);
    if (majorVersion == 2) {
        if (name == "TT2")
            return Field::Title;
        if (name == "TP1")
            return Field::ArtistName;
        if (name == "TAL")
            return Field::Album;
        if (name == "TRK")
            return Field::Track;
        if (name == "TYE")
            return Field::Year;
        // Readings as iTunes writes them into 2.2 tags.
        if (name == "TST")
            return Field::TitleReading;
        if (name == "TSP")
            return Field::ArtistReading;
        if (name == "TSA")
            return Field::AlbumReading;
        if (name == "TP2")
            return Field::AlbumArtist;
        if (name == "TS2")
            return Field::AlbumArtistReading;
        return Field::None;
    }
    if (name == "TIT2")
        return Field::Title;
    if (name == "TPE1")
        return Field::ArtistName;
    if (name == "TALB")
        return Field::Album;
    if (name == "TRCK")
        return Field::Track;
    if (name == "TYER")
        return Field::Year;
    if (name == "TDRC")
        return Field::RecordingTime;
    // The readings are 2.4 frames that writers put in 2.3 tags too, some under an X name.
    if (name == "TSOT" || name == "XSOT")
        return Field::TitleReading;
    if (name == "TSOP" || name == "XSOP")
        return Field::ArtistReading;
    if (name == "TSOA" || name == "XSOA")
        return Field::AlbumReading;
    if (name == "TPE2")
        return Field::AlbumArtist;
    if (name == "TSO2")
        return Field::AlbumArtistReading;
    return Field::None;
}

QString clsTagInfo::OneLine(QString text) {
    for (QChar& c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = u' ';
    }
    return text;
}

QString clsTagInfo::Capped(QString text) {
    if (text.size() > kMaxFieldChars)
        text.truncate(kMaxFieldChars - (text[kMaxFieldChars - 1].isHighSurrogate() ? 1 : 0));
    return text;
}

bool clsTagInfo::ReadWithTagLib(const QString& path) {
    TagLibReader::Fields fields;
    if (!TagLibReader::Read(modZAUtil::NativePath(path), fields))
        return false;
    Title = Capped(std::move(fields.title));
    ArtistName = Capped(std::move(fields.artist));
    Album = Capped(std::move(fields.album));
    Track = Capped(std::move(fields.track));
    Year = Capped(std::move(fields.year));
    TitleReading = Capped(std::move(fields.titleReading));
    ArtistReading = Capped(std::move(fields.artistReading));
    AlbumReading = Capped(std::move(fields.albumReading));
    albumArtist_ = Capped(std::move(fields.albumArtist));
    albumArtistReading_ = Capped(std::move(fields.albumArtistReading));
    TakeAlbumArtistReading();
    return true;
}

void clsTagInfo::StoreFrame(Field field, const QByteArray& body) {
    QString text = Capped(DecodeFrameText(body));
    switch (field) {
    case Field::Title:
        Title = std::move(text);
        break;
    case Field::ArtistName:
        ArtistName = std::move(text);
        break;
    case Field::Album:
        Album = std::move(text);
        break;
    case Field::Track:
        Track = std::move(text);
        break;
    case Field::Year:
        Year = std::move(text);
        break;
    case Field::RecordingTime: {
        // A time stamp "yyyy-MM-ddTHH:mm:ss" or any prefix of it; the year is its first part.
        const bool startsWithYear = text.size() >= 4 && text[0].isDigit() && text[1].isDigit() &&
                                    text[2].isDigit() && text[3].isDigit();
        Year = startsWithYear ? text.left(4) : std::move(text);
        break;
    }
    case Field::TitleReading:
        TitleReading = std::move(text);
        break;
    case Field::ArtistReading:
        ArtistReading = std::move(text);
        break;
    case Field::AlbumReading:
        AlbumReading = std::move(text);
        break;
    case Field::AlbumArtist:
        albumArtist_ = std::move(text);
        break;
    case Field::AlbumArtistReading:
        albumArtistReading_ = std::move(text);
        break;
    case Field::None:
        break;
    }
}

QString clsTagInfo::DecodeFrameText(const QByteArray& body) {
    if (body.isEmpty())
        return {};
    const QByteArrayView data = QByteArrayView(body).sliced(1);
    switch (body[0]) {
    case 1:
        return TagText::RepairMisreadShiftJis(DecodeUtf16(data, false));
    case 2:
        return TagText::RepairMisreadShiftJis(DecodeUtf16(data, true));
    case 3:
        return TagText::RepairMisreadShiftJis(QString::fromUtf8(FirstValue(data)));
    default:
        return TagText::DecodeUnmarked(FirstValue(data).toByteArray());
    }
}

bool clsTagInfo::ReadId3v1(int fd, qint64 fileSize) {
    if (fileSize < 128)
        return false;
    char tag[128];
    clsTagStream stream(fd, fileSize);
    if (!stream.Skip(fileSize - 128) || !stream.Read(tag, 128))
        return false;
    if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G')
        return false;
    const auto text = [&tag](int offset, int length) {
        return TrimTrailing(TagText::DecodeUnmarked(
            FirstValue(QByteArrayView(tag + offset, length)).toByteArray()));
    };
    Title = text(3, 30);
    ArtistName = text(33, 30);
    Album = text(63, 30);
    Year = text(93, 4);
    // Version 1.1 gives the comment's last byte to the track number, after a zero byte.
    if (tag[125] == 0 && tag[126] != 0)
        Track = QString::number(static_cast<unsigned char>(tag[126]));
    return true;
}
