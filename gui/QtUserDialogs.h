#pragma once

#include "core/UserDialogs.h"

#include <QMessageBox>
#include <QPointer>
#include <optional>

class QWidget;
class QDialog;

// The real boxes: Qt's message box, input dialog, folder chooser and colour chooser, owned by
// the main window and centred on it by their own size (place). UI thread only.
class QtUserDialogs : public UserDialogs {
public:
    explicit QtUserDialogs(QWidget* owner) : owner_(owner) {}

    Answer message(const QString& text, const QString& title, Buttons buttons,
                   Answer defaultButton) override;
    bool input(const QString& prompt, const QString& title, const QString& defaultText,
               QString& answer) override;
    QString chooseFolder(const QString& prompt, const QString& initialFolder) override;
    int32_t chooseColor() override;
    void notify(const QString& text, const QString& title) override;
    void placeNext(QPoint topLeft) override { next_ = topLeft; }

private:
    void place(QDialog& dialog);

    QPointer<QWidget> owner_;
    std::optional<QPoint> next_;
    QPointer<QMessageBox> notice_;  // the box notify shows, while it is open
};
