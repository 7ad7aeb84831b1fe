#pragma once
// The benchmark's frame: a generated database file per size, and the list of
// measurements run on each. A new measurement is one more entry in
// measurements() (Measurements.cpp).

#include <QString>
#include <QTextStream>

#include <functional>
#include <vector>

namespace bench {

struct Database
{
    QString path;
    int customers = 0;
    /// The head's customer id, whose department the measurements take; empty
    /// for the root (the whole customer base).
    QString head;
};

/// Seconds of the fastest and the middle of `repeat` runs.
struct Timing
{
    double best = 0;
    double median = 0;
};

/// Runs `work` `repeat` times (after one unmeasured warm-up) and times each
/// run; `prepare`, when given, runs untimed before each.
Timing time(int repeat, const std::function<void()> &work, const std::function<void()> &prepare = {});

/// Peak resident memory of the process so far, in MiB.
double peakMemoryMiB();

struct Measurement
{
    const char *name;
    /// Measures on one database and writes its lines to `out`; returns false
    /// when a target was missed.
    std::function<bool(const Database &, int repeat, QTextStream &out)> run;
};

/// The program's start-up with a normal and a 10 MB localization file, in a
/// program folder of its own; false when the target was missed.
bool startup(int repeat, QTextStream &out);
/// What the process started by startup() does: the program's windows on the
/// program folder `folder`, once; the exit status.
int startProgramOnce(const QString &folder);

/// The measurements on each generated customer base.
const std::vector<Measurement> &measurements();
/// The measurements on one chain of sponsors, the deepest department there is.
const std::vector<Measurement> &chainMeasurements();
/// The measurements on one customer with 10,000 direct members.
const std::vector<Measurement> &wideMeasurements();
/// The measurements on large catalogues (the catalogue window and products).
const std::vector<Measurement> &catalogueMeasurements();

} // namespace bench
