// Starts the program on the demo catalogue and a bare Qt Quick window of the
// same size, in turns, and prints for each the time from starting the
// process to its first rendered frame and the memory resident at that frame,
// with the ratios of the program to the bare window (medians of a few runs).
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

constexpr int Runs = 5;
constexpr int FirstFrameTimeoutMs = 30000;

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

Sample run(const QString &program, const QString &workingDirectory)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
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
    // No settings file above the working directory: the program opens the
    // demo database beside itself.
    QTemporaryDir parent;
    const QString workingDirectory = parent.filePath(QStringLiteral("work"));
    QDir().mkpath(workingDirectory);

    std::vector<double> frames[2];
    std::vector<double> memory[2];
    for (int i = 0; i < Runs; ++i) {
        const Sample samples[2] = {run(corvane, workingDirectory),
                                   run(QStringLiteral(BARE_WINDOW_PROGRAM), workingDirectory)};
        for (int p = 0; p < 2; ++p) {
            frames[p].push_back(samples[p].firstFrameMs);
            memory[p].push_back(samples[p].residentMiB);
        }
    }
    const double frame[2] = {median(frames[0]), median(frames[1])};
    const double resident[2] = {median(memory[0]), median(memory[1])};
    std::printf("start-up, median of %d runs: the program on the demo catalogue / a bare Qt Quick window\n", Runs);
    std::printf("  time to the first frame: %8.1f ms / %8.1f ms   ratio %.2f\n", frame[0], frame[1],
                frame[0] / frame[1]);
    std::printf("  resident memory then:   %8.1f MiB / %7.1f MiB  ratio %.2f\n", resident[0], resident[1],
                resident[0] / resident[1]);
    return 0;
}
