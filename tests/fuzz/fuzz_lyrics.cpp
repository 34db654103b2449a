// Feeds arbitrary bytes to the lyric text reader and to the search of a word in a lyric file's
// first lines. The first byte gives the length of the word that follows it; the rest is the file.
#include "FuzzInputFile.h"
#include "core/JapaneseFold.h"
#include "core/modZAUtil.h"
#include "lyrics/LyricText.h"

#include <QByteArray>
#include <QStringList>

namespace {

// The lines as the reader defines them, written independently of it: CR LF, LF and CR end a
// line, empty lines count, and a final line break starts no further line. At most kMaxLines
// lines, each cut to kMaxLineChars characters or one fewer where that would split a pair.
QStringList ExpectedLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    if (text.endsWith(u'\n'))
        lines.removeLast();
    lines = lines.mid(0, LyricText::kMaxLines);
    for (QString& line : lines) {
        if (line.size() > LyricText::kMaxLineChars)
            line.truncate(LyricText::kMaxLineChars -
                          (line[LyricText::kMaxLineChars - 1].isHighSurrogate() ? 1 : 0));
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFile file("lyrics");
    if (size == 0)
        return 0;
    const size_t wordBytes = std::min<size_t>(data[0], size - 1);
    const QString word =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(wordBytes));
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1 + wordBytes),
                           qsizetype(size - 1 - wordBytes));

    const QStringList lines = LyricText::Lines(bytes);
    FUZZ_CHECK(lines == ExpectedLines(modZAUtil::DecodeText(bytes)));
    FUZZ_CHECK(LyricText::Lines(bytes, 8) == lines.mid(0, 8));
    for (const QString& line : lines) {
        const int32_t width = LyricText::ShiftJisBytes(line);
        FUZZ_CHECK(width >= (line.size() + 1) / 2 && width <= 2 * line.size());
    }

    file.write(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    QStringList read;
    FUZZ_CHECK(LyricText::ReadFile(file.qpath(), read) && read == lines);

    // The line found holds the word; lines 2 to 8 come before line 1; nothing past line 8.
    const int found = LyricText::InStrFile(file.qpath(), word);
    FUZZ_CHECK(found >= 0 && found <= 8 && found <= lines.size());
    // Case, width and kana type left out, as a Japanese reader compares.
    const QString key = JapaneseFold::Key(word);
    auto holds = [&](qsizetype i) { return JapaneseFold::Key(lines[i]).contains(key); };
    const qsizetype head = std::min<qsizetype>(lines.size(), 8);
    const qsizetype last = found >= 2 ? found - 1 : head;  // lines 2.. before the one found
    for (qsizetype i = 1; i < last; ++i)
        FUZZ_CHECK(!holds(i));
    if (found >= 1)
        FUZZ_CHECK(holds(found - 1));
    else if (head > 0)
        FUZZ_CHECK(!holds(0));
    return 0;
}
