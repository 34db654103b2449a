#pragma once

#include <QByteArray>
#include <QString>

// The picture of a song: the front cover (else the first picture) that the file carries in an
// ID3v2 tag (at its start, or in the ID3 chunk of a WAV or AIFF file), a FLAC picture block, a
// METADATA_BLOCK_PICTURE comment of Ogg Vorbis or Opus, or an MP4 "covr" item; else a cover,
// folder or front image (.jpg, .jpeg, .png) in the song's folder.
//
// Every read is bounded: a tag, block, comment or image file larger than kMaxPictureBytes gives
// no picture, so a damaged or hostile file costs at most that much memory. Any thread: each
// call opens the files on its own.
namespace SongPicture {

inline constexpr qint64 kMaxPictureBytes = qint64(16) << 20;

struct Picture {
    QByteArray bytes;     // the image file as stored (JPEG, PNG, …), empty when there is none
    QString description;  // the tag's words for it, often empty
};

// The picture the song file itself carries.
Picture Embedded(const QString& songPath);

// The path of a cover, folder or front image beside the song, or "".
QString FileBeside(const QString& songPath);

// The embedded picture, else the image beside the song.
Picture Find(const QString& songPath);

}  // namespace SongPicture
