// Start-up to the first paint of the main window with a 32,767-entry last playlist, beside the
// toolkit's floor: an empty window showing the same rows in a list view of uniform rows.
// Peak memory of each is measured in a child process of its own (--peak zapt|floor).
#include "gui/MainWindowDriver.h"
#include "gui/frmMain.h"
#include "support/FakeDialogs.h"

#include <QApplication>
#include <QListView>
#include <QProcess>
#include <QStringListModel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kRows = 32767;

QStringList playlistLines() {
    QStringList lines;
    lines.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        lines << QStringLiteral("/home/user/Music/Artist %1/Album %2/%3 Song title number %4.mp3")
                     .arg(i % 97)
                     .arg(i % 13)
                     .arg(i % 20 + 1, 2, 10, QLatin1Char('0'))
                     .arg(i);
    return lines;
}

void writePlaylist(const QString& folder, const QStringList& lines) {
    QFile f(folder + QStringLiteral("/ZAlog.m3u"));
    if (!f.open(QIODevice::WriteOnly))
        std::abort();
    f.write(lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
}

// Waits until `widget` has painted once.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void waitForPaint(PaintWatch& watch) {
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void startZapt(const QString& folder) {
    frmMain window(folder, QString(), std::make_unique<FakeDialogs>());
    PaintWatch watch(ui(window).lstPlayList()->viewport());
    if (!window.Form_Load())
        std::abort();
    waitForPaint(watch);
    benchmark::DoNotOptimize(window.PlayList.Count());
}

void startFloor(const QString& folder) {
    // The floor reads the same file and shows the same row texts.
    QFile f(folder + QStringLiteral("/ZAlog.m3u"));
    if (!f.open(QIODevice::ReadOnly))
        std::abort();
    QStringList rows =
        QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (QString& r : rows) {
        const QString name = r.mid(r.lastIndexOf(u'/') + 1);
        r = modZAUtil::WithoutExtension(name).toString();
    }
    QWidget window;
    auto* view = new QListView(&window);
    view->setUniformItemSizes(true);
    auto* model = new QStringListModel(rows, view);
    view->setModel(model);
    view->setGeometry(4, 54, 292, 184);
    window.resize(300, 300);
    PaintWatch watch(view->viewport());
    window.show();
    waitForPaint(watch);
}

template <void (*Start)(const QString&)> void BM_Startup(benchmark::State& state) {
    const QStringList lines = playlistLines();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        writePlaylist(dir.path(), lines);
        state.ResumeTiming();
        Start(dir.path());
    }
}

BENCHMARK_TEMPLATE(BM_Startup, startFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_TEMPLATE(BM_Startup, startZapt)->Unit(benchmark::kMillisecond)->MinTime(2.0);

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long childPeak(const char* self, const char* which) {
    QProcess p;
    p.start(QString::fromLocal8Bit(self), {QStringLiteral("--peak"), QString::fromLatin1(which)});
    p.waitForFinished(60000);
    return p.readAllStandardOutput().trimmed().toLong();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    if (argc == 3 && std::string_view(argv[1]) == "--peak") {
        QApplication app(argc, argv);
        QTemporaryDir dir;
        writePlaylist(dir.path(), playlistLines());
        if (std::string_view(argv[2]) == "zapt")
            startZapt(dir.path());
        else
            startFloor(dir.path());
        std::printf("%ld\n", peakKiB());
        return 0;
    }
    const long zaptPeak = childPeak(argv[0], "zapt");
    const long floorPeak = childPeak(argv[0], "floor");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("peak memory: zapt %ld KiB, floor %ld KiB, ratio %.2f\n", zaptPeak, floorPeak,
                floorPeak > 0 ? static_cast<double>(zaptPeak) / floorPeak : 0.0);
    benchmark::Shutdown();
    return 0;
}
