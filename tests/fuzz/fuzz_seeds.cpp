// Writes the seed corpus of one fuzz target into the folder given: fuzz_seeds <target> <folder>,
// <target> one of option, colorpattern, textlist, midi, sniffer, replaygain, wildcard, lyrics,
// cuesheet.
// The last seeds of each are inputs that once broke the reader, kept so that every run tries
// them again.
#include "support/Id3TagBuilder.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

using namespace Id3TagBuilder;

namespace {

using Write = std::function<void(const QByteArray&)>;

QByteArray Utf16(const QString& text, bool bigEndian) {
    QStringEncoder encoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    return (bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2)) +
           QByteArray(encoder(text));
}

QByteArray ShiftJis(const QString& text) {
    QStringEncoder encoder("Shift_JIS");
    return encoder.isValid() ? QByteArray(encoder(text)) : text.toUtf8();
}

void OptionSeeds(const Write& write) {
    const QString numbers = QStringLiteral(
        "600,600,600,450,0,1,1,1,0,0,1,99,99,99,99,0,0,15,100,100,0,0,-1,0,0,0,0,0,0,300,300,0,"
        "0,0,100,100,1,0,0");
    const QString colors = QStringLiteral(
        "-2147483633,-2147483633,1315860,1315860,16777215,1315860,16777215,1315860,16777215,"
        "16777215,16777215,16777215,16770720,1315860,8421631,1315860,16777215,1315860,16777215,"
        "16762880,16744448");
    const QString rest = QStringLiteral(
        "/home/user/音楽\n/home/user/Music\n/media/a\n/media/b\n\n1Folder\n2Folder\n3Folder\n");
    QString text = numbers + u'\n' + colors + u'\n' + rest;
    write(text.toUtf8());
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    write(crlf.toUtf8());
    write("\xEF\xBB\xBF" + crlf.toUtf8());
    write(Utf16(crlf, false));
    write(Utf16(crlf, true));
    write(ShiftJis(crlf));
    write(
        QByteArray(" 1.5\t,-2.5,+3.49,32768,-32769,1e3,abc,,0x10,７\r\n2147483648,-0.5,12.5\r\n"));
    write(QByteArray("1;2;3\r\n4;5;6\r\n\r\n\r\n"));
}

