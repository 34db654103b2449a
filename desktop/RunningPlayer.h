#pragma once

#include <QString>

// A player already running in this session, reached over the session bus.
class RunningPlayer {
public:
    // Hands `absolutePath` to the running player (OpenUri), which adds it to its playlist and
    // plays it. False when no player runs, the path names nothing playable, or the player
    // refused it; the caller then starts as usual.
    static bool Open(const QString& absolutePath);
};
