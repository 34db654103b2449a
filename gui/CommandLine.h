#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: `zapt [options] [path]`. No window and no bus: main acts on
// the answer. Any thread.
class CommandLine {
public:
    enum class Action {
        Run,           // start the player (with the start path, if one is given)
        PrintHelp,     // print `text` on stdout and end with 0
        PrintVersion,  // print `text` on stdout and end with 0
        Remote,        // send `remoteMethod` to the running player and end
        Refuse,        // print `text` on stderr and end with 2
    };

    Action action = Action::Run;
    QString text;
    QString remoteMethod;     // a method of the media-control interface: "PlayPause", "Next", …
    int startPathIndex = -1;  // the start path's place in `arguments`, -1 when none is given

    // `arguments` as main received them, the program first. With `strict` unset an option that
    // is not the player's own (a toolkit option such as -platform, not yet taken out) is
    // passed over; set, it is refused.
    static CommandLine Parse(const QStringList& arguments, bool strict);
};
