#pragma once

#include "library/CueSheet.h"

#include <QString>
#include <cstdint>
#include <optional>

class clsTagInfo;

// What the player needs of a playlist entry that names one track of a disc image (the track
// itself is found by TrackEntries): its span in frames, the file that holds its sound, and the
// tags shown for it. Plain functions without state that read the disk: any thread.
struct CueTrack {
    // The frame at `time` at `sampleRate`, rounded down.
    static int64_t Frames(CueSheet::Time time, int sampleRate);

    // The file that holds `entry`'s sound: the image for a track, else `entry` itself (a track
    // that is gone included). Its picture is the track's.
    static QString AudioPath(const QString& entry);

    // The tags of `entry` as clsTagInfo::GetTagInfo reads a file's; for a track, the sheet's
    // title, performer, album, date and number over the image's own tags.
    static void ReadTags(clsTagInfo& tag, const QString& entry);
};
