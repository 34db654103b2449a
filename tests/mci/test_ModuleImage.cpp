#include "playback/mci/ModuleImage.h"
#include "playback/mci/RouteModules.h"
#include "support/MciMedia.h"
#include "support/TempDir.h"

#include <QFile>
#include <cstdlib>
#include <elf.h>
#include <functional>
#include <gtest/gtest.h>
#include <link.h>

namespace {

using Fault = ModuleImage::Fault;

QByteArray builtModule() {
    QFile file(QStringLiteral(ZAPT_FFMPEG_MODULE));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ElfW(Ehdr) & header(QByteArray& image) {
    return *reinterpret_cast<ElfW(Ehdr)*>(image.data());
}

ElfW(Phdr) & lastLoadSegment(QByteArray& image) {
    auto* segments = reinterpret_cast<ElfW(Phdr)*>(image.data() + header(image).e_phoff);
    int last = 0;
    for (int i = 0; i < header(image).e_phnum; ++i)
        last = segments[i].p_type == PT_LOAD ? i : last;
    return segments[last];
}

struct Damage {
    const char* name;
    std::function<QByteArray(const QByteArray&)> make;
    Fault fault;
};

const std::vector<Damage> kDamages = {
    {"intact", [](const QByteArray& m) { return m; }, Fault::None},
    {"cut to 48 KiB", [](const QByteArray& m) { return m.left(48 * 1024); }, Fault::SegmentOutside},
    {"cut inside its last segment",
     [](const QByteArray& m) {
         QByteArray image = m;
         const ElfW(Phdr)& segment = lastLoadSegment(image);
         return m.left(static_cast<qsizetype>(segment.p_offset + segment.p_filesz / 2));
     },
     Fault::SegmentOutside},
    {"cut to its ELF header", [](const QByteArray& m) { return m.left(sizeof(ElfW(Ehdr))); },
     Fault::HeadersOutside},
    {"short of its last byte", [](const QByteArray& m) { return m.left(m.size() - 1); },
     Fault::HeadersOutside},
    {"zero bytes", [](const QByteArray&) { return QByteArray(); }, Fault::NotElf},
    {"a text file", [](const QByteArray&) { return QByteArray("#!/bin/sh\nexit 0\n"); },
     Fault::NotElf},
    {"a segment past the end",
     [](const QByteArray& m) {
         QByteArray image = m;
         lastLoadSegment(image).p_offset = static_cast<ElfW(Off)>(m.size() + 4096);
         return image;
     },
     Fault::SegmentOutside},
    {"another machine",
     [](const QByteArray& m) {
         QByteArray image = m;
         header(image).e_machine = header(image).e_machine == EM_AARCH64 ? EM_X86_64 : EM_AARCH64;
         return image;
     },
     Fault::Foreign},
};

// A folder holding `bytes` as the FFmpeg module, for ZAPT_MODULE_DIR.
QString moduleFolder(const TempDir& dir, const QByteArray& bytes) {
    return QFileInfo(dir.write(QStringLiteral("modules/zapt_ffmpeg.so"), bytes)).path();
}

TEST(ModuleImage, RefusesEachDamagedModuleAndPassesTheIntactOne) {
    const QByteArray module = builtModule();
    ASSERT_GT(module.size(), 64 * 1024);
    for (const Damage& damage : kDamages) {
        TempDir dir;
        const QString folder = moduleFolder(dir, damage.make(module));
        EXPECT_EQ(ModuleImage::check(folder + QStringLiteral("/zapt_ffmpeg.so")), damage.fault)
            << damage.name;
    }
}

// A module is looked for once per run, so each opening runs in a process of its own.
TEST(ModuleImage, FilesOfADamagedModuleFailWithoutBringingTheProcessDown) {
    const QByteArray module = builtModule();
    for (const Damage& damage : kDamages) {
        TempDir dir;
        const QString folder = moduleFolder(dir, damage.make(module));
        const QString song = dir.file(QStringLiteral("song.wma"));
        ASSERT_TRUE(MciMedia::writeTone(song, "wmav2"));
        const bool intact = damage.fault == Fault::None;
        EXPECT_EXIT(
            {
                qputenv("ZAPT_MODULE_DIR", QFile::encodeName(folder));
                std::_Exit(RouteModules::open(RouteModules::Route::Ffmpeg, song) ? 10 : 20);
            },
            ::testing::ExitedWithCode(intact ? 10 : 20), intact ? "" : "cannot be played")
            << damage.name;
    }
}

}  // namespace
