#include "MakeDb.h"
#include "MakeDbInternal.h"

#include "Schema.h"
#include "engine/Connection.h"
#include "engine/Errors.h"

#include <QFile>

namespace makedb {

void createEmpty(const QString &path)
{
    Schema::createFile(path);
}

Summary fillNewFile(const QString &path, const std::function<Summary(db::Connection &)> &fill)
{
    Schema::createFile(path); // refuses an existing file before anything else happens
    try {
        db::Connection connection;
        connection.openFile(path);
        // The file is new and is deleted if anything fails, so nothing is
        // gained by waiting for the disk after each page; a large cache keeps
        // the indexes of a million orders in memory.
        connection.execute(QStringLiteral("PRAGMA synchronous = OFF; PRAGMA cache_size = -262144;"));
        db::Transaction transaction(connection);
        const Summary summary = fill(connection);
        transaction.commit();
        connection.close();
        return summary;
    } catch (...) {
        QFile::remove(path + QStringLiteral("-journal"));
        QFile::remove(path);
        throw;
    }
}

} // namespace makedb
