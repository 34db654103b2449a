#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>

// Reading lyric text files. Their encoding is found from the bytes: a UTF-16 or UTF-8
// byte-order mark, else UTF-8 when the bytes are valid UTF-8, else Shift_JIS when they read as
// Japanese (old files from Japanese Windows) or Windows-1252 (modZAUtil::DecodeText). Lines end in CR LF, LF or CR; empty lines are kept, they part the verses.
class LyricText {
public:
    // The lines of `bytes`, at most `maxLines` of them (at most kMaxLines), each cut after
    // kMaxLineChars characters. A final line break does not start another line.
    static QStringList Lines(const QByteArray& bytes, int maxLines = kMaxLines);

    // Reads the file (a regular file of at most kMaxBytes) as Lines does. False when it is
    // missing, unreadable, too large or not a file; `lines` is then empty.
    static bool ReadFile(const QString& path, QStringList& lines);
    // The first `maxLines` lines, from at most the first kHeadBytes of the file.
    static bool ReadHead(const QString& path, int maxLines, QStringList& lines);

    // The 1-based number of the line among the first eight that holds `word` (letter case,
    // width and kana type ignored), looking at lines 2 to 8 before line 1, which usually repeats the title; 0 when
    // none does or the file cannot be read.
    static int InStrFile(const QString& path, const QString& word);
    // The same over lines already read.
    static int LineOfWord(const QStringList& lines, const QString& word);

    // The width of `line` in the bytes code page 932 gives it: one for ASCII and half-width
    // katakana, two for everything else, whatever the file's own encoding.
    static int32_t ShiftJisBytes(QStringView line);

    static constexpr qint64 kMaxBytes = qint64(4) << 20;
    // What a lyric window can sensibly show: a file of nothing but line breaks, or one endless
    // line, must not become millions of lines or a line millions of pixels wide.
    static constexpr int kMaxLines = 5000;
    static constexpr qsizetype kMaxLineChars = 1024;
    static constexpr qint64 kHeadBytes = qint64(64) << 10;
};
