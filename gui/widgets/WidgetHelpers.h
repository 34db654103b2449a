#pragma once

#include "core/clsArrayList.h"

#include <QRect>

class ClickLabel;
class ListBox;
class QColor;
class QLabel;
class QWidget;

// The shared routines that work on controls; the rest of modZAUtil needs no widget.
namespace modZAUtil {

// One row per entry: the file name without its extension, a track by its title
// (TrackEntries::RowText).
void ShowListInListBox(ListBox& box, const clsArrayList& list);
// Selects the whole text of a line edit; other controls are left alone.
void SelectAllText(QWidget* control);
// A label of `parent` with its text, at a place of its own.
QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry);
ClickLabel* MakeClickLabel(QWidget* parent, const QString& text, QRect geometry);
// A control's background and text in the player's colours.
void PaintWidget(QWidget* w, const QColor& back, const QColor& fore);
// The coloured strip behind a label shows through it.
void MakeTransparent(QLabel* label);

}  // namespace modZAUtil
