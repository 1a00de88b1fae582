// Starts the program on the demo catalogue and two references of the same
// size in turns: a bare Qt Quick window, and a Qt Quick Controls 2 window
// with the program's style, fonts and a few texts. Prints for each the time
// from starting the process to its first rendered frame and the memory
// resident at that frame, and the program's ratios to both references with
// the goals against the Controls 2 window (medians of a few rounds; the
// ratios are taken within each round, so that load on the machine that
// changes between rounds cancels).
//
// Both draw with Qt Quick's software renderer on the offscreen platform, so
// the benchmark needs no display and no GPU; Qt's own render-loop timing log
// marks the first frame.

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

constexpr int Rounds = 15;
constexpr int FirstFrameTimeoutMs = 30000;
// The program against the Controls 2 window: at most this much longer to
// its first frame, and at most this much more memory resident then.
constexpr double FirstFrameGoal = 1.5;
constexpr double ResidentMemoryGoal = 1.3;

enum Side { Program, BareWindow, ControlsWindow, SideCount };

struct Sample
{
    double firstFrameMs = 0;
    double residentMiB = 0;
};

[[noreturn]] void die(const QString &what)
{
    std::fprintf(stderr, "bench_startup: %s\n", qPrintable(what));
    std::exit(1);
}

// VmRSS of /proc/<pid>/status.
double residentMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// QML disk caches go under cacheDirectory: the first round fills them, so
// that no run meets what another build of the same program left.
Sample run(const QString &program, const QString &workingDirectory, const QString &cacheDirectory)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheDirectory);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.scenegraph.time.renderloop=true"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.setProcessChannelMode(QProcess::MergedChannels);

    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    QByteArray output;
    std::optional<Sample> sample;
    while (!sample && process.waitForReadyRead(FirstFrameTimeoutMs)) {
        output += process.readAll();
        if (output.contains("Frame rendered"))
            sample = Sample{double(clock.nsecsElapsed()) / 1e6, residentMiB(process.processId())};
    }
    process.kill();
    process.waitForFinished();
    if (!sample)
        die(QStringLiteral("%1 drew no frame:\n%2").arg(program, QString::fromLocal8Bit(output)));
    return *sample;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QString corvane = QStringLiteral(CORVANE_PROGRAM);
    if (!QFileInfo::exists(QFileInfo(corvane).absolutePath() + QStringLiteral("/database/configuration.sqlite3")))
        die(QStringLiteral("the demo database beside %1 is missing").arg(corvane));
    const QString programs[SideCount] = {corvane, QStringLiteral(BARE_WINDOW_PROGRAM),
                                         QStringLiteral(CONTROLS_WINDOW_PROGRAM)};
    // No settings file above the working directory: the program opens the
    // demo database beside itself.
    QTemporaryDir parent;
    const QString workingDirectory = parent.filePath(QStringLiteral("work"));
    const QString cacheDirectory = parent.filePath(QStringLiteral("cache"));
    QDir().mkpath(workingDirectory);

    std::vector<double> frames[SideCount];
    std::vector<double> memory[SideCount];
    std::vector<double> frameRatios[SideCount];
    std::vector<double> memoryRatios[SideCount];
    for (int round = 0; round < Rounds; ++round) {
        // Each side goes first in turn, so that none profits alone from a
        // warm cache.
        Sample samples[SideCount];
        for (int i = 0; i < SideCount; ++i) {
            const int side = (round + i) % SideCount;
            samples[side] = run(programs[side], workingDirectory, cacheDirectory);
        }
        for (int side = 0; side < SideCount; ++side) {
            frames[side].push_back(samples[side].firstFrameMs);
            memory[side].push_back(samples[side].residentMiB);
            frameRatios[side].push_back(samples[Program].firstFrameMs / samples[side].firstFrameMs);
            memoryRatios[side].push_back(samples[Program].residentMiB / samples[side].residentMiB);
        }
    }

    std::printf("start-up, median of %d rounds: the program on the demo catalogue, a bare Qt Quick window,\n"
                "a Qt Quick Controls 2 window with the program's style, fonts and a few texts\n",
                Rounds);
    std::printf("                             program   bare window   Controls 2 window\n");
    std::printf("  time to the first frame: %7.1f ms  %8.1f ms  %8.1f ms\n", median(frames[Program]),
                median(frames[BareWindow]), median(frames[ControlsWindow]));
    std::printf("  resident memory then:    %7.1f MiB %8.1f MiB %8.1f MiB\n", median(memory[Program]),
                median(memory[BareWindow]), median(memory[ControlsWindow]));
    std::printf("  the program's ratios:       to the bare window   to the Controls 2 window (goal)\n");
    std::printf("  time to the first frame:    %5.2f                %5.2f (at most %.2f)\n",
                median(frameRatios[BareWindow]), median(frameRatios[ControlsWindow]), FirstFrameGoal);
    std::printf("  resident memory then:       %5.2f                %5.2f (at most %.2f)\n",
                median(memoryRatios[BareWindow]), median(memoryRatios[ControlsWindow]), ResidentMemoryGoal);
    return 0;
}
