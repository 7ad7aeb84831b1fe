#include "Dataset.h"

#include "FilterText.h"
#include "Statement.h"
#include "Storage.h"

#include <algorithm>

namespace db {

// Lets fields read a row other than the current one (calculating, filtering,
// painting a grid row) and puts the current row back afterwards.
class Dataset::ActiveRowScope
{
public:
    ActiveRowScope(Dataset &dataset, int rowIndex) : m_dataset(dataset), m_saved(dataset.m_activeOverride)
    {
        m_dataset.m_activeOverride = rowIndex;
    }
    ~ActiveRowScope() { m_dataset.m_activeOverride = m_saved; }

private:
    Dataset &m_dataset;
    int m_saved;
};

namespace {
// Guards against a rule running while one is already in progress.
struct FlagScope
{
    explicit FlagScope(bool &flag) : m_flag(flag), m_saved(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_saved; }
    bool &m_flag;
    bool m_saved;
};

void run(const Dataset::Handler &handler, Dataset &dataset)
{
    if (handler)
        handler(dataset);
}
} // namespace

Dataset::Dataset(Connection *connection, const QString &name, QObject *parent)
    : QObject(parent), m_connection(connection), m_name(name)
{
    setObjectName(name);
    if (m_connection)
        m_connection->attach(this);
}

Dataset::~Dataset()
{
    if (m_master) {
        auto &details = m_master->m_details;
        details.erase(std::remove(details.begin(), details.end(), this), details.end());
    }
    for (Dataset *detail : m_details)
        detail->m_master = nullptr;
    if (m_connection)
        m_connection->detach(this);
}

// --- statement and fields ------------------------------------------------------

void Dataset::setSql(const QString &sql)
{
    close();
    m_sql = sql;
    m_params.parse(sql);
}

Field *Dataset::addField(const QString &name, FieldType type, int size)
{
    Q_ASSERT(!isActive());
    m_fields.push_back(std::make_unique<Field>(this, name, type, FieldKind::Data, size));
    m_persistentCount = int(m_fields.size());
    return m_fields.back().get();
}

Field *Dataset::addCalcField(const QString &name, FieldType type, int size)
{
    Q_ASSERT(!isActive());
    m_fields.push_back(std::make_unique<Field>(this, name, type, FieldKind::Calculated, size));
    m_persistentCount = int(m_fields.size());
    return m_fields.back().get();
}

Field *Dataset::addLookupField(const QString &name, FieldType type, int size, Dataset *source,
                               const QStringList &keyFields, const QStringList &lookupKeyFields,
                               const QString &resultField)
{
    Q_ASSERT(!isActive());
    m_fields.push_back(std::make_unique<Field>(this, name, type, FieldKind::Lookup, size));
    m_fields.back()->setLookup(source, keyFields, lookupKeyFields, resultField);
    m_persistentCount = int(m_fields.size());
    return m_fields.back().get();
}

Field *Dataset::findField(const QString &name) const
{
    for (const auto &field : m_fields)
        if (field->name().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

Field *Dataset::field(const QString &name) const
{
    if (Field *f = findField(name))
        return f;
    throw DataError(QStringLiteral("%1: Field '%2' not found").arg(m_name, name));
}

std::vector<Field *> Dataset::lookupFields() const
{
    std::vector<Field *> result;
    for (const auto &field : m_fields)
        if (field->isLookup())
            result.push_back(field.get());
    return result;
}

void Dataset::setUpdateTable(const QString &table, const QStringList &keyFields)
{
    m_updateTable = table;
    m_keyFields = keyFields;
}

void Dataset::setMaster(Dataset *master, const QList<QPair<QString, QString>> &paramToMasterField)
{
    if (m_master) {
        auto &details = m_master->m_details;
        details.erase(std::remove(details.begin(), details.end(), this), details.end());
    }
    m_master = master;
    m_masterLinks = paramToMasterField;
    if (m_master)
        m_master->m_details.push_back(this);
}

// --- open and close -------------------------------------------------------------

void Dataset::requireActive() const
{
    if (!isActive())
        throw DataError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(m_name));
}

void Dataset::open()
{
    if (isActive())
        return;
    run(beforeOpen, *this);
    try {
        if (!m_connection || !m_connection->isConnected())
            throw DataError(QStringLiteral("%1: Connection is closed").arg(m_name));
        applyMasterParams();
        loadRows();
    } catch (...) {
        m_rows.clear();
        clearDefaultFields();
        // What before-open took (lookup sources counted open) is given back;
        // the failure to report is the one that stopped the open.
        if (openFailed) {
            try {
                openFailed(*this);
            } catch (...) {
            }
        }
        throw;
    }
    m_state = DatasetState::Browse;
    rebuildVisible(false);
    notifyState();
    notifyRowSet();
    run(afterOpen, *this);
    for (Dataset *detail : m_details)
        detail->masterChanged(true);
}

void Dataset::close()
{
    if (!isActive())
        return;
    if (isEditing())
        restoreEditedRow();
    run(beforeClose, *this);
    m_rows.clear();
    m_visible.clear();
    m_current = -1;
    m_eof = m_bof = true;
    invalidateIndexes();
    clearDefaultFields();
    m_state = DatasetState::Inactive;
    notifyState();
    notifyRowSet();
    run(afterClose, *this);
    for (Dataset *detail : m_details)
        detail->masterChanged(true);
}

void Dataset::requery()
{
    requireActive();
    checkBrowseMode();
    applyMasterParams();
    loadRows();
    rebuildVisible(false);
    notifyRowSet();
    for (Dataset *detail : m_details)
        detail->masterChanged(true);
}

void Dataset::clearDefaultFields()
{
    m_fields.resize(size_t(m_persistentCount));
}

void Dataset::layoutBuffer()
{
    int slot = 0;
    for (const auto &field : m_fields)
        field->setBufferIndex(field->isLookup() ? -1 : slot++);
}

void Dataset::loadRows()
{
    Statement statement(m_connection->handle(), m_sql);
    for (const Param &param : m_params)
        statement.bind(param.name(), param.value());

    const int columns = statement.columnCount();
    if (m_persistentCount == 0 && m_fields.empty()) {
        // No persistent fields: every result column becomes a field.
        for (int c = 0; c < columns; ++c) {
            const QString decl = statement.columnDeclType(c);
            FieldType type = FieldType::String;
            if (decl.startsWith(QStringLiteral("int")))
                type = FieldType::Integer;
            else if (decl.startsWith(QStringLiteral("real")))
                type = FieldType::Float;
            m_fields.push_back(std::make_unique<Field>(this, statement.columnName(c), type, FieldKind::Data, 0));
        }
        // Date-time columns hold text; a default field reads them as text.
    }
    layoutBuffer();

    // Map each data field to its result column.
    std::vector<std::pair<Field *, int>> mapping;
    for (const auto &field : m_fields) {
        if (field->kind() != FieldKind::Data)
            continue;
        int column = -1;
        for (int c = 0; c < columns; ++c)
            if (statement.columnName(c).compare(field->name(), Qt::CaseInsensitive) == 0) {
                column = c;
                break;
            }
        if (column < 0)
            throw DataError(QStringLiteral("%1: Field '%2' not found").arg(m_name, field->name()));
        mapping.emplace_back(field.get(), column);
    }

    const size_t width = size_t(std::count_if(m_fields.begin(), m_fields.end(),
                                              [](const auto &f) { return !f->isLookup(); }));
    std::vector<Row> rows;
    while (statement.step()) {
        Row row(width);
        for (const auto &[field, column] : mapping)
            row[size_t(field->bufferIndex())] = field->read(statement, column);
        rows.push_back(std::move(row));
    }
    m_rows = std::move(rows);
    invalidateIndexes();
    m_savedRow.clear();
    m_insertedRow = -1;
    m_modified = false;
    if (onCalcFields)
        for (int i = 0; i < int(m_rows.size()); ++i)
            calculateRow(i);
}

void Dataset::calculateRow(int rowIndex)
{
    if (!onCalcFields)
        return;
    bool hasCalc = false;
    for (const auto &field : m_fields)
        if (field->isCalculated()) {
            m_rows[size_t(rowIndex)][size_t(field->bufferIndex())] = QVariant();
            hasCalc = true;
        }
    if (!hasCalc)
        return;
    ActiveRowScope scope(*this, rowIndex);
    FlagScope calc(m_inCalc);
    onCalcFields(*this);
}

// --- rows and the cursor -----------------------------------------------------------

int Dataset::currentRowIndex() const
{
    return m_current >= 0 && m_current < int(m_visible.size()) ? m_visible[size_t(m_current)] : -1;
}

QVariant Dataset::activeValue(int bufferIndex) const
{
    const int row = m_activeOverride >= 0 ? m_activeOverride : currentRowIndex();
    if (row < 0 || bufferIndex < 0)
        return QVariant();
    return m_rows[size_t(row)][size_t(bufferIndex)];
}

QVariant Dataset::valueAt(int index, const Field *field)
{
    if (index < 0 || index >= int(m_visible.size()))
        return QVariant();
    ActiveRowScope scope(*this, m_visible[size_t(index)]);
    return field->value();
}

QString Dataset::displayTextAt(int index, const Field *field)
{
    if (index < 0 || index >= int(m_visible.size()))
        return QString();
    ActiveRowScope scope(*this, m_visible[size_t(index)]);
    return field->displayText();
}

bool Dataset::acceptsRow(int rowIndex)
{
    if (!m_filtered)
        return true;
    ActiveRowScope scope(*this, rowIndex);
    if (m_onFilterRecord && !m_onFilterRecord(*this))
        return false;
    return !m_filter || m_filter->accepts(*this);
}

void Dataset::rebuildVisible(bool keepCurrent)
{
    const int keep = keepCurrent ? currentRowIndex() : -1;
    m_visible.clear();
    m_visible.reserve(m_rows.size());
    for (int i = 0; i < int(m_rows.size()); ++i)
        if (i == m_insertedRow || acceptsRow(i))
            m_visible.push_back(i);
    int current = m_visible.empty() ? -1 : 0;
    if (keep >= 0) {
        const auto it = std::find(m_visible.begin(), m_visible.end(), keep);
        if (it != m_visible.end())
            current = int(it - m_visible.begin());
    }
    m_current = current;
    m_bof = true;
    m_eof = m_visible.empty();
}

void Dataset::setCurrent(int index, bool bof, bool eof)
{
    // The end markers are part of the position: whoever hears of the move
    // (a navigator enabling its buttons) must see them already set.
    const bool moved = index != m_current;
    if (!moved && bof == m_bof && eof == m_eof)
        return;
    if (moved)
        run(beforeScroll, *this);
    m_current = index;
    m_bof = bof;
    m_eof = eof;
    notifyCurrent();
    if (!moved)
        return;
    run(afterScroll, *this);
    for (Dataset *detail : m_details)
        detail->masterChanged(false);
}

void Dataset::first()
{
    requireActive();
    checkBrowseMode();
    setCurrent(m_visible.empty() ? -1 : 0, true, m_visible.empty());
}

void Dataset::last()
{
    requireActive();
    checkBrowseMode();
    setCurrent(int(m_visible.size()) - 1, m_visible.empty(), true);
}

void Dataset::next()
{
    requireActive();
    checkBrowseMode();
    if (m_current + 1 < int(m_visible.size()))
        setCurrent(m_current + 1, false, false);
    else
        setCurrent(m_current, m_bof, true);
}

void Dataset::prior()
{
    requireActive();
    checkBrowseMode();
    if (m_current > 0)
        setCurrent(m_current - 1, false, false);
    else
        setCurrent(m_current, true, m_eof);
}

void Dataset::moveTo(int index)
{
    requireActive();
    if (index < 0 || index >= int(m_visible.size()) || index == m_current)
        return;
    // Dropping an untouched new row shifts the rows below it: the target is
    // the row, not the position.
    const int target = m_visible[size_t(index)];
    checkBrowseMode();
    const auto it = std::find(m_visible.begin(), m_visible.end(), target);
    if (it != m_visible.end())
        index = int(it - m_visible.begin());
    else if (index >= int(m_visible.size()))
        index = int(m_visible.size()) - 1;
    setCurrent(index, false, false);
}

bool Dataset::locate(const QStringList &fields, const QVariantList &values, bool caseInsensitive, bool partialKey)
{
    requireActive();
    checkBrowseMode();
    std::vector<Field *> keyFields;
    for (const QString &name : fields)
        keyFields.push_back(field(name));
    for (int i = 0; i < int(m_visible.size()); ++i) {
        ActiveRowScope scope(*this, m_visible[size_t(i)]);
        bool match = true;
        for (size_t k = 0; k < keyFields.size() && match; ++k) {
            const QVariant value = keyFields[k]->value();
            const QVariant wanted = k < size_t(values.size()) ? values[int(k)] : QVariant();
            if (value.typeId() == QMetaType::QString || wanted.typeId() == QMetaType::QString) {
                const QString a = value.toString(), b = wanted.toString();
                const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
                match = partialKey ? a.startsWith(b, cs) : a.compare(b, cs) == 0;
                if (!wanted.isValid() || wanted.isNull())
                    match = !value.isValid() || value.isNull();
            } else {
                match = keyText(value) == keyText(wanted);
            }
        }
        if (match) {
            setCurrent(i, false, false);
            return true;
        }
    }
    return false;
}

QVariant Dataset::lookupValue(const QStringList &keyFields, const QVariantList &keys, const QString &resultField)
{
    if (!isActive())
        return QVariant();
    const QString indexName = keyFields.join(u'\x1f').toLower();
    auto index = m_lookupIndexes.find(indexName);
    if (index == m_lookupIndexes.end()) {
        QHash<QString, int> built;
        std::vector<Field *> fields;
        for (const QString &name : keyFields)
            fields.push_back(field(name));
        for (int i = 0; i < int(m_rows.size()); ++i) {
            if (i == m_insertedRow)
                continue;
            ActiveRowScope scope(*this, i);
            QString key;
            for (Field *f : fields)
                key += keyText(f->value()) + u'\x1f';
            if (!built.contains(key))
                built.insert(key, i);
        }
        index = m_lookupIndexes.insert(indexName, built);
    }
    QString key;
    for (const QVariant &value : keys)
        key += keyText(value) + u'\x1f';
    const auto hit = index->constFind(key);
    if (hit == index->constEnd())
        return QVariant();
    ActiveRowScope scope(*this, hit.value());
    return field(resultField)->value();
}

// --- editing -------------------------------------------------------------------------

void Dataset::checkBrowseMode()
{
    if (!isEditing())
        return;
    if (m_modified)
        post();
    else
        cancel();
}

void Dataset::insert()
{
    requireActive();
    checkBrowseMode();
    run(beforeInsert, *this);
    const size_t width = size_t(std::count_if(m_fields.begin(), m_fields.end(),
                                              [](const auto &f) { return !f->isLookup(); }));
    m_rows.emplace_back(width);
    m_insertedRow = int(m_rows.size()) - 1;
    const int position = m_current < 0 ? 0 : m_current;
    m_visible.insert(m_visible.begin() + position, m_insertedRow);
    m_assigned.assign(width, false);
    m_modified = false;
    m_state = DatasetState::Insert;
    m_current = position;
    m_bof = m_eof = false;
    calculateRow(m_insertedRow);
    notifyRowSet();
    notifyState();
    for (Dataset *detail : m_details)
        detail->masterChanged(false);
    run(afterInsert, *this);
}

void Dataset::append()
{
    requireActive();
    checkBrowseMode();
    run(beforeInsert, *this);
    const size_t width = size_t(std::count_if(m_fields.begin(), m_fields.end(),
                                              [](const auto &f) { return !f->isLookup(); }));
    m_rows.emplace_back(width);
    m_insertedRow = int(m_rows.size()) - 1;
    m_visible.push_back(m_insertedRow);
    m_assigned.assign(width, false);
    m_modified = false;
    m_state = DatasetState::Insert;
    m_current = int(m_visible.size()) - 1;
    m_bof = m_eof = false;
    calculateRow(m_insertedRow);
    notifyRowSet();
    notifyState();
    for (Dataset *detail : m_details)
        detail->masterChanged(false);
    run(afterInsert, *this);
}

void Dataset::edit()
{
    requireActive();
    if (isEditing())
        return;
    if (m_visible.empty()) {
        append();
        return;
    }
    run(beforeEdit, *this);
    m_savedRow = m_rows[size_t(currentRowIndex())];
    m_assigned.assign(m_savedRow.size(), false);
    m_modified = false;
    m_state = DatasetState::Edit;
    notifyState();
    run(afterEdit, *this);
}

void Dataset::setFieldValue(Field *field, const QVariant &value)
{
    if (field->isLookup())
        throw DataError(QStringLiteral("Field '%1' cannot be modified").arg(field->displayLabel()));
    if (field->isCalculated()) {
        if (!m_inCalc)
            throw DataError(QStringLiteral("Field '%1' cannot be modified").arg(field->displayLabel()));
        const int row = m_activeOverride >= 0 ? m_activeOverride : currentRowIndex();
        if (row >= 0)
            m_rows[size_t(row)][size_t(field->bufferIndex())] = value;
        return;
    }
    if (!isEditing())
        throw DataError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_name));
    if (field->isReadOnly())
        throw DataError(QStringLiteral("Field '%1' cannot be modified").arg(field->displayLabel()));
    const int row = currentRowIndex();
    Q_ASSERT(row >= 0);
    m_rows[size_t(row)][size_t(field->bufferIndex())] = value;
    m_assigned[size_t(field->bufferIndex())] = true;
    m_modified = true;
    // Lookups into this dataset see the row as it is now (a key may have changed).
    invalidateIndexes();
    calculateRow(row);
    if (!controlsDisabled())
        emit fieldChanged(field);
}

