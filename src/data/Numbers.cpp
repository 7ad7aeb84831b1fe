#include "Numbers.h"

#include "engine/Format.h"
#include "engine/QuotedText.h"

#include <QLocale>

// The engine shows values in these same formats; one implementation serves both.

QString SqlNumber(double value)
{
    return CommaToPoint(db::formatGeneral(value));
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
