#pragma once

#include "CueSheet.h"

#include <QList>
#include <QString>
#include <optional>

// Playlist entries that stand for one track of a disc image ("disc.cue?3"): the track an entry
// names, the text its row shows, and the entries a sheet becomes. Sheets read for rows and sorts
// are kept per path and modification time, so thousands of rows read each sheet once; which of
// its files existed is as at that reading, until a collection or a change of the sheet reads it
// again. Any thread may call it: the kept sheets are guarded by a mutex.
class TrackEntries {
public:
    // The track an entry names, by its form: a real file of that very name is no track.
    static std::optional<CueSheet::TrackReference> Reference(const QString& entry);
    // The track an entry names; nullopt for a plain path, or when its sheet cannot be read or no
    // longer lists that track.
    static std::optional<CueSheet::ListedTrack> Find(const QString& entry);
    static std::optional<CueSheet::ListedTrack> Find(const CueSheet::TrackReference& reference);
    // What a row shows: a track's title, else "<image name> 03"; a plain path's file name
    // without its extension.
    static QString RowText(const QString& entry);
    // The file on disk: the .cue or image of a track entry, else the entry itself.
    static QString FilePath(const QString& entry);
    // Whether an entry is written as a track (its sheet is not read).
    static bool IsTrack(const QString& entry);

    // A name ending in ".cue", any letter case.
    static bool IsCueName(const QString& path);
    // The tracks of the sheet at `path`, read afresh: a .cue file, or a FLAC, WavPack or
    // Monkey's Audio image that embeds one. Empty for any other file and for a sheet whose
    // files are all missing.
    static QList<CueSheet::ListedTrack> SheetTracks(const QString& path);
    // Their playlist entries, in track order.
    static QStringList Entries(const QString& sheetPath,
                               const QList<CueSheet::ListedTrack>& tracks);
};
