// The lyric lookup of one song change over an index of 20,000 lyric files, and building that
// index by scanning the folder, beside a bare walk of the same folder.
#include "core/clsArrayList.h"
#include "lyrics/LyricIndex.h"
#include "lyrics/LyricLookup.h"
#include "lyrics/LyricText.h"

#include <array>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 20000;

std::string u8(const char8_t* text) {
    return std::string(reinterpret_cast<const char*>(text));
}

// 200 folders of 100 lyric files (texts, and one picture in five), Japanese and Latin names.
// "夜明けのうた" has a text in three folders; only the last names the artist's katakana form.
const fs::path& lyricTree() {
    static const fs::path root = [] {
        const fs::path r = fs::temp_directory_path() / "zapt-bench-lyrics-tree";
        if (fs::exists(r / ".complete"))
            return r;
        fs::remove_all(r);
        static constexpr std::array<const char*, 5> kExt{".txt", ".txt", ".TXT", ".jpg", ".txt"};
        for (int d = 0; d < 200; ++d) {
            const fs::path dir = r / (u8(u8"歌手 ") + std::to_string(d)) / "album";
            fs::create_directories(dir);
            for (int f = 0; f < 100; ++f) {
                const int n = d * 100 + f;
                const std::string name = (n % 2 ? u8(u8"うた ") : std::string("Song ")) +
                                         std::to_string(n) + kExt[size_t(n) % kExt.size()];
                std::ofstream(dir / name)
                    << "Title " << n << "\r\nArtist " << d << "\r\nla la la\r\n";
            }
        }
        for (int d : {10, 120, 190})
            std::ofstream(r / (u8(u8"歌手 ") + std::to_string(d)) / "album" /
                          u8(u8"夜明けのうた.txt"))
                << u8(u8"夜明けのうた\r\n") << (d == 190 ? u8(u8"ビートルズ") : "someone")
                << "\r\nla la\r\n";
        std::ofstream(r / ".complete");
        return r;
    }();
    return root;
}

const clsArrayList& lyricIndex() {
    static const clsArrayList index = [] {
        clsArrayList list;
        LyricIndex::ScanLyricFolder(list, QString::fromStdString(lyricTree().native()));
        return list;
    }();
    return index;
}

// One song change: the lookup, then the artist's file to the front, each candidate's head read
// once, as the player does it.
void BM_SongChange(benchmark::State& state) {
    static const QString songs[] = {QStringLiteral("/music/夜明けのうた.mp3"),
                                    QStringLiteral("/music/Song 4242 (live).mp3"),
                                    QStringLiteral("/music/うたかた.mp3")};
    const QString& song = songs[state.range(0)];
    const clsArrayList artists = [] {
        clsArrayList l;
        l.Add(QStringLiteral("Beatles\tビートルズ"));
        return l;
    }();
    const clsArrayList& index = lyricIndex();
    LyricLookup lookup;
    lookup.FindLyricFiles(index, song, 1);  // the index is folded once, when it is built
    size_t found = 0;
    for (auto _ : state) {
        clsArrayList candidates = lookup.FindLyricFiles(index, song, 1);
        const QStringList words = LyricLookup::ArtistWords(QStringLiteral("Beatles"), artists);
        LyricLookup::OrderByArtistInFiles(candidates, words);
        found = size_t(candidates.Count());
        benchmark::DoNotOptimize(candidates.Value(0));
    }
    state.counters["candidates"] = double(found);
}

// The first lookup after the index changed: the base names are folded then.
void BM_FoldIndex(benchmark::State& state) {
    const clsArrayList& index = lyricIndex();
    for (auto _ : state) {
        clsArrayList copy;
        copy.assign(index.items() + QStringList());  // a list the lookup has not seen
        LyricLookup lookup;
        benchmark::DoNotOptimize(lookup.FindLyricFiles(copy, QStringLiteral("/m/x.mp3"), 0));
    }
}

void BM_ScanLyricFolder(benchmark::State& state) {
    const QString root = QString::fromStdString(lyricTree().native());
    for (auto _ : state) {
        clsArrayList list;
        LyricIndex::ScanLyricFolder(list, root);
        if (list.Count() != kFiles + 3)
            state.SkipWithError("unexpected number of files");
    }
}

// Floor: a bare recursive walk keeping the lyric files' paths as std::string.
void BM_Floor_RecursiveDirectoryIterator(benchmark::State& state) {
    const std::array<std::string, 6> exts{".txt", ".bmp", ".gif", ".jpg", ".jpeg", ".png"};
    for (auto _ : state) {
        std::vector<std::string> found;
        std::error_code ec;
        for (fs::recursive_directory_iterator
                 it(lyricTree(), fs::directory_options::skip_permission_denied, ec),
             end;
             it != end; it.increment(ec)) {
            if (it->is_directory(ec))
                continue;
            std::string ext = it->path().extension().native();
            for (char& c : ext)
                c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (std::find(exts.begin(), exts.end(), ext) != exts.end())
                found.push_back(it->path().native());
        }
        if (found.size() != kFiles + 3)
            state.SkipWithError("unexpected number of files");
    }
}

}  // namespace

// Argument 0: three exact names, the artist's last; 1: the prefix pass; 2: the vague pass.
BENCHMARK(BM_SongChange)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FoldIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floor_RecursiveDirectoryIterator)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ScanLyricFolder)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
