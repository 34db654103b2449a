#pragma once

#include <QLoggingCategory>

// What the player tells a session log (stderr) when no box can: "zapt.state" for the state
// files it could not save.
Q_DECLARE_LOGGING_CATEGORY(lcState)
