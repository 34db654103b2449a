#include "SongPicture.h"

#include "TagText.h"
#include "core/FileAccess.h"
#include "core/Id3Bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using SongPicture::kMaxPictureBytes;
using SongPicture::Picture;

namespace {

// A tag holds more than its picture (lyrics, unsynchronisation bytes): room for both.
constexpr qint64 kMaxTag = 2 * kMaxPictureBytes;
// Base64 makes four bytes of three.
constexpr qint64 kMaxComment = kMaxPictureBytes / 3 * 4 + 4096;
// How many boxes, chunks or pages a walk looks at before it gives up on a file.
constexpr int kMaxSteps = 4096;
constexpr int kFrontCover = 3;

QByteArray readAt(QFile& f, qint64 offset, qint64 count) {
    if (count < 0 || count > kMaxTag || offset < 0 || !f.seek(offset))
        return {};
    const QByteArray bytes = f.read(count);
    return bytes.size() == count ? bytes : QByteArray();
}

quint32 littleEndian(const char* b) {
    return quint32(quint8(b[0])) | quint32(quint8(b[1])) << 8 | quint32(quint8(b[2])) << 16 |
           quint32(quint8(b[3])) << 24;
}

// The front cover, else the first picture offered.
struct Choice {
    Picture picture;
    bool front = false;
    // True once nothing later can be better.
    bool offer(Picture p, int type) {
        if (front || p.bytes.isEmpty() || p.bytes.size() > kMaxPictureBytes)
            return front;
        if (type == kFrontCover || picture.bytes.isEmpty()) {
            picture = std::move(p);
            front = type == kFrontCover;
        }
        return front;
    }
};

// Where the text that starts at `from` ends, past its terminator (one zero byte, or two
// aligned ones for UTF-16); -1 when it does not end.
qsizetype pastText(const QByteArray& b, qsizetype from, char encoding) {
    if (encoding == 1 || encoding == 2) {
        for (qsizetype i = from; i + 1 < b.size(); i += 2)
            if (b[i] == 0 && b[i + 1] == 0)
                return i + 2;
        return -1;
    }
    const qsizetype end = b.indexOf('\0', from);
    return end < 0 ? -1 : end + 1;
}

QString id3Text(const QByteArray& bytes, char encoding) {
    switch (encoding) {
    case 1:
        return QStringDecoder(QStringConverter::Utf16, QStringDecoder::Flag::Stateless)(bytes);
    case 2:
        return QStringDecoder(QStringConverter::Utf16BE)(bytes);
    case 3:
        return QString::fromUtf8(bytes);
    default:
        return TagText::DecodeUnmarked(bytes);
    }
}

// An APIC (or v2.2 PIC) frame body: encoding, MIME type (v2.2: three letters), picture type,
// description, data.
bool offerFrame(Choice& choice, const QByteArray& body, bool v22) {
    if (body.size() < 4)
        return false;
    const char encoding = body[0];
    const qsizetype type = v22 ? 4 : pastText(body, 1, 0);
    if (type < 0 || type >= body.size())
        return false;
    const qsizetype data = pastText(body, type + 1, encoding);
    if (data < 0)
        return false;
    const qsizetype textEnd = data - (encoding == 1 || encoding == 2 ? 2 : 1);
    return choice.offer({body.mid(data), id3Text(body.mid(type + 1, textEnd - type - 1), encoding)},
                        quint8(body[type]));
}

// The ID3v2 tag at `start`; its size in `tagBytes` (0 when there is none).
void offerId3(Choice& choice, QFile& f, qint64 start, qint64* tagBytes = nullptr) {
    const QByteArray head = readAt(f, start, 10);
    if (tagBytes)
        *tagBytes = 0;
    if (!head.startsWith("ID3"))
        return;
    const int version = head[3];
    const qint64 size = Id3Bytes::Synchsafe(head.constData() + 6);
    if (tagBytes)
        *tagBytes = 10 + size + ((head[5] & 0x10) ? 10 : 0);
    QByteArray tag = readAt(f, start + 10, size);
    if (version < 2 || version > 4 || tag.isEmpty())
        return;
    auto shorten = [](QByteArray& b, qsizetype n) { b.truncate(n); };
    if ((head[5] & 0x80) && version < 4)
        Id3Bytes::RemoveUnsynchronisation(tag, shorten);
    qsizetype at = 0;
    if (version >= 3 && (head[5] & 0x40) && tag.size() >= 4)
        at = version == 3 ? 4 + Id3Bytes::BigEndian(tag.constData(), 4)
                          : Id3Bytes::Synchsafe(tag.constData());
    const int idSize = version == 2 ? 3 : 4;
    const int headerSize = version == 2 ? 6 : 10;
    while (at + headerSize <= tag.size() && tag[at] != 0) {
        const char* h = tag.constData() + at;
        const qint64 frameSize = version == 2   ? Id3Bytes::BigEndian(h + 3, 3)
                                 : version == 3 ? Id3Bytes::BigEndian(h + 4, 4)
                                                : Id3Bytes::Synchsafe(h + 4);
        if (frameSize > tag.size() - at - headerSize)
            return;
        const QByteArray id(h, idSize);
        if (id == "APIC" || id == "PIC") {
            QByteArray body = tag.mid(at + headerSize, frameSize);
            if (version == 4) {
                const char flags = h[9];
                if (flags & 0x01)  // a data length comes first
                    body.remove(0, 4);
                if (flags & 0x02)
                    Id3Bytes::RemoveUnsynchronisation(body, shorten);
            }
            if (offerFrame(choice, body, version == 2))
                return;
        }
        at += headerSize + frameSize;
    }
}

// A FLAC picture block, as FLAC files and Ogg comments keep it.
bool offerFlacPicture(Choice& choice, const QByteArray& b) {
    if (b.size() < 8)
        return false;
    const int type = int(Id3Bytes::BigEndian(b.constData(), 4));
    qint64 p = 4;
    QString description;
    for (int text = 0; text < 2; ++text) {  // MIME type, description
        if (p + 4 > b.size())
            return false;
        const qint64 length = Id3Bytes::BigEndian(b.constData() + p, 4);
        if (length > b.size() - p - 4)
            return false;
        if (text == 1)
            description = QString::fromUtf8(b.constData() + p + 4, length);
        p += 4 + length;
    }
    p += 16;  // width, height, depth, colours
    if (p + 4 > b.size())
        return false;
    const qint64 length = Id3Bytes::BigEndian(b.constData() + p, 4);
    if (length > b.size() - p - 4)
        return false;
    return choice.offer({b.mid(p + 4, length), description}, type);
}

void offerFlac(Choice& choice, QFile& f, qint64 at) {
    if (readAt(f, at, 4) != "fLaC")
        return;
    at += 4;
    for (int step = 0; step < kMaxSteps; ++step) {
        const QByteArray h = readAt(f, at, 4);
        if (h.size() < 4)
            return;
        const qint64 size = Id3Bytes::BigEndian(h.constData() + 1, 3);
        if ((h[0] & 0x7F) == 6 && offerFlacPicture(choice, readAt(f, at + 4, size)))
            return;
        if (h[0] & 0x80)  // the last block
            return;
        at += 4 + size;
    }
}

// The comment header of the first Ogg stream (its second packet), whole, or empty.
QByteArray oggCommentPacket(QFile& f) {
    QByteArray packet;
    QByteArray serial;
    int packets = 0;
    qint64 at = 0;
    for (int step = 0; step < kMaxSteps; ++step) {
        const QByteArray h = readAt(f, at, 27);
        if (!h.startsWith("OggS"))
            return {};
        const int segments = quint8(h[26]);
        const QByteArray table = readAt(f, at + 27, segments);
        qint64 bodySize = 0;
        for (char length : table)
            bodySize += quint8(length);
        if (serial.isEmpty())
            serial = h.mid(14, 4);
        const bool ours = h.mid(14, 4) == serial;  // pages of other streams are stepped over
        const QByteArray body = ours ? readAt(f, at + 27 + segments, bodySize) : QByteArray();
        if (table.size() != segments || (ours && body.size() != bodySize))
            return {};
        for (qint64 s = 0, from = 0; ours && s < segments; ++s) {
            const int length = quint8(table[s]);
            if (packets == 1) {
                if (packet.size() + length > kMaxComment)
                    return {};
                packet += body.mid(from, length);
            }
            from += length;
            if (length < 255 && ++packets == 2)
                return packet;
        }
        at += 27 + segments + bodySize;
    }
    return {};
}

void offerOgg(Choice& choice, QFile& f) {
    const QByteArray p = oggCommentPacket(f);
    qint64 at = p.startsWith("\x03vorbis") ? 7 : p.startsWith("OpusTags") ? 8 : -1;
    if (at < 0 || at + 4 > p.size())
        return;
    at += 4 + littleEndian(p.constData() + at);  // the vendor
    if (at + 4 > p.size())
        return;
    const quint32 count = littleEndian(p.constData() + at);
    at += 4;
    static const QByteArray key = "METADATA_BLOCK_PICTURE=";
    for (quint32 i = 0; i < count && at + 4 <= p.size(); ++i) {
        const qint64 length = littleEndian(p.constData() + at);
        if (length > p.size() - at - 4)
            return;
        const QByteArray comment = QByteArray::fromRawData(p.constData() + at + 4, length);
        if (comment.size() > key.size() &&
            comment.first(key.size()).compare(key, Qt::CaseInsensitive) == 0 &&
            offerFlacPicture(choice, QByteArray::fromBase64(comment.mid(key.size()))))
            return;
        at += 4 + length;
    }
}

// The box `type` among the boxes from `at` to `end`: its content's offset and size.
bool findBox(QFile& f, qint64& at, qint64& end, const char* type) {
    for (int step = 0; step < kMaxSteps && at + 8 <= end; ++step) {
        const QByteArray h = readAt(f, at, std::min<qint64>(16, end - at));
        if (h.size() < 8)
            return false;
        qint64 size = Id3Bytes::BigEndian(h.constData(), 4);
        qint64 header = 8;
        if (size == 1 && h.size() == 16) {
            size = qint64(Id3Bytes::BigEndian(h.constData() + 8, 4)) << 32 |
                   Id3Bytes::BigEndian(h.constData() + 12, 4);
            header = 16;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < header || size > end - at)
            return false;
        if (h.mid(4, 4) == type) {
            end = at + size;
            at += header;
            return true;
        }
        at += size;
    }
    return false;
}

void offerMp4(Choice& choice, QFile& f) {
    qint64 at = 0, end = f.size();
    if (!findBox(f, at, end, "moov") || !findBox(f, at, end, "udta") ||
        !findBox(f, at, end, "meta"))
        return;
    if (readAt(f, at + 4, 4) != "hdlr")  // iTunes' meta has a version and flags first
        at += 4;
    if (!findBox(f, at, end, "ilst") || !findBox(f, at, end, "covr"))
        return;
    for (qint64 box = at, boxEnd = end; findBox(f, box, boxEnd, "data");) {
        // A type and a locale before the image; every cover counts as a front cover.
        if (boxEnd - box > 8 + kMaxPictureBytes ||
            choice.offer({readAt(f, box + 8, boxEnd - box - 8), {}}, kFrontCover))
            return;
        box = boxEnd;
        boxEnd = end;
    }
}

// The ID3 chunk of a WAV (little-endian sizes) or AIFF (big-endian) file.
void offerChunkedId3(Choice& choice, QFile& f, bool riff) {
    qint64 at = 12;
    for (int step = 0; step < kMaxSteps; ++step) {
        const QByteArray h = readAt(f, at, 8);
        if (h.size() < 8)
            return;
        const qint64 size =
            riff ? littleEndian(h.constData() + 4) : Id3Bytes::BigEndian(h.constData() + 4, 4);
        if (h.first(4).compare("id3 ", Qt::CaseInsensitive) == 0) {
            offerId3(choice, f, at + 8);
            return;
        }
        at += 8 + size + (size & 1);
    }
}

}  // namespace

