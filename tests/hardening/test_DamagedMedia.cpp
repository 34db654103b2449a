// Damaged, odd and vanishing files of every format the player plays, through the main window's
// playlist and the real engine: each case ends within seconds, without a crash or a box, and
// the next good song plays; what is no file at all is reported as missing.
#include "TestSongs.h"
#include "Watchdog.h"
#include "gui/MainWindowFixture.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
constexpr int kCaseMs = 8000;

uint64_t getLE(const QByteArray& b, qsizetype at, int n) {
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | uint8_t(b[at + i]);
    return v;
}
void putLE(QByteArray& b, qsizetype at, uint64_t v, int n) {
    for (int i = 0; i < n; ++i)
        b[at + i] = char(v >> (8 * i));
}
void putBE(QByteArray& b, qsizetype at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * (3 - i)));
}
qsizetype after(const QByteArray& b, const char* marker, qsizetype skip) {
    const qsizetype at = b.indexOf(marker);
    return at < 0 ? 0 : at + skip;
}

// The last Ogg page claims a length far beyond the file, with a checksum that still holds.
void oggHugeGranule(QByteArray& b) {
    const qsizetype page = b.lastIndexOf("OggS");
    if (page < 0)
        return;
    putLE(b, page + 6, 0x00FFFFFFFFFFFFFFull, 8);
    const int segments = uint8_t(b[page + 26]);
    qsizetype size = 27 + segments;
    for (int i = 0; i < segments; ++i)
        size += uint8_t(b[page + 27 + i]);
    putLE(b, page + 22, 0, 4);
    uint32_t crc = 0;
    for (char c : QByteArrayView(b).sliced(page, std::min(size, b.size() - page))) {
        crc ^= uint32_t(uint8_t(c)) << 24;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    putLE(b, page + 22, crc, 4);
}

struct Format {
    const char* ext;
    const char* encoder;                        // "wav", "mp3", "midi" or an FFmpeg encoder
    qsizetype (*headerEnd)(const QByteArray&);  // where the first sound data starts
    void (*claimHuge)(QByteArray&);             // sizes or lengths far beyond the file
};

const Format kFormats[] = {
    {"wav", "wav", [](const QByteArray& b) { return after(b, "data", 8); },
     [](QByteArray& b) {
         putLE(b, 4, 0xFFFFFFF0u, 4);
         putLE(b, after(b, "data", 4), 0xFFFFFFF0u, 4);
     }},
    {"mp3", "mp3",
     [](const QByteArray& b) {
         auto at = [&b](int i) { return qsizetype(uint8_t(b[i])); };
         return (b.startsWith("ID3") ? 10 + (at(6) << 21 | at(7) << 14 | at(8) << 7 | at(9)) : 0) +
                4;
     },
     [](QByteArray& b) { b.prepend(QByteArray("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10)); }},
    {"mid", "midi", [](const QByteArray& b) { return after(b, "MTrk", 8); },
     [](QByteArray& b) { putBE(b, after(b, "MTrk", 4), 0x7FFFFFF0u); }},
    {"wma", "wmav2", [](const QByteArray& b) { return qsizetype(getLE(b, 16, 8)) + 50; },
     [](QByteArray& b) {
         const qsizetype data = qsizetype(getLE(b, 16, 8));
         putLE(b, data + 16, 0x7FFFFFFFFFFFull, 8);  // the data object's size
         putLE(b, data + 40, 0x7FFFFFFFFFFFull, 8);  // and its packet count
     }},
    {"flac", "flac",
     [](const QByteArray& b) {  // past the metadata blocks
         qsizetype at = 4;
         for (bool last = false; !last && at + 4 <= b.size();) {
             last = uint8_t(b[at]) & 0x80;
             at += 4 + (uint8_t(b[at + 1]) << 16 | uint8_t(b[at + 2]) << 8 | uint8_t(b[at + 3]));
         }
         return at;
     },
     [](QByteArray& b) {  // 2^36 samples in STREAMINFO
         b[21] = char(b[21] | 0x0F);
         putLE(b, 22, 0xFFFFFFFFu, 4);
     }},
    {"ogg", "libvorbis",
     [](const QByteArray& b) { return b.indexOf("OggS", b.indexOf("OggS", 4) + 4); },
     oggHugeGranule},
    {"opus", "libopus",
     [](const QByteArray& b) { return b.indexOf("OggS", b.indexOf("OggS", 4) + 4); },
     oggHugeGranule},
    {"m4a", "aac", [](const QByteArray& b) { return after(b, "mdat", 4); },
     [](QByteArray& b) { putBE(b, after(b, "mdat", -4), 0x7FFFFFF0u); }},
};

QByteArray randomAfter(const QByteArray& b, qsizetype keep) {
    QRandomGenerator rng(14);
    QByteArray out = b.left(keep);
    while (out.size() < b.size())
        out += char(rng.generate());
    return out;
}

// Each damage is one of: bytes made from the good file, a file-system object that is no file,
// or something done to a good file while it plays.
struct Damage {
    const char* name;
    QByteArray (*bytes)(const QByteArray& good, const Format& f) = nullptr;
    int (*noFile)(const char* path) = nullptr;
    void (*whilePlaying)(const QString& path) = nullptr;
};

const Damage kDamages[] = {
    {.name = "cut in its first frame",
     .bytes = [](const QByteArray& b, const Format& f) { return b.left(f.headerEnd(b) + 16); }},
    {.name = "cut in half",
     .bytes = [](const QByteArray& b, const Format&) { return b.left(b.size() / 2); }},
    {.name = "cut before its end",
     .bytes = [](const QByteArray& b, const Format&) { return b.chopped(7); }},
    {.name = "random after its header",
     .bytes = [](const QByteArray& b, const Format& f) { return randomAfter(b, f.headerEnd(b)); }},
    {.name = "sizes beyond the file",
     .bytes =
         [](const QByteArray& b, const Format& f) {
             QByteArray out = b;
             f.claimHuge(out);
             return out;
         }},
    {.name = "empty", .bytes = [](const QByteArray&, const Format&) { return QByteArray(); }},
    {.name = "unreadable"},  // the good bytes, made unreadable before they play
    {.name = "fifo", .noFile = [](const char* p) { return ::mkfifo(p, 0600); }},
    {.name = "folder", .noFile = [](const char* p) { return ::mkdir(p, 0700); }},
    {.name = "deleted while playing", .whilePlaying = [](const QString& p) { QFile::remove(p); }},
    {.name = "unreadable while playing",
     .whilePlaying = [](const QString& p) { QFile::setPermissions(p, {}); }},
    {.name = "cut short while playing",
     .whilePlaying = [](const QString& p) { QFile::resize(p, QFileInfo(p).size() / 3); }},
};

}  // namespace

TEST(DamagedMedia, EachCaseEndsWithinSecondsAndTheNextGoodSongPlays) {
    TempDir dir;
    MainWindowFixture f([](clsOption& o) {
        o.setPlayNumber(1);
        o.setRepeatMode(1);
        o.setBlankSec(0);
    });
    frmMain& w = *f.form;
    auto playing = [&w](const QString& path) {
        return MainWindowFixture::waitUntil(
            [&] { return w.Player->getPath() == path && w.Player->getState() == 1; }, kCaseMs);
    };
    for (const Format& fmt : kFormats) {
        const QString good = dir.file(QStringLiteral("good.%1").arg(QLatin1String(fmt.ext)));
        if (!makeSong(good, fmt.encoder, 0.5)) {
            std::printf("skipped .%s: cannot be made here\n", fmt.ext);
            continue;
        }
        const QByteArray goodBytes = dir.read(QFileInfo(good).fileName());
        ASSERT_GT(fmt.headerEnd(goodBytes), 0) << fmt.ext;
        for (const Damage& d : kDamages) {
            const std::string label = std::string(fmt.ext) + ": " + d.name;
            SCOPED_TRACE(label);
            Watchdog dog(label, 60s);
            const QString path = dir.file(
                QStringLiteral("%1.%2").arg(QLatin1String(d.name), QLatin1String(fmt.ext)));
            if (d.noFile)
                ASSERT_EQ(d.noFile(QFile::encodeName(path).constData()), 0);
            else
                dir.write(QFileInfo(path).fileName(),
                          d.bytes ? d.bytes(goodBytes, fmt) : goodBytes);
            if (std::string_view(d.name) == "unreadable")
                QFile::setPermissions(path, {});
            f.dialogs->shown.clear();
            f.setPlayList({path, good});
            ui(w).lstPlayList()->setListIndex(0);
            ui(w).cmdPlay_Click();
            if (d.whilePlaying) {
                ASSERT_TRUE(playing(path));
                MainWindowFixture::pump(100);
                d.whilePlaying(path);
            }
            if (d.noFile) {
                EXPECT_EQ(f.dialogs->texts(),
                          QStringList{path + QStringLiteral("にアクセスできません。")});
                EXPECT_EQ(w.Player->getState(), 0);
                ui(w).cmdListIndexDown_Click();
            } else {
                EXPECT_TRUE(f.dialogs->shown.empty());
            }
            EXPECT_TRUE(playing(good));
            ui(w).StopPlay();
            EXPECT_EQ(w.Player->getState(), 0);
        }
    }
}