void Dataset::post()
{
    requireActive();
    if (!isEditing())
        return;
    run(beforePost, *this);
    Row stored;
    try {
        for (const auto &field : m_fields)
            if (field->kind() == FieldKind::Data && field->isRequired()
                && (field->isNull() || field->value().toString().trimmed().isEmpty()))
                throw DataError(QStringLiteral("Field '%1' must have a value").arg(field->displayLabel()));
        if (whileStoring) {
            Transaction transaction(*m_connection);
            writeRow();
            whileStoring(*this);
            stored = storedRow();
            transaction.commit();
        } else {
            writeRow();
            stored = storedRow();
        }
    } catch (const DataError &error) {
        PostErrorAction action = PostErrorAction::Fail;
        if (onPostError)
            onPostError(*this, error, action);
        if (action == PostErrorAction::Abort)
            throw AbortError();
        throw;
    }
    const int row = currentRowIndex();
    m_rows[size_t(row)] = std::move(stored);
    m_insertedRow = -1;
    m_savedRow.clear();
    m_modified = false;
    m_state = DatasetState::Browse;
    invalidateIndexes();
    calculateRow(row);
    notifyState();
    notifyCurrent();
    run(afterPost, *this);
    for (Dataset *detail : m_details)
        detail->masterChanged(false);
}

