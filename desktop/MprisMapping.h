#pragma once

#include "playback/VolumeControl.h"
#include "settings/PlayModes.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <optional>

// What the media-control interface of the desktop (MPRIS 2) sees of the player, and how its
// requests land on the player's own settings. No bus and no window: the adaptors ask these.
class MprisMapping {
public:
    // The play-number and repeat settings of the option store.
    struct Modes {
        PlayCount playNumber = PlayCount::AllSongs;
        RepeatMode repeatMode = RepeatMode::On;
        friend bool operator==(const Modes&, const Modes&) = default;
    };

    // "Track" (one song again and again), "Playlist" (all songs, from the top again; random
    // over all songs) or "None" (stops after the song or after the last row).
    static QString LoopStatus(Modes modes);
    static bool Shuffle(Modes modes) { return modes.repeatMode == RepeatMode::Random; }
    // The modes for a requested loop status, keeping random where the status allows it (one
    // song again and again is never random); nothing for an unknown status.
    static std::optional<Modes> WithLoopStatus(Modes current, const QString& loopStatus);
    // Random on or off, keeping what the loop status says where it can.
    static Modes WithShuffle(Modes current, bool shuffle);

    // 0.0–1.0 from the soft volume (0–100 a channel): the louder channel.
    static double Volume(StereoVolume soft);
    // The soft volume for a requested 0.0–1.0 (clamped): the louder channel gets it and the
    // balance between the channels stays.
    static StereoVolume SoftVolumeFor(double volume, StereoVolume current);

    static qlonglong Microseconds(int32_t seconds) { return qlonglong(seconds) * 1000000; }
    // The whole second a relative seek of `offset` microseconds lands on; nothing when it
    // runs past the end of the song (the next song is then due). Before the start is 0.
    static std::optional<int32_t> SeekTarget(int32_t position, qlonglong offset, int32_t length);
    // The whole second SetPosition asks for; nothing when it lies outside the song.
    static std::optional<int32_t> PositionTarget(qlonglong position, int32_t length);

    // The object path that names the `serial`-th song started in this run.
    static QString TrackId(quint64 serial);
    static QString NoTrack() { return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"); }

    // The song's tag fields, as the player read them.
    struct Song {
        QString path;
        QString title;
        QString artist;
        QString album;
        QString track;  // "3" or "3/12"
        int32_t lengthSeconds = 0;
        QString artPath;  // a picture of the song in a file, or ""
    };
    // mpris:trackid, mpris:length, xesam:title (the file name without its extension when the
    // tag has none), xesam:artist (a list), xesam:album, xesam:trackNumber, xesam:url and
    // mpris:artUrl; fields the song lacks are left out.
    static QVariantMap Metadata(const Song& song, quint64 serial);

    // A file: URL that names the file by its bytes, so a name that is not UTF-8 (Shift_JIS
    // from a Japanese archive) is written as GIO writes it: each byte percent-encoded.
    static QString FileUrl(const QString& path);
    // The media types the player opens, as the desktop entry lists them too.
    static QStringList SupportedMimeTypes();
    // The path a file: URL names, its percent-encoded bytes taken as the file system's bytes;
    // nothing for another scheme, a remote host or a name with a zero byte.
    static std::optional<QString> LocalPath(const QString& url);

    // The entries of `now` whose values differ from `before` (or are new).
    static QVariantMap Changed(const QVariantMap& before, const QVariantMap& now);
};
