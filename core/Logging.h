#pragma once

#include <QLoggingCategory>

// What the player tells a session log (stderr) when no box can, one category an area:
// "zapt.state" for the state files it could not save, "zapt.audio" for sound devices and
// decoder modules, "zapt.desktop" for the desktop's media controls. Any thread.
Q_DECLARE_LOGGING_CATEGORY(lcState)
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
