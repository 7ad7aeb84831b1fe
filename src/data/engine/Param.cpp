#include "Param.h"

#include "Errors.h"
#include "Storage_p.h"

namespace db {

QStringList Params::namesIn(const QString &sql)
{
    QStringList names;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            ++i;
            while (i < n && sql[i] != close)
                ++i;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            while (i < n && sql[i] != u'\n')
                ++i;
        } else if (c == u':' && i + 1 < n && (sql[i + 1].isLetter() || sql[i + 1] == u'_')
                   && (i == 0 || sql[i - 1] != u':')) {
            qsizetype end = i + 1;
            while (end < n && (sql[end].isLetterOrNumber() || sql[end] == u'_'))
                ++end;
            const QString name = sql.mid(i + 1, end - i - 1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
            i = end - 1;
        }
    }
    return names;
}

void Params::parse(const QString &sql)
{
    std::vector<Param> rebuilt;
    for (const QString &name : namesIn(sql)) {
        if (Param *old = find(name))
            rebuilt.push_back(*old);
        else
            rebuilt.emplace_back(name, FieldType::String);
    }
    m_params = std::move(rebuilt);
}

void Param::setValue(const QVariant &value)
{
    m_value = value.typeId() == QMetaType::QDateTime ? QVariant(wallClock(value.toDateTime())) : value;
}

Param &Params::at(int index)
{
    if (index < 0 || index >= count())
        throw DataError(QStringLiteral("Parameter index %1 out of range").arg(index));
    return m_params[size_t(index)];
}

Param &Params::byName(const QString &name)
{
    if (Param *param = find(name))
        return *param;
    throw DataError(QStringLiteral("Parameter '%1' not found").arg(name));
}

Param *Params::find(const QString &name)
{
    for (Param &param : m_params)
        if (param.name().compare(name, Qt::CaseInsensitive) == 0)
            return &param;
    return nullptr;
}

void Params::assignValues(const Params &other)
{
    for (const Param &source : other.m_params)
        if (Param *target = find(source.name()))
            target->setValue(source.value());
}

} // namespace db
