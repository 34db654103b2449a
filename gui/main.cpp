#include "AppFolder.h"
#include "CommandLine.h"
#include "QtTranslations.h"
#include "StartPath.h"
#include "core/FileAccess.h"
#include "desktop/RunningPlayer.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    // Only async-signal-safe work here: wake the event loop, which ends the player.
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

void useJapaneseFont(QApplication& app) {
    const QStringList wanted = {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("Noto Sans CJK JP")};
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : wanted) {
        if (installed.contains(family)) {
            QFont f(family);
            f.setPixelSize(12);
            app.setFont(f);
            return;
        }
    }
}

}  // namespace

namespace {

// Printing, refusing and remote commands need no window: they are done before the toolkit
// looks for a display. Returns the exit status, or nothing when the player is to start.
std::optional<int> actWithoutWindow(const CommandLine& line, int argc, char** argv) {
    switch (line.action) {
    case CommandLine::Action::Run:
        return std::nullopt;
    case CommandLine::Action::PrintHelp:
    case CommandLine::Action::PrintVersion:
        std::fputs(qUtf8Printable(line.text), stdout);
        return 0;
    case CommandLine::Action::Refuse:
        std::fputs(qUtf8Printable(line.text), stderr);
        return 2;
    case CommandLine::Action::Remote: {
        QCoreApplication core(argc, argv);
        if (RunningPlayer::Command(line.remoteMethod))
            return 0;
        std::fputs("zapt: ZAPT は起動していません。\n", stderr);
        return 1;
    }
    }
    return std::nullopt;
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

}  // namespace

int main(int argc, char** argv) {
    // The toolkit's own options (-platform, -style …) are not known yet: they pass for now.
    if (const auto status = actWithoutWindow(
            CommandLine::Parse(argumentsOf(argc, argv), /*strict=*/false), argc, argv))
        return *status;
    QApplication app(argc, argv);
    // Now that the toolkit has taken its options out of argv, anything unknown is refused.
    const CommandLine line = CommandLine::Parse(argumentsOf(argc, argv), /*strict=*/true);
    if (const auto status = actWithoutWindow(line, argc, argv))
        return *status;
    QApplication::setApplicationName(QStringLiteral("ZAPT"));
    QApplication::setQuitOnLastWindowClosed(false);
    useJapaneseFont(app);
    const auto qtJapanese = InstallQtJapanese(app);

    // Caught from before the window exists: a signal that comes while start-up runs waits in
    // the pipe until the first event loop (a box's or the main one) reads it.
    const bool signalsCaught = ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0;
    if (signalsCaught) {
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (int sig : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(sig, &sa, nullptr);
    }

    // From argv's own bytes (Qt has taken its options out of it): arguments() would decode a
    // file name that is not UTF-8 lossily, and the file could no longer be found.
    const QString startPath =
        line.startPathIndex > 0 ? modZAUtil::DecodePath(argv[line.startPathIndex]) : QString();
    // "Open with" while the player runs: the running player takes the path and plays it.
    if (!startPath.isEmpty() &&
        RunningPlayer::Open(StartPath::Absolute(startPath, QDir::currentPath())))
        return 0;
    frmMain window(AppFolder::Resolve(QApplication::applicationDirPath()), startPath);
    window.WantMediaControls();
    // The lock is held, but the name not yet on the bus: that player is still starting.
    window.SetHandOver(
        [](const QString& path) { return RunningPlayer::Open(path, std::chrono::seconds(5)); });

    if (signalsCaught) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
            char c;
            [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
            window.RequestEnd();
        });
    }

    // False when the player is not to run: refused, or asked to end during start-up (which
    // then saved what there was to save). The event loop is never started after that.
    if (!window.Form_Load())
        return 0;
    return QApplication::exec();
}
