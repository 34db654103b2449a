#include "QtUserDialogs.h"

#include "LayoutMath.h"
#include "settings/SchemeColor.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

// Every box is centred by its own size, on the main window or, after a placement request, on
// the window that holds the requested point (a box of an assumed size centred there), and kept
// on the screen. A box with no visible window to centre on is left where Qt puts it.
void QtUserDialogs::place(QDialog& dialog) {
    const std::optional<QPoint> requested = std::exchange(next_, std::nullopt);  // one-shot
    QWidget* main = owner_ && owner_->window()->isVisible() ? owner_->window() : nullptr;
    QWidget* over = main;
    if (requested) {
        for (QWidget* w : {QApplication::activeModalWidget(), QApplication::activeWindow(), main}) {
            if (w && w != &dialog && w->isVisible() && w->frameGeometry().contains(*requested)) {
                over = w;
                break;
            }
        }
        if (!over) {
            dialog.move(*requested);
            return;
        }
    }
    if (!over)
        return;
    dialog.ensurePolished();
    if (dialog.layout())
        dialog.layout()->activate();
    // Not shown yet, the box has no frame: it gets one like the window it is centred over.
    const QSize frameExtra = over->frameGeometry().size() - over->size();
    const QSize box = dialog.size() + frameExtra;
    QPoint at = LayoutMath::CenterOver(over->frameGeometry(), box);
    if (const QScreen* screen = over->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - box.width())));
        at.setY(
            std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - box.height())));
    }
    dialog.move(at);
}

UserDialogs::Answer QtUserDialogs::message(const QString& text, const QString& title,
                                           Buttons buttons, Answer defaultButton) {
    QMessageBox box(owner_);
    box.setWindowTitle(title);
    // Texts carry names and paths that may look like markup: shown as they are, and with no
    // icon beside them, only the text, the buttons and the title.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    QAbstractButton* ok = nullptr;
    QAbstractButton* cancel = nullptr;
    QAbstractButton* yes = nullptr;
    QAbstractButton* no = nullptr;
    switch (buttons) {
    case OkOnly:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        break;
    case OkCancel:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        break;
    case YesNo:
        yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        break;
    }
    auto* def = qobject_cast<QPushButton*>(defaultButton == Cancel ? cancel
                                           : defaultButton == Yes  ? yes
                                           : defaultButton == No   ? no
                                                                   : ok);
    if (def)
        box.setDefaultButton(def);
    if (cancel)
        box.setEscapeButton(cancel);
    else if (no)
        box.setEscapeButton(no);
    box.adjustSize();
    place(box);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == ok)
        return Ok;
    if (clicked == yes)
        return Yes;
    if (clicked == no || buttons == YesNo)
        return No;
    return buttons == OkOnly ? Ok : Cancel;
}

void QtUserDialogs::notify(const QString& text, const QString& title) {
    const bool open = notice_ && notice_->isVisible();
    if (!open) {  // a closed box deletes itself
        notice_ = new QMessageBox(owner_);
        notice_->setAttribute(Qt::WA_DeleteOnClose);
        notice_->setWindowModality(Qt::NonModal);
        notice_->setTextFormat(Qt::PlainText);
        notice_->setIcon(QMessageBox::NoIcon);
        notice_->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    }
    notice_->setWindowTitle(title);
    notice_->setText(text);
    notice_->adjustSize();
    if (!open) {
        place(*notice_);
        notice_->show();
    }
}

bool QtUserDialogs::input(const QString& prompt, const QString& title, const QString& defaultText,
                          QString& answer) {
    QInputDialog dialog(owner_);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    dialog.adjustSize();
    place(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    answer = dialog.textValue();
    return true;
}

QString QtUserDialogs::chooseFolder(const QString& prompt, const QString& initialFolder) {
    next_.reset();
    return QFileDialog::getExistingDirectory(owner_, prompt, initialFolder,
                                             QFileDialog::ShowDirsOnly);
}

int32_t QtUserDialogs::chooseColor() {
    QColorDialog dialog(owner_);
    dialog.setOption(QColorDialog::DontUseNativeDialog, false);
    for (int i = 0; i < QColorDialog::customCount() && i < 16; ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    place(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return SchemeColor::FromQColor(dialog.selectedColor());
}
