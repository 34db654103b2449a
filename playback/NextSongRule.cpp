#include "playback/NextSongRule.h"

#include <cmath>

namespace {

// A row outside the playlist (the box and the list out of step) matches no path.
bool entryEquals(const clsArrayList& list, int32_t index, const QString& path) {
    if (index < 0 || index >= list.Count())
        return false;
    return list.Value(index).compare(path, Qt::CaseInsensitive) == 0;
}

int32_t nextRowWrapping(int32_t selected, int32_t rowCount) {
    if (rowCount <= 0)
        return selected;
    const int64_t k = static_cast<int64_t>(selected < 0 ? -1 : selected) + 1;
    return k >= rowCount ? 0 : static_cast<int32_t>(k);
}

}  // namespace

NextSongRule::NextSongRule() : generator_(std::random_device{}()) {}

NextSongRule::NextSongRule(std::mt19937::result_type seed) : generator_(seed) {}

int32_t NextSongRule::RowForDraw(double draw, int32_t n) {
    if (n < 1 || !(draw >= 0.0))
        return 0;
    const double row = std::floor(draw * n);
    return row >= n ? n - 1 : static_cast<int32_t>(row);
}

int32_t NextSongRule::DrawRow(int32_t n) {
    return RowForDraw(std::generate_canonical<double, 53>(generator_), n);
}

NextSongRule::Decision NextSongRule::Decide(const Input& input) {
    Decision decision;
    decision.selectedRow = input.selectedRow;
    if (!input.playList || input.playList->Count() == 0) {
        decision.stop = true;
        return decision;
    }

    const clsArrayList& list = *input.playList;
    const int32_t i = input.selectedRow < 0 ? -1 : input.selectedRow;
    const int32_t n = list.Count();
    const int32_t c = input.rowCount;
    const QString& h = input.finishedPath;

    const bool atLastRow = entryEquals(list, i == -1 ? 0 : n - 1, h) && i == c - 1;
    const bool onPlayedRow = entryEquals(list, i == -1 ? 0 : i, h);

    // A row the user picked while the song played is the next song, so only the played row
    // moves on.
    if (onPlayedRow && input.repeatMode != RepeatMode::Random &&
        input.playNumber == PlayCount::AllSongs) {
        decision.selectedRow = nextRowWrapping(i, c);
        decision.advanced = true;
    }

    const bool oneSongEnds =
        input.playNumber == PlayCount::OneSong &&
        (input.repeatMode == RepeatMode::Off || input.repeatMode == RepeatMode::Random);
    if (oneSongEnds || (input.repeatMode == RepeatMode::Off && atLastRow)) {
        decision.stop = true;
        return decision;
    }

    if (input.repeatMode == RepeatMode::Random) {
        const int32_t r = DrawRow(n);
        decision.randomRow = r;
        if (r < c)  // a row past the box is not selected, as when selecting it by hand
            decision.selectedRow = r;
    }

    if (decision.selectedRow < 0)
        decision.selectedRow = 0;
    decision.playRow = decision.selectedRow;
    return decision;
}