void Dataset::writeRow()
{
    if (m_updateTable.isEmpty())
        throw DataError(QStringLiteral("%1: Insufficient key column information for updating").arg(m_name));
    const int row = currentRowIndex();
    Row &values = m_rows[size_t(row)];
    QStringList columns;
    QVariantList arguments;
    for (const auto &field : m_fields) {
        if (field->kind() != FieldKind::Data || !m_assigned[size_t(field->bufferIndex())])
            continue;
        if (m_state == DatasetState::Edit
            && keyText(values[size_t(field->bufferIndex())]) == keyText(m_savedRow[size_t(field->bufferIndex())]))
            continue;
        columns << field->name();
        arguments << values[size_t(field->bufferIndex())];
    }

    if (m_state == DatasetState::Insert) {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        const QString sql = columns.isEmpty()
            ? QStringLiteral("insert into %1 default values").arg(m_updateTable)
            : QStringLiteral("insert into %1 (%2) values (%3)").arg(m_updateTable, columns.join(u','), marks.join(u','));
        Statement statement(m_connection->handle(), sql);
        for (int i = 0; i < arguments.size(); ++i)
            statement.bind(i + 1, arguments[i]);
        statement.execute();
        // A counter key left to the database takes the number it gave (again
        // after a store that failed and was undone: that number is void).
        for (const QString &key : m_keyFields) {
            Field *f = field(key);
            if (f->type() == FieldType::AutoInc && !m_assigned[size_t(f->bufferIndex())]) {
                Statement last(m_connection->handle(), QStringLiteral("select last_insert_rowid()"));
                last.step();
                values[size_t(f->bufferIndex())] = QVariant(int(last.integer(0)));
            }
        }
        return;
    }

    if (columns.isEmpty())
        return;
    QStringList sets, where;
    for (const QString &column : columns)
        sets << column + QStringLiteral(" = ?");
    // The row is found by its key as read and, so that an edit made on a
    // stale snapshot cannot overwrite a newer value, by the value each
    // changed column had when read.
    QVariantList whereValues;
    for (const QString &key : m_keyFields) {
        Field *f = field(key);
        where << storedEquals(f, m_savedRow[size_t(f->bufferIndex())], whereValues);
    }
    for (const QString &column : columns) {
        if (m_keyFields.contains(column, Qt::CaseInsensitive))
            continue;
        Field *f = field(column);
        where << storedEquals(f, m_savedRow[size_t(f->bufferIndex())], whereValues);
    }
    Statement statement(m_connection->handle(), QStringLiteral("update %1 set %2 where %3")
                                                     .arg(m_updateTable, sets.join(QStringLiteral(", ")),
                                                          where.join(QStringLiteral(" and "))));
    int index = 1;
    for (const QVariant &value : arguments)
        statement.bind(index++, value);
    for (const QVariant &value : whereValues)
        statement.bind(index++, value);
    if (statement.execute() == 0)
        throw DataError(QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read."));
}

QString Dataset::storedEquals(const Field *field, const QVariant &value, QVariantList &arguments) const
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

Dataset::Row Dataset::storedRow()
{
    // Reads the row back as the file now holds it: defaults and counters the
    // database filled in, values its triggers rounded. A later edit of the
    // row is compared with these.
    Row values = m_rows[size_t(currentRowIndex())];
    QStringList where;
    QVariantList arguments;
    for (const QString &key : m_keyFields) {
        Field *f = field(key);
        where << storedEquals(f, values[size_t(f->bufferIndex())], arguments);
    }
    if (where.isEmpty())
        return values;
    Statement statement(m_connection->handle(), QStringLiteral("select * from %1 where %2")
                                                     .arg(m_updateTable, where.join(QStringLiteral(" and "))));
    for (int i = 0; i < arguments.size(); ++i)
        statement.bind(i + 1, arguments[i]);
    if (!statement.step())
        return values;
    const int columns = statement.columnCount();
    for (const auto &f : m_fields) {
        if (f->kind() != FieldKind::Data)
            continue;
        for (int c = 0; c < columns; ++c) {
            if (statement.columnName(c).compare(f->name(), Qt::CaseInsensitive) == 0) {
                values[size_t(f->bufferIndex())] = f->read(statement, c);
                break;
            }
        }
    }
    return values;
}

void Dataset::restoreEditedRow()
{
    if (m_state == DatasetState::Insert) {
        const int row = m_insertedRow;
        m_visible.erase(std::remove(m_visible.begin(), m_visible.end(), row), m_visible.end());
        m_rows.erase(m_rows.begin() + row);
        for (int &v : m_visible)
            if (v > row)
                --v;
        m_insertedRow = -1;
        if (m_current >= int(m_visible.size()))
            m_current = int(m_visible.size()) - 1;
        m_eof = m_visible.empty();
        m_bof = m_visible.empty();
    } else if (m_state == DatasetState::Edit) {
        m_rows[size_t(currentRowIndex())] = m_savedRow;
    }
    m_savedRow.clear();
    m_modified = false;
    m_state = DatasetState::Browse;
    invalidateIndexes();
}

void Dataset::cancel()
{
    requireActive();
    if (!isEditing())
        return;
    run(beforeCancel, *this);
    const bool wasInsert = m_state == DatasetState::Insert;
    restoreEditedRow();
    notifyState();
    wasInsert ? notifyRowSet() : notifyCurrent();
    run(afterCancel, *this);
    for (Dataset *detail : m_details)
        detail->masterChanged(false);
}

void Dataset::remove()
{
    requireActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (m_visible.empty())
        throw DataError(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(m_name));
    if (m_state == DatasetState::Edit) {
        restoreEditedRow();
        notifyState();
    }
    run(beforeDelete, *this);
    if (m_updateTable.isEmpty())
        throw DataError(QStringLiteral("%1: Insufficient key column information for deleting").arg(m_name));
    const int row = currentRowIndex();
    QStringList where;
    QVariantList keyValues;
    for (const QString &key : m_keyFields) {
        Field *f = field(key);
        where << storedEquals(f, m_rows[size_t(row)][size_t(f->bufferIndex())], keyValues);
    }
    {
        Transaction transaction(*m_connection);
        Statement statement(m_connection->handle(), QStringLiteral("delete from %1 where %2")
                                                         .arg(m_updateTable, where.join(QStringLiteral(" and "))));
        for (int i = 0; i < keyValues.size(); ++i)
            statement.bind(i + 1, keyValues[i]);
        // A row already gone from the file must not count as deleted: the
        // rules run below would move its points a second time.
        if (statement.execute() == 0)
            throw DataError(QStringLiteral("Row cannot be located for deleting. Some values may have been changed since it was last read."));
        if (whileDeleting)
            whileDeleting(*this);
        transaction.commit();
    }

    m_visible.erase(m_visible.begin() + m_current);
    m_rows.erase(m_rows.begin() + row);
    for (int &v : m_visible)
        if (v > row)
            --v;
    if (m_current >= int(m_visible.size()))
        m_current = int(m_visible.size()) - 1;
    m_eof = m_visible.empty();
    m_bof = m_visible.empty();
    invalidateIndexes();
    notifyRowSet();
    run(afterDelete, *this);
    for (Dataset *detail : m_details)
        detail->masterChanged(false);
}

// --- filtering ---------------------------------------------------------------------------

void Dataset::setFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    if (isActive())
        checkBrowseMode();
    m_filtered = filtered;
    if (isActive()) {
        rebuildVisible(false);
        notifyRowSet();
        for (Dataset *detail : m_details)
            detail->masterChanged(false);
    }
}

