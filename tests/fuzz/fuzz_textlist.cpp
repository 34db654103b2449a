// Feeds arbitrary bytes to the text-list reader (playlists, history, favorites, word lists) and
// to its encoding detection.
#include "FuzzInputFile.h"
#include "core/clsArrayList.h"
#include "core/modZAUtil.h"

#include <QByteArray>
#include <QStringList>

namespace {

// The lines as the reader defines them, written independently of it: CR LF, LF and CR all end
// a line, and the first empty line ends the list.
QStringList ExpectedLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        if (line.isEmpty())
            break;
        lines << line;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzInputFile file("textlist");
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = modZAUtil::DecodeText(bytes);

    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    if (body.isValidUtf8()) {
        // Valid UTF-8 is never taken for another encoding: it decodes to the same characters,
        // and U+FFFD only where the file itself has one.
        FUZZ_CHECK(text.toUtf8() == body);
        FUZZ_CHECK(!text.contains(QChar(0xFFFD)) || body.contains("\xEF\xBF\xBD"));
    }

    file.write(data, size);
    clsArrayList list;
    list.append(QStringList{QStringLiteral("kept")});
    FUZZ_CHECK(modZAUtil::ReadLinesToList(file.qpath(), list));
    QStringList expected = ExpectedLines(text);
    expected.prepend(QStringLiteral("kept"));
    FUZZ_CHECK(list.items() == expected);
    return 0;
}
