#include "lyrics/LyricLookup.h"

#include "core/WildcardMatcher.h"
#include "core/modZAUtil.h"
#include "lyrics/LyricText.h"

#include <QHash>
#include <QSet>

namespace {

qsizetype nameStart(QStringView path) {
    return path.lastIndexOf(u'/') + 1;
}

// The first code point of the full case folding of a text's first character, folded as the
// wildcard matcher folds: a text can match a pattern that starts with a plain character only
// when both give the same one. 0 for an empty text.
char32_t firstFolded(QStringView text) {
    if (text.isEmpty())
        return 0;
    char32_t c = text[0].unicode();
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    if (QChar::isHighSurrogate(c) && text.size() > 1 && text[1].isLowSurrogate())
        c = QChar::surrogateToUcs4(text[0], text[1]);
    const QString folded = QString::fromUcs4(&c, 1).toUpper().toLower().toCaseFolded();
    return folded.isEmpty() ? c : folded.toUcs4().value(0);
}

// True when the full case folding of `c` is the one character its simple folding gives, so
// that comparing simply folded texts decides what the matcher would. Most characters are such
// (ASCII, kana, kanji); "ß" and ligatures are not.
bool foldsSimply(QChar c, QHash<char16_t, bool>* cache = nullptr) {
    if (c.unicode() < 0x80)
        return true;
    if (c.isSurrogate())
        return false;
    if (cache)
        if (auto it = cache->constFind(c.unicode()); it != cache->constEnd())
            return *it;
    const QString full = QString(c).toUpper().toLower().toCaseFolded();
    const bool simple = full.size() == 1 && full[0] == c.toCaseFolded();
    if (cache)
        cache->insert(c.unicode(), simple);
    return simple;
}

// Where a name's letters (kana, kanji, any script's) begin: a track number, spaces and
// punctuation in front say nothing about which song it is. The name's size when it has none.
qsizetype lettersStart(QStringView name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
        if (QChar::isLetter(c))
            return i;
        if (QChar::requiresSurrogates(c))
            ++i;
    }
    return name.size();
}

// A song's .lrc goes before its .txt of the same folder and name: the words that follow the
// song are the ones to show.
void preferSynced(QStringList& paths) {
    for (qsizetype j = 1; j < paths.size(); ++j) {
        if (!paths[j].endsWith(u".lrc", Qt::CaseInsensitive))
            continue;
        const QStringView stem = QStringView(paths[j]).chopped(4);
        for (qsizetype i = 0; i < j; ++i)
            if (paths[i].size() == paths[j].size() &&
                paths[i].endsWith(u".txt", Qt::CaseInsensitive) &&
                QStringView(paths[i]).chopped(4) == stem) {
                paths.move(j, i);
                break;
            }
    }
}

clsArrayList toList(QStringList paths) {
    preferSynced(paths);
    clsArrayList list;
    list.assign(std::move(paths));
    return list;
}

}  // namespace

QString LyricLookup::BaseName(const QString& path) {
    return modZAUtil::WithoutExtension(QStringView(path).sliced(nameStart(path))).toString();
}

void LyricLookup::refresh(const clsArrayList& index) {
    if (paths_.isSharedWith(index.items()) && paths_.size() == index.Count())
        return;
    paths_ = index.items();
    entries_.clear();
    entries_.reserve(size_t(paths_.size()));
    QHash<char16_t, bool> cache;
    for (const QString& path : std::as_const(paths_)) {
        Entry e;
        e.nameStart = nameStart(path);
        const QStringView name = QStringView(path).sliced(e.nameStart);
        e.baseLength = modZAUtil::WithoutExtension(name).size();
        e.folded = name.first(e.baseLength).toString().toCaseFolded();
        e.lettersStart = lettersStart(name.first(e.baseLength));
        const QStringView letters = name.sliced(e.lettersStart, e.baseLength - e.lettersStart);
        e.first = firstFolded(letters);
        while (e.simpleHead < letters.size() && e.simpleHead < kMaxSimpleHead &&
               foldsSimply(letters[e.simpleHead], &cache))
            ++e.simpleHead;
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
            found.append(paths_.at(qsizetype(i)));
    if (!found.isEmpty())
        return toList(std::move(found));

    qsizetype firstLength = 0;  // the base name's length of the entry in front
    for (size_t i = 0; i < entries_.size() && !folded.isEmpty(); ++i) {
        const Entry& e = entries_[i];
        if (!folded.startsWith(e.folded))
            continue;
        if (found.isEmpty() || firstLength < e.baseLength) {
            found.prepend(paths_.at(qsizetype(i)));
            firstLength = e.baseLength;
        } else {
            found.append(paths_.at(qsizetype(i)));
        }
    }
    // Any value but 0 turns the vague pass on, as the stored default 100 means it to.
    if (!found.isEmpty() || vagueSearch == 0)
        return toList(std::move(found));

    // Names are compared from their first letter on, so that a shared track number alone
    // ("01 ...") never makes a match; a song without letters has no vague match.
    const QStringView letters = QStringView(song).sliced(lettersStart(song));
    if (letters.isEmpty())
        return toList(std::move(found));
    const qsizetype keep = letters.size() > 9 ? 2 : letters.size() > 5 ? 3 : letters.size();
    const QString prefix = letters.first(keep).toString();
    const WildcardMatcher pattern(QString(prefix + u'*'));
    // Plain characters at the start let most names be passed over without the matcher: those
    // whose first character folds to another, and, when every character of the prefix folds
    // simply, those whose first characters fold simply too are compared folded as they are.
    const auto special = [](QChar c) { return QStringView(u"*?#[").contains(c); };
    const bool plain = !prefix.isEmpty() && !special(prefix[0]);
    const char32_t first = plain ? firstFolded(prefix) : 0;
    bool simple = plain && keep <= kMaxSimpleHead;
    for (QChar c : prefix)
        simple = simple && !special(c) && foldsSimply(c);
    const QString prefixFolded = simple ? prefix.toCaseFolded() : QString();
    QSet<QString> seen;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (plain && e.first != first)
            continue;
        const QString& path = paths_.at(qsizetype(i));
        // What comes before a name's letters is made of characters that fold to themselves,
        // so the folded name's letters start at the same place.
        const bool match =
            simple && e.simpleHead >= keep
                ? QStringView(e.folded).sliced(e.lettersStart).startsWith(prefixFolded)
                : pattern.matches(QStringView(path).sliced(e.nameStart + e.lettersStart,
                                                           e.baseLength - e.lettersStart));
        if (match && !seen.contains(path)) {
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

void LyricLookup::OrderByArtistInFiles(clsArrayList& candidates, const QStringList& words) {
    QHash<QString, QStringList> heads;
    OrderByArtist(candidates, words, [&heads](const QString& path, const QString& word) {
        auto it = heads.constFind(path);
        if (it == heads.constEnd()) {
            QStringList lines;
            LyricText::ReadHead(path, 8, lines);
            it = heads.insert(path, lines);
        }
        return LyricText::LineOfWord(*it, word);
    });
}
