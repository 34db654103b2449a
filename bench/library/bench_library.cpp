// Folder collection and the sort by file name, each beside the plainest code doing the same job.
#include "core/modZAUtil.h"
#include "library/FileCollector.h"
#include "library/PlaylistOps.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// 1,000 folders (10 top folders of 99 sub-folders each) of 100 files; three files in four are
// audio files of the four collected types.
const fs::path& benchTree() {
    static const fs::path root = [] {
        const fs::path r = fs::temp_directory_path() / "zapt-bench-library-tree";
        if (fs::exists(r / ".complete"))
            return r;
        fs::remove_all(r);
        static constexpr std::array<const char*, 20> kExt{
            ".mp3", ".mp3", ".mp3", ".mp3", ".mp3", ".mp3", ".MP3", ".mp3", ".wma", ".wma",
            ".wma", ".WAV", ".wav", ".mid", ".mid", ".jpg", ".txt", ".jpg", ".m3u", ".ini"};
        int folder = 0;
        auto fill = [&](const fs::path& dir) {
            fs::create_directories(dir);
            for (int f = 0; f < 100; ++f)
                std::ofstream(dir /
                              ("track " + std::to_string(f) + kExt[(f + folder) % kExt.size()]));
            ++folder;
        };
        for (int t = 0; t < 10; ++t) {
            const fs::path top = r / ("artist " + std::to_string(t));
            fill(top);
            for (int s = 0; s < 99; ++s)
                fill(top / ("album " + std::to_string(s)));
        }
        std::ofstream(r / ".complete");
        return r;
    }();
    return root;
}

// 100 folders of 100 files with Japanese names: every folder is sorted by the collator rather
// than by the plain-ASCII keys.
const fs::path& japaneseTree() {
    static const fs::path root = [] {
        const fs::path r = fs::temp_directory_path() / "zapt-bench-library-japanese";
        if (fs::exists(r / ".complete"))
            return r;
        fs::remove_all(r);
        for (int d = 0; d < 100; ++d) {
            const fs::path dir =
                r / (u8"アルバム " +
                     std::u8string(reinterpret_cast<const char8_t*>(std::to_string(d).c_str())));
            fs::create_directories(dir);
            for (int f = 0; f < 100; ++f)
                std::ofstream(dir / (u8"曲 " +
                                     std::u8string(reinterpret_cast<const char8_t*>(
                                         std::to_string((f * 37) % 100).c_str())) +
                                     u8" 夜明け.mp3"));
        }
        std::ofstream(r / ".complete");
        return r;
    }();
    return root;
}

void BM_Collect_ScanFolder_JapaneseNames(benchmark::State& state) {
    const QString root = QString::fromStdString(japaneseTree().native());
    for (auto _ : state) {
        clsArrayList list;
        FileCollector::Collect(list, root, 15, true);
        benchmark::DoNotOptimize(list.Count());
        if (list.Count() != 10000)
            state.SkipWithError("unexpected number of files");
    }
}

bool endsWithAnyIgnoringCase(const std::string& name, const std::vector<std::string>& lowerExts) {
    for (const std::string& ext : lowerExts) {
        if (name.size() < ext.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < ext.size() && same; ++i) {
            char c = name[name.size() - ext.size() + i];
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
            same = c == ext[i];
        }
        if (same)
            return true;
    }
    return false;
}

void BM_Collect_ScanFolder(benchmark::State& state) {
    const QString root = QString::fromStdString(benchTree().native());
    for (auto _ : state) {
        clsArrayList list;
        FileCollector::Collect(list, root, 15, true);
        benchmark::DoNotOptimize(list.Count());
        if (list.Count() != 75000)
            state.SkipWithError("unexpected number of files");
    }
}

// Floor: a bare recursive walk with the same filter, keeping std::string paths.
void BM_Collect_Floor_RecursiveDirectoryIterator(benchmark::State& state) {
    const std::vector<std::string> exts{".mp3", ".wma", ".wav", ".mid"};
    for (auto _ : state) {
        std::vector<std::string> found;
        std::error_code ec;
        for (fs::recursive_directory_iterator
                 it(benchTree(), fs::directory_options::skip_permission_denied, ec),
             end;
             it != end; it.increment(ec)) {
            if (!it->is_directory(ec) && endsWithAnyIgnoringCase(it->path().native(), exts))
                found.push_back(it->path().native());
        }
        benchmark::DoNotOptimize(found.size());
        if (found.size() != 75000)
            state.SkipWithError("unexpected number of files");
    }
}

QStringList sortInput() {
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> letter(0, 51), len(4, 24);
    QStringList paths;
    for (int i = 0; i < 32767; ++i) {
        QString name;
        const int n = len(gen);
        for (int k = 0; k < n; ++k) {
            const int c = letter(gen);
            name += QChar(c < 26 ? u'a' + c : u'A' + c - 26);
        }
        paths << QStringLiteral("/music/folder %1/").arg(i % 97) + name + QStringLiteral(".mp3");
    }
    return paths;
}

QLocale benchLocale(int which) {
    return which == 0 ? QLocale::c() : QLocale(QLocale::English, QLocale::UnitedStates);
}

void BM_SortByFileName(benchmark::State& state) {
    const QStringList input = sortInput();
    const QCollator collator(benchLocale(int(state.range(0))));
    for (auto _ : state) {
        clsArrayList list;
        list.assign(input);
        PlaylistOps::SortByFileName(list, 0, collator);
        benchmark::DoNotOptimize(list.Value(0));
    }
}

// Floor: std::stable_sort of the bare file names with a case-insensitive collator compare.
void BM_SortByFileName_Floor_StableSortCollatorCompare(benchmark::State& state) {
    QStringList names;
    for (const QString& p : sortInput())
        names << modZAUtil::GetFileName(p);
    QCollator collator(benchLocale(int(state.range(0))));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        QStringList copy = names;
        std::stable_sort(copy.begin(), copy.end(), [&](const QString& a, const QString& b) {
            return collator.compare(a, b) < 0;
        });
        benchmark::DoNotOptimize(copy.front());
    }
}

}  // namespace

BENCHMARK(BM_Collect_Floor_RecursiveDirectoryIterator)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Collect_ScanFolder)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Collect_ScanFolder_JapaneseNames)->Unit(benchmark::kMillisecond);
// Argument 0: C locale, 1: en_US.
BENCHMARK(BM_SortByFileName_Floor_StableSortCollatorCompare)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByFileName)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
