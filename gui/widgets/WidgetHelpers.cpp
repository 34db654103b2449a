#include "WidgetHelpers.h"

#include "ClickLabel.h"
#include "ListBox.h"
#include "core/modZAUtil.h"
#include "library/TrackEntries.h"

#include <QLabel>
#include <QLineEdit>

namespace modZAUtil {

void ShowListInListBox(ListBox& box, const clsArrayList& list) {
    box.setEntries(list.items(), &TrackEntries::RowText);
}

void SelectAllText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
}

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

ClickLabel* MakeClickLabel(QWidget* parent, const QString& text, QRect geometry) {
    auto* l = new ClickLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

void PaintWidget(QWidget* w, const QColor& back, const QColor& fore) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, back);
    p.setColor(QPalette::Base, back);
    p.setColor(QPalette::Button, back);
    p.setColor(QPalette::WindowText, fore);
    p.setColor(QPalette::Text, fore);
    p.setColor(QPalette::ButtonText, fore);
    w->setPalette(p);
}

void MakeTransparent(QLabel* label) {
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
}

}  // namespace modZAUtil
