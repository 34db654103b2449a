#pragma once

#include "library/CueSheet.h"

#include <QString>
#include <cstdint>
#include <optional>

class clsTagInfo;

// A playlist entry that names one track of a disc image ("/music/disc.cue?3", or
// "disc.flac?3" for a sheet the image embeds): the track read from its sheet, and the tags the
// player shows for it. Plain functions without state that read the disk: any thread.
struct CueTrack {
    // nullopt when `entry` is a path as any other (a file of that very name included).
    static std::optional<CueSheet::TrackReference> Reference(const QString& entry);
    // The track `reference` names; nullopt when its sheet, its audio file or the track is gone.
    static std::optional<CueSheet::ListedTrack> Find(const CueSheet::TrackReference& reference);
    // The frame at `time` at `sampleRate`, rounded down.
    static int64_t Frames(CueSheet::Time time, int sampleRate);

    // The file that holds `entry`'s sound: the image for a track, else `entry` itself (a track
    // that is gone included). Its picture is the track's.
    static QString AudioPath(const QString& entry);

    // The tags of `entry` as clsTagInfo::GetTagInfo reads a file's; for a track, the sheet's
    // title, performer, album, date and number over the image's own tags.
    static void ReadTags(clsTagInfo& tag, const QString& entry);
};
