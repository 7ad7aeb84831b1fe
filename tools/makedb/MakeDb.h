#pragma once
// Makes database files: empty, a small believable demo, or large generated
// data sets for benchmarks. Every maker refuses a path that already exists and
// leaves no file behind when it fails.

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>

class QTextStream;

namespace makedb {

struct Summary
{
    qint64 customers = 0;
    int levels = 0;        ///< depth of the sponsor tree
    qint64 orders = 0;     ///< headers: orders and refusals
    qint64 refusals = 0;
    qint64 lines = 0;
    int catalogues = 0;
    qint64 products = 0;   ///< product rows over all catalogues
};

struct GenerateOptions
{
    int customers = 100000;  ///< at most 999999: customer ids are up to six digits
    qint64 orders = 1000000;
    int catalogues = 12;     ///< monthly, the last one on the 1st of the month of `until`
    /// Products in every catalogue, each catalogue holding the whole range;
    /// 0 for a range of 400 of which each catalogue holds most.
    int productsPerCatalogue = 0;
    std::uint64_t seed = 1;
    /// Last day with orders. Fixed rather than today so that one seed always
    /// gives the same file.
    QDate until = QDate(2026, 6, 30);
};

/// Creates `path` with the empty tables. Throws db::DataError.
void createEmpty(const QString &path);

/// Creates `path` with about 30 customers over 4 levels, two catalogues (about
/// two months and three weeks before `today`) and orders and refusals over
/// the two months up to `today`. Throws db::DataError.
Summary fillDemo(const QString &path, const QDate &today);

/// Creates `path` with a generated data set, identical for identical options.
/// Throws db::DataError, also for options out of range.
Summary generate(const QString &path, const GenerateOptions &options);

/// The whole command: arguments without the program name; messages go to
/// `out` (success) and `err`. Returns the process exit code.
int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err, const QDate &today);

} // namespace makedb
