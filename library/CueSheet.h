#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

// A disc image's cue sheet: the sheet read from a .cue file or from a FLAC's metadata, the
// tracks it lays over its audio files, and how one such track is written as a playlist entry.
// Plain values and functions without state: any thread may call them.
struct CueSheet {
    // Times on a disc: flicks (1/705,600,000 s), which hold CD frames (1/75 s) and the samples
    // of every common rate (44.1, 48, 88.2, 96, 176.4 and 192 kHz) exactly.
    using Time = std::chrono::duration<int64_t, std::ratio<1, 705'600'000>>;
    using CdFrames = std::chrono::duration<int64_t, std::ratio<1, 75>>;

    struct Track {
        int number = 0;  // 1 to 99
        QString title;
        QString performer;
        std::optional<Time> index00;  // start of the pregap in the image
        std::optional<Time> index01;  // start of the track itself
        Time pregap{};                // PREGAP: silence the image does not hold
    };
    struct File {
        QString name;  // as the sheet writes it
        QList<Track> tracks;
        // INDEX 00 of the next file's first track when the ripper left it at the end of this
        // file: where this file's last track ends.
        std::optional<Time> nextPregap;
    };

    QString title;
    QString performer;
    QString date;   // REM DATE
    QString genre;  // REM GENRE
    QList<File> files;

    // The CD format's limit, kept for the whole sheet; a file holds at least one track.
    static constexpr int kMaxTracks = 99;
    static constexpr int kMaxFiles = 99;
    static constexpr qint64 kMaxBytes = qint64(1) << 20;
    static constexpr qsizetype kMaxTextChars = 1024;  // a title or name is cut there

    // Reads a sheet: encoding by modZAUtil::DecodeText (BOM, UTF-8, Shift_JIS, Windows-1252),
    // lines ending in CR LF, LF or CR, keywords in any letter case, names quoted or not. A line
    // it cannot read is left out; so is a TRACK past the 99th, of a number outside 1 to 99 or
    // seen before, of a type other than AUDIO, or before any FILE, with its lines. Times are
    // mm:ss:ff with ss below 60 and ff below 75. More than kMaxBytes gives an empty sheet.
    static CueSheet Parse(const QByteArray& bytes);
    // Parse over a regular file of at most kMaxBytes; nullopt when it cannot be read so.
    static std::optional<CueSheet> ReadFile(const QString& path);

    // The sheet embedded in an image: a FLAC's CUESHEET Vorbis comment, else its CUESHEET
    // metadata block (times from the STREAMINFO sample rate), or the Cuesheet item of an APEv2
    // tag (WavPack, Monkey's Audio, TTA). Album, artist, date and genre the sheet lacks come
    // from the same tags. The sheet names one file, the image itself (`imagePath`'s file
    // name), whatever the embedded text says. nullopt when the file holds no sheet with a track.
    static std::optional<CueSheet> ReadEmbedded(const QString& imagePath);

    // One track as the playlist lists it.
    struct ListedTrack {
        QString path;  // the audio file
        int number = 0;
        Time start{};             // INDEX 01
        std::optional<Time> end;  // nullopt: to the end of the file
        QString title;            // the track's, else "<image name> 03"
        QString performer;        // the track's, else the disc's
        QString album;            // the disc's title
        QString date;
        QString genre;
    };
    using FileExists = std::function<bool(const QString& path)>;

    // The tracks of `sheet`, in the order of its files and, within a file, of their starts.
    // A file is looked for in `folder` (the sheet's), by its name or, for a Windows path, by
    // its last part; when it is missing and exactly one file beside it has the same base name
    // and another audio extension (a .wav renamed .flac after the sheet was written), that
    // one. Tracks of a file that is not found are left out, so a sheet of missing files lists
    // nothing. A track ends where the next one's pregap starts (INDEX 00, else its INDEX 01);
    // the last of a file at the end of the file. A track without INDEX 01, or starting where
    // another does, is left out.
    static QList<ListedTrack> Tracks(const CueSheet& sheet, const QString& folder,
                                     const FileExists& exists);

    static std::chrono::milliseconds ToMilliseconds(Time time) {
        return std::chrono::floor<std::chrono::milliseconds>(time);
    }

    // A track in a playlist file is one line: the path of its .cue (or of the image that
    // embeds the sheet) followed by "?" and the track number, "/music/disc.cue?3". A list
    // without tracks is written as before. "?" is the subtune marker of Audacious, which writes
    // the same track as "file:///music/disc.cue?3"; that form is read too, and so are cmus's
    // "cue:///music/disc.cue/3" and qmmp's "cue:///music/disc.cue#3". A "?" cannot be in a
    // Windows file name; a Linux file actually named "disc.cue?3" is shadowed unless the
    // reader is told it exists. Other players see the plain form as a missing file and skip it.
    struct TrackReference {
        QString path;  // the .cue or the image
        int number = 0;
        bool operator==(const TrackReference&) const = default;
    };
    static QString EncodeTrackReference(const TrackReference& reference);
    // nullopt when `entry` is a path as any other: no marker and a number 1 to 99 after a name
    // ending in .cue or an extension that can embed a sheet (flac, wv, ape), or `isFile` says
    // a file of that very name exists.
    static std::optional<TrackReference> DecodeTrackReference(QStringView entry,
                                                              const FileExists& isFile = {});
};
