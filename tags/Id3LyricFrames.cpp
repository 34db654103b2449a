#include "tags/Id3LyricFrames.h"

#include "core/FileAccess.h"
#include "core/Id3Bytes.h"
#include "core/modZAUtil.h"

#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using std::chrono::milliseconds;

namespace {

constexpr int kHeaderBytes = 10;

void unsynchronise(QByteArray& bytes) {
    Id3Bytes::RemoveUnsynchronisation(bytes, [](QByteArray& b, qsizetype n) { b.truncate(n); });
}

// One text of `encoding` starting at `pos`, up to its terminator; `pos` moves past it.
QString takeText(QByteArrayView body, qsizetype& pos, char encoding) {
    const bool wide = encoding == 1 || encoding == 2;
    qsizetype end = pos;
    if (wide) {
        while (end + 1 < body.size() && (body[end] != 0 || body[end + 1] != 0))
            end += 2;
    } else {
        while (end < body.size() && body[end] != 0)
            ++end;
    }
    const QByteArrayView bytes = body.sliced(pos, std::min(end, body.size()) - pos);
    pos = std::min(body.size(), end + (wide ? 2 : 1));
    switch (encoding) {
    case 1: {
        const bool big = bytes.startsWith("\xFE\xFF");
        const bool bom = big || bytes.startsWith("\xFF\xFE");
        QStringDecoder decode(big ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
        return decode(bom ? bytes.sliced(2) : bytes);
    }
    case 2: {
        QStringDecoder decode(QStringConverter::Utf16BE);
        return decode(bytes);
    }
    case 3:
        return QString::fromUtf8(bytes);
    default:
        return modZAUtil::DecodeText(bytes.toByteArray());  // Shift_JIS from Japanese taggers
    }
}

// Plain lyrics: encoding, language, descriptor, then the text.
QString plainLyrics(QByteArrayView body) {
    if (body.size() < 4)
        return {};
    qsizetype pos = 4;
    takeText(body, pos, body[0]);
    QString text = takeText(body, pos, body[0]);
    text.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
    return text;
}

// Synced lyrics: encoding, language, time format (1 MPEG frames, 2 milliseconds), content
// type, descriptor, then texts each followed by its four-byte time.
void syncedLyrics(QByteArrayView body, std::vector<Id3LyricFrames::TimedText>& out) {
    if (body.size() < 6)
        return;
    const char encoding = body[0];
    const bool mpegFrames = body[4] == 1;
    qsizetype pos = 6;
    takeText(body, pos, encoding);
    while (pos < body.size() && out.size() < Id3LyricFrames::kMaxTexts) {
        QString text = takeText(body, pos, encoding);
        if (pos + 4 > body.size())
            break;
        const int64_t stamp = Id3Bytes::BigEndian(body.data() + pos, 4);
        pos += 4;
        // An MPEG frame is 1152 samples; at 44.1 kHz, by far the most common rate.
        const milliseconds time(mpegFrames ? stamp * 1152 * 1000 / 44100 : stamp);
        out.emplace_back(time, text.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n'));
    }
}

}  // namespace

Id3LyricFrames Id3LyricFrames::FromTag(const QByteArray& tag) {
    Id3LyricFrames found;
    if (tag.size() < kHeaderBytes || !tag.startsWith("ID3"))
        return found;
    const int version = tag[3];
    const auto flags = static_cast<unsigned char>(tag[5]);
    if (version < 2 || version > 4)
        return found;
    QByteArray frames = tag.sliced(kHeaderBytes);
    frames.truncate(Id3Bytes::Synchsafe(tag.constData() + 6));
    if ((flags & 0x80) && version < 4)
        unsynchronise(frames);
    qsizetype pos = 0;
    if ((flags & 0x40) && version > 2 && frames.size() >= 4) {
        const qsizetype extended = version == 3 ? Id3Bytes::BigEndian(frames.constData(), 4) + 4
                                                : Id3Bytes::Synchsafe(frames.constData());
        pos = extended;
    }
    const int idBytes = version == 2 ? 3 : 4;
    const int headerBytes = version == 2 ? 6 : 10;
    bool havePlain = false;
    bool haveSynced = false;
    while (pos + headerBytes <= frames.size() && !(havePlain && haveSynced)) {
        const QByteArrayView id(frames.constData() + pos, idBytes);
        if (id[0] == 0)
            break;  // padding
        const char* sizeBytes = frames.constData() + pos + idBytes;
        const qsizetype size = version == 2   ? Id3Bytes::BigEndian(sizeBytes, 3)
                               : version == 3 ? Id3Bytes::BigEndian(sizeBytes, 4)
                                              : Id3Bytes::Synchsafe(sizeBytes);
        const unsigned frameFlags =
            version == 2 ? 0 : Id3Bytes::BigEndian(frames.constData() + pos + 8, 2);
        const qsizetype start = pos + headerBytes;
        if (size > frames.size() - start)
            break;
        pos = start + size;
        const bool plainFrame = id == (version == 2 ? "ULT" : "USLT");
        const bool syncedFrame = id == (version == 2 ? "SLT" : "SYLT");
        if ((!plainFrame || havePlain) && (!syncedFrame || haveSynced))
            continue;
        // Compressed or encrypted frames are passed over.
        const unsigned unreadable = version == 3 ? 0x00C0 : version == 4 ? 0x000C : 0;
        if (frameFlags & unreadable)
            continue;
        QByteArray body = frames.sliced(start, size);
        if (version == 4) {
            if (frameFlags & 0x0040)  // group byte
                body.remove(0, 1);
            if (frameFlags & 0x0001)  // data length
                body.remove(0, 4);
            if ((frameFlags & 0x0002) || (flags & 0x80))
                unsynchronise(body);
        } else if (version == 3 && (frameFlags & 0x0020)) {
            body.remove(0, 1);
        }
        if (plainFrame) {
            found.plain = plainLyrics(body);
            havePlain = !found.plain.isEmpty();
        } else {
            syncedLyrics(body, found.synced);
            haveSynced = !found.synced.empty();
        }
    }
    return found;
}

Id3LyricFrames Id3LyricFrames::Read(const QString& path) {
    // Non-blocking, so that a FIFO in a playlist cannot hold the caller.
    const int fd = ::open(modZAUtil::NativePath(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    const auto readAll = [fd](char* into, qsizetype count) {
        qsizetype used = 0;
        while (used < count) {
            const ssize_t got = ::read(fd, into + used, size_t(count - used));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            used += got;
        }
        return used;
    };
    struct stat st {};
    QByteArray tag(kHeaderBytes, '\0');
    Id3LyricFrames found;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        readAll(tag.data(), kHeaderBytes) == kHeaderBytes && tag.startsWith("ID3")) {
        const qint64 size = Id3Bytes::Synchsafe(tag.constData() + 6);
        if (size <= kMaxTagBytes) {
            tag.resize(kHeaderBytes + qsizetype(size));
            tag.truncate(kHeaderBytes + readAll(tag.data() + kHeaderBytes, qsizetype(size)));
            found = FromTag(tag);
        }
    }
    ::close(fd);
    return found;
}

std::vector<Id3LyricFrames::TimedText> Id3LyricFrames::SyncedLines() const {
    const bool marked = std::any_of(synced.begin(), synced.end(),
                                    [](const TimedText& t) { return t.second.startsWith(u'\n'); });
    std::vector<TimedText> lines;
    for (const TimedText& t : synced) {
        const bool newLine = !marked || lines.empty() || t.second.startsWith(u'\n');
        QString text = t.second;
        if (text.startsWith(u'\n'))
            text.remove(0, 1);
        if (newLine)
            lines.emplace_back(t.first, text);
        else
            lines.back().second += text;
    }
    return lines;
}
