#include "LibraryVersions.h"

#include "playback/mci/RouteModules.h"

#include <QStringList>
#include <SDL.h>
#include <mpg123.h>
#include <sndfile.h>

namespace LibraryVersions {

namespace {
QString mpg123Version() {
#if MPG123_API_VERSION >= 48
    unsigned major = 0, minor = 0, patch = 0;
    mpg123_distversion(&major, &minor, &patch);
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
#else
    // Before 1.32 the library cannot say its version: the one it was built with stands in.
    return QStringLiteral(ZAPT_MPG123_BUILD_VERSION);
#endif
}
}  // namespace

QString Line() {
    SDL_version sdl{};
    SDL_GetVersion(&sdl);
    QString sndfile = QString::fromLatin1(sf_version_string());
    sndfile.remove(QStringLiteral("libsndfile-"));
    QStringList parts = {
        QStringLiteral("Qt ") + QString::fromLatin1(qVersion()),
        QStringLiteral("SDL %1.%2.%3").arg(sdl.major).arg(sdl.minor).arg(sdl.patch),
        QStringLiteral("libmpg123 ") + mpg123Version(),
        QStringLiteral("libsndfile ") + sndfile,
    };
    // The decoder modules say theirs; one that cannot load plays nothing and is left out.
    for (const auto route : {RouteModules::Route::Ffmpeg, RouteModules::Route::Midi}) {
        const QString version = RouteModules::version(route);
        if (!version.isEmpty())
            parts << version;
    }
    return parts.join(QStringLiteral(", "));
}

}  // namespace LibraryVersions
