#include "lyrics/LyricLookup.h"

#include "core/WildcardMatcher.h"
#include "lyrics/LyricIndex.h"

#include <QSet>

namespace {

qsizetype nameStart(QStringView path) {
    return path.lastIndexOf(u'/') + 1;
}

clsArrayList toList(QStringList paths) {
    clsArrayList list;
    list.assign(std::move(paths));
    return list;
}

}  // namespace

QString LyricLookup::BaseName(const QString& path) {
    const QStringView name = QStringView(path).sliced(nameStart(path));
    return name.size() <= LyricIndex::ExtensionLength(name)
               ? QString()
               : name.first(name.size() - LyricIndex::ExtensionLength(name)).toString();
}

void LyricLookup::refresh(const clsArrayList& index) {
    if (paths_.isSharedWith(index.items()) && paths_.size() == index.Count())
        return;
    paths_ = index.items();
    entries_.clear();
    entries_.reserve(size_t(paths_.size()));
    for (const QString& path : paths_) {
        Entry e;
        e.nameStart = nameStart(path);
        const QStringView name = QStringView(path).sliced(e.nameStart);
        e.baseLength = std::max<qsizetype>(0, name.size() - LyricIndex::ExtensionLength(name));
        e.folded = name.first(e.baseLength).toString().toCaseFolded();
        entries_.push_back(std::move(e));
    }
}

clsArrayList LyricLookup::FindLyricFiles(const clsArrayList& index, const QString& songPath,
                                         int32_t vagueSearch) {
    refresh(index);
    const QString song = BaseName(songPath);
    const QString folded = song.toCaseFolded();
    QStringList found;

    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].folded == folded)
            found.append(paths_[qsizetype(i)]);
    if (!found.isEmpty())
        return toList(std::move(found));

    qsizetype firstLength = 0;  // the base name's length of the entry in front
    for (size_t i = 0; i < entries_.size() && !folded.isEmpty(); ++i) {
        const Entry& e = entries_[i];
        if (!folded.startsWith(e.folded))
            continue;
        if (found.isEmpty() || firstLength < e.baseLength) {
            found.prepend(paths_[qsizetype(i)]);
            firstLength = e.baseLength;
        } else {
            found.append(paths_[qsizetype(i)]);
        }
    }
    if (!found.isEmpty() || vagueSearch != 1)
        return toList(std::move(found));

    const qsizetype keep = song.size() > 9 ? 2 : song.size() > 5 ? 3 : song.size();
    const QString prefix = song.left(keep) + u'*';
    const WildcardMatcher pattern(prefix);
    QSet<QString> seen;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        const QString& path = paths_[qsizetype(i)];
        if (pattern.matches(QStringView(path).sliced(e.nameStart, e.baseLength)) &&
            !seen.contains(path)) {
            seen.insert(path);
            found.append(path);
        }
    }
    return toList(std::move(found));
}

QStringList LyricLookup::ArtistWords(const QString& artistName, const clsArrayList& artistWords) {
    QStringList words;
    if (artistName.isEmpty())
        return words;
    words.append(artistName);
    for (const QString& line : artistWords.items()) {
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0 || line.indexOf(u'\t', tab + 1) >= 0)
            continue;
        // An empty second field would name every file; it names nobody.
        if (tab + 1 < line.size() &&
            QStringView(line).first(tab).compare(artistName, Qt::CaseInsensitive) == 0)
            words.append(line.sliced(tab + 1));
    }
    return words;
}

void LyricLookup::OrderByArtist(clsArrayList& candidates, const QStringList& words,
                                const LineOfWord& lineOfWord) {
    QStringList order = candidates.items();
    for (qsizetype b = 0; b < order.size(); ++b)
        for (const QString& word : words)
            if (lineOfWord(order[b], word) > 0)
                order.swapItemsAt(0, b);
    candidates.assign(order);
}
