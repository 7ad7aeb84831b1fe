#pragma once
// A statement executed without a result, with or without named parameters.

#include "Param.h"

namespace db {

class Connection;

class Command
{
public:
    Command(Connection *connection, const QString &name) : m_connection(connection), m_name(name) {}
    const QString &name() const { return m_name; }
    /// Sets the statement; its ":name" markers become the parameters.
    void setText(const QString &sql);
    const QString &text() const { return m_sql; }
    Params &params() { return m_params; }
    Param &param(const QString &name) { return m_params.byName(name); }
    /// Runs the statement; gives the number of changed rows. Throws DataError.
    int execute();

private:
    Connection *m_connection;
    QString m_name;
    QString m_sql;
    Params m_params;
};

} // namespace db
