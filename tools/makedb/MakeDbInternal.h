#pragma once
// Shared by the makers; not part of the library's interface.

#include "MakeDb.h"

#include <functional>

namespace db { class Connection; }

namespace makedb {

/// Creates `path` with the schema, runs `fill` in one transaction and commits;
/// removes the file again if anything throws. Throws db::DataError.
Summary fillNewFile(const QString &path, const std::function<Summary(db::Connection &)> &fill);

} // namespace makedb
