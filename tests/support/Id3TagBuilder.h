#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringEncoder>

// Builds ID3 tags byte by byte for tests, fuzz seeds and benchmarks: frames of versions 2.2,
// 2.3 and 2.4, whole tags with their flags, unsynchronisation, and ID3v1 tails.
namespace Id3TagBuilder {

inline QByteArray BigEndian(quint32 value, int count) {
    QByteArray bytes(count, '\0');
    for (int i = count - 1; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xFF);
    return bytes;
}

inline QByteArray Synchsafe(quint32 value) {
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 7)
        bytes[i] = char(value & 0x7F);
    return bytes;
}

// Inserts a zero byte after every 0xFF that is followed by 0x00 or by a byte >= 0xE0, and after
// a final 0xFF, as an unsynchronising writer does.
inline QByteArray Unsynchronise(const QByteArray& data) {
    QByteArray out;
    for (qsizetype i = 0; i < data.size(); ++i) {
        out.append(data[i]);
        if (static_cast<unsigned char>(data[i]) == 0xFF &&
            (i + 1 == data.size() || data[i + 1] == 0 ||
             static_cast<unsigned char>(data[i + 1]) >= 0xE0))
            out.append('\0');
    }
    return out;
}

// One frame: `id` (three letters for 2.2, four otherwise), `body` as stored (after any
// encoding byte and prefixes the caller adds), `flags` the two 2.3/2.4 flag bytes.
inline QByteArray Frame(int version, const QByteArray& id, const QByteArray& body,
                        quint16 flags = 0) {
    QByteArray frame = id;
    if (version == 2)
        return frame + BigEndian(quint32(body.size()), 3) + body;
    frame += version == 4 ? Synchsafe(quint32(body.size())) : BigEndian(quint32(body.size()), 4);
    frame += BigEndian(flags, 2);
    return frame + body;
}

// A text frame: the encoding byte followed by `text` encoded as it names (0 takes `raw` bytes
// when given, so Shift_JIS can be stored; 1 writes a BOM in the order `bigEndianBom` asks).
inline QByteArray TextBody(int encoding, const QString& text, bool bigEndianBom = false) {
    QByteArray body(1, char(encoding));
    switch (encoding) {
    case 1: {
        QStringEncoder encoder(bigEndianBom ? QStringConverter::Utf16BE
                                            : QStringConverter::Utf16LE);
        body += bigEndianBom ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
        body += QByteArray(encoder(text));
        break;
    }
    case 2: {
        QStringEncoder encoder(QStringConverter::Utf16BE);
        body += QByteArray(encoder(text));
        break;
    }
    default:
        body += text.toUtf8();
        break;
    }
    return body;
}

inline QByteArray RawTextBody(int encoding, const QByteArray& bytes) {
    return QByteArray(1, char(encoding)) + bytes;
}

// A whole tag: header with `flags`, then `content` (frames, and an extended header when the
// caller puts one first), then `padding` zero bytes. The size counts content and padding.
inline QByteArray Tag(int version, const QByteArray& content, quint8 flags = 0, int padding = 0) {
    QByteArray tag("ID3");
    tag += char(version);
    tag += '\0';
    tag += char(flags);
    tag += Synchsafe(quint32(content.size() + padding));
    return tag + content + QByteArray(padding, '\0');
}

// Picture bytes that look like a JPEG: many 0xFF bytes, so unsynchronisation has work to do.
inline QByteArray PictureFrame(int version, int bytes) {
    QByteArray data(bytes, '\0');
    quint32 seed = 12345;
    for (int i = 0; i < bytes; ++i) {
        seed = seed * 1103515245u + 12345u;
        data[i] = (i % 7 == 0) ? char(0xFF) : char(seed >> 24);
    }
    QByteArray body(1, '\0');
    if (version == 2)
        body += QByteArray("JPG", 3);
    else
        body += QByteArray("image/jpeg", 11);
    body += QByteArray("\x03", 1) + QByteArray("\0", 1);
    return Frame(version, version == 2 ? QByteArray("PIC") : QByteArray("APIC"), body + data);
}

inline QByteArray Padded(const QByteArray& text, int length) {
    QByteArray field = text.left(length);
    return field + QByteArray(length - field.size(), '\0');
}

// An ID3v1 tag; a track above 0 makes it version 1.1.
inline QByteArray V1Tag(const QByteArray& title, const QByteArray& artist, const QByteArray& album,
                        const QByteArray& year, int track = 0, const QByteArray& comment = {}) {
    QByteArray tag("TAG");
    tag += Padded(title, 30) + Padded(artist, 30) + Padded(album, 30) + Padded(year, 4);
    if (track > 0)
        tag += Padded(comment, 28) + QByteArray(1, '\0') + QByteArray(1, char(track));
    else
        tag += Padded(comment, 30);
    tag += char(12);  // genre
    return tag;
}

inline QByteArray AudioBytes(int bytes) {
    QByteArray audio;
    while (audio.size() < bytes)
        audio += QByteArray("\xFF\xFB\x90\x64", 4) + QByteArray(413, char(0x55));
    return audio.left(bytes);
}

}  // namespace Id3TagBuilder
