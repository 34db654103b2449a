#pragma once

#include "core/clsArrayList.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Finds the lyric files of a song among the lyric index by name, and puts the one that names
// the song's artist first. Names and artists are compared ignoring letter case, width and kana
// type (JapaneseFold), so "ﾐｸの歌.mp3" finds "みくの歌.txt"; the paths found are kept as they
// are. The lookup never touches the disk: the index's base names are folded once, when the
// index changes, so one lookup over tens of thousands of files costs a fraction of a
// millisecond. Called on one thread at a time; its static routines on any.
class LyricLookup {
public:
    // A file name without its extension (modZAUtil::WithoutExtension), so "Song.flac",
    // "Song.wv" and "Song.txt" share "Song".
    static QString BaseName(const QString& path);

    // The candidates for `songPath` in `index`: the exact names; else the names the song's
    // name begins with, the longest seen so far first; else, with `vagueSearch` not 0, the
    // names whose letters begin as the song's do (its first 2 letters past 9, its first 3 past
    // 5, else all of them, counted from its first letter; track numbers, spaces and
    // punctuation in front of either name are passed over), wildcard characters in the song's
    // name acting as such.
    clsArrayList FindLyricFiles(const clsArrayList& index, const QString& songPath,
                                int32_t vagueSearch);
    // The same for a song known by a name of its own (a disc image's track, by its title).
    clsArrayList FindLyricFilesNamed(const clsArrayList& index, const QString& song,
                                     int32_t vagueSearch);

    // Folds the index's names now, so that the next lookup is quick.
    void Prepare(const clsArrayList& index) { refresh(index); }

    // The artist and the other words that name it: the second field of each line of
    // `artistWords` ("artist<TAB>word", exactly one tab) whose first field is the artist.
    // Empty when the artist is.
    static QStringList ArtistWords(const QString& artistName, const clsArrayList& artistWords);

    // For each candidate position b and each word in order, a candidate at b whose first lines
    // name the word (`lineOfWord` > 0) is swapped to the front. The candidate looked at is the
    // one at b at that moment, so a later word can swap another file back.
    using LineOfWord = std::function<int(const QString& path, const QString& word)>;
    static void OrderByArtist(clsArrayList& candidates, const QStringList& words,
                              const LineOfWord& lineOfWord);
    // The same over the files themselves: each candidate's first eight lines are read once,
    // whatever the number of words.
    static void OrderByArtistInFiles(clsArrayList& candidates, const QStringList& words);

private:
    struct Entry {
        QString folded;  // the base name's key (JapaneseFold)
        qsizetype nameStart = 0;
        qsizetype baseLength = 0;
        qsizetype lettersStart = 0;        // where the base name's letters begin
        qsizetype foldedLettersStart = 0;  // and where their key begins in `folded`
        char32_t first = 0;                // the first code point of the letters' key
        qsizetype simpleHead = 0;  // how many of its first letters have a one code point key
    };
    void refresh(const clsArrayList& index);
    static constexpr qsizetype kMaxSimpleHead = 8;

    QStringList paths_;  // shares the index's data: a change to the index detaches it
    std::vector<Entry> entries_;
};
