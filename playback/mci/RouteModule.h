#pragma once

// The two decoders a run pays for only when it plays one of their files, FFmpeg (WMA, FLAC, Ogg,
// Opus, M4A and whatever else it knows) and FluidSynth (MIDI), are built as modules that the
// player loads the first time it needs one (RouteModules). Each module exports these entries.

#include <QString>
#include <QStringList>

class PcmSource;

extern "C" {
// A source for the file at `path`, or null when the module cannot play it. The caller owns it
// and deletes it through its virtual destructor; a module stays loaded for the whole run.
using ZaptRouteOpen = PcmSource* (*)(const QString* path);
// The decoding library as it runs, e.g. "FFmpeg 5.1.4".
using ZaptRouteVersion = const char* (*)();
// The tag of a file as the decoder's container reader sees it: title, artist, album, track,
// date and album artist, in that order, "" where it has none. Zero when it cannot open the
// file. Optional: a module without it reads no tags.
using ZaptRouteTags = int (*)(const QString* path, QStringList* fields);
}

inline constexpr char kZaptRouteOpen[] = "zapt_route_open";
inline constexpr char kZaptRouteVersion[] = "zapt_route_version";
inline constexpr char kZaptRouteTags[] = "zapt_route_tags";

#define ZAPT_ROUTE_EXPORT extern "C" __attribute__((visibility("default")))
