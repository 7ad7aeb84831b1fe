#include "Numbers.h"

#include "engine/Format.h"
#include "engine/QuotedText.h"

#include "Messages.h"
#include "engine/Errors.h"

#include <QLocale>

#include <cmath>

// The engine shows values in these same formats; one implementation serves both.

QString SqlNumber(double value)
{
    // Statements are read by the engine, not by a person: the C locale's
    // full stop, never the user's separator (which may be "٫" as well as ",").
    const QString text = db::formatGeneral(value, QStringLiteral("."));
    // The largest doubles round, at fifteen digits, past the largest: the
    // engine would read them as infinite.
    bool finite = std::isfinite(value);
    if (finite && std::fabs(value) > 1e308)
        QLocale::c().toDouble(text, &finite);
    if (!finite)
        throw db::DataError(FormatMessage(Messages().lNotAFiniteNumber, {db::formatGeneral(value)}));
    return text;
}

QString CommaToPoint(const QString &text)
{
    QString result = text;
    return result.replace(u',', u'.');
}

QString SqlQuoted(const QString &text)
{
    return db::quoted(text);
}

QString FormatGeneral(double value)
{
    return db::formatGeneral(value);
}

QString ShortDateFormat()
{
    return db::shortDateFormat();
}

QString LongTimeFormat()
{
    return db::longTimeFormat();
}

QString FormatShortDate(const QDate &value)
{
    return QLocale().toString(value, db::shortDateFormat());
}

QString FormatDateTimeDefault(const QDateTime &value)
{
    return db::formatDateTimeDefault(value);
}

std::optional<double> ParseTypedDecimal(QStringView text)
{
    const bool negative = text.startsWith(u'-');
    QString whole, fraction;
    bool separator = false;
    for (QChar c : text.mid(negative ? 1 : 0)) {
        if (c >= u'0' && c <= u'9')
            (separator ? fraction : whole) += c;
        else if ((c == u',' || c == u'.') && !separator)
            separator = true;
        else
            return std::nullopt;
    }
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    // Written out in full ("0.5", "5.0") for the C locale's reader.
    const QString canonical = (negative ? QStringLiteral("-") : QString()) + (whole.isEmpty() ? QStringLiteral("0") : whole)
                              + u'.' + (fraction.isEmpty() ? QStringLiteral("0") : fraction);
    bool ok = false;
    const double value = QLocale::c().toDouble(canonical, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}