void Dataset::setFilterText(const QString &text)
{
    std::unique_ptr<FilterText> parsed;
    if (!text.trimmed().isEmpty()) {
        // Field names are known only while open; persistent fields always are.
        parsed = std::make_unique<FilterText>(text, *this);
    }
    if (isActive())
        checkBrowseMode();
    m_filter = std::move(parsed);
    m_filterText = text;
    if (isActive() && m_filtered) {
        rebuildVisible(false);
        notifyRowSet();
        for (Dataset *detail : m_details)
            detail->masterChanged(false);
    }
}

void Dataset::setOnFilterRecord(FilterHandler handler)
{
    m_onFilterRecord = std::move(handler);
}

void Dataset::refilter()
{
    if (!isActive())
        return;
    checkBrowseMode();
    rebuildVisible(true);
    notifyRowSet();
    for (Dataset *detail : m_details)
        detail->masterChanged(false);
}

// --- master and detail --------------------------------------------------------------------

void Dataset::applyMasterParams()
{
    if (!m_master)
        return;
    QString key;
    for (const auto &[paramName, masterField] : m_masterLinks) {
        QVariant value;
        if (m_master->isActive() && m_master->currentRowIndex() >= 0)
            value = m_master->field(masterField)->value();
        m_params.byName(paramName).setValue(value);
        key += keyText(value) + u'\x1f';
    }
    m_lastMasterKey = key;
}

