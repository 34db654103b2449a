#pragma once

#include "core/clsArrayList.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QCollator;

// The playlist's list operations as plain functions over the list and the selected row, so the
// main window only moves rows and selections in its boxes. Selections are list-box indexes,
// -1 for none.
class PlaylistOps {
public:
    // Draws a single-precision number uniform in [0, 1).
    using UnitDraw = std::function<float()>;
    // Returns the track text of a file's tag ("" when it has none or cannot be read).
    using TrackLookup = std::function<QString(const QString& path)>;
    // The tag fields the sort by reading orders by; empty when the file has none.
    struct ReadingFields {
        QString artist, artistReading, album, albumReading, track, title, titleReading;
    };
    using ReadingLookup = std::function<ReadingFields(const QString& path)>;

    static inline const QString kSortQuestionText =
        QStringLiteral("時間かかる可能性があります。ソートを続けますか？");
    static inline const QString kClearQuestionText =
        QStringLiteral("プレイリストの曲をすべて削除します。よろしいですか。");

    // Each position i = 0..m (m = n - 1) is exchanged with j = r * m rounded half to even, r
    // drawn afresh for every i. Not Fisher-Yates, so the orders are not uniform: this exchange
    // rule is the player's own shuffle and is kept exactly.
    static void Shuffle(clsArrayList& list, const UnitDraw& draw);

    // Track text to sort key: the number before the first "/" read leniently ("3/12" -> 3),
    // otherwise the leading number of the whole text ("12abc" -> 12, "A1" -> 0). Rounded half
    // to even and clamped to 16 bits.
    static int16_t TrackKey(const QString& trackText);
    // Reads the track text through the tag reader; a track of a sheet gives its number.
    static QString TagTrackText(const QString& path);

    // Stable sorts of the entries from `first` to the end; entries before it keep their places.
    static void SortByTrack(clsArrayList& list, int32_t first,
                            const TrackLookup& lookup = TagTrackText);
    // By file name (after the last "/"), ignoring case, in the collation of the system locale; a
    // track by its sheet's name, then its number.
    static void SortByFileName(clsArrayList& list, int32_t first);
    static void SortByFileName(clsArrayList& list, int32_t first, const QCollator& collator);
    // By artist, album, track number and title, each by its reading, else its own text, else
    // the file name, in Japanese order: kana type, width and case make no difference, kana go
    // in the order of the syllabary after Latin letters, kanji in the order of JIS.
    static ReadingFields TagReadingFields(const QString& path);
    static void SortByReading(clsArrayList& list, int32_t first,
                              const ReadingLookup& lookup = TagReadingFields);
    static void SortByReading(clsArrayList& list, int32_t first, const ReadingLookup& lookup,
                              const QCollator& collator);
    // Newest last-modified date first (a track by its sheet's date); files that are missing or
    // cannot be read go last.
    static void SortByDateNewestFirst(clsArrayList& list);

    // Large sorts ask first: more than 100 entries by track or reading (every key reads a
    // file), more than 1000 by name or date.
    static bool TrackSortNeedsQuestion(int32_t count) { return count > 100; }
    static bool ReadingSortNeedsQuestion(int32_t count) { return count > 100; }
    static bool NameSortNeedsQuestion(int32_t count) { return count > 1000; }
    static bool DateSortNeedsQuestion(int32_t count) { return count > 1000; }

    // Deletes the selected entry. Returns the row to select afterwards (-1 once the list is
    // empty), or nothing when no row is selected and the list is unchanged.
    static std::optional<int32_t> DeleteSelected(clsArrayList& list, int32_t selected);
    // The selection after stepping by `step` with wrap-around at both ends; no selection counts
    // as -1. Nothing when there are no rows.
    static std::optional<int32_t> MoveSelection(int32_t selected, int32_t step, int32_t rowCount);
    // Swap the selected entry with its neighbour; the new selection, or nothing when the move
    // is not possible (no selection, first row up, last row down, fewer than two rows).
    static std::optional<int32_t> MoveUp(clsArrayList& list, int32_t selected);
    static std::optional<int32_t> MoveDown(clsArrayList& list, int32_t selected);

    // List-box rows are 16-bit, so the playlist holds at most this many entries.
    static constexpr int32_t kMaxEntries = 32767;
    static inline const QString kLimitText =
        QStringLiteral("プレイリストに追加できるのは32767曲までです。");
    // Drops the entries past kMaxEntries; true when there were any.
    static bool KeepWithinLimit(clsArrayList& list);

    // The file name without its extension; a track's title (TrackEntries::RowText).
    static QString RowText(const QString& path);
    static QString CountLabelText(int32_t count);  // "No File" or "×12"
};
