#pragma once

#include "settings/clsOption.h"

#include <QByteArray>
#include <QString>

// Text of tags as the readers turn bytes into characters: text with no encoding of its own
// follows the user's choice (UnmarkedText), and Japanese text that an older tool read as
// Latin-1 and saved again as UTF-16 or UTF-8 is given back. The choice holds for the whole
// process; any thread may call these.
namespace TagText {

void SetUnmarkedText(UnmarkedText choice);
UnmarkedText UnmarkedTextInUse();

// Bytes without an encoding mark: a byte-order mark or valid UTF-8 read as such, the rest as
// the choice says (Auto: modZAUtil::DecodeText's guess between Shift_JIS and Windows-1252).
QString DecodeUnmarked(const QByteArray& bytes);

// "îMå¤" back to 情熱大陸: when every character is below U+0100 and the bytes they make read
// as Japanese by DecodeText's rule. Other text, and all text while the choice is Western, is
// returned unchanged.
QString RepairMisreadShiftJis(QString text);

}  // namespace TagText