void Dataset::masterChanged(bool force)
{
    if (!isActive() || !m_master)
        return;
    QString key;
    for (const auto &[paramName, masterField] : m_masterLinks) {
        QVariant value;
        if (m_master->isActive() && m_master->currentRowIndex() >= 0)
            value = m_master->field(masterField)->value();
        key += keyText(value) + u'\x1f';
    }
    if (!force && key == m_lastMasterKey)
        return;
    if (isEditing())
        restoreEditedRow();
    applyMasterParams();
    loadRows();
    rebuildVisible(false);
    notifyState();
    notifyRowSet();
    for (Dataset *detail : m_details)
        detail->masterChanged(true);
}

// --- notifications -------------------------------------------------------------------------

void Dataset::enableControls()
{
    if (m_controlsDisabled > 0 && --m_controlsDisabled == 0) {
        emit rowSetChanged();
        emit currentRowChanged();
        emit stateChanged();
    }
}

void Dataset::notifyRowSet()
{
    if (!controlsDisabled()) {
        emit rowSetChanged();
        emit currentRowChanged();
    }
}

void Dataset::notifyCurrent()
{
    if (!controlsDisabled())
        emit currentRowChanged();
}

void Dataset::notifyState()
{
    if (!controlsDisabled())
        emit stateChanged();
}

} // namespace db
