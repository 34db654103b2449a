#include "lyrics/LyricLookup.h"

#include "core/JapaneseFold.h"
#include "core/WildcardMatcher.h"
#include "core/modZAUtil.h"
#include "lyrics/LyricText.h"

#include <QHash>
#include <QSet>
#include <QVarLengthArray>

namespace {

qsizetype nameStart(QStringView path) {
    return path.lastIndexOf(u'/') + 1;
}

// The first code point of the key of a text's first character; 0 for an empty text.
char32_t firstKey(QStringView text) {
    return text.isEmpty() ? 0 : JapaneseFold::Read(text, 0).key[0];
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
    for (const QString& path : std::as_const(paths_)) {
        Entry e;
        e.nameStart = nameStart(path);
        const QStringView name = QStringView(path).sliced(e.nameStart);
        e.baseLength = modZAUtil::WithoutExtension(name).size();
        const QStringView base = name.first(e.baseLength);
        e.lettersStart = lettersStart(base);
        // A kana takes its mark from behind it, and a name's letters start with a letter, so
        // the key of the whole is the keys of both parts strung together.
        const QStringView letters = base.sliced(e.lettersStart);
        e.folded = JapaneseFold::Key(base.first(e.lettersStart));
        e.foldedLettersStart = e.folded.size();
        e.folded += JapaneseFold::Key(letters);
        e.first = firstKey(letters);
        for (qsizetype i = 0; i < letters.size() && e.simpleHead < kMaxSimpleHead;) {
            const JapaneseFold::Char c = JapaneseFold::Read(letters, i);
            if (c.keyLength != 1 || QChar::requiresSurrogates(c.key[0]))
                break;
            ++e.simpleHead;
            i += c.units;
        }
        entries_.push_back(std::move(e));
    }
}

clsArrayList LyricLookup::FindLyricFiles(const clsArrayList& index, const QString& songPath,
                                         int32_t vagueSearch) {
    return FindLyricFilesNamed(index, BaseName(songPath), vagueSearch);
}

clsArrayList LyricLookup::FindLyricFilesNamed(const clsArrayList& index, const QString& song,
                                              int32_t vagueSearch) {
    refresh(index);
    const QString folded = JapaneseFold::Key(song);
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
    // Letters are counted as read, a half-width kana with its mark as one.
    QVarLengthArray<qsizetype, 64> ends;
    for (qsizetype i = 0; i < letters.size();)
        ends.append(i += JapaneseFold::Read(letters, i).units);
    const qsizetype count = ends.size();
    const qsizetype keep = count > 9 ? 2 : count > 5 ? 3 : count;
    const QStringView prefix = letters.first(ends[keep - 1]);
    const WildcardMatcher pattern(QString(prefix + u'*'));
    // Plain characters at the start let most names be passed over without the matcher: those
    // whose key starts otherwise, and, when the prefix is all plain characters, those whose
    // first characters each have a key of one code point are compared by their keys.
    const auto special = [](QChar c) { return QStringView(u"*?#[").contains(c); };
    const bool plain = !special(prefix[0]);
    const char32_t first = plain ? firstKey(prefix) : 0;
    bool simple = plain;
    for (QChar c : prefix)
        simple = simple && !special(c);
    const QString prefixFolded = simple ? JapaneseFold::Key(prefix) : QString();
    QSet<QString> seen;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (plain && e.first != first)
            continue;
        const QString& path = paths_.at(qsizetype(i));
        const bool match =
            simple && e.simpleHead >= prefixFolded.size()
                ? QStringView(e.folded).sliced(e.foldedLettersStart).startsWith(prefixFolded)
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
        if (tab + 1 < line.size() && JapaneseFold::Equal(QStringView(line).first(tab), artistName))
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
