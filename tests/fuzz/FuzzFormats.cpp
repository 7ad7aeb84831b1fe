// Numbers the program writes into statements and dates it writes into filter
// texts: in any locale, what is written reads back.

#include "FuzzCheck.h"

#include "Numbers.h"
#include "engine/Errors.h"
#include "engine/Format.h"
#include "engine/WallClock.h"

#include <QLocale>

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    if (size < 1 + sizeof(double) + 8)
        return 0;
    const QLocale &locale = locales[data[0] % locales.size()];
    QLocale::setDefault(locale);
    double number;
    std::memcpy(&number, data + 1, sizeof number);
    quint64 moment;
    std::memcpy(&moment, data + 1 + sizeof number, sizeof moment);

    if (std::isfinite(number)) {
        QString text;
        try {
            text = SqlNumber(number);
        } catch (const db::DataError &) {
            FUZZ_CHECK(std::fabs(number) > 1.7976931348623e308, QStringLiteral("%1 refused").arg(number, 0, 'g', 17));
            return 0;
        }
        bool ok = false;
        const double read = QLocale::c().toDouble(text, &ok);
        // Fifteen significant digits, as the general format writes them: the
        // text is the number to within half a unit of its fifteenth digit
        // (an exact half may go either way), and the reading's own rounding.
        FUZZ_CHECK(ok && std::fabs(read - number) <= std::fabs(number) * 6e-15,
                   QStringLiteral("%1 written as %2 in %3").arg(number, 0, 'g', 17).arg(text, locale.name()));
    }

    // Any second from 1800 to 2200, as the date pickers and the journal give them.
    const qint64 first = QDate(1800, 1, 1).toJulianDay(), days = QDate(2200, 12, 31).toJulianDay() - first + 1;
    const QDate date = QDate::fromJulianDay(first + qint64(moment % quint64(days)));
    const QTime time = QTime(0, 0).addSecs(int((moment / quint64(days)) % 86400));
    const QDateTime value = db::wallClock(date, (moment >> 60) & 1 ? time : QTime(0, 0));
    const QString text = db::formatDateTimeDefault(value);
    FUZZ_CHECK(db::parseDateTimeDefault(text) == value,
               QStringLiteral("%1 written as %2 in %3 read back as %4")
                   .arg(value.toString(Qt::ISODate), text, locale.name(), db::parseDateTimeDefault(text).toString(Qt::ISODate)));
    return 0;
}
