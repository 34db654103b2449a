#include "support/Id3TagBuilder.h"
#include "support/TempDir.h"
#include "tags/Id3LyricFrames.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace Id3TagBuilder;

namespace {

QByteArray utf16le(const QString& text) {
    QStringEncoder encode(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encode(text)) + QByteArray(2, '\0');
}

QByteArray sjis(const QString& text) {
    QStringEncoder encode("Shift_JIS");
    return QByteArray(encode(text)) + QByteArray(1, '\0');
}

// encoding, language, descriptor, text.
QByteArray plainBody(char encoding, const QByteArray& descriptor, const QByteArray& text) {
    return QByteArray(1, encoding) + "jpn" + descriptor + text;
}

// encoding, language, time format, content type, descriptor, texts with their times.
QByteArray syncedBody(char encoding, char format, const QByteArray& descriptor,
                      const QList<std::pair<QByteArray, quint32>>& texts) {
    QByteArray body = QByteArray(1, encoding) + "jpn" + QByteArray(1, format) +
                      QByteArray(1, '\x01') + descriptor;
    for (const auto& [text, time] : texts)
        body += text + BigEndian(time, 4);
    return body;
}

std::string timed(const std::vector<Id3LyricFrames::TimedText>& texts) {
    QStringList out;
    for (const auto& [time, text] : texts)
        out.append(QString::number(time.count()) + u'|' + QString(text).replace(u'\n', u'/'));
    return out.join(u"; ").toStdString();
}

}  // namespace

// The plain and synced lyric frames of each tag version and text encoding, behind other frames,
// through unsynchronisation; compressed frames and tags without lyrics give nothing.
TEST(Id3LyricFrames, ReadsPlainAndSyncedFrames) {
    const QByteArray title = Frame(3, "TIT2", TextBody(0, u"t"_qs));
    const QByteArray sylt3 =
        Frame(3, "SYLT",
              syncedBody(1, 2, utf16le({}),
                         {{utf16le(u"夜に"_qs), 1000}, {utf16le(u"駆ける"_qs), 2500}}));
    struct Case {
        const char* what;
        QByteArray tag;
        QString plain;
        std::string synced;
    } cases[] = {
        {"2.3: UTF-16 plain and synced in milliseconds behind a title",
         Tag(3,
             title +
                 Frame(3, "USLT", plainBody(1, utf16le(u"d"_qs), utf16le(u"一行目\r\n二行目"_qs))) +
                 sylt3),
         u"一行目\n二行目"_qs, "1000|夜に; 2500|駆ける"},
        {"2.3 unsynchronised tag",
         Tag(3, Unsynchronise(sylt3), 0x80),
         {},
         "1000|夜に; 2500|駆ける"},
        {"2.2: Shift_JIS, times in MPEG frames",
         Tag(2,
             Frame(2, "ULT", plainBody(0, QByteArray(1, '\0'), sjis(u"歌詞"_qs))) +
                 Frame(2, "SLT", syncedBody(0, 1, QByteArray(1, '\0'), {{sjis(u"あ"_qs), 100}}))),
         u"歌詞"_qs, "2612|あ"},
        {"2.4: UTF-8 with a data length indicator",
         Tag(4, Frame(4, "USLT", BigEndian(12, 4) + plainBody(3, QByteArray(1, '\0'), "words"),
                      0x0001)),
         u"words"_qs, ""},
        {"compressed frame passed over",
         Tag(3, Frame(3, "USLT", plainBody(3, QByteArray(1, '\0'), "zz"), 0x0080)),
         {},
         ""},
        {"no tag", QByteArray("not a tag at all"), {}, ""},
    };
    for (const Case& c : cases) {
        const Id3LyricFrames found = Id3LyricFrames::FromTag(c.tag);
        EXPECT_EQ(found.plain, c.plain) << c.what;
        EXPECT_EQ(timed(found.synced), c.synced) << c.what;
    }

    TempDir dir;
    dir.write(u"song.mp3"_qs, Tag(3, sylt3) + QByteArray(1000, '\xFF'));
    EXPECT_EQ(timed(Id3LyricFrames::Read(dir.path() + u"/song.mp3"_qs).synced),
              "1000|夜に; 2500|駆ける");
}

// Texts that mark their lines with a leading line break are pieces of those lines; texts that
// mark none are a line each.
TEST(Id3LyricFrames, SyncedPiecesJoinIntoLines) {
    using std::chrono::milliseconds;
    Id3LyricFrames words;
    words.synced = {{milliseconds(0), u"Hel"_qs},
                    {milliseconds(200), u"lo"_qs},
                    {milliseconds(900), u"\nworld"_qs},
                    {milliseconds(1200), u" again"_qs}};
    EXPECT_EQ(timed(words.SyncedLines()), "0|Hello; 900|world again");
    Id3LyricFrames lines;
    lines.synced = {{milliseconds(0), u"one"_qs}, {milliseconds(500), u"two"_qs}};
    EXPECT_EQ(timed(lines.SyncedLines()), "0|one; 500|two");
}
