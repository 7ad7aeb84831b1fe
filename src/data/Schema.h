#pragma once
// The four tables of the database file and what keeps them sound.

class QString;
namespace db { class Connection; }

namespace Schema {

/// Creates the tables, indexes and triggers on an open, empty database.
/// Throws db::DataError with the engine's text.
void create(db::Connection &connection);

/// Creates a new database file at `path` with the schema (replacing nothing:
/// fails when the file exists). Throws db::DataError.
void createFile(const QString &path);

} // namespace Schema
