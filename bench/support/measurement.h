#pragma once

#include <QtCore/QString>
#include <QtCore/QtGlobal>

#include <functional>
#include <vector>

// What the benchmark programs share for measuring and reporting: each runs
// our code and a reference in one process and prints both figures with their
// ratio, ours over the reference's.

namespace quelta::bench {

// Writes "<program>: <what>" to stderr and ends the program with exit code 1.
[[noreturn]] void fail(const char *what);

// The program's one argument, a positive count of what it handles; the
// default without one. Anything else ends the program with its usage.
int countArgument(int defaultCount, const char *what);

// Items per second for count items in the given time; 0 for no time.
double ratePerSecond(qint64 count, qint64 nanoseconds);

// The middle value; of an even number the upper of the two in the middle.
double median(std::vector<double> values);

// Runs both sides the given number of rounds, taking turns at going first
// (the reference in even rounds), so that neither profits alone from a warm
// page cache or suffers alone from a disk flush.
void runInTurns(int rounds, const std::function<void(int round)> &reference,
                const std::function<void(int round)> &ours);

// As runInTurns, each run given the path of a new file in the directory,
// which is removed again after the run.
void runInTurnsOnNewFiles(int rounds, const QString &directory, const std::function<void(const QString &)> &reference,
                          const std::function<void(const QString &)> &ours);

// One figure of one side: the side's name and its value.
struct Figure
{
    const char *side;
    double value;
};

// What a ratio, ours over the reference's, should reach.
struct Goal
{
    enum class Bound {
        AtLeast,
        AtMost,
    };

    Bound bound;
    double ratio;
};

// One line: "<what>: <our side> <value> <unit>, <reference side> <value>
// <unit>, ratio <ratio> (goal: at least <ratio>)", with the values written
// with that many decimals.
void printComparison(const char *what, const Figure &ours, const Figure &reference, const char *unit,
                     int decimals, const Goal &goal);

// Three aligned lines: our rate, the reference's rate, and their ratio with
// the goal that it should reach.
void printRatesAgainstGoal(const Figure &ours, const Figure &reference, const char *unit, double goal);

} // namespace quelta::bench
