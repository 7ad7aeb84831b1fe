#pragma once
// A prepared SQLite statement with QVariant binding and reading. Internal to
// the engine and to code that needs raw speed on the one connection (the
// department load, the database maker).

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include "Errors.h"

struct sqlite3;
struct sqlite3_stmt;

namespace db {

/// The engine's last failure on `handle` as a DataError of the kind its
/// code says, in the engine's own words.
DataError engineError(sqlite3 *handle);

class Statement
{
public:
    /// Prepares `sql` on `handle`; throws DataError with the engine's text.
    Statement(sqlite3 *handle, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    /// Binds by 1-based index; the value goes through toStorageValue.
    void bind(int index, const QVariant &value);
    /// Binds ":name"; a name the statement does not use is ignored.
    void bind(const QString &name, const QVariant &value);
    int parameterCount() const;

    /// Advances to the next row; false when done. Throws DataError on failure.
    bool step();
    /// Runs the statement to its end and gives the number of changed rows.
    int execute();
    /// Makes the statement ready to run again with new bindings.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    /// Declared type of a result column ("" for expressions).
    QString columnDeclType(int column) const;
    /// How the current row stores a column.
    enum class Storage { Integer, Real, Text, Blob, Null };
    Storage storage(int column) const;
    bool isNull(int column) const { return storage(column) == Storage::Null; }
    QVariant value(int column) const;
    QString text(int column) const;
    double real(int column) const;
    qint64 integer(int column) const;
    /// The raw UTF-8 bytes of a text column, valid until the next step.
    QByteArrayView utf8(int column) const;

    sqlite3_stmt *handle() const { return m_stmt; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace db
