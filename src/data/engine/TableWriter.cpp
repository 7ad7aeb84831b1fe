#include "TableWriter_p.h"

#include "Connection.h"
#include "Dataset.h"
#include "Errors.h"
#include "KeyText.h"
#include "Statement_p.h"
#include "Storage_p.h"

#include <QLoggingCategory>
#include <QRegularExpression>

namespace db {

namespace {
// The engine's own words for a failure told in plain ones.

QVariant &slot(Row &values, const Field *field)
{
    Q_ASSERT(field->bufferIndex() >= 0 && std::size_t(field->bufferIndex()) < values.size());
    return values[std::size_t(field->bufferIndex())];
}

const QVariant &slot(const Row &values, const Field *field)
{
    Q_ASSERT(field->bufferIndex() >= 0 && std::size_t(field->bufferIndex()) < values.size());
    return values[std::size_t(field->bufferIndex())];
}

bool isAssigned(const std::vector<bool> &assigned, const Field *field)
{
    return std::size_t(field->bufferIndex()) < assigned.size() && assigned[std::size_t(field->bufferIndex())];
}

void bindAll(Statement &statement, const QVariantList &arguments)
{
    for (int i = 0; i < arguments.size(); ++i)
        statement.bind(i + 1, arguments[i]);
}
} // namespace

void TableWriter::setTable(const QString &table, const QStringList &keyFields)
{
    m_table = table;
    m_keyFields = keyFields;
}

void TableWriter::requireTable(const QString &purpose) const
{
    if (m_table.isEmpty())
        throw DataError(QStringLiteral("%1: Insufficient key column information for %2").arg(m_dataset.name(), purpose));
}

void TableWriter::insertRow(Row &values, const std::vector<bool> &assigned)
{
    requireTable(QStringLiteral("updating"));
    QStringList columns, marks;
    QVariantList arguments;
    for (int i = 0; i < m_dataset.fieldCount(); ++i) {
        const Field *field = m_dataset.fieldAt(i);
        if (field->kind() != FieldKind::Data || !isAssigned(assigned, field))
            continue;
        columns << field->name();
        marks << QStringLiteral("?");
        arguments << slot(values, field);
    }
    const QString sql = columns.isEmpty()
        ? QStringLiteral("insert into %1 default values").arg(m_table)
        : QStringLiteral("insert into %1 (%2) values (%3)").arg(m_table, columns.join(u','), marks.join(u','));
    Connection &connection = *m_dataset.connection();
    try {
        Statement statement(connection.handle(), sql);
        bindAll(statement, arguments);
        statement.execute();
    } catch (const DataError &error) {
        throw plainly(error, WriteKind::Store);
    }
    // A counter key left to the database takes the number it gave (again
    // after a store that failed and was undone: that number is void).
    for (const QString &key : m_keyFields) {
        const Field *field = m_dataset.field(key);
        if (field->type() == FieldType::AutoInc && !isAssigned(assigned, field)) {
            Statement last(connection.handle(), QStringLiteral("select last_insert_rowid()"));
            last.step();
            slot(values, field) = QVariant(int(last.integer(0)));
        }
    }
}

void TableWriter::updateRow(const Row &values, const Row &stored, const std::vector<bool> &assigned)
{
    requireTable(QStringLiteral("updating"));
    QStringList sets, where;
    QVariantList arguments, whereArguments;
    std::vector<const Field *> changed;
    for (int i = 0; i < m_dataset.fieldCount(); ++i) {
        const Field *field = m_dataset.fieldAt(i);
        if (field->kind() != FieldKind::Data || !isAssigned(assigned, field)
            || keyText(slot(values, field)) == keyText(slot(stored, field)))
            continue;
        sets << field->name() + QStringLiteral(" = ?");
        arguments << slot(values, field);
        changed.push_back(field);
    }
    if (changed.empty())
        return;
    where << keyCondition(stored, whereArguments);
    for (const Field *field : changed)
        if (!m_keyFields.contains(field->name(), Qt::CaseInsensitive))
            where << storedEquals(field, slot(stored, field), whereArguments);
    int changes = 0;
    try {
        Statement statement(m_dataset.connection()->handle(),
                            QStringLiteral("update %1 set %2 where %3")
                                .arg(m_table, sets.join(QStringLiteral(", ")), where.join(QStringLiteral(" and "))));
        bindAll(statement, arguments + whereArguments);
        changes = statement.execute();
    } catch (const DataError &error) {
        throw plainly(error, WriteKind::Store);
    }
    if (changes == 0)
        throw DataError(QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read."));
}

void TableWriter::deleteRow(const Row &values)
{
    requireTable(QStringLiteral("deleting"));
    QVariantList arguments;
    const QString where = keyCondition(values, arguments);
    int changes = 0;
    try {
        Statement statement(m_dataset.connection()->handle(),
                            QStringLiteral("delete from %1 where %2").arg(m_table, where));
        bindAll(statement, arguments);
        changes = statement.execute();
    } catch (const DataError &error) {
        throw plainly(error, WriteKind::Delete);
    }
    if (changes == 0)
        throw DataError(QStringLiteral("Row cannot be located for deleting. Some values may have been changed since it was last read."));
}

Row TableWriter::readBack(Row values) const
{
    if (m_keyFields.isEmpty())
        return values;
    QVariantList arguments;
    const QString where = keyCondition(values, arguments);
    Statement statement(m_dataset.connection()->handle(), QStringLiteral("select * from %1 where %2").arg(m_table, where));
    bindAll(statement, arguments);
    if (!statement.step())
        return values;
    const int columns = statement.columnCount();
    for (int i = 0; i < m_dataset.fieldCount(); ++i) {
        const Field *field = m_dataset.fieldAt(i);
        if (field->kind() != FieldKind::Data)
            continue;
        for (int c = 0; c < columns; ++c) {
            if (statement.columnName(c).compare(field->name(), Qt::CaseInsensitive) == 0) {
                slot(values, field) = field->read(statement, c);
                break;
            }
        }
    }
    return values;
}

DataError TableWriter::plainly(const DataError &error, WriteKind write) const
{
    // A reference that fails while deleting is one that other rows still hold.
    const FailureKind kind = error.kind() == FailureKind::MissingReference && write == WriteKind::Delete
        ? FailureKind::StillReferenced
        : error.kind();
    return m_dataset.connection()->told(DataError(error.text(), kind, error.engineText()),
                                        namedFields(error.engineText()), m_dataset.name());
}

QStringList TableWriter::namedFields(const QString &engineText) const
{
    // The engine names the columns after a colon: "table.column, table.column"
    // for unique and not-null failures, the check's name or expression for a
    // check; a failure without a colon names none.
    const qsizetype colon = engineText.indexOf(u':');
    if (colon < 0)
        return {};
    static const QRegularExpression name(QStringLiteral("(?:([A-Za-z_]\\w*)\\.)?([A-Za-z_]\\w*)"));
    QStringList visible, hidden;
    for (auto match = name.globalMatch(engineText.mid(colon + 1)); match.hasNext();) {
        const QRegularExpressionMatch each = match.next();
        // A column of another table (a trigger's write) is no field of ours.
        const QString table = each.captured(1);
        if (!table.isEmpty() && table.compare(m_table, Qt::CaseInsensitive) != 0)
            continue;
        const Field *field = m_dataset.findField(each.captured(2));
        if (!field || field->kind() != FieldKind::Data)
            continue;
        QStringList &labels = field->isVisible() ? visible : hidden;
        if (!labels.contains(field->displayLabel()))
            labels << field->displayLabel();
    }
    // A key the user never sees (the catalogue date of a product) goes
    // unnamed beside one the user typed.
    return visible.isEmpty() ? hidden : visible;
}

QString TableWriter::keyCondition(const Row &values, QVariantList &arguments) const
{
    QStringList where;
    for (const QString &key : m_keyFields) {
        const Field *field = m_dataset.field(key);
        where << storedEquals(field, slot(values, field), arguments);
    }
    return where.join(QStringLiteral(" and "));
}

QString TableWriter::storedEquals(const Field *field, const QVariant &value, QVariantList &arguments) const
{
    // Each test matches exactly what reading the column gives `value`.
    const QString &column = field->name();
    if (!value.isValid() || value.isNull())
        return column + QStringLiteral(" is null");
    switch (field->type()) {
    case FieldType::Boolean:
        return column + (value.toBool() ? QStringLiteral(" <> 0") : QStringLiteral(" = 0"));
    case FieldType::String:
    case FieldType::FixedChar:
        // Names compare without regard to case by their column's collation;
        // a change of case is a change all the same.
        arguments << value;
        return column + QStringLiteral(" = ? collate binary");
    case FieldType::DateTime: {
        // The shorter forms a date-time is also read from.
        const QDateTime dt = value.toDateTime();
        QStringList marks;
        arguments << dateTimeToStorage(dt);
        marks << QStringLiteral("?");
        if (dt.time().msec() == 0) {
            arguments << dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            marks << QStringLiteral("?");
        }
        if (dt.time() == QTime(0, 0)) {
            arguments << dt.toString(QStringLiteral("yyyy-MM-dd"));
            marks << QStringLiteral("?");
        }
        return column + QStringLiteral(" in (%1)").arg(marks.join(u','));
    }
    default:
        arguments << value;
        return column + QStringLiteral(" = ?");
    }
}

} // namespace db