void TextListSeeds(const Write& write) {
    const QString lines = QStringLiteral("/home/user/音楽/曲.mp3\n/tmp/a b.wav\nC:\\old\\x.mid\n");
    write(lines.toUtf8());
    QString crlf = lines;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    write(crlf.toUtf8());
    QString cr = lines;
    cr.replace(u'\n', u'\r');
    write(cr.toUtf8());
    write("\xEF\xBB\xBF" + crlf.toUtf8());
    write(Utf16(crlf, false));
    write(Utf16(crlf, true));
    write(ShiftJis(crlf));
    write(QByteArray("first\r\n\r\nafter the empty line\r\n"));
    write(QByteArray("\xC3\x28 broken UTF-8\n\xE3\x81\n\xF0\x9F\x8E\xB5 note\n"));
    write(QByteArray("\xFF\xFE\x41", 3));              // odd UTF-16 length
    write(QByteArray("\xFE\xFF\xD8\x3D\x0A\x00", 6));  // lone surrogate
    // Found by the fuzzer: a line starting with U+FEFF lost it.
    write(QByteArray("/home/user\0\0\0y/wav\r\n\xEF\xBB\xBF"
                     "C:\r\n/d\\x.mid\rwav\r\n",
                     41));
    write(QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFtwo marks\n"));
}

// A Standard MIDI File from its header fields and raw track bodies.
QByteArray Midi(int format, quint16 division, const QList<QByteArray>& tracks) {
    QByteArray out = "MThd" + BigEndian(6, 4) + BigEndian(quint32(format), 2) +
                     BigEndian(quint32(tracks.size()), 2) + BigEndian(division, 2);
    for (const QByteArray& track : tracks)
        out += "MTrk" + BigEndian(quint32(track.size()), 4) + track;
    return out;
}

QByteArray Tempo(const char* delta, quint32 micros) {
    return QByteArray(delta) + QByteArray("\xFF\x51\x03", 3) + BigEndian(micros, 3);
}

void MidiSeeds(const Write& write) {
    const QByteArray notes = QByteArray("\x00\xC0\x49\x00\x90\x45\x64\x83\x60\x45\x00", 11) +
                             QByteArray("\x60\x80\x45\x00\x00\xF0\x03\x7E\x09\xF7", 10);
    const QByteArray end("\x00\xFF\x2F\x00", 4);
    write(Midi(0, 480, {Tempo("\x00", 500000) + notes + end}));
    write(Midi(1, 96,
               {Tempo("\x00", 600000) + Tempo("\x81\x00", 300000) + Tempo("\x60", 1) + end,
                notes + notes + end}));
    write(Midi(0, 0xE728, {notes + end}));                           // SMPTE: 25 frames of 40 ticks
    write(Midi(0, 0xE378, {notes + end}));                           // 29.97 drop-frame
    write(Midi(0, 480, {Tempo("\x8F\xFF\xFF\x7F", 500000) + end}));  // the largest delta
    write(Midi(0, 480, {notes}).left(30));                           // cut short
    write("RIFF" + BigEndian(0, 4) + "RMID" + Midi(0, 480, {notes + end}));
    // Found by the fuzzer: ticks of 1 us per quarter note, shorter than a double resolves
    // after a week of them.
    write(QByteArray("\x4D\x54\x68\x64\x00\x00\x00\x06\x00\x4D\x54\x4D\x54\xE0\x4D\x54\x72\x6B\x00"
                     "\x8F\xFF\x00\x00\xFF\x51\x03\xFF\xFF\xFF\xFF\xFF\xFF\x07\xCE\x00\xFF\xFF\xFF"
                     "\x07\x00\xFF\xFF\xFF\x60\xFF\x51\x03\x00\x00\x01\xFF\x07\xCE\x00",
                     54));
}

void SnifferSeeds(const Write& write) {
    write("RIFF" + QByteArray("\x24\x00\x00\x00", 4) + "WAVEfmt " + QByteArray(20, '\1'));
    write("RIFF" + QByteArray(4, '\0') + "RMID" + "MThd");
    write("MThd" + BigEndian(6, 4) + QByteArray(6, '\0'));
    write(AudioBytes(2000));
    write(QByteArray(100, '\0') + AudioBytes(1300));
    write(Tag(3, Frame(3, "TIT2", TextBody(0, QStringLiteral("x"))), 0, 64) + AudioBytes(900));
    write(Tag(4, {}, 0x10, 20) + QByteArray("3DI\x04\0\x10\0\0\0\x14", 10) + AudioBytes(900));
    write(Tag(3, {}, 0, 16) + Tag(3, {}, 0, 9000) + AudioBytes(900));
    write(Tag(3, {}, 0, 16) + "OggS" + QByteArray(40, '\0'));
    for (const char* magic : {"OggS", "fLaC", "FORM", "MAC ", "wvpk", "caff", "#!AMR"})
        write(QByteArray(magic) + QByteArray(60, '\x11'));
    write(QByteArray("\0\0\0\x20", 4) + "ftypM4A " + QByteArray(40, '\0'));
    write(QByteArray("\xFF\xF3\x84\x44", 4) + QByteArray(200, '\0'));  // MPEG-2 layer III
}

QByteArray GainFrame(int version, int encoding, const QString& name, const QString& value) {
    const QByteArray body =
        TextBody(encoding, name) +
        (encoding == 1 || encoding == 2 ? QByteArray(2, '\0') : QByteArray(1, '\0')) +
        TextBody(encoding, value).mid(1);
    return Frame(version, version == 2 ? "TXX" : "TXXX", body);
}

void ReplayGainSeeds(const Write& write) {
    for (const char* text : {"-6.20 dB", "+3.1dB", " 2 ", "-7,5 db", "-1280", "99999", "nan"})
        write(QByteArray(text));
    const QString name = QStringLiteral("REPLAYGAIN_TRACK_GAIN");
    write(Tag(3, GainFrame(3, 0, name, QStringLiteral("-6.20 dB"))));
    write(
        Tag(3, GainFrame(3, 1, QStringLiteral("replaygain_track_gain"), QStringLiteral("+2 dB"))));
    write(Tag(4, GainFrame(4, 3, name, QStringLiteral("-1.5 dB")), 0, 32));
    write(Tag(2, GainFrame(2, 0, name, QStringLiteral("4 dB"))));
    const QByteArray rva2 = QByteArray("track\0\x01\xF4\x00\x10\x7F\xFF", 12);
    write(Tag(4, Frame(4, "RVA2", rva2)));
    write(Tag(4, Frame(4, "RVA2", Unsynchronise(rva2)), 0x80));
    write(Tag(
        4, Synchsafe(6) + QByteArray("\x01\x00", 2) + GainFrame(4, 0, name, QStringLiteral("-3")),
        0x40));
    const QByteArray id3 = Tag(3, GainFrame(3, 0, name, QStringLiteral("-6 dB")));
    write("RIFF" + QByteArray(4, '\0') + "WAVEfmt " + QByteArray("\x10\0\0\0", 4) +
          QByteArray(16, '\1') + "id3 " + QByteArray(1, char(id3.size())) + QByteArray(3, '\0') +
          id3);
}

void ColorPatternSeeds(const Write& write) {
    const QByteArray defaults =
        "-2147483633,-2147483633,1315860,1315860,16777215,1315860,16777215,1315860,16777215,"
        "16777215,16777215,16777215,16770720,1315860,8421631,1315860,16777215,1315860,16777215,"
        "16762880,16744448";
    write(defaults + "\r\n");
    write(defaults + ",1,2\nsecond line\r\n");
    write("\xEF\xBB\xBF" + defaults);
    write("0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19\r\n");
    write("0,1,2,3,4,5,6,7,8,9,10,x,12,13,14,15,16,17,18,19,20\r\n");
    write(" -1, +2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,2147483647\r\n");
}

// A pattern and a text: the first byte is the length of the pattern plus one.
void WildcardSeeds(const Write& write) {
    const char* const pairs[][2] = {{"*song*", "03 Song (reprise)"},
                                    {"02*", "02 Song"},
                                    {"*0?*", "01 Intro"},
                                    {"#[a-c][!x]?", "7bz!"},
                                    {"[z-a]", "m"},
                                    {"*[", "a["},
                                    {"*a*a*a*a*b", "aaaaaaaaaaaaaa"},
                                    {"STRASSE", "stra\xC3\x9F"
                                                "e"},
                                    {"*\xEF\xBC\xA1*", "x\xEF\xBD\x81"}};
    for (const auto& pair : pairs) {
        const QByteArray pattern(pair[0]);
        write(char(pattern.size() + 1) + pattern + QByteArray(pair[1]));
    }
}

// A word's length, the word, then a lyric file in each encoding and line ending a user may have.
void LyricSeeds(const Write& write) {
    const QString text = QStringLiteral("タイトル\r\n\r\nビートルズ\r\n一行目 ｱｲｳ\r\n");
    const QByteArray word = QStringLiteral("ビートルズ").toUtf8();
    QStringEncoder sjis("windows-31j");
    const QByteArray files[] = {text.toUtf8(),
                                "\xEF\xBB\xBF" + text.toUtf8(),
                                sjis.encode(text),
                                "\xFF\xFE" + Utf16(text, false),
                                "\xFE\xFF" + Utf16(text, true),
                                "a\rb\r\rc\nd\r\n",
                                QByteArray()};
    for (const QByteArray& file : files)
        write(char(word.size()) + word + file);
}

// Sheets as rippers write them, and FLAC images that embed one (comment and block).
void CueSheetSeeds(const Write& write) {
    const QString sheet = QStringLiteral(
        "REM GENRE Anime\nREM DATE 2003\nPERFORMER \"歌手\"\nTITLE \"春の歌\"\n"
        "FILE \"春の歌.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"桜\"\n    INDEX 01 00:00:00\n"
        "  TRACK 02 AUDIO\n    TITLE \"風\"\n    PREGAP 00:02:00\n    INDEX 00 04:10:20\n"
        "    INDEX 01 04:12:20\n");
    QString crlf = sheet;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    write(sheet.toUtf8());
    write("\xEF\xBB\xBF" + crlf.toUtf8());
    write(ShiftJis(crlf));
    write(QByteArray("FILE a.wav WAVE\rTRACK 1 AUDIO\rINDEX 01 00:00:00\rTRACK 2 AUDIO\r"
                     "INDEX 00 03:00:00\rFILE \"b c.wav\" WAVE\rINDEX 01 00:00:00\r"));
    write(QByteArray("file x track 100 audio\ntrack 7 MODE1/2352\nINDEX 01 -1:99:99\n"
                     "TRACK 3 AUDIO\nINDEX 01 99999:59:74\nTITLE \"unclosed\n") +
          QByteArray(2, '\0'));
    const QByteArray streamInfo = QByteArray(1, '\0') + BigEndian(34, 3) + QByteArray(10, '\0') +
                                  BigEndian(0xAC441, 3) + QByteArray(21, '\0');
    const QByteArray comment = "CUESHEET=" + sheet.toUtf8();
    QByteArray vorbis = QByteArray("\0\0\0\0\2\0\0\0", 8) + char(comment.size() & 0xFF) +
                        char(comment.size() >> 8) + QByteArray(2, '\0') + comment +
                        QByteArray("\x0A\0\0\0ALBUM=Disc", 14);
    write("fLaC" + streamInfo + char(4 | 0x80) + BigEndian(quint32(vorbis.size()), 3) + vorbis);
    QByteArray cue = QByteArray(395, '\0') + char(2);
    cue += BigEndian(0, 4) + BigEndian(0, 4) + char(1) + QByteArray(26, '\0') + char(1) +
           QByteArray(12, '\0').replace(8, 1, QByteArray(1, '\1'));
    cue += BigEndian(0, 4) + BigEndian(44100 * 90, 4) + char(170) + QByteArray(27, '\0');
    write(QByteArray("ID3\3\0\0\0\0\0\0", 10) + "fLaC" + streamInfo + char(5 | 0x80) +
          BigEndian(quint32(cue.size()), 3) + cue);
    // A WavPack image's APEv2 tag: items of value size, flags, key and value, then the footer.
    const QByteArray text = sheet.toUtf8();
    const QByteArray item = QByteArray(1, char(text.size() & 0xFF)) + char(text.size() >> 8) +
                            QByteArray(6, '\0') + "Cuesheet" + '\0' + text;
    write("wvpk" + QByteArray(28, '\0') + item + "APETAGEX" + QByteArray("\xD0\x07\0\0", 4) +
          QByteArray(1, char((item.size() + 32) & 0xFF)) + char((item.size() + 32) >> 8) +
          QByteArray(2, '\0') + QByteArray("\1\0\0\0", 4) + QByteArray(12, '\0'));
}

}  // namespace

int main(int argc, char** argv) {
    const std::map<std::string, void (*)(const Write&)> targets = {
        {"option", OptionSeeds},     {"colorpattern", ColorPatternSeeds},
        {"textlist", TextListSeeds}, {"midi", MidiSeeds},
        {"sniffer", SnifferSeeds},   {"replaygain", ReplayGainSeeds},
        {"wildcard", WildcardSeeds}, {"lyrics", LyricSeeds},
        {"cuesheet", CueSheetSeeds}};
    const auto target = argc == 3 ? targets.find(argv[1]) : targets.end();
    if (target == targets.end()) {
        std::fprintf(
            stderr,
            "usage: %s option|colorpattern|textlist|midi|sniffer|replaygain|wildcard|lyrics|"
            "cuesheet "
            "<corpus folder>\n",
            argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(folder);
    int count = 0;
    target->second([&](const QByteArray& bytes) {
        QFile file(
            QDir(folder).filePath(QStringLiteral("seed%1").arg(++count, 3, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::perror("seed");
            std::exit(1);
        }
    });
    std::printf("%d seeds written to %s\n", count, argv[2]);
    return 0;
}
