#pragma once

#include "core/clsArrayList.h"

class ListBox;
class QWidget;

// The shared routines that work on controls; the rest of modZAUtil needs no widget.
namespace modZAUtil {

// One row per entry: the file name without its extension (ListRowText).
void ShowListInListBox(ListBox& box, const clsArrayList& list);
// Selects the whole text of a line edit; other controls are left alone.
void SelectAllText(QWidget* control);

}  // namespace modZAUtil
