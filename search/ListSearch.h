#pragma once

#include <QStringList>
#include <cstdint>
#include <vector>

// Finding rows of a list by the text each row shows, and stepping through what was found.
class ListSearch {
public:
    enum Mode : int32_t { Perfect = 0, Front = 1, Part = 2 };

    // The rows that match `word`, ascending, ignoring letter case, width and kana type
    // (JapaneseFold): Perfect compares whole rows; Front and Part take the word as a wildcard
    // pattern ("02*", "*song*"), so "*", "?", "#" and "[...]" typed by the user keep their
    // meaning. A pattern that is not valid finds nothing; any other mode finds nothing. Empty
    // when nothing matched. Any thread may call it.
    static std::vector<int32_t> FindRows(const QString& word, const QStringList& rows,
                                         int32_t mode);

    // The position after `index` among `count` hits, wrapping at both ends.
    static int32_t Step(int32_t index, int32_t count, bool forward);
};
