#pragma once

#include "core/clsArrayList.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// Colour pattern files: one line of the scheme's 21 colours, signed decimal, comma-separated,
// kept as <name>.col in the "color" folder of the application folder. No windows: the options
// dialog asks the questions and shows the messages.
class ColorPattern {
public:
    static constexpr int kColorCount = 21;
    using Colors = std::array<int32_t, kColorCount>;

    explicit ColorPattern(const QString& applicationFolder);

    QString Folder() const;

    // The file's line: the colours in index order joined by commas, ending in CR LF.
    static QByteArray Line(const Colors& colors);
    // Writes the line through a temporary file; false when it could not be written.
    static bool WriteColorPattern(const QString& path, const Colors& colors);
    // Reads the first 21 fields of the first line. A file that cannot be read, or whose line has
    // fewer fields or a field that is not a 32-bit whole number, gives false and leaves `colors`
    // as it was.
    static bool ReadColorPattern(const QString& path, Colors& colors);

    // Fills ColorPatternFiles with the full path of every file of the folder whose name ends in
    // ".col" in exactly that letter case, in name order.
    void LoadColorPatternNames();
    // The row shown for a pattern file: its file name without ".col".
    static QString NameOf(const QString& path);
    // A typed name that cannot be a file of the folder: empty, "/" or NUL inside, "." or "..".
    static bool IsValidName(const QString& name);
    // <folder>/<name>.col, or "" for a name IsValidName refuses.
    QString PathForName(const QString& name) const;
    // Deletes the file of row `row` and its entry; false (nothing changed) when that fails.
    bool DeleteEntry(int32_t row);
    // The row to select after deleting `row`: the same index when it still exists, else the one
    // before it; -1 when the list is empty.
    static int32_t SelectionAfterDelete(int32_t row, int32_t countAfter);

    clsArrayList ColorPatternFiles;

private:
    QString applicationFolder_;
};
