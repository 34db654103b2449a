// State files against a writer killed at any moment and against absurd sizes, through the
// program's own writer and readers.
#include "core/modZAUtil.h"
#include "settings/clsOption.h"
#include "support/FakeDialogs.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace modZAUtil;

namespace {

// Version `v` of a state file: a first line naming its version and length, then that many
// bytes of a pattern of its own, so a partial or mixed file cannot pass for whole.
QByteArray version(int v) {
    const int n = 40000 + (v * 7919) % 200000;
    QByteArray body(n, '\0');
    for (int i = 0; i < n; ++i)
        body[i] = char('a' + (i + v) % 26);
    return QByteArray::number(v) + ' ' + QByteArray::number(n) + "\r\n" + body;
}

// The version a file holds, -1 when it is not one whole version.
int versionOf(const QByteArray& file) {
    const qsizetype eol = file.indexOf("\r\n");
    const QList<QByteArray> head = file.left(eol).split(' ');
    bool ok = head.size() == 2;
    const int v = ok ? head[0].toInt(&ok) : -1;
    return ok && file == version(v) ? v : -1;
}

QStringList entries(const TempDir& d) {
    return QDir(d.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                    QDir::NoDotAndDotDot);
}

}  // namespace

TEST(StateFiles, AWriterKilledAtAnyMomentLeavesTheOldOrANewerFileWhole) {
    TempDir d;
    const QString path = d.file(QStringLiteral("ZAlog.m3u"));
    // Kills are spread over a few writes' time, however fast this build writes.
    QElapsedTimer clock;
    clock.start();
    for (int v = 1; v <= 5; ++v)
        ASSERT_TRUE(WriteFileAtomically(path, version(v)));
    const auto spread = useconds_t(std::max<qint64>(clock.nsecsElapsed() / 1000 * 3 / 5, 100));
    ASSERT_TRUE(WriteFileAtomically(path, version(0)));
    std::mt19937 rng(20261207);
    int last = 0;
    int advanced = 0;
    for (int round = 0; round < 300; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            (void)!::write(ready[1], "x", 1);
            for (int v = last + 1;; ++v)
                if (!WriteFileAtomically(path, version(v)))
                    ::_exit(2);
        }
        ASSERT_GT(pid, 0);
        ::close(ready[1]);
        char c;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        ::usleep(std::uniform_int_distribution<useconds_t>(0, spread)(rng));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed";
        const int now = versionOf(d.read(QStringLiteral("ZAlog.m3u")));
        ASSERT_GE(now, last) << "round " << round;
        advanced += now > last;
        last = now;
        // At most the one temporary file of the write the kill interrupted.
        ASSERT_LE(entries(d).size(), 2) << entries(d).join(u' ').toStdString();
    }
    ASSERT_TRUE(WriteFileAtomically(path, version(last + 1)));
    EXPECT_EQ(entries(d), QStringList{QStringLiteral("ZAlog.m3u")});
    // Kills landed both between writes and in the middle of them.
    EXPECT_GT(advanced, 10);
    EXPECT_LT(advanced, 290);
}

namespace {

qint64 statusBytes(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ')[0].toLongLong() * 1024;
    return -1;
}

// The resident memory `read` adds at its peak; -1 where it cannot be told (the sanitizers'
// shadow memory and quarantine count too).
qint64 peakGrowth(const std::function<void()>& read) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr bool kMeasurable = false;
#else
    constexpr bool kMeasurable = true;
#endif
    QFile reset(QStringLiteral("/proc/self/clear_refs"));  // "5" resets the peak
    const bool canReset = kMeasurable && reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
    reset.close();
    const qint64 before = statusBytes("VmRSS:");
    read();
    return canReset && before >= 0 ? statusBytes("VmHWM:") - before : -1;
}

QByteArray repeated(const QByteArray& piece, qsizetype bytes) {
    return piece.repeated(bytes / piece.size());
}

}  // namespace

