#include "WidgetHelpers.h"

#include "ListBox.h"
#include "core/modZAUtil.h"

#include <QLineEdit>

namespace modZAUtil {

void ShowListInListBox(ListBox& box, const clsArrayList& list) {
    box.setEntries(list.items(), &ListRowText);
}

void SelectAllText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
}

}  // namespace modZAUtil