namespace SongPicture {

Picture Embedded(const QString& songPath) {
    // By the path's own bytes, so a name that is not UTF-8 opens too; never waiting on a FIFO.
    const int fd =
        ::open(modZAUtil::NativePath(songPath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    QFile f;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    Choice choice;
    qint64 id3Bytes = 0;
    offerId3(choice, f, 0, &id3Bytes);
    if (choice.front)
        return choice.picture;
    // Taggers may put an ID3 tag before a FLAC stream.
    const QByteArray magic = readAt(f, id3Bytes, 12);
    if (magic.startsWith("fLaC"))
        offerFlac(choice, f, id3Bytes);
    else if (id3Bytes == 0 && magic.startsWith("OggS"))
        offerOgg(choice, f);
    else if (id3Bytes == 0 && magic.mid(4, 4) == "ftyp")
        offerMp4(choice, f);
    else if (id3Bytes == 0 && magic.startsWith("RIFF") && magic.mid(8, 4) == "WAVE")
        offerChunkedId3(choice, f, true);
    else if (id3Bytes == 0 && magic.startsWith("FORM") && magic.mid(8, 3) == "AIF")
        offerChunkedId3(choice, f, false);
    return choice.picture;
}

QString FileBeside(const QString& songPath) {
    const QDir folder = QFileInfo(songPath).absoluteDir();
    for (const char* base : {"cover", "folder", "front"}) {
        const QString name = QLatin1String(base);
        const QStringList found =
            folder.entryList({name + u".jpg", name + u".jpeg", name + u".png"}, QDir::Files,
                             QDir::Name | QDir::IgnoreCase);
        if (!found.isEmpty())
            return folder.filePath(found.first());
    }
    return {};
}

Picture Find(const QString& songPath) {
    Picture picture = Embedded(songPath);
    if (picture.bytes.isEmpty()) {
        const QString beside = FileBeside(songPath);
        if (!beside.isEmpty())
            modZAUtil::ReadFileBytes(beside, picture.bytes, kMaxPictureBytes);
    }
    return picture;
}

}  // namespace SongPicture
