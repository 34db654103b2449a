#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>

// The options dialog's rules that need no widget: the blank time as the dialog shows and reads
// it, the folder-choice action bits, and the lyric folder's size limit.
namespace OptionRules {

// The blank time box shows seconds: 3000 ms as "3", 1500 ms as "1.5".
QString BlankText(std::chrono::milliseconds blank);
// The whole seconds of the box's number ("2.7" gives 2 s). Nothing for a text that is not a
// number, is negative or does not fit the 16-bit setting (milliseconds).
std::optional<std::chrono::milliseconds> BlankTime(const QString& text);
// The text after an arrow key in the blank box: the text read as a whole number, then one up
// (only from 9 or less) or one down (only from 1 or more).
QString BlankStep(const QString& text, bool up);
inline constexpr int kBlankStepMaximum = 10;

// The folder-choice action: 0 nothing, 1 get files, 2 add files; then, only with one of those,
// + 4 play and + 8 shuffle.
int16_t SetDirAction(int chosen, bool play, bool shuffle);

inline constexpr qint64 kLyricFolderLimit = 200'000'000;
// True when `folder` exists and its files, in it and every sub-folder, total more than `limit`
// bytes. Stops counting as soon as the total passes the limit; links are not followed, so a
// link loop is walked once.
bool FolderLargerThan(const QString& folder, qint64 limit = kLyricFolderLimit);

}  // namespace OptionRules
