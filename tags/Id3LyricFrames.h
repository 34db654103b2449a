#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <utility>
#include <vector>

// The lyrics an MP3 carries in its ID3v2 tag: the synced lyric frame (SYLT, SLT in 2.2) and
// the plain one (USLT, ULT), the first of each. Read only; any thread, no shared state.
class Id3LyricFrames {
public:
    using TimedText = std::pair<std::chrono::milliseconds, QString>;

    QString plain;                  // the plain lyrics, lines parted by line breaks
    std::vector<TimedText> synced;  // the synced texts as stored (a leading line break each
                                    // starts a new line, see SyncedLines)

    bool isEmpty() const { return plain.isEmpty() && synced.empty(); }

    // The tag at the start of the file at `path`; nothing when it has none or cannot be read.
    static Id3LyricFrames Read(const QString& path);
    // From the bytes of a whole tag, its 10-byte header first.
    static Id3LyricFrames FromTag(const QByteArray& tag);

    // The synced texts as lines: where the texts mark new lines with a leading line break,
    // the texts between are pieces (syllables, words) of one line timed at its first;
    // otherwise each text is a line.
    std::vector<TimedText> SyncedLines() const;

    static constexpr qint64 kMaxTagBytes = qint64(16) << 20;
    static constexpr size_t kMaxTexts = 5000;
};
