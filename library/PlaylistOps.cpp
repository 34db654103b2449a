#include "PlaylistOps.h"

#include "TrackEntries.h"
#include "core/FileAccess.h"
#include "core/modZAUtil.h"
#include "tags/clsTagInfo.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sys/stat.h>
#include <vector>

namespace {

// Exchanges two entries without the 16-bit reach of clsArrayList::Swap.
void exchange(clsArrayList& list, int32_t a, int32_t b) {
    if (a == b)
        return;
    const QString va = list.Value(a);
    list.setValue(a, list.Value(b));
    list.setValue(b, va);
}

// Reorders list[first..] by a stable sort of their keys (keys[k] belongs to entry first + k);
// entries with equal keys keep their order. `before(a, b)` compares keys.
template <typename Key, typename Before>
void stableSortTail(clsArrayList& list, int32_t first, std::vector<Key> keys, Before before) {
    std::vector<std::pair<Key, int32_t>> order;
    order.reserve(keys.size());
    for (size_t k = 0; k < keys.size(); ++k)
        order.emplace_back(std::move(keys[k]), static_cast<int32_t>(k));
    std::stable_sort(order.begin(), order.end(),
                     [&](const auto& a, const auto& b) { return before(a.first, b.first); });
    const QStringList& items = list.items();
    QStringList sorted;
    sorted.reserve(items.size());
    sorted.append(items.mid(0, first));
    for (const auto& entry : order)
        sorted << items[first + entry.second];
    list.assign(std::move(sorted));
}

bool hasTail(const clsArrayList& list, int32_t first) {
    return first >= 0 && first < list.Count();
}

// Reads the leading number of a text: blanks skipped, an optional sign, digits with an
// optional fraction; stops at the first character that cannot continue it; 0 when none.
double leadingNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\u3000'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    double value = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    if (i < n && text[i] == u'.') {
        double scale = 0.1;
        for (++i; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i, scale /= 10)
            value += (text[i].unicode() - u'0') * scale;
    }
    return negative ? -value : value;
}

}  // namespace

void PlaylistOps::Shuffle(clsArrayList& list, const UnitDraw& draw) {
    const int32_t n = list.Count();
    if (n == 0)
        return;
    const int32_t m = n - 1;
    for (int32_t i = 0; i <= m; ++i) {
        const float r = draw();
        // Single-precision product, rounded to nearest with halves to even (the default mode).
        long j = std::lrint(r * static_cast<float>(m));
        j = std::clamp<long>(j, 0, m);
        exchange(list, i, static_cast<int32_t>(j));
    }
}

int16_t PlaylistOps::TrackKey(const QString& trackText) {
    if (trackText.isEmpty())
        return 0;
    const qsizetype slash = trackText.indexOf(u'/');
    const double value =
        leadingNumber(slash >= 0 ? QStringView(trackText).left(slash) : QStringView(trackText));
    const double rounded = std::nearbyint(value);
    return static_cast<int16_t>(std::clamp(rounded, -32768.0, 32767.0));
}

QString PlaylistOps::TagTrackText(const QString& path) {
    if (TrackEntries::IsTrack(path)) {
        const auto track = TrackEntries::Find(path);
        return track ? QString::number(track->number) : QString();
    }
    clsTagInfo info;
    info.GetTagInfo(path);
    return info.Track;
}

void PlaylistOps::SortByTrack(clsArrayList& list, int32_t first, const TrackLookup& lookup) {
    if (!hasTail(list, first))
        return;
    const TrackLookup& read = lookup ? lookup : TrackLookup(TagTrackText);
    std::vector<int16_t> keys;
    keys.reserve(list.Count() - first);
    for (int32_t i = first; i < list.Count(); ++i)
        keys.push_back(TrackKey(read(list.Value(i))));
    stableSortTail(list, first, keys, std::less<int16_t>());
}

void PlaylistOps::SortByFileName(clsArrayList& list, int32_t first) {
    SortByFileName(list, first, QCollator(QLocale()));
}

void PlaylistOps::SortByFileName(clsArrayList& list, int32_t first, const QCollator& collator) {
    if (!hasTail(list, first))
        return;
    // Compared, not sort keys: the C locale's keys keep letter case, and for lists the size of a
    // playlist comparing views is faster than building a key per entry.
    QCollator folding(collator);
    folding.setCaseSensitivity(Qt::CaseInsensitive);
    const QStringList& items = list.items();
    std::vector<QStringView> names;
    names.reserve(items.size() - first);
    // A track by its sheet's name and a two-digit number, so a disc keeps its order past track 9.
    std::vector<QString> trackNames;
    trackNames.reserve(items.size() - first);
    for (qsizetype i = first; i < items.size(); ++i) {
        const QString& path = items[i];
        if (const auto track = CueSheet::DecodeTrackReference(path)) {
            trackNames.push_back(modZAUtil::GetFileName(track->path) +
                                 QStringLiteral("?%1").arg(track->number, 2, 10, QChar(u'0')));
            names.push_back(trackNames.back());
        } else {
            names.push_back(QStringView(path).sliced(path.lastIndexOf(u'/') + 1));
        }
    }
    stableSortTail(list, first, std::move(names),
                   [&](QStringView a, QStringView b) { return folding.compare(a, b) < 0; });
}

