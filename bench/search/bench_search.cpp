// The search over a full playlist of 32,767 rows in each mode, Japanese and Latin words, plain
// and with wildcards, beside a plain case-insensitive QString::contains over the same rows.
#include "search/ListSearch.h"

#include <QStringList>
#include <array>
#include <benchmark/benchmark.h>
#include <random>

namespace {

constexpr int kRows = 32767;

// Rows as the playlist shows them: a track number, then an artist and a title or a file name,
// in kana (full- and half-width), kanji and Latin, 10 to 70 characters long.
const QStringList& playlistRows() {
    static const QStringList rows = [] {
        static const std::array<const char16_t*, 12> kArtists{
            u"初音ミク",     u"ﾐｸ",      u"みくとりん",   u"The Beatles", u"ＹＭＯ",   u"山下達郎",
            u"ｻｻﾞﾝｵｰﾙｽﾀｰｽﾞ", u"Perfume", u"宇多田ヒカル", u"Björk",       u"スピッツ", u"椎名林檎"};
        static const std::array<const char16_t*, 14> kWords{
            u"夜明けの", u"うた", u"Love",  u"ﾗﾌﾞｿﾝｸﾞ", u"さくら", u"Song",   u"の歌",
            u"メロディ", u"ｶﾞｰﾙ", u"Remix", u"東京",    u"ハート", u"(live)", u"ＳＫＹ"};
        std::mt19937 random(22);
        QStringList out;
        out.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            QString row = QString::number(i % 20 + 1).rightJustified(2, u'0') + u' ';
            row += QStringView(kArtists[random() % kArtists.size()]);
            row += QStringLiteral(" - ");
            const int words = 1 + int(random() % 6);
            for (int w = 0; w < words; ++w)
                row += QStringView(kWords[random() % kWords.size()]);
            out.append(row);
        }
        return out;
    }();
    return rows;
}

const std::array<const char16_t*, 5> kSearchWords{u"ミク", u"love", u"01 ﾐｸ - うた",
                                                  u"*[ア-オ]?の歌", u"## ?く"};

// range(0): the mode; range(1): the word.
void BM_FindRows(benchmark::State& state) {
    const QStringList& rows = playlistRows();
    const QString word = QString::fromUtf16(kSearchWords[size_t(state.range(1))]);
    const auto mode = int32_t(state.range(0));
    size_t hits = 0;
    for (auto _ : state) {
        const std::vector<int32_t> found = ListSearch::FindRows(word, rows, mode);
        hits = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["hits"] = double(hits);
    state.SetLabel(word.toStdString());
}
BENCHMARK(BM_FindRows)
    ->ArgsProduct({{ListSearch::Perfect, ListSearch::Front, ListSearch::Part}, {0, 1, 2}})
    ->Args({ListSearch::Part, 3})
    ->Args({ListSearch::Front, 4})
    ->Unit(benchmark::kMillisecond);

// Floor: Qt's case-insensitive contains, which folds neither width nor kana.
void BM_Floor_ContainsCaseInsensitive(benchmark::State& state) {
    const QStringList& rows = playlistRows();
    const QString word = QString::fromUtf16(kSearchWords[size_t(state.range(0))]);
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const QString& row : rows)
            hits += row.contains(word, Qt::CaseInsensitive) ? 1 : 0;
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = double(hits);
}
BENCHMARK(BM_Floor_ContainsCaseInsensitive)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
