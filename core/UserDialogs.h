#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>

// Every message box, input box, folder chooser and colour chooser of the program goes through
// this interface. The main window owns the real one; tests put in one that answers and records.
class UserDialogs {
public:
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
    enum Buttons { OkOnly, OkCancel, YesNo };

    virtual ~UserDialogs() = default;

    // Shows a message box; returns the button pressed (Cancel or No when the box is closed).
    virtual Answer message(const QString& text, const QString& title, Buttons buttons = OkOnly,
                           Answer defaultButton = Ok) = 0;
    // Asks for a line of text; false when cancelled.
    virtual bool input(const QString& prompt, const QString& title, const QString& defaultText,
                       QString& answer) = 0;
    // Returns the chosen folder, or "" when cancelled.
    virtual QString chooseFolder(const QString& prompt, const QString& initialFolder) = 0;
    // Returns the chosen colour as 0x00BBGGRR, or -1 when cancelled.
    virtual int32_t chooseColor() = 0;
    // Tells the user something without waiting: the box stays up while the program goes on,
    // and no event loop runs inside the call. One such box at a time: while it is open, a
    // newer text replaces the text it shows instead of opening another box.
    virtual void notify(const QString& text, const QString& title) = 0;
    // The next box shown is centred on the window at this point (screen pixels), the
    // top-left corner of a box of an assumed size centred there; one-shot. Without it a box is
    // centred on the main window.
    virtual void placeNext(QPoint topLeft) = 0;
};
