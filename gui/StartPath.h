#pragma once

#include <QString>

// The path given on the command line: where it points and what the player makes of it. No
// windows: start-up shows the message and fills the playlist.
namespace StartPath {

// Absolute (against `currentFolder`) and clean, so the playlist holds paths that still work
// when the player is next started from another folder. "" stays "".
QString Absolute(const QString& given, const QString& currentFolder);

enum class Kind {
    Folder,        // collected with its sub-folders
    AudioFile,     // an existing file of a kind the player plays, or a .cue
    PlaylistFile,  // an existing ".m3u" file
    Missing,       // a playable or playlist name that is not an existing file
    NotPlayable,   // anything else: the saved playlist stays
};
Kind Classify(const QString& path);

// The message for a path start-up cannot use; "" for the usable kinds.
QString ProblemText(Kind kind, const QString& path);

}  // namespace StartPath
