#include "clsOption.h"

#include "core/modZAUtil.h"

#include <QStringList>
#include <QStringTokenizer>
#include <cmath>
#include <optional>

clsOption::clsOption() {
    InitializeOption();
    InitializePlayerColor();
}

void clsOption::InitializeOption() {
    num_[0] = 600;   // PositionX
    num_[1] = 600;   // PositionY
    num_[2] = 600;   // FormWidthNormal
    num_[3] = 450;   // FormHeightNormal
    num_[4] = 0;     // OptionTab
    num_[5] = 1;     // PlayNumber
    num_[6] = 1;     // RepeatMode
    num_[7] = 1;     // TimerMode
    num_[8] = 0;     // BlankSec
    num_[9] = 0;     // TimerShuffleFlg
    num_[10] = 1;    // TimerSaveFlg
    num_[11] = 99;   // StartHour
    num_[12] = 99;   // StartMinute
    num_[13] = 99;   // StopHour
    num_[14] = 99;   // StopMinute
    num_[15] = 0;    // FirstAction
    num_[16] = 0;    // SetCurrentPathAction
    num_[17] = 255;  // GetFileType: every type the player knows
    num_[18] = 100;  // VagueSearch
    num_[19] = 100;  // PrimaryCurrentPath
    num_[21] = 0;    // TimerStopMode
    num_[22] = -1;   // LastPlayIndex
    num_[25] = 0;    // LyricFormWidth
    num_[26] = 0;    // LyricFormHeight
    num_[27] = 0;    // DispLyricFlg
    num_[29] = 300;  // FormWidthMini
    num_[30] = 300;  // FormHeightMini
    num_[31] = 0;    // DispTimeType
    num_[33] = 0;    // TrayIcon
    num_[34] = 100;  // SoftVolumeLeft
    num_[35] = 100;  // SoftVolumeRight
    num_[36] = 1;    // MakeLyricListAuto
    num_[37] = 0;    // AutoSmallWindow
    num_[38] = 0;    // IgnoreWord
    num_[39] = 0;    // UnmarkedText: Auto
    num_[40] = 511;  // the file types from bit 256 on: all nine
    num_[kGainMode] = static_cast<int16_t>(::GainMode::AlbumInOrder);
    num_[kPreampTenthsDb] = 0;
    num_[kPreventClipping] = 1;
    num_[kResume] = 0;
    num_[kResumeSecond] = 0;
    num_[kResumeFileCheck] = 0;
    for (int i = 0; i < kEntryCount; ++i)
        entryPathName_[i] = QString::number(i + 1) + QStringLiteral("Folder");
}

void clsOption::InitializePlayerColor() {
    static constexpr std::array<int32_t, kColorCount> defaults = {
        kButtonFaceColor, kButtonFaceColor, 1315860,  1315860,  16777215, 1315860,  16777215,
        1315860,          16777215,         16777215, 16777215, 16777215, 16770720, 1315860,
        8421631,          1315860,          16777215, 1315860,  16777215, 16762880, 16744448};
    colors_ = defaults;
}

void clsOption::setLine(QString& setting, const QString& v) {
    if (!modZAUtil::HasLineBreak(v))
        setting = v;
}

namespace {

// The number a field starts with, read the way files of older versions were written: leading
// blanks skipped, an optional sign, digits with an optional fraction, halves rounded to even; a
// field that starts with no number is 0.
double leadingNumber(const QString& field) {
    qsizetype i = 0;
    const qsizetype n = field.size();
    while (i < n && (field[i] == u' ' || field[i] == u'\t'))
        ++i;
    QString text;
    if (i < n && (field[i] == u'-' || field[i] == u'+'))
        text += field[i++];
    bool digits = false;
    while (i < n && field[i].isDigit() && field[i].unicode() < 128) {
        text += field[i++];
        digits = true;
    }
    if (i < n && field[i] == u'.') {
        text += field[i++];
        while (i < n && field[i].isDigit() && field[i].unicode() < 128) {
            text += field[i++];
            digits = true;
        }
    }
    if (!digits)
        return 0;
    return std::nearbyint(text.toDouble());  // default rounding mode: halves to even
}

template <typename T> std::optional<T> fieldValue(const QString& field, double lo, double hi) {
    const double v = leadingNumber(field);
    if (!(v >= lo && v <= hi))
        return std::nullopt;
    return static_cast<T>(v);
}

// The first `count` lines of the file at most: the rest is never used, however many there are.
QStringList splitLines(const QString& text, qsizetype count) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n && lines.size() < count) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines << text.mid(start, end - start);
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            end += 2;
        else
            end += 1;
        start = end;
    }
    return lines;
}

// Reads the first fields of `line` into `values`; the fields past them are never split off.
template <typename T, size_t N>
void readFields(const QString& line, const QString& sep, std::array<T, N>& values, double lo,
                double hi) {
    size_t i = 0;
    for (QStringView field : QStringTokenizer(line, sep)) {
        if (i == N)
            break;
        if (auto v = fieldValue<T>(field.toString(), lo, hi))
            values[i] = *v;
        ++i;
    }
}

}  // namespace

bool clsOption::ReadOption(const QString& fileName, const QString& terminated) {
    QByteArray bytes;
    if (modZAUtil::ReadFileBytes(fileName, bytes) != modZAUtil::ReadStatus::Ok)
        return false;
    const QStringList lines = splitLines(modZAUtil::DecodeText(bytes), 10);
    const QString sep = terminated.isEmpty() ? QStringLiteral(",") : terminated;

    if (!lines.isEmpty() && !lines[0].isEmpty()) {
        num_[kMoreFileTypes] = 0;
        readFields(lines[0], sep, num_, -32768, 32767);
    }
    if (lines.size() > 1 && !lines[1].isEmpty())
        readFields(lines[1], sep, colors_, -2147483648.0, 2147483647.0);
    QString* strings[] = {&folders_[0],       &folders_[1],      &entryPath_[0],
                          &entryPath_[1],     &entryPath_[2],    &entryPathName_[0],
                          &entryPathName_[1], &entryPathName_[2]};
    for (int i = 0; i < 8 && i + 2 < lines.size(); ++i)
        *strings[i] = lines[i + 2];
    return true;
}

bool clsOption::WriteOption(const QString& fileName, const QString& terminated) const {
    QStringList numbers;
    for (int16_t v : num_)
        numbers << QString::number(v);
    QStringList colors;
    for (int32_t c : colors_)
        colors << QString::number(c);
    const QStringList lines = {numbers.join(terminated),
                               colors.join(terminated),
                               folders_[0],
                               folders_[1],
                               entryPath_[0],
                               entryPath_[1],
                               entryPath_[2],
                               entryPathName_[0],
                               entryPathName_[1],
                               entryPathName_[2]};
    // The setters let no line break in; should one get here all the same, the old file stays,
    // rather than every later line moving up one place.
    QByteArray out;
    for (const QString& line : lines) {
        if (modZAUtil::HasLineBreak(line))
            return false;
        out += line.toUtf8() + "\r\n";
    }
    return modZAUtil::WriteFileAtomically(fileName, out);
}
