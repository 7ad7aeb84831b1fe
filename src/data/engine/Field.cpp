#include "Field.h"

#include "Dataset.h"
#include "Errors.h"
#include "Format.h"
#include "Rounding.h"
#include "Statement_p.h"
#include "Storage_p.h"

#include <QLocale>

namespace db {

Field::Field(Dataset *dataset, const QString &name, FieldType type, FieldKind kind, int size)
    : m_dataset(dataset), m_name(name), m_type(type), m_kind(kind), m_size(size)
{
}

int Field::displayWidth() const
{
    if (m_displayWidth > 0)
        return m_displayWidth;
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedChar:
        return m_size > 0 ? m_size : 20;
    case FieldType::DateTime:
        return 18;
    case FieldType::Boolean:
        return 5;
    default:
        return 10;
    }
}

void Field::setLookup(Dataset *source, const QStringList &keyFields, const QStringList &lookupKeyFields,
                      const QString &resultField)
{
    Q_ASSERT(m_kind == FieldKind::Lookup && keyFields.size() == lookupKeyFields.size());
    m_lookupDataset = source;
    m_keyFields = keyFields;
    m_lookupKeyFields = lookupKeyFields;
    m_lookupResultField = resultField;
}

QVariant Field::value() const
{
    if (m_kind == FieldKind::Lookup) {
        if (!m_lookupDataset || !m_lookupDataset->isActive())
            return QVariant();
        QVariantList keys;
        for (const QString &key : m_keyFields)
            keys << m_dataset->field(key)->value();
        return m_lookupDataset->lookupValue(m_lookupKeyFields, keys, m_lookupResultField);
    }
    return m_dataset->activeValue(m_bufferIndex);
}

QVariant Field::oldValue() const
{
    if (m_kind != FieldKind::Data)
        return value();
    return m_dataset->storedValue(m_bufferIndex);
}

void Field::setValue(const QVariant &value)
{
    m_dataset->setFieldValue(this, convert(value));
}

bool Field::isNull() const
{
    const QVariant v = value();
    return !v.isValid() || v.isNull();
}

QString Field::asString() const
{
    const QVariant v = value();
    if (!v.isValid() || v.isNull())
        return QString();
    switch (m_type) {
    case FieldType::DateTime:
        return formatDateTimeDefault(v.toDateTime());
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::BCD:
        return formatGeneral(v.toDouble());
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

double Field::asFloat() const
{
    return value().toDouble();
}

int Field::asInteger() const
{
    const QVariant v = value();
    return v.typeId() == QMetaType::Double ? int(qRound64(v.toDouble())) : v.toInt();
}

bool Field::asBoolean() const
{
    return value().toBool();
}

QDateTime Field::asDateTime() const
{
    return value().toDateTime();
}

QString Field::displayText() const
{
    // Money shows in the locale's currency format, always with cents.
    if (m_currency && isDecimal(m_type)) {
        const QVariant v = value();
        if (v.isValid() && !v.isNull())
            return QLocale().toCurrencyString(v.toDouble(), QString(), 2);
    }
    return asString();
}

void Field::setAsString(const QString &text)
{
    setValue(text);
}

QVariant Field::convert(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    const bool isText = value.typeId() == QMetaType::QString;
    const QString text = isText ? value.toString() : QString();
    // Empty text is a value for a text column (a top-level customer's sponsor
    // is the empty text, not null); for every other type, and as a null
    // QString, it means "no value".
    if (isText && text.isEmpty())
        return m_type == FieldType::String && !text.isNull() ? QVariant(QStringLiteral("")) : QVariant();

    switch (m_type) {
    case FieldType::String: {
        QString s = value.toString();
        if (m_size > 0 && s.size() > m_size)
            s.truncate(m_size);
        return s;
    }
    case FieldType::FixedChar: {
        QString s = value.toString();
        if (m_size > 0)
            s = s.left(m_size).leftJustified(m_size, u' ');
        return s;
    }
    case FieldType::Integer:
    case FieldType::AutoInc: {
        bool ok = true;
        qint64 n;
        if (isText)
            n = QLocale().toLongLong(text.trimmed(), &ok);
        else if (value.typeId() == QMetaType::Double)
            n = qRound64(value.toDouble());
        else
            n = value.toLongLong(&ok);
        if (!ok || n < INT_MIN || n > INT_MAX)
            throw DataError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
        return QVariant(int(n));
    }
    case FieldType::Boolean:
        if (isText) {
            if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 || text == QStringLiteral("1"))
                return true;
            if (text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0 || text == QStringLiteral("0"))
                return false;
            throw DataError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
        }
        return value.toBool();
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::BCD: {
        bool ok = true;
        double d;
        if (isText) {
            d = QLocale().toDouble(text.trimmed(), &ok);
            if (!ok)
                d = QLocale::c().toDouble(text.trimmed(), &ok);
        } else {
            d = value.toDouble(&ok);
        }
        if (!ok)
            throw DataError(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
        return m_type == FieldType::Currency ? roundMoney(d) : d;
    }
    case FieldType::DateTime: {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDate)
            dt = wallClock(value.toDate());
        else if (isText)
            dt = parseDateTimeDefault(text);
        else
            dt = wallClock(value.toDateTime());
        if (!dt.isValid())
            throw DataError(QStringLiteral("'%1' is not a valid date and time").arg(value.toString()));
        return dt;
    }
    }
    return value;
}

QVariant Field::fromStorage(const QVariant &raw) const
{
    if (!raw.isValid() || raw.isNull())
        return QVariant();
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedChar:
        return raw.toString();
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QVariant(int(raw.toLongLong()));
    case FieldType::Boolean:
        return raw.toLongLong() != 0;
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::BCD:
        return raw.toDouble();
    case FieldType::DateTime: {
        const QDateTime dt = dateTimeFromStorage(raw.toString());
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    }
    return raw;
}

QVariant Field::read(const Statement &statement, int column) const
{
    // Typed reads straight from the engine: opening a journal of a million
    // orders must not make a temporary value per column.
    const Statement::Storage storage = statement.storage(column);
    if (storage == Statement::Storage::Null)
        return QVariant();
    switch (m_type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QVariant(int(statement.integer(column)));
    case FieldType::Boolean:
        return QVariant(statement.integer(column) != 0);
    case FieldType::Float:
    case FieldType::Currency:
    case FieldType::BCD:
        return QVariant(statement.real(column));
    case FieldType::DateTime: {
        const QDateTime dt = dateTimeFromStorage(statement.utf8(column));
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    case FieldType::String:
    case FieldType::FixedChar:
        if (storage == Statement::Storage::Text)
            return QVariant(statement.text(column));
        return fromStorage(statement.value(column));
    }
    Q_UNREACHABLE();
    return QVariant();
}

} // namespace db
