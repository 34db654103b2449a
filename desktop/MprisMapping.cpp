#include "MprisMapping.h"

#include "core/FileAccess.h"

#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cmath>

QString MprisMapping::LoopStatus(Modes modes) {
    if (modes.repeatMode == RepeatMode::Off)
        return QStringLiteral("None");
    if (modes.playNumber == PlayCount::AllSongs)
        return QStringLiteral("Playlist");
    // One song: repeated when repeat is on; in random mode one random song and then a stop.
    return modes.repeatMode == RepeatMode::On ? QStringLiteral("Track") : QStringLiteral("None");
}

std::optional<MprisMapping::Modes> MprisMapping::WithLoopStatus(Modes current,
                                                                const QString& loopStatus) {
    const bool random = Shuffle(current);
    if (loopStatus == QLatin1String("Track"))
        return Modes{PlayCount::OneSong, RepeatMode::On};
    if (loopStatus == QLatin1String("Playlist"))
        return Modes{PlayCount::AllSongs, random ? RepeatMode::Random : RepeatMode::On};
    if (loopStatus == QLatin1String("None"))
        return random ? Modes{PlayCount::OneSong, RepeatMode::Random}
                      : Modes{current.playNumber, RepeatMode::Off};
    return std::nullopt;
}

MprisMapping::Modes MprisMapping::WithShuffle(Modes current, bool shuffle) {
    if (shuffle == Shuffle(current))
        return current;
    const QString loop = LoopStatus(current);
    if (shuffle)
        return {loop == QLatin1String("None") ? PlayCount::OneSong : PlayCount::AllSongs,
                RepeatMode::Random};
    return loop == QLatin1String("Playlist") ? Modes{PlayCount::AllSongs, RepeatMode::On}
                                             : Modes{current.playNumber, RepeatMode::Off};
}

double MprisMapping::Volume(StereoVolume soft) {
    return std::clamp(std::max(soft.left, soft.right), 0, 100) / 100.0;
}

StereoVolume MprisMapping::SoftVolumeFor(double volume, StereoVolume current) {
    if (!std::isfinite(volume))
        return current;
    const int32_t loud = static_cast<int32_t>(std::lround(std::clamp(volume, 0.0, 1.0) * 100));
    const int32_t max = std::max(current.left, current.right);
    if (max <= 0)
        return {loud, loud};
    auto scaled = [&](int32_t channel) {
        return static_cast<int32_t>(std::lround(double(channel) * loud / max));
    };
    return {scaled(current.left), scaled(current.right)};
}

std::optional<int32_t> MprisMapping::SeekTarget(int32_t position, qlonglong offset,
                                                int32_t length) {
    const double target = position + double(offset) / 1e6;
    if (target >= length)
        return std::nullopt;
    return static_cast<int32_t>(std::max(0.0, std::floor(target)));
}

std::optional<int32_t> MprisMapping::PositionTarget(qlonglong position, int32_t length) {
    if (position < 0 || position > Microseconds(length))
        return std::nullopt;
    return static_cast<int32_t>(position / 1000000);
}

QString MprisMapping::TrackId(quint64 serial) {
    return QStringLiteral("/org/zapt/track/") + QString::number(serial);
}

QVariantMap MprisMapping::Metadata(const Song& song, quint64 serial) {
    QVariantMap m;
    if (song.path.isEmpty())
        return m;
    m.insert(QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath(TrackId(serial))));
    if (song.lengthSeconds > 0)
        m.insert(QStringLiteral("mpris:length"), Microseconds(song.lengthSeconds));
    m.insert(QStringLiteral("xesam:title"),
             song.title.isEmpty() ? QFileInfo(song.path).completeBaseName() : song.title);
    if (!song.artist.isEmpty())
        m.insert(QStringLiteral("xesam:artist"), QStringList{song.artist});
    if (!song.album.isEmpty())
        m.insert(QStringLiteral("xesam:album"), song.album);
    bool isNumber = false;
    const int track = song.track.section(QLatin1Char('/'), 0, 0).trimmed().toInt(&isNumber);
    if (isNumber && track > 0)
        m.insert(QStringLiteral("xesam:trackNumber"), track);
    m.insert(QStringLiteral("xesam:url"), FileUrl(song.path));
    if (!song.artPath.isEmpty())
        m.insert(QStringLiteral("mpris:artUrl"), FileUrl(song.artPath));
    return m;
}

QStringList MprisMapping::SupportedMimeTypes() {
    return {QStringLiteral("audio/mpeg"),         QStringLiteral("audio/x-wav"),
            QStringLiteral("audio/x-ms-wma"),     QStringLiteral("audio/midi"),
            QStringLiteral("audio/flac"),         QStringLiteral("audio/ogg"),
            QStringLiteral("audio/x-vorbis+ogg"), QStringLiteral("audio/x-opus+ogg"),
            QStringLiteral("audio/mp4"),          QStringLiteral("audio/x-mpegurl"),
            QStringLiteral("audio/x-ape"),        QStringLiteral("audio/x-wavpack"),
            QStringLiteral("audio/x-tta"),        QStringLiteral("audio/aiff"),
            QStringLiteral("audio/x-aiff"),       QStringLiteral("audio/x-matroska"),
            QStringLiteral("audio/webm"),         QStringLiteral("audio/ac3"),
            QStringLiteral("audio/x-dsf"),        QStringLiteral("audio/x-dff"),
            QStringLiteral("application/x-cue")};
}

QString MprisMapping::FileUrl(const QString& path) {
    // The characters QUrl leaves as they are in a path stay so too; every other byte is encoded.
    return QStringLiteral("file://") +
           QString::fromLatin1(modZAUtil::NativePath(path).toPercentEncoding("/!$&'()*+,;=:@"));
}

std::optional<QString> MprisMapping::LocalPath(const QString& url) {
    const QUrl parsed(url);
    if (!parsed.isValid() || !parsed.isLocalFile() ||
        !(parsed.host().isEmpty() || parsed.host() == QLatin1String("localhost")))
        return std::nullopt;
    // A percent-encoded byte that is no UTF-8 stays encoded in the fully encoded path, so the
    // bytes come back exactly as the sender encoded them.
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(parsed.path(QUrl::FullyEncoded).toLatin1());
    if (bytes.isEmpty() || bytes.contains('\0'))
        return std::nullopt;
    return modZAUtil::DecodePath(bytes);
}

QVariantMap MprisMapping::Changed(const QVariantMap& before, const QVariantMap& now) {
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const auto old = before.constFind(it.key());
        if (old == before.cend() || old.value() != it.value())
            changed.insert(it.key(), it.value());
    }
    return changed;
}
