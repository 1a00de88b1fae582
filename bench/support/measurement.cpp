#include "measurement.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quelta::bench {

namespace {

double ratioOf(double ours, double reference)
{
    return reference > 0 ? ours / reference : 0.0;
}

} // namespace

void fail(const char *what)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), what);
    std::exit(1);
}

int countArgument(int defaultCount, const char *what)
{
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        return defaultCount;
    bool valid = false;
    const int count = arguments.at(1).toInt(&valid);
    if (!valid || count <= 0) {
        fail(qPrintable(QStringLiteral("usage: %1 [%2]")
                            .arg(QCoreApplication::applicationName(), QString::fromLatin1(what))));
    }
    return count;
}

double ratePerSecond(qint64 count, qint64 nanoseconds)
{
    return nanoseconds > 0 ? double(count) * 1e9 / double(nanoseconds) : 0.0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void runInTurns(int rounds, const std::function<void(int)> &reference, const std::function<void(int)> &ours)
{
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            reference(round);
            ours(round);
        } else {
            ours(round);
            reference(round);
        }
    }
}

void runInTurnsOnNewFiles(int rounds, const QString &directory, const std::function<void(const QString &)> &reference,
                          const std::function<void(const QString &)> &ours)
{
    const QDir files(directory);
    const auto inNewFile = [&files](const QString &side, const std::function<void(const QString &)> &run) {
        return [files, side, run](int round) {
            const QString path = files.filePath(side + QString::number(round));
            run(path);
            QFile::remove(path);
        };
    };
    runInTurns(rounds, inNewFile(QStringLiteral("reference"), reference), inNewFile(QStringLiteral("ours"), ours));
}

void printComparison(const char *what, const Figure &ours, const Figure &reference, const char *unit, int decimals,
                     const Goal &goal)
{
    std::printf("%s: %s %.*f %s, %s %.*f %s, ratio %.2f (goal: %s %.1f)\n", what, ours.side, decimals, ours.value,
                unit, reference.side, decimals, reference.value, unit, ratioOf(ours.value, reference.value),
                goal.bound == Goal::Bound::AtLeast ? "at least" : "at most", goal.ratio);
}

void printRatesAgainstGoal(const Figure &ours, const Figure &reference, const char *unit, double goal)
{
    // Each label with its colon, padded to the longest of them.
    const int width = int(std::max({std::strlen(ours.side), std::strlen(reference.side), std::strlen("ratio")})) + 2;
    const auto label = [](const char *name) { return std::string(name) + ':'; };
    std::printf("%-*s%10.0f %s\n", width, label(ours.side).c_str(), ours.value, unit);
    std::printf("%-*s%10.0f %s\n", width, label(reference.side).c_str(), reference.value, unit);
    std::printf("%-*s%10.2f (goal: at least %.1f)\n", width, label("ratio").c_str(),
                ratioOf(ours.value, reference.value), goal);
}

} // namespace quelta::bench
