#pragma once

#include "PlaylistOps.h"
#include "core/clsArrayList.h"
#include "core/modZAUtil.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class UserDialogs;

// Collecting audio files from folders, dropped paths and start paths into a list. No windows:
// the questions and messages are the caller's, this class says when to ask and what failed.
class FileCollector {
public:
    // GetFileType bits: 1 ".mp3", 2 ".wma", 4 ".wav", 8 ".mid", 16 ".flac", 32 ".ogg",
    // 64 ".opus", 128 ".m4a" and ".aac" (AAC or Apple Lossless), 256 ".ape", 512 ".wv",
    // 1024 ".tta", 2048 ".tak", 4096 ".aif", ".aiff" and ".aifc", 8192 ".mp2" and ".mpa",
    // 16384 ".dsf" and ".dff" (DSD, played as PCM), 32768 ".mka" and ".webm", 65536 ".ac3".
    static constexpr int kFileTypeCount = 17;
    static constexpr int32_t kAllFileTypes = (1 << kFileTypeCount) - 1;
    static QStringList Extensions(int32_t getFileType);
    // A name ending in one of the types from bit 16 on whose box is ticked. Dropped files of the
    // first four types are taken whatever the boxes say; the later types follow them.
    static bool IsChosenNewType(const QString& path, int32_t getFileType);

    // Appends the files of `folder` (and its sub-folders when asked) whose type is chosen in
    // `getFileType`, in modZAUtil::CompareNames order. A disc image's sheet lists its tracks
    // instead (TrackEntries): a .cue at its place in that order, the tracks whose file is of a
    // chosen type, and the image it names is left out; a FLAC, WavPack or APE image that
    // embeds a sheet becomes its tracks. Returns "" or
    // "指定されたパスにアクセスできません。" when the folder cannot be read (files found before
    // that stay). Nothing chosen: "".
    static QString Collect(clsArrayList& list, const QString& folder, int32_t getFileType,
                           bool includeSubFolders);

    // A walk of the whole file system from the root asks first (Yes/No, the program's title).
    static bool NeedsRootQuestion(const QString& folder, bool includeSubFolders);
    static bool IsRoot(const QString& path);
    static QString RootQuestionText(const QString& folder);

    // From `firstIndex` on, deletes every entry whose file name contains one of the words,
    // ignoring case. Folder names never cause a removal.
    static void RemoveIgnoredFiles(clsArrayList& list, int32_t firstIndex,
                                   const clsArrayList& ignoreWords);

    // What follows a collection into the playlist from index `firstIndex` (get files: 0, add
    // files: the count before): the ignore words when given, then, for a folder without
    // sub-folders, the sort by track of the new entries.
    static void TidyNewEntries(clsArrayList& list, int32_t firstIndex, const QString& folder,
                               const clsArrayList* ignoreWords,
                               const PlaylistOps::TrackLookup& lookup = PlaylistOps::TagTrackText);

    // From `firstIndex` on, deletes every entry whose path holds a line break (a name with a
    // line feed or carriage return, in the file or one of its folders): the playlist files
    // hold one entry per line, so such a name cannot be kept. Returns how many went.
    static int32_t RemoveLineBreakNames(clsArrayList& list, int32_t firstIndex);
    // What the user is told once per collection that left `count` names out.
    static QString LineBreakNamesText(int32_t count);

    enum class PathKind { Folder, AudioFile, PlaylistFile, Other };
    // A folder (links followed); else by the last three characters ignoring case: wma, mp3,
    // wav, cda, mid and cue are audio files, m3u a playlist file; anything else is passed over.
    static PathKind Classify(const QString& path);

    // Adds one dropped or start path: a folder is collected with its sub-folders whatever the
    // sub-folder option (ask NeedsRootQuestion(path, true) first), an audio file is appended
    // by AddFile (no type filter; a file of a type from bit 16 on only when its box is ticked),
    // a playlist file's lines by ReadPlaylistFile. Returns "" or the access message of a
    // folder that cannot be read.
    static QString AddPath(clsArrayList& list, const QString& path, int32_t getFileType);
    // One file as the playlist lists it: a .cue as its tracks (none when its files are
    // missing), an image that embeds a sheet as its tracks, anything else as it is.
    static void AddFile(clsArrayList& list, const QString& path);
    // Appends a playlist file's lines as modZAUtil::ReadLinesToList does; a line naming a .cue
    // becomes its tracks, every other line, a track entry among them, is kept as it is.
    static bool ReadPlaylistFile(const QString& path, clsArrayList& list, UserDialogs* dialogs,
                                 modZAUtil::IfMissing ifMissing);
};
