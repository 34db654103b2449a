#pragma once

#include "core/UserDialogs.h"

// Passes every box on to the real dialogs until the program is asked to end; from then on no
// box is shown and each is answered as if cancelled (Cancel, No, nothing chosen), so a signal
// that ends the player can never leave it waiting on a box nobody will click.
class DismissibleDialogs : public UserDialogs {
public:
    explicit DismissibleDialogs(UserDialogs& shown) : shown_(shown) {}

    void DismissAll() { dismissed_ = true; }
    bool Dismissed() const { return dismissed_; }

    Answer message(const QString& text, const QString& title, Buttons buttons,
                   Answer defaultButton) override;
    bool input(const QString& prompt, const QString& title, const QString& defaultText,
               QString& answer) override;
    QString chooseFolder(const QString& prompt, const QString& initialFolder) override;
    int32_t chooseColor() override;
    void placeNext(QPoint topLeft) override;

private:
    UserDialogs& shown_;
    bool dismissed_ = false;
};
