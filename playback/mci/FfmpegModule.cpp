// The FFmpeg decoder module: every format the player has no decoder of its own for.
#include "FfmpegSource.h"
#include "RouteModule.h"

extern "C" {
#include <libavutil/avutil.h>
}

#include <string>

ZAPT_ROUTE_EXPORT PcmSource* zapt_route_open(const QString* path) {
    return path ? FfmpegSource::open(*path).release() : nullptr;
}

ZAPT_ROUTE_EXPORT int zapt_route_tags(const QString* path, QStringList* fields) {
    return path && fields && FfmpegSource::readTags(*path, *fields) ? 1 : 0;
}

ZAPT_ROUTE_EXPORT const char* zapt_route_version() {
    static const std::string version = std::string("FFmpeg ") + av_version_info();
    return version.c_str();
}
