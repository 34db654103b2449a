#include "DismissibleDialogs.h"

UserDialogs::Answer DismissibleDialogs::message(const QString& text, const QString& title,
                                                Buttons buttons, Answer defaultButton) {
    if (!dismissed_)
        return shown_.message(text, title, buttons, defaultButton);
    switch (buttons) {
    case OkOnly:
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
    return !dismissed_ && shown_.input(prompt, title, defaultText, answer);
}

QString DismissibleDialogs::chooseFolder(const QString& prompt, const QString& initialFolder) {
    return dismissed_ ? QString() : shown_.chooseFolder(prompt, initialFolder);
}

int32_t DismissibleDialogs::chooseColor() {
    return dismissed_ ? -1 : shown_.chooseColor();
}

void DismissibleDialogs::placeNext(QPoint topLeft) {
    shown_.placeNext(topLeft);
}
