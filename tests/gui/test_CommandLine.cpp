// What the command line asks of the player, as the parser reads it.
#include "gui/CommandLine.h"

#include <gtest/gtest.h>

using Action = CommandLine::Action;

TEST(CommandLine, OptionsAndTheStartPath) {
    const struct {
        QStringList args;
        bool strict;
        Action action;
        QString method;
        int startPathIndex;
    } cases[] = {
        {{}, true, Action::Run, {}, -1},
        {{u"/music/a.mp3"_qs}, true, Action::Run, {}, 1},
        {{u"--"_qs, u"-x.mp3"_qs}, true, Action::Run, {}, 2},
        {{u"-"_qs}, true, Action::Run, {}, 1},
        {{u"a.mp3"_qs, u"b.mp3"_qs}, true, Action::Run, {}, 1},
        {{u"--help"_qs}, true, Action::PrintHelp, {}, -1},
        {{u"-h"_qs, u"--bogus"_qs}, true, Action::PrintHelp, {}, -1},
        {{u"--version"_qs}, true, Action::PrintVersion, {}, -1},
        {{u"--play-pause"_qs}, true, Action::Remote, u"PlayPause"_qs, -1},
        {{u"--stop"_qs}, true, Action::Remote, u"Stop"_qs, -1},
        {{u"--next"_qs}, true, Action::Remote, u"Next"_qs, -1},
        {{u"--previous"_qs}, true, Action::Remote, u"Previous"_qs, -1},
        {{u"--bogus"_qs}, true, Action::Refuse, {}, -1},
        {{u"-x.mp3"_qs}, true, Action::Refuse, {}, -1},
        // Before the toolkit has taken its own options out, they pass.
        {{u"-platform"_qs, u"offscreen"_qs, u"--next"_qs}, false, Action::Remote, u"Next"_qs, -1},
        {{u"-platform"_qs, u"offscreen"_qs}, false, Action::Run, {}, 2},
    };
    for (const auto& c : cases) {
        const CommandLine line = CommandLine::Parse(QStringList{u"zapt"_qs} + c.args, c.strict);
        const std::string name = c.args.join(u' ').toStdString();
        EXPECT_EQ(line.action, c.action) << name;
        EXPECT_EQ(line.remoteMethod, c.method) << name;
        EXPECT_EQ(line.startPathIndex, c.startPathIndex) << name;
        EXPECT_EQ(line.action == Action::Refuse, line.text.startsWith(u"zapt: "_qs)) << name;
    }
}
