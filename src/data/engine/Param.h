#pragma once
// Named statement parameters (":name"), typed, nullable, settable by name or position.

#include "FieldType.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace db {

class Param
{
public:
    Param(const QString &name, FieldType type) : m_name(name), m_type(type) {}
    const QString &name() const { return m_name; }
    FieldType dataType() const { return m_type; }
    void setDataType(FieldType type) { m_type = type; }
    const QVariant &value() const { return m_value; }
    /// A date-time is kept as a wall-clock date-time (see WallClock.h).
    void setValue(const QVariant &value);
    bool isNull() const { return !m_value.isValid() || m_value.isNull(); }
    void clear() { m_value = QVariant(); }

private:
    QString m_name;
    FieldType m_type;
    QVariant m_value;
};

class Params
{
public:
    /// Rebuilds the list from a statement's ":name" markers, in order of first
    /// appearance; values and types of names that stay are kept.
    void parse(const QString &sql);
    int count() const { return int(m_params.size()); }
    Param &at(int index);
    /// Throws DataError when there is no such parameter.
    Param &byName(const QString &name);
    Param *find(const QString &name);
    /// Copies the values of parameters with the same names from `other`.
    void assignValues(const Params &other);
    std::vector<Param>::const_iterator begin() const { return m_params.begin(); }
    std::vector<Param>::const_iterator end() const { return m_params.end(); }

    /// The ":name" markers of a statement, outside quoted text and comments.
    static QStringList namesIn(const QString &sql);

private:
    std::vector<Param> m_params;
};

} // namespace db
