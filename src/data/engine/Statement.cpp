#include "Statement_p.h"

#include "Errors.h"
#include "Storage_p.h"

#include <sqlite3.h>

namespace db {

namespace {
// The failures that can be told in plain words.
FailureKind failureKind(int extendedCode)
{
    switch (extendedCode) {
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_ROWID:
        return FailureKind::Duplicate;
    case SQLITE_CONSTRAINT_NOTNULL:
        return FailureKind::MissingValue;
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return FailureKind::MissingReference;
    case SQLITE_CONSTRAINT_CHECK:
        return FailureKind::RefusedValue;
    default:
        break;
    }
    switch (extendedCode & 0xff) {
    case SQLITE_FULL:
        return FailureKind::DiskFull;
    case SQLITE_READONLY:
        return FailureKind::ReadOnly;
    default:
        return FailureKind::Other;
    }
}

[[noreturn]] void fail(sqlite3 *db)
{
    throw engineError(db);
}

} // namespace

DataError engineError(sqlite3 *handle)
{
    const QString text = QString::fromUtf8(sqlite3_errmsg(handle));
    return DataError(text, failureKind(sqlite3_extended_errcode(handle)), text);
}

Statement::Statement(sqlite3 *handle, const QString &sql) : m_db(handle)
{
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DataError(text);
    }
    if (!m_stmt) // only blanks or comments
        throw DataError(QStringLiteral("Empty statement"));
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant &raw)
{
    const QVariant value = toStorageValue(raw);
    int rc;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Short:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        fail(m_db);
}

void Statement::bind(const QString &name, const QVariant &value)
{
    const QByteArray key = (name.startsWith(u':') ? name : u':' + name).toUtf8();
    const int index = sqlite3_bind_parameter_index(m_stmt, key.constData());
    if (index > 0)
        bind(index, value);
}

int Statement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const DataError error = engineError(m_db);
    sqlite3_reset(m_stmt);
    throw error;
}

int Statement::execute()
{
    while (step()) {
    }
    return sqlite3_changes(m_db);
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::columnDeclType(int column) const
{
    const char *type = sqlite3_column_decltype(m_stmt, column);
    return type ? QString::fromUtf8(type).toLower() : QString();
}

Statement::Storage Statement::storage(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return Storage::Integer;
    case SQLITE_FLOAT:
        return Storage::Real;
    case SQLITE_TEXT:
        return Storage::Text;
    case SQLITE_BLOB:
        return Storage::Blob;
    default:
        return Storage::Null;
    }
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return QVariant();
    default:
        return text(column);
    }
}

QString Statement::text(int column) const
{
    const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return chars ? QString::fromUtf8(chars, sqlite3_column_bytes(m_stmt, column)) : QString();
}

QByteArrayView Statement::utf8(int column) const
{
    const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return chars ? QByteArrayView(chars, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
}

double Statement::real(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

} // namespace db
