#include "MakeDb.h"

#include "engine/Errors.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>
#include <optional>

namespace makedb {

namespace {

const char *const kUsage =
    "Usage: makedb PATH\n"
    "         creates an empty database file\n"
    "       makedb --demo PATH\n"
    "         creates a small demo database (30 customers, two catalogues, orders of the last two months)\n"
    "       makedb --generate [--customers N] [--orders M] [--catalogues K] [--products P] [--seed S]\n"
    "                         [--until YYYY-MM-DD] PATH\n"
    "         creates a large database for benchmarks, the same for the same options\n"
    "         (defaults: 100000 customers, 1000000 orders, 12 monthly catalogues of about 350 products,\n"
    "         seed 1, until 2026-06-30; with --products every catalogue holds exactly P products)\n"
    "An existing file is never overwritten.\n";

enum class Mode { Empty, Demo, Generate };

struct Arguments
{
    Mode mode = Mode::Empty;
    GenerateOptions options;
    QString path;
};

// Gives the parsed arguments, or writes why they are wrong and gives nothing.
std::optional<Arguments> parse(const QStringList &arguments, QTextStream &err)
{
    Arguments result;
    bool sawGenerateOption = false;
    auto fail = [&err](const QString &why) {
        err << "makedb: " << why << "\n" << kUsage;
        return std::nullopt;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == u"--help" || arg == u"-h") {
            err << kUsage;
            return std::nullopt;
        }
        if (arg == u"--demo" || arg == u"--generate") {
            if (result.mode != Mode::Empty)
                return fail(QStringLiteral("choose one of --demo and --generate"));
            result.mode = arg == u"--demo" ? Mode::Demo : Mode::Generate;
            continue;
        }
        if (arg == u"--customers" || arg == u"--orders" || arg == u"--catalogues" || arg == u"--products" ||
            arg == u"--seed" || arg == u"--until") {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("%1 needs a value").arg(arg));
            const QString value = arguments[++i];
            bool ok = false;
            if (arg == u"--customers")
                result.options.customers = value.toInt(&ok);
            else if (arg == u"--orders")
                result.options.orders = value.toLongLong(&ok);
            else if (arg == u"--catalogues")
                result.options.catalogues = value.toInt(&ok);
            else if (arg == u"--products") {
                result.options.productsPerCatalogue = value.toInt(&ok);
                ok = ok && result.options.productsPerCatalogue > 0;
            }
            else if (arg == u"--seed")
                result.options.seed = value.toULongLong(&ok);
            else {
                result.options.until = QDate::fromString(value, Qt::ISODate);
                ok = result.options.until.isValid();
            }
            if (!ok)
                return fail(QStringLiteral("%1: '%2' is not valid").arg(arg, value));
            sawGenerateOption = true;
            continue;
        }
        if (arg.startsWith(u'-') && arg.size() > 1)
            return fail(QStringLiteral("unknown option %1").arg(arg));
        if (!result.path.isEmpty())
            return fail(QStringLiteral("give exactly one PATH"));
        result.path = arg;
    }
    if (result.path.isEmpty())
        return fail(QStringLiteral("give the PATH of the database file to create"));
    if (sawGenerateOption && result.mode != Mode::Generate)
        return fail(QStringLiteral("--customers, --orders, --catalogues, --products, --seed and --until go with --generate"));
    return result;
}

} // namespace

int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err, const QDate &today)
{
    const std::optional<Arguments> args = parse(arguments, err);
    if (!args)
        return 2;
    // Checked here too, so that the refusal comes before any work and says plainly why.
    if (QFileInfo::exists(args->path)) {
        err << "makedb: '" << args->path << "' already exists; it is left as it is.\n";
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    try {
        if (args->mode == Mode::Empty) {
            createEmpty(args->path);
            out << "makedb: created the empty database '" << args->path << "'\n";
            return 0;
        }
        const Summary s =
            args->mode == Mode::Demo ? fillDemo(args->path, today) : generate(args->path, args->options);
        const QLocale c = QLocale::c();
        out << "makedb: '" << args->path << "': " << c.toString(s.customers) << " customers in " << s.levels
            << " levels, " << c.toString(s.orders) << " orders (" << c.toString(s.refusals) << " refusals, "
            << c.toString(s.lines) << " lines), " << s.catalogues << " catalogues (" << c.toString(s.products)
            << " products) in " << QString::number(double(timer.elapsed()) / 1000.0, 'f', 1) << " s\n";
        return 0;
    } catch (const db::DataError &error) {
        err << "makedb: " << error.text() << "\n";
        return 1;
    }
}

} // namespace makedb
