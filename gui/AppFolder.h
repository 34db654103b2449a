#pragma once

#include <QString>

namespace AppFolder {
// Where the player keeps its state files: the executable's folder when it can write there,
// otherwise $XDG_DATA_HOME/zapt (normally ~/.local/share/zapt), created when missing.
QString Resolve(const QString& executableFolder);
}  // namespace AppFolder
