// Reads the tags of 10,000 MP3-like files (ID3v2.3 tag with the five text fields and a 100 KB
// picture ahead of them, then audio bytes), with clsTagInfo and, for comparison, with TagLib.
// The files are made once in /tmp/zapt_bench_tags and reused by later runs.
#include "support/Id3TagBuilder.h"
#include "tags/clsTagInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#ifdef ZAPT_HAVE_TAGLIB
#include <fileref.h>
#include <tag.h>
#endif

using namespace Id3TagBuilder;

namespace {

constexpr int kFileCount = 10000;

const std::vector<QString>& Files() {
    static const std::vector<QString> files = [] {
        const QString folder = QStringLiteral("/tmp/zapt_bench_tags");
        const QString done = folder + QStringLiteral("/complete");
        std::vector<QString> paths;
        for (int i = 0; i < kFileCount; ++i)
            paths.push_back(
                QStringLiteral("%1/song%2.mp3").arg(folder).arg(i, 5, 10, QLatin1Char('0')));
        if (QFileInfo::exists(done))
            return paths;
        QDir().mkpath(folder);
        const QByteArray picture = PictureFrame(3, 100 * 1024);
        const QByteArray audio = AudioBytes(16 * 1024);
        for (int i = 0; i < kFileCount; ++i) {
            const QString n = QString::number(i);
            const QByteArray frames =
                picture + Frame(3, "TIT2", TextBody(1, QStringLiteral("夜明けのうた ") + n)) +
                Frame(3, "TPE1", TextBody(1, QStringLiteral("岸洋子"))) +
                Frame(3, "TALB", TextBody(0, QStringLiteral("Album ") + n)) +
                Frame(3, "TRCK", TextBody(0, QString::number(i % 20 + 1) + QStringLiteral("/20"))) +
                Frame(3, "TYER", TextBody(0, QStringLiteral("1964")));
            QFile file(paths[size_t(i)]);
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot write the benchmark files");
            file.write(Tag(3, frames, 0, 2048) + audio);
        }
        QFile(done).open(QIODevice::WriteOnly);
        return paths;
    }();
    return files;
}

void BM_clsTagInfo(benchmark::State& state) {
    const auto& files = Files();
    for (auto _ : state) {
        qsizetype chars = 0;
        for (const QString& path : files) {
            clsTagInfo tag;
            tag.GetTagInfo(path);
            if (!tag.IsValid || tag.Title.isEmpty())
                state.SkipWithError("tag not read");
            chars += tag.Title.size() + tag.ArtistName.size() + tag.Album.size() +
                     tag.Track.size() + tag.Year.size();
        }
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * qsizetype(files.size()));
}
BENCHMARK(BM_clsTagInfo)->Unit(benchmark::kMillisecond)->MinTime(2.0);

#ifdef ZAPT_HAVE_TAGLIB
void BM_TagLib(benchmark::State& state) {
    const auto& files = Files();
    std::vector<QByteArray> names;
    for (const QString& path : files)
        names.push_back(QFile::encodeName(path));
    for (auto _ : state) {
        size_t chars = 0;
        for (const QByteArray& name : names) {
            TagLib::FileRef file(name.constData(), false);
            const TagLib::Tag* tag = file.tag();
            if (!tag || tag->title().isEmpty())
                state.SkipWithError("tag not read");
            chars += tag->title().size() + tag->artist().size() + tag->album().size() +
                     tag->track() + tag->year();
        }
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * qsizetype(names.size()));
}
BENCHMARK(BM_TagLib)->Unit(benchmark::kMillisecond)->MinTime(2.0);
#endif

// The raw cost of opening a file and reading its first 4 KB, to choose the I/O layer.
void BM_OpenRead_Posix(benchmark::State& state) {
    const auto& files = Files();
    char buffer[4096];
    for (auto _ : state) {
        for (const QString& path : files) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
            benchmark::DoNotOptimize(::pread(fd, buffer, sizeof buffer, 0));
            ::close(fd);
        }
    }
    state.SetItemsProcessed(state.iterations() * qsizetype(files.size()));
}
BENCHMARK(BM_OpenRead_Posix)->Unit(benchmark::kMillisecond);

void BM_OpenRead_QFile(benchmark::State& state) {
    const auto& files = Files();
    char buffer[4096];
    for (auto _ : state) {
        for (const QString& path : files) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                benchmark::DoNotOptimize(file.read(buffer, sizeof buffer));
        }
    }
    state.SetItemsProcessed(state.iterations() * qsizetype(files.size()));
}
BENCHMARK(BM_OpenRead_QFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
