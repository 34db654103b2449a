#include "lyrics/LyricText.h"

#include "core/FileAccess.h"
#include "core/JapaneseFold.h"
#include "core/modZAUtil.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QStringList LyricText::Lines(const QByteArray& bytes, int maxLines) {
    const QString text = modZAUtil::DecodeText(bytes);
    QStringList lines;
    const qsizetype n = text.size();
    if (maxLines < 0 || maxLines > kMaxLines)
        maxLines = kMaxLines;
    qsizetype start = 0;
    while (start < n && lines.size() < maxLines) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        qsizetype kept = std::min(end - start, kMaxLineChars);
        if (kept < end - start && text[start + kept - 1].isHighSurrogate())
            --kept;  // never half a character
        lines.append(text.sliced(start, kept));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

bool LyricText::ReadFile(const QString& path, QStringList& lines) {
    lines.clear();
    QByteArray bytes;
    if (modZAUtil::ReadFileBytes(path, bytes, kMaxBytes) != modZAUtil::ReadStatus::Ok)
        return false;
    lines = Lines(bytes);
    return true;
}

bool LyricText::ReadHead(const QString& path, int maxLines, QStringList& lines) {
    lines.clear();
    // Non-blocking, so a FIFO named in a hand-made index cannot hold the player.
    const int fd = ::open(modZAUtil::NativePath(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    QByteArray bytes;
    if (ok) {
        bytes.resize(qsizetype(std::min<qint64>(st.st_size, kHeadBytes)));
        qsizetype used = 0;
        while (used < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ok = got == 0;
                break;
            }
            used += got;
        }
        bytes.truncate(used);
    }
    ::close(fd);
    if (!ok)
        return false;
    if (st.st_size > bytes.size()) {
        // A cut through a character would make valid UTF-8 look like Shift_JIS: keep whole
        // lines (whole code units for UTF-16).
        const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
        if (utf16)
            bytes.truncate(bytes.size() & ~qsizetype(1));
        else if (const qsizetype cut = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
                 cut > 0)
            bytes.truncate(cut);
    }
    lines = Lines(bytes, maxLines);
    return true;
}

int LyricText::InStrFile(const QString& path, const QString& word) {
    QStringList lines;
    return ReadHead(path, 8, lines) ? LineOfWord(lines, word) : 0;
}

int LyricText::LineOfWord(const QStringList& lines, const QString& word) {
    const QString key = JapaneseFold::Key(word);
    const auto names = [&](qsizetype i) { return JapaneseFold::Key(lines[i]).contains(key); };
    for (qsizetype i = 1; i < lines.size() && i < 8; ++i)
        if (names(i))
            return int(i) + 1;
    return !lines.isEmpty() && names(0) ? 1 : 0;
}

int32_t LyricText::ShiftJisBytes(QStringView line) {
    // Code page 932 spends one byte on ASCII and half-width katakana and two on everything
    // else it encodes, Latin-1 signs such as × and ° included. A character it cannot encode
    // counts two as well: the window errs wide rather than cutting the line.
    int32_t bytes = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line[i].unicode();
        if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(line[i - 1].unicode()))
            continue;  // a pair is one character
        bytes += (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
    }
    return bytes;
}
