#pragma once

#include "playback/output/PcmSource.h"

#include <QString>
#include <QStringList>
#include <memory>

// Loads the decoder modules on first use and opens files through them. A module that is
// missing, damaged (ModuleImage) or will not load makes its files fail like any unplayable file;
// it is looked for once per run, and the first copy found decides. Any thread.
class RouteModules {
public:
    enum class Route { Ffmpeg, Midi };

    static std::unique_ptr<PcmSource> open(Route route, const QString& path);
    // The file's tag as the module reads it (see ZaptRouteTags); empty when it reads none.
    static QStringList tags(Route route, const QString& path);
    // "" when the module cannot be loaded.
    static QString version(Route route);
    // Where modules are looked for, in order: $ZAPT_MODULE_DIR, the installed folder beside the
    // executable's, the build tree's.
    static QStringList folders();
};