// Every reader of state files reads an absurd file only up to the byte limit, and in memory of
// the order of the file's size however its lines and fields fall.
TEST(StateFiles, AbsurdFilesAreReadInBoundedMemoryUpToTheLimit) {
    const qsizetype kTenMB = 10'000'000;
    struct Case {
        const char* name;
        std::function<QByteArray()> bytes;
        bool settings;  // read by the settings reader, else as a text list
        std::function<void(bool read, const clsArrayList& list, const clsOption& o)> check;
    };
    const QString folders = QStringLiteral("/m/0\r\n/m/1\r\n");
    const Case cases[] = {
        {"list: a 10 MB line",
         [&]() -> QByteArray { return "/" + repeated("a", kTenMB) + "\r\n/b.mp3\r\n"; }, false,
         [&](bool read, const clsArrayList& l, const clsOption&) {
             EXPECT_TRUE(read);
             ASSERT_EQ(l.Count(), 2);
             EXPECT_EQ(l.Value(0).size(), kTenMB + 1);
         }},
        {"list: a million lines",
         [] {
             QByteArray b;
             for (int i = 0; i < 1'000'000; ++i)
                 b += "/music/" + QByteArray::number(i) + ".mp3\r\n";
             return b;
         },
         false,
         [](bool read, const clsArrayList& l, const clsOption&) {
             EXPECT_TRUE(read);
             ASSERT_EQ(l.Count(), 1'000'000);
             EXPECT_EQ(l.Value(999'999), QStringLiteral("/music/999999.mp3"));
         }},
        {"list: tiny lines up to the limit",
         []() -> QByteArray { return repeated("a\n", kMaxTextFileBytes / 2 - 1); }, false,
         [](bool read, const clsArrayList& l, const clsOption&) {
             EXPECT_TRUE(read);
             EXPECT_EQ(l.Count(), kMaxListLines);
         }},
        {"settings: a 10 MB first line",
         []() -> QByteArray { return repeated("7,", kTenMB) + "\r\n"; }, true,
         [](bool read, const clsArrayList&, const clsOption& o) {
             EXPECT_TRUE(read);
             EXPECT_EQ(o.BlankSec(), 7);
         }},
        {"settings: separators up to the limit",
         []() -> QByteArray { return repeated("1,", kMaxTextFileBytes - 4) + "\r\n"; }, true,
         [](bool read, const clsArrayList&, const clsOption& o) {
             EXPECT_TRUE(read);
             EXPECT_EQ(o.BlankSec(), 1);
         }},
        {"settings: a million lines",
         [&]() -> QByteArray {
             return "1\r\n2\r\n" + folders.toUtf8() + repeated("x\r\n", 3'000'000);
         },
         true,
         [](bool read, const clsArrayList&, const clsOption& o) {
             EXPECT_TRUE(read);
             EXPECT_EQ(o.LastCurrentFolder(), QStringLiteral("/m/0"));
         }},
        {"settings: empty lines up to the limit",
         [&]() -> QByteArray {
             return "1\r\n2\r\n" + folders.toUtf8() + repeated("\n", kMaxTextFileBytes - 64);
         },
         true,
         [](bool read, const clsArrayList&, const clsOption& o) {
             EXPECT_TRUE(read);
             EXPECT_EQ(o.LastCurrentFolder(), QStringLiteral("/m/0"));
         }},
        {"settings: one byte beyond the limit",
         []() -> QByteArray { return repeated("3,", kMaxTextFileBytes) + "\r\n\r\n"; }, true,
         [](bool read, const clsArrayList&, const clsOption& o) {
             EXPECT_FALSE(read);
             EXPECT_EQ(o.BlankSec(), clsOption().BlankSec());  // nothing taken from it
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir d;
        qint64 size = 0;
        {
            const QByteArray bytes = c.bytes();
            size = bytes.size();
            d.write(QStringLiteral("state"), bytes);
        }
        clsArrayList list;
        clsOption o;
        bool read = false;
        const qint64 grew = peakGrowth([&] {
            read = c.settings ? o.ReadOption(d.file(QStringLiteral("state")))
                              : ReadLinesToList(d.file(QStringLiteral("state")), list);
        });
        c.check(read, list, o);
        if (grew >= 0) {
            EXPECT_LT(grew, 8 * size + (qint64(64) << 20)) << "file of " << size << " bytes";
        }
    }
}
