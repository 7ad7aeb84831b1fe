#include "Command.h"

#include "Connection.h"
#include "Errors.h"
#include "Statement_p.h"

namespace db {

void Command::setText(const QString &sql)
{
    m_sql = sql;
    m_params.parse(sql);
}

int Command::execute()
{
    if (!m_connection || !m_connection->isConnected())
        throw DataError(QStringLiteral("%1: Connection is closed").arg(m_name));
    Statement statement(m_connection->handle(), m_sql);
    for (const Param &param : m_params)
        statement.bind(param.name(), param.value());
    return statement.execute();
}

} // namespace db
