#pragma once

#include "core/UserDialogs.h"

// Passes every box on to the real dialogs until the program is asked to end; from then on no
// box is shown and each is answered as if cancelled (Cancel, No, nothing chosen), so a signal
// that ends the player can never leave it waiting on a box nobody will click.
//
// While a command from outside the window runs (the desktop's media controls, a hand-over),
// nobody waits at the window either: a message is shown without waiting (notify, one box at
// a time), and a question or chooser is answered as if cancelled. UI thread only.
class DismissibleDialogs : public UserDialogs {
public:
    explicit DismissibleDialogs(UserDialogs& shown) : shown_(shown) {}

    void DismissAll() { dismissed_ = true; }
    bool Dismissed() const { return dismissed_; }

    // Runs `command` with nobody at the window; nests.
    template <typename Command> void RunUnattended(Command&& command) {
        ++unattended_;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{unattended_};
        command();
    }
    bool Unattended() const { return unattended_ > 0; }

    Answer message(const QString& text, const QString& title, Buttons buttons,
                   Answer defaultButton) override;
    bool input(const QString& prompt, const QString& title, const QString& defaultText,
               QString& answer) override;
    QString chooseFolder(const QString& prompt, const QString& initialFolder) override;
    int32_t chooseColor() override;
    void notify(const QString& text, const QString& title) override;
    void placeNext(QPoint topLeft) override;

private:
    bool answersItself() const { return dismissed_ || unattended_ > 0; }

    UserDialogs& shown_;
    bool dismissed_ = false;
    int unattended_ = 0;
};
