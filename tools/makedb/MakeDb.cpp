#include "MakeDb.h"
#include "MakeDbInternal.h"

#include "PartFile.h"
#include "Schema.h"
#include "engine/Connection.h"
#include "engine/Errors.h"


namespace makedb {

void createEmpty(const QString &path)
{
    Schema::createFile(path);
}

Summary fillNewFile(const QString &path, const std::function<Summary(db::Connection &)> &fill)
{
    // Made whole under another name: a maker that is killed or fails leaves
    // no file that looks like a database, and the next run is not refused.
    PartFile file(path, PartFile::Existing::Refuse);
    Schema::createFile(file.path());
    db::Connection connection;
    connection.openFile(file.path());
    // The part is deleted if anything fails, so nothing is gained by waiting
    // for the disk after each page (the commit makes it durable before it is
    // named); a large cache keeps the indexes of a million orders in memory.
    connection.execute(QStringLiteral("PRAGMA synchronous = OFF; PRAGMA cache_size = -262144;"));
    db::Transaction transaction(connection);
    const Summary summary = fill(connection);
    transaction.commit();
    connection.close();
    file.commit();
    return summary;
}

} // namespace makedb