PlaylistOps::ReadingFields PlaylistOps::TagReadingFields(const QString& path) {
    if (TrackEntries::IsTrack(path)) {
        const auto track = TrackEntries::Find(path);
        if (!track)
            return {};
        return {track->performer, {}, track->album, {}, QString::number(track->number),
                track->title,     {}};
    }
    clsTagInfo info;
    info.GetTagInfo(path);
    return {info.ArtistName, info.ArtistReading, info.Album,       info.AlbumReading,
            info.Track,      info.Title,         info.TitleReading};
}

void PlaylistOps::SortByReading(clsArrayList& list, int32_t first, const ReadingLookup& lookup) {
    // Japanese collation of the whole text, so the Japanese order does not hang on the
    // system's locale; case-insensitive is ICU's secondary strength, which also leaves kana
    // type and width out.
    SortByReading(list, first, lookup, QCollator(QLocale(QLocale::Japanese, QLocale::Japan)));
}

void PlaylistOps::SortByReading(clsArrayList& list, int32_t first, const ReadingLookup& lookup,
                                const QCollator& collator) {
    if (!hasTail(list, first))
        return;
    const ReadingLookup& read = lookup ? lookup : ReadingLookup(TagReadingFields);
    QCollator folding(collator);
    folding.setCaseSensitivity(Qt::CaseInsensitive);
    struct Key {
        QString artist, album, title;
        int16_t track;
    };
    std::vector<Key> keys;
    keys.reserve(list.Count() - first);
    for (int32_t i = first; i < list.Count(); ++i) {
        const QString path = list.Value(i);
        const QString fileName = path.mid(path.lastIndexOf(u'/') + 1);
        const ReadingFields f = read(path);
        const auto text = [&fileName](const QString& reading, const QString& own) {
            for (const QString* t : {&reading, &own})
                if (!t->trimmed().isEmpty())
                    return *t;
            return fileName;
        };
        keys.push_back({text(f.artistReading, f.artist), text(f.albumReading, f.album),
                        text(f.titleReading, f.title), TrackKey(f.track)});
    }
    stableSortTail(list, first, std::move(keys), [&](const Key& a, const Key& b) {
        if (const int c = folding.compare(a.artist, b.artist))
            return c < 0;
        if (const int c = folding.compare(a.album, b.album))
            return c < 0;
        if (a.track != b.track)
            return a.track < b.track;
        return folding.compare(a.title, b.title) < 0;
    });
}

void PlaylistOps::SortByDateNewestFirst(clsArrayList& list) {
    if (list.Count() == 0)
        return;
    constexpr qint64 kUnreadable = std::numeric_limits<qint64>::min();
    std::vector<qint64> keys;
    keys.reserve(list.Count());
    for (const QString& entry : list.items()) {
        // By the path's own bytes, so names that are not UTF-8 are dated too; a track by its
        // sheet, so a disc's tracks keep their order.
        const QString path = TrackEntries::FilePath(entry);
        struct stat st {};
        keys.push_back(::stat(modZAUtil::NativePath(path).constData(), &st) == 0
                           ? qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000
                           : kUnreadable);
    }
    stableSortTail(list, 0, keys, std::greater<qint64>());
}

std::optional<int32_t> PlaylistOps::DeleteSelected(clsArrayList& list, int32_t selected) {
    const int32_t n = list.Count();
    if (selected < 0 || selected >= n)
        return std::nullopt;
    const int32_t next = selected == n - 1 ? selected - 1 : selected;
    list.Delete(selected);
    return list.Count() == 0 ? -1 : next;
}

std::optional<int32_t> PlaylistOps::MoveSelection(int32_t selected, int32_t step,
                                                  int32_t rowCount) {
    if (rowCount <= 0)
        return std::nullopt;
    const int64_t k = static_cast<int64_t>(selected < 0 ? -1 : selected) + step;
    if (k < 0)
        return rowCount - 1;
    if (k >= rowCount)
        return 0;
    return static_cast<int32_t>(k);
}

std::optional<int32_t> PlaylistOps::MoveUp(clsArrayList& list, int32_t selected) {
    if (selected <= 0 || selected >= list.Count() || list.Count() < 2)
        return std::nullopt;
    exchange(list, selected, selected - 1);
    return selected - 1;
}

std::optional<int32_t> PlaylistOps::MoveDown(clsArrayList& list, int32_t selected) {
    if (selected < 0 || selected >= list.Count() - 1 || list.Count() < 2)
        return std::nullopt;
    exchange(list, selected, selected + 1);
    return selected + 1;
}

QString PlaylistOps::RowText(const QString& path) {
    return TrackEntries::RowText(path);
}

QString PlaylistOps::CountLabelText(int32_t count) {
    if (count < 1)
        return QStringLiteral("No File");
    return QStringLiteral("\u00D7") + QString::number(count);
}

bool PlaylistOps::KeepWithinLimit(clsArrayList& list) {
    if (list.Count() <= kMaxEntries)
        return false;
    QStringList kept = list.items();
    kept.resize(kMaxEntries);
    list.assign(std::move(kept));
    return true;
}
