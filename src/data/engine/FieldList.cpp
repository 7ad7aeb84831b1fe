#include "FieldList.h"

#include "Dataset.h"
#include "Errors.h"
#include "Statement_p.h"

#include <algorithm>

namespace db {

Field *FieldList::add(const QString &name, FieldType type, FieldKind kind, int size)
{
    Q_ASSERT(count() == m_persistentCount); // no default fields: the dataset is closed
    m_fields.push_back(std::make_unique<Field>(m_dataset, name, type, kind, size));
    m_persistentCount = count();
    return m_fields.back().get();
}

Field *FieldList::find(const QString &name) const
{
    for (const auto &field : m_fields)
        if (field->name().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

std::vector<Field *> FieldList::ofKind(FieldKind kind) const
{
    std::vector<Field *> result;
    for (const auto &field : m_fields)
        if (field->kind() == kind)
            result.push_back(field.get());
    return result;
}

std::size_t FieldList::rowWidth() const
{
    return std::size_t(std::count_if(m_fields.begin(), m_fields.end(), [](const auto &f) { return !f->isLookup(); }));
}

std::vector<std::vector<QVariant>> FieldList::readRows(Statement &statement)
{
    const int columns = statement.columnCount();
    if (m_fields.empty()) {
        // Date-time columns hold text; a default field reads them as text.
        for (int c = 0; c < columns; ++c) {
            const QString decl = statement.columnDeclType(c);
            FieldType type = FieldType::String;
            if (decl.startsWith(QStringLiteral("int")))
                type = FieldType::Integer;
            else if (decl.startsWith(QStringLiteral("real")))
                type = FieldType::Float;
            m_fields.push_back(std::make_unique<Field>(m_dataset, statement.columnName(c), type, FieldKind::Data, 0));
        }
    }
    int slot = 0;
    for (const auto &field : m_fields)
        field->setBufferIndex(field->isLookup() ? -1 : slot++);

    // Each data field reads its result column straight into its slot: a
    // journal of a million orders makes no value it does not keep.
    std::vector<std::pair<Field *, int>> mapping;
    for (const auto &field : m_fields) {
        if (field->kind() != FieldKind::Data)
            continue;
        int column = -1;
        for (int c = 0; c < columns && column < 0; ++c)
            if (statement.columnName(c).compare(field->name(), Qt::CaseInsensitive) == 0)
                column = c;
        if (column < 0)
            throw DataError(QStringLiteral("%1: Field '%2' not found").arg(m_dataset->name(), field->name()));
        mapping.emplace_back(field.get(), column);
    }

    const std::size_t width = rowWidth();
    std::vector<std::vector<QVariant>> rows;
    while (statement.step()) {
        std::vector<QVariant> row(width);
        for (const auto &[field, column] : mapping)
            row[std::size_t(field->bufferIndex())] = field->read(statement, column);
        rows.push_back(std::move(row));
    }
    return rows;
}

bool FieldList::clearCalculated(std::vector<QVariant> &row) const
{
    bool any = false;
    for (const auto &field : m_fields)
        if (field->isCalculated()) {
            row[std::size_t(field->bufferIndex())] = QVariant();
            any = true;
        }
    return any;
}

void FieldList::checkRequired() const
{
    for (const auto &field : m_fields)
        if (field->kind() == FieldKind::Data && field->isRequired()
            && (field->isNull() || field->value().toString().trimmed().isEmpty()))
            throw DataError(QStringLiteral("Field '%1' must have a value").arg(field->displayLabel()));
}

} // namespace db
