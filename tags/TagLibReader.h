#pragma once

#include <QString>

// Title, artist, album, track, year and the readings of a file that is not MP3, through
// TagLib: Vorbis comments (FLAC, Ogg Vorbis, Opus), MP4 atoms, ASF attributes, RIFF INFO and a
// WAV's ID3 chunk, APE tags. Text without its own encoding (RIFF INFO, ID3 encoding 0, ID3v1) goes
// through TagText::DecodeUnmarked like every other such text. Any thread may call it.
namespace TagLibReader {

struct Fields {
    QString title, artist, album, track, year;
    // The "sort" fields: Vorbis ARTISTSORT and the like, MP4 soar, sonm, soal and soaa.
    QString titleReading, artistReading, albumReading, albumArtist, albumArtistReading;
};

// False when TagLib knows no tag in the file (an unknown or damaged file: never a crash).
bool Read(const QByteArray& nativePath, Fields& fields);

}  // namespace TagLibReader
