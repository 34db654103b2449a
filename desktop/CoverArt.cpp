#include "CoverArt.h"

#include "core/FileAccess.h"
#include "core/Id3Bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxTag = qint64(32) << 20;

QByteArray readAt(QFile& f, qint64 offset, qint64 count) {
    if (count < 0 || count > kMaxTag || !f.seek(offset))
        return {};
    const QByteArray bytes = f.read(count);
    return bytes.size() == count ? bytes : QByteArray();
}

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

// Picture data of an APIC (or v2.2 PIC) frame body, and its picture type.
QByteArray pictureOfFrame(const QByteArray& body, bool v22, int& type) {
    if (body.size() < 4)
        return {};
    const char encoding = body[0];
    qsizetype at = v22 ? 4 : pastText(body, 1, 0);  // image format, or a Latin-1 MIME type
    if (at < 0 || at >= body.size())
        return {};
    type = static_cast<unsigned char>(body[at]);
    at = pastText(body, at + 1, encoding);
    return at < 0 ? QByteArray() : body.mid(at);
}

QByteArray id3Picture(QFile& f) {
    const QByteArray head = readAt(f, 0, 10);
    if (!head.startsWith("ID3"))
        return {};
    const int version = head[3];
    const bool unsync = head[5] & 0x80;
    QByteArray tag = readAt(f, 10, Id3Bytes::Synchsafe(head.constData() + 6));
    if (version < 2 || version > 4 || tag.isEmpty())
        return {};
    auto shorten = [](QByteArray& b, qsizetype n) { b.truncate(n); };
    if (unsync && version < 4)
        Id3Bytes::RemoveUnsynchronisation(tag, shorten);
    qsizetype at = 0;
    if (version >= 3 && (head[5] & 0x40) && tag.size() >= 4)
        at = version == 3 ? 4 + Id3Bytes::BigEndian(tag.constData(), 4)
                          : Id3Bytes::Synchsafe(tag.constData());
    const int idSize = version == 2 ? 3 : 4;
    const int headerSize = version == 2 ? 6 : 10;
    QByteArray first;
    while (at + headerSize <= tag.size() && tag[at] != 0) {
        const char* h = tag.constData() + at;
        const qint64 size = version == 2   ? Id3Bytes::BigEndian(h + 3, 3)
                            : version == 3 ? Id3Bytes::BigEndian(h + 4, 4)
                                           : Id3Bytes::Synchsafe(h + 4);
        if (size > tag.size() - at - headerSize)
            break;
        const QByteArray id(h, idSize);
        if (id == "APIC" || id == "PIC") {
            QByteArray body = tag.mid(at + headerSize, size);
            if (version == 4) {
                const char flags = h[9];
                if (flags & 0x01)  // a data length comes first
                    body.remove(0, 4);
                if (flags & 0x02)
                    Id3Bytes::RemoveUnsynchronisation(body, shorten);
            }
            int type = -1;
            const QByteArray picture = pictureOfFrame(body, version == 2, type);
            if (type == 3 && !picture.isEmpty())
                return picture;
            if (first.isEmpty())
                first = picture;
        }
        at += headerSize + size;
    }
    return first;
}

QByteArray flacPicture(QFile& f) {
    if (readAt(f, 0, 4) != "fLaC")
        return {};
    qint64 at = 4;
    for (bool last = false; !last;) {
        const QByteArray h = readAt(f, at, 4);
        if (h.size() < 4)
            return {};
        last = h[0] & 0x80;
        const qint64 size = Id3Bytes::BigEndian(h.constData() + 1, 3);
        if ((h[0] & 0x7F) == 6) {
            const QByteArray b = readAt(f, at + 4, size);
            qint64 p = 4;                                              // picture type
            for (int text = 0; text < 2 && p + 4 <= b.size(); ++text)  // MIME type, description
                p += 4 + Id3Bytes::BigEndian(b.constData() + p, 4);
            p += 16;  // width, height, depth, colours
            if (p + 4 > b.size())
                return {};
            return b.mid(p + 4, Id3Bytes::BigEndian(b.constData() + p, 4));
        }
        at += 4 + size;
    }
    return {};
}

QString pictureBeside(const QString& songPath) {
    const QDir folder = QFileInfo(songPath).absoluteDir();
    for (const char* base : {"cover", "folder", "front"}) {
        const QStringList found = folder.entryList({QLatin1String(base) + QStringLiteral(".jpg"),
                                                    QLatin1String(base) + QStringLiteral(".jpeg"),
                                                    QLatin1String(base) + QStringLiteral(".png")},
                                                   QDir::Files, QDir::Name | QDir::IgnoreCase);
        if (!found.isEmpty())
            return folder.filePath(found.first());
    }
    return {};
}

}  // namespace

CoverArt::CoverArt(QString parent) : parent_(std::move(parent)) {
    if (parent_.isEmpty())
        parent_ = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (parent_.isEmpty() || !QDir(parent_).exists())
        parent_ = QDir::tempPath();
}

CoverArt::~CoverArt() {
    removeLast();
    if (!folder_.isEmpty())
        ::rmdir(modZAUtil::NativePath(folder_).constData());
}

void CoverArt::removeLast() {
    if (!saved_.isEmpty())
        ::unlink(modZAUtil::NativePath(saved_).constData());
    saved_.clear();
}

bool CoverArt::makeFolder() {
    if (!folder_.isEmpty())
        return true;
    // mkdtemp makes a new folder under a name nobody could have taken, readable by us alone.
    QByteArray name = modZAUtil::NativePath(parent_) + "/zapt-cover-XXXXXX";
    if (!::mkdtemp(name.data()))
        return false;
    folder_ = modZAUtil::DecodePath(name);
    return true;
}

QByteArray CoverArt::EmbeddedPicture(const QString& songPath) {
    // By the path's own bytes, so a name that is not UTF-8 opens too.
    const int fd = ::open(modZAUtil::NativePath(songPath).constData(), O_RDONLY | O_CLOEXEC);
    QFile f;
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    const QByteArray id3 = id3Picture(f);
    return id3.isEmpty() ? flacPicture(f) : id3;
}

QString CoverArt::SaveFor(const QString& songPath) {
    removeLast();
    if (songPath.isEmpty())
        return {};
    const QByteArray bytes = EmbeddedPicture(songPath);
    const bool png = bytes.startsWith("\x89PNG");
    if (!png && !bytes.startsWith("\xFF\xD8"))
        return pictureBeside(songPath);  // no picture in the file that an image viewer reads
    if (!makeFolder())
        return {};
    // A new name for every picture: the desktop keeps what it loaded under a name.
    const QString file = folder_ + QStringLiteral("/") + QString::number(++count_) +
                         (png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    // Never through something already there, even in our own folder.
    const int fd = ::open(modZAUtil::NativePath(file).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    QFile out;
    const bool ok = out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) &&
                    out.write(bytes) == bytes.size() && out.flush();
    if (!out.isOpen())
        ::close(fd);
    out.close();
    if (!ok) {
        ::unlink(modZAUtil::NativePath(file).constData());
        return {};
    }
    saved_ = file;
    return file;
}
