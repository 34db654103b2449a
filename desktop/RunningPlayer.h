#pragma once

#include <QString>
#include <chrono>

// A player already running in this session, reached over the session bus.
class RunningPlayer {
public:
    // Hands `absolutePath` to the running player (OpenUri, the path by its bytes), which adds
    // it to its playlist and plays it. A player that is still starting may not be on the bus
    // yet: its name is waited for up to `wait`. False when no player answers, the path names
    // nothing, or the player refused it; the caller then starts as usual.
    static bool Open(const QString& absolutePath,
                     std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    // Calls `method` of the running player's media-control interface ("PlayPause", "Next", …).
    // False when no player answers.
    static bool Command(const QString& method);
};
