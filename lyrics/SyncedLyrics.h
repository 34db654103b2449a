#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

// Lyrics whose lines carry the time they are sung at (.lrc files, a .txt written the same way,
// an MP3's synced lyric frame): the lines in time order, without their tags. A plain value
// with no windows; any thread, one at a time.
//
// Tags read: time tags [mm:ss.xx], [mm:ss:xx], [mm:ss.xxx], [mm:ss], several in front of one
// line; [offset:±ms] (a positive offset shows every line that much sooner); header tags
// ([ti:], [ar:], [al:], [by:], [length:], ...), read and never shown; word timing <mm:ss.xx>
// inside a line, left out. Two lines of the same time are a line and its translation or
// reading, in file order.
class SyncedLyrics {
public:
    struct Line {
        std::chrono::milliseconds time{0};  // the file's offset applied
        QString text;
        QString translation;  // the lines of the same time after the first, one a line
    };

    // Reads `lines` of a lyric file. Synced when most of its text lines begin with a time
    // tag; otherwise the result is empty (isSynced() false) and the file is plain text.
    static SyncedLyrics Parse(const QStringList& lines);
    // Lines that come already timed (a synced lyric frame), in any order.
    static SyncedLyrics
    FromTimedTexts(std::vector<std::pair<std::chrono::milliseconds, QString>> texts);

    // `line` without its leading time tags and word-timing tags: what a window shows.
    static QString WithoutTags(QStringView line);

    bool isSynced() const { return !lines_.empty(); }
    const std::vector<Line>& lines() const { return lines_; }
    // The title the header names ([ti:]), else the first untimed text line, else empty.
    const QString& title() const { return title_; }

    // The line heard at `heard` with the lines moved later by `shift`: the last line whose
    // time has come, -1 before the first.
    int lineAt(std::chrono::milliseconds heard,
               std::chrono::milliseconds shift = std::chrono::milliseconds{0}) const;
    // How long after `heard` the line shown changes next; none after the last line.
    std::optional<std::chrono::milliseconds>
    nextChangeIn(std::chrono::milliseconds heard,
                 std::chrono::milliseconds shift = std::chrono::milliseconds{0}) const;

private:
    void addGrouped(std::vector<Line> timed);

    std::vector<Line> lines_;
    QString title_;
};
