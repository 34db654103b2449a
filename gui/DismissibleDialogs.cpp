#include "DismissibleDialogs.h"

UserDialogs::Answer DismissibleDialogs::message(const QString& text, const QString& title,
                                                Buttons buttons, Answer defaultButton) {
    if (!answersItself())
        return shown_.message(text, title, buttons, defaultButton);
    switch (buttons) {
    case OkOnly:
        if (!dismissed_)
            shown_.notify(text, title);
        return Ok;
    case OkCancel:
        return Cancel;
    case YesNo:
        return No;
    }
    return Cancel;
}

bool DismissibleDialogs::input(const QString& prompt, const QString& title,
                               const QString& defaultText, QString& answer) {
    return !answersItself() && shown_.input(prompt, title, defaultText, answer);
}

QString DismissibleDialogs::chooseFolder(const QString& prompt, const QString& initialFolder) {
    return answersItself() ? QString() : shown_.chooseFolder(prompt, initialFolder);
}

int32_t DismissibleDialogs::chooseColor() {
    return answersItself() ? -1 : shown_.chooseColor();
}

void DismissibleDialogs::notify(const QString& text, const QString& title) {
    if (!dismissed_)
        shown_.notify(text, title);
}

void DismissibleDialogs::placeNext(QPoint topLeft) {
    shown_.placeNext(topLeft);
}
