#pragma once

struct sqlite3;
class QString;

namespace db {

/// Teaches a connection what the program's statements expect of the engine:
/// `like` matching case-insensitively for every letter (Cyrillic names too),
/// `len` as the number of characters, and the NOCASE collation comparing names
/// as compareNames does (equal when equal but for case, in alphabet order).
/// Throws DataError on failure.
void registerSqlFunctions(sqlite3 *handle);

/// The matcher behind `like`: '%' any run, '_' one character, case-insensitive.
bool likeMatches(const QString &pattern, const QString &value);

} // namespace db
