#pragma once

#include "core/clsArrayList.h"

#include <QString>

// The songs that played to their end, newest first, each path once (letter case ignored),
// at most 100.
class PlayHistory {
public:
    static constexpr int32_t kLimit = 100;

    // Moves or puts `path` at the head and cuts the list back to the limit (also a longer list
    // read from a hand-edited file).
    static void Record(clsArrayList& history, const QString& path);
};
