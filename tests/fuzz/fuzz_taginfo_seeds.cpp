// Writes a seed corpus for fuzz_taginfo into the folder given: tags of every version, with
// every text encoding, flags, unsynchronisation, extended headers and ID3v1 tails.
#include "support/Id3TagBuilder.h"

#include <QDir>
#include <QFile>
#include <cstdio>

using namespace Id3TagBuilder;

namespace {

QByteArray Frames(int version, int encoding) {
    const bool v2 = version == 2;
    const QString title = QStringLiteral("夜明けのうた");
    return Frame(version, v2 ? "TT2" : "TIT2", TextBody(encoding, title, encoding == 1)) +
           Frame(version, v2 ? "TP1" : "TPE1", TextBody(encoding, QStringLiteral("Artist"))) +
           Frame(version, v2 ? "TAL" : "TALB", TextBody(encoding, QStringLiteral("Album"))) +
           Frame(version, v2 ? "TRK" : "TRCK", TextBody(encoding, QStringLiteral("3/12"))) +
           Frame(version, v2 ? "TYE" : (version == 4 ? "TDRC" : "TYER"),
                 TextBody(encoding, QStringLiteral("1999")));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    int count = 0;
    const auto write = [&](const QByteArray& bytes) {
        QFile file(
            QDir(folder).filePath(QStringLiteral("seed%1").arg(++count, 3, 10, QLatin1Char('0'))));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    };
    for (int version : {2, 3, 4}) {
        for (int encoding : {0, 1, 2, 3})
            write(Tag(version, Frames(version, encoding), 0, 16) + AudioBytes(64));
        write(Tag(version, PictureFrame(version, 600) + Frames(version, 1), 0x80 * (version != 4)));
        write(Tag(version, Unsynchronise(Frames(version, 1)), 0x80));
    }
    write(Tag(3, BigEndian(6, 4) + QByteArray(6, '\0') + Frames(3, 0), 0x40));
    write(Tag(4, Synchsafe(6) + QByteArray("\x01\x00", 2) + Frames(4, 3), 0x40));
    write(Tag(4, Frame(4, "TIT2",
                       QByteArray(1, '\x07') + Synchsafe(5) + TextBody(3, QStringLiteral("abcd")),
                       0x0043)));
    write(Tag(
        3, Frame(3, "TIT2", QByteArray(1, '\x07') + TextBody(0, QStringLiteral("abcd")), 0x00E0)));
    write(AudioBytes(200) + V1Tag("Title", "Artist", "Album", "2001", 7, "comment"));
    write(AudioBytes(60) + V1Tag("Title", "Artist", "Album", "2001"));
    std::printf("%d seeds written to %s\n", count, argv[1]);
    return 0;
}
