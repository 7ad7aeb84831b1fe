#include "Dataset.h"

#include "FilterText_p.h"
#include "KeyText.h"
#include "LookupIndex_p.h"
#include "MasterLink_p.h"
#include "RowSet_p.h"
#include "Statement_p.h"
#include "TableWriter_p.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <optional>

namespace db {

namespace {
void run(const Dataset::Handler &handler, Dataset &dataset)
{
    if (handler)
        handler(dataset);
}
} // namespace

Dataset::Dataset(Connection *connection, const QString &name, QObject *parent)
    : QObject(parent), m_connection(connection), m_name(name), m_writer(std::make_unique<TableWriter>(*this)),
      m_rows(std::make_unique<RowSet>()), m_lookups(std::make_unique<Lookups>())
{
    setObjectName(name);
    if (m_connection)
        m_connection->attach(this);
}

Dataset::~Dataset()
{
    if (m_link)
        std::erase(m_link->master()->m_details, this);
    for (Dataset *detail : m_details)
        detail->m_link.reset();
    m_lookups->unlinkAll(this, [](Dataset *other) -> Lookups & { return *other->m_lookups; });
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

Field *Dataset::addLookupField(const QString &name, FieldType type, int size, Dataset *source,
                               const QStringList &keyFields, const QStringList &lookupKeyFields,
                               const QString &resultField)
{
    Field *field = m_fields.add(name, type, FieldKind::Lookup, size);
    field->setLookup(source, keyFields, lookupKeyFields, resultField);
    if (source)
        Lookups::link(*m_lookups, this, *source->m_lookups, source);
    return field;
}

Field *Dataset::field(const QString &name) const
{
    if (Field *f = findField(name))
        return f;
    throw DataError(QStringLiteral("%1: Field '%2' not found").arg(m_name, name));
}

void Dataset::setUpdateTable(const QString &table, const QStringList &keyFields)
{
    m_writer->setTable(table, keyFields);
}

const QString &Dataset::updateTable() const
{
    return m_writer->table();
}

void Dataset::setMaster(Dataset *master, const QList<QPair<QString, QString>> &paramToMasterField)
{
    if (m_link)
        std::erase(m_link->master()->m_details, this);
    m_link.reset(master ? new MasterLink(master, paramToMasterField) : nullptr);
    if (master)
        master->m_details.push_back(this);
}

Dataset *Dataset::master() const
{
    return m_link ? m_link->master() : nullptr;
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
        loadRows();
    } catch (...) {
        m_rows->clear();
        m_fields.dropDefaults();
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
    refreshVisible(KeepCurrent::No);
    notifyState();
    notifyRowSet();
    notifyLookupUsers();
    run(afterOpen, *this);
    notifyDetails(MasterRefresh::Always);
}

void Dataset::close()
{
    if (!isActive())
        return;
    if (isEditing())
        restoreEditedRow();
    run(beforeClose, *this);
    m_rows->clear();
    invalidateIndexes();
    m_fields.dropDefaults();
    m_state = DatasetState::Inactive;
    notifyState();
    notifyRowSet();
    notifyLookupUsers();
    run(afterClose, *this);
    notifyDetails(MasterRefresh::Always);
}

void Dataset::requery()
{
    requireActive();
    checkBrowseMode();
    loadRows();
    refreshVisible(KeepCurrent::No);
    notifyRowSet();
    notifyLookupUsers();
    notifyDetails(MasterRefresh::Always);
}

void Dataset::loadRows()
{
    if (m_link)
        m_link->applyTo(m_params);
    Statement statement(m_connection->handle(), m_sql);
    for (const Param &param : m_params)
        statement.bind(param.name(), param.value());
    m_rows->assign(m_fields.readRows(statement));
    invalidateIndexes();
    m_savedRow.clear();
    m_modified = false;
    if (onCalcFields)
        for (int i = 0; i < m_rows->size(); ++i)
            calculateRow(i);
}

void Dataset::calculateRow(int rowIndex)
{
    if (!onCalcFields)
        return;
    if (!m_fields.clearCalculated(m_rows->row(rowIndex)))
        return;
    const QScopedValueRollback activeRow(m_activeOverride, rowIndex);
    const QScopedValueRollback calculating(m_inCalc, true);
    onCalcFields(*this);
}

// --- rows and the cursor -----------------------------------------------------------

int Dataset::currentRowIndex() const { return m_rows->currentRow(); }
bool Dataset::eof() const { return m_rows->eof(); }
bool Dataset::bof() const { return m_rows->bof(); }
int Dataset::recordCount() const { return m_rows->visibleCount(); }
bool Dataset::isEmpty() const { return m_rows->isEmpty(); }
int Dataset::currentIndex() const { return m_rows->current(); }
QVariant Dataset::activeValue(int bufferIndex) const
{
    const int row = m_activeOverride >= 0 ? m_activeOverride : currentRowIndex();
    if (row < 0 || bufferIndex < 0)
        return QVariant();
    return m_rows->row(row)[size_t(bufferIndex)];
}

void Dataset::invalidateIndexes()
{
    m_lookups->clear();
}

void Dataset::notifyLookupUsers()
{
    invalidateIndexes();
    for (Dataset *user : std::vector<Dataset *>(m_lookups->users()))
        user->lookupSourceChanged();
}

void Dataset::lookupSourceChanged()
{
    if (!isActive())
        return;
    // Calculated values are kept with each row, so they are worked out again
    // from the values looked up now.
    if (onCalcFields)
        for (int i = 0; i < m_rows->size(); ++i)
            calculateRow(i);
    if (!controlsDisabled())
        emit valuesChanged();
}

QVariant Dataset::valueAt(int index, const Field *field)
{
    if (index < 0 || index >= recordCount())
        return QVariant();
    const QScopedValueRollback activeRow(m_activeOverride, m_rows->storageIndexOf(index));
    return field->value();
}

QString Dataset::displayTextAt(int index, const Field *field)
{
    if (index < 0 || index >= recordCount())
        return QString();
    const QScopedValueRollback activeRow(m_activeOverride, m_rows->storageIndexOf(index));
    return field->displayText();
}

bool Dataset::acceptsRow(int rowIndex)
{
    if (!m_filtered)
        return true;
    const QScopedValueRollback activeRow(m_activeOverride, rowIndex);
    if (m_onFilterRecord && !m_onFilterRecord(*this))
        return false;
    return !m_filter || m_filter->accepts(*this);
}

void Dataset::refreshVisible(KeepCurrent keep)
{
    m_rows->rebuild([this](int row) { return acceptsRow(row); }, keep);
}

void Dataset::setCurrent(int index, CursorEdges edges)
{
    // The end markers are part of the position: whoever hears of the move
    // (a navigator enabling its buttons) must see them already set.
    const bool moved = index != m_rows->current();
    if (!moved && edges == m_rows->edges())
        return;
    if (moved)
        run(beforeScroll, *this);
    m_rows->setCursor(index, edges);
    notifyCurrent();
    if (!moved)
        return;
    run(afterScroll, *this);
    notifyDetails(MasterRefresh::IfKeyChanged);
}

void Dataset::step(CursorMove move)
{
    requireActive();
    checkBrowseMode();
    const auto [index, edges] = m_rows->positionAfter(move);
    setCurrent(index, edges);
}

void Dataset::moveTo(int index)
{
    requireActive();
    if (index < 0 || index >= recordCount() || index == currentIndex())
        return;
    // Dropping an untouched new row shifts the rows below it: the target is
    // the row, not the position.
    const int target = m_rows->storageIndexOf(index);
    checkBrowseMode();
    const int found = m_rows->visibleIndexOf(target);
    setCurrent(found >= 0 ? found : std::min(index, recordCount() - 1), CursorEdge::None);
}

bool Dataset::locate(const QStringList &fields, const QVariantList &values, LocateOptions options)
{
    requireActive();
    checkBrowseMode();
    const int found = firstMatch(recordCount(), int(fields.size()), keyReader(fields, RowIndex::Visible), values, options);
    if (found >= 0)
        setCurrent(found, CursorEdge::None);
    return found >= 0;
}

QVariant Dataset::lookupValue(const QStringList &keyFields, const QVariantList &keys, const QString &resultField)
{
    if (!isActive())
        return QVariant();
    const int row = m_lookups->find(
        keyFields, keys, m_rows->size(), [&] { return keyReader(keyFields, RowIndex::Storage); },
        [this](int newRow) { return newRow == m_rows->insertedRow(); });
    if (row < 0)
        return QVariant();
    const QScopedValueRollback activeRow(m_activeOverride, row);
    return field(resultField)->value();
}

KeyReader Dataset::keyReader(const QStringList &keyFields, RowIndex rows)
{
    std::vector<Field *> fields;
    for (const QString &name : keyFields)
        fields.push_back(field(name));
    return [this, fields, rows](int row, int k) {
        const QScopedValueRollback activeRow(m_activeOverride,
                                             rows == RowIndex::Visible ? m_rows->storageIndexOf(row) : row);
        return fields[std::size_t(k)]->value();
    };
}

// --- editing -------------------------------------------------------------------------

void Dataset::checkBrowseMode()
{
    // A detail's typed values belong to this dataset's current row: they are
    // stored before it moves, so that the move cannot drop them. A detail's
    // rule that moves this dataset while storing does not start it again.
    if (!m_checkingDetails) {
        const QScopedValueRollback checking(m_checkingDetails, true);
        for (Dataset *detail : std::vector<Dataset *>(m_details))
            detail->checkBrowseMode();
    }
    if (!isEditing())
        return;
    if (m_modified)
        post();
    else
        cancel();
}

void Dataset::beginInsert(InsertAt where)
{
    requireActive();
    checkBrowseMode();
    run(beforeInsert, *this);
    const size_t width = m_fields.rowWidth();
    m_rows->beginInsert(where == InsertAt::End ? recordCount() : std::max(currentIndex(), 0), width);
    m_assigned.assign(width, false);
    m_modified = false;
    m_state = DatasetState::Insert;
    calculateRow(m_rows->insertedRow());
    notifyRowSet();
    notifyState();
    notifyDetails(MasterRefresh::IfKeyChanged);
    run(afterInsert, *this);
}

void Dataset::edit()
{
    requireActive();
    if (isEditing())
        return;
    if (isEmpty()) {
        append();
        return;
    }
    run(beforeEdit, *this);
    m_savedRow = m_rows->row(currentRowIndex());
    m_assigned.assign(m_savedRow.size(), false);
    m_modified = false;
    m_state = DatasetState::Edit;
    notifyState();
    run(afterEdit, *this);
}

void Dataset::setFieldValue(Field *field, const QVariant &value)
{
    const auto refuse = [field] {
        return DataError(QStringLiteral("Field '%1' cannot be modified").arg(field->displayLabel()));
    };
    if (field->isLookup())
        throw refuse();
    if (field->isCalculated()) {
        if (!m_inCalc)
            throw refuse();
        const int row = m_activeOverride >= 0 ? m_activeOverride : currentRowIndex();
        if (row >= 0)
            m_rows->row(row)[size_t(field->bufferIndex())] = value;
        return;
    }
    if (!isEditing())
        throw DataError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_name));
    if (field->isReadOnly())
        throw refuse();
    const int row = currentRowIndex();
    Q_ASSERT(row >= 0);
    m_rows->row(row)[size_t(field->bufferIndex())] = value;
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
    const int row = currentRowIndex();
    Q_ASSERT(row >= 0);
    const auto write = [&] {
        if (m_state == DatasetState::Insert)
            m_writer->insertRow(m_rows->row(row), m_assigned);
        else
            m_writer->updateRow(m_rows->row(row), m_savedRow, m_assigned);
    };
    Row stored;
    try {
        m_fields.checkRequired();
        // Rules that must happen with the write (the customer's points of an
        // order) run inside its transaction.
        std::optional<Transaction> transaction;
        if (whileStoring)
            transaction.emplace(*m_connection);
        write();
        run(whileStoring, *this);
        stored = m_writer->readBack(m_rows->row(row));
        if (transaction)
            transaction->commit();
    } catch (const DataError &failure) {
        // The points statement's failure, too, reaches the user in plain words.
        const DataError error = m_connection->told(failure, {}, m_name);
        PostErrorAction action = PostErrorAction::Fail;
        if (onPostError)
            onPostError(*this, error, action);
        if (action == PostErrorAction::Abort)
            throw AbortError();
        throw error;
    }
    m_rows->row(row) = std::move(stored);
    m_rows->endInsert();
    m_savedRow.clear();
    m_modified = false;
    m_state = DatasetState::Browse;
    invalidateIndexes();
    calculateRow(row);
    notifyState();
    notifyCurrent();
    notifyLookupUsers();
    run(afterPost, *this);
    notifyDetails(MasterRefresh::IfKeyChanged);
}

void Dataset::restoreEditedRow()
{
    if (m_state == DatasetState::Insert)
        m_rows->erase(m_rows->insertedRow());
    else if (m_state == DatasetState::Edit)
        m_rows->row(currentRowIndex()) = m_savedRow;
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
    notifyDetails(MasterRefresh::IfKeyChanged);
}

void Dataset::remove()
{
    requireActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw DataError(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(m_name));
    if (m_state == DatasetState::Edit) {
        restoreEditedRow();
        notifyState();
    }
    run(beforeDelete, *this);
    const int row = currentRowIndex();
    try {
        Transaction transaction(*m_connection);
        m_writer->deleteRow(m_rows->row(row));
        if (whileDeleting)
            whileDeleting(*this);
        transaction.commit();
    } catch (const DataError &failure) {
        throw m_connection->told(failure, {}, m_name);
    }
    m_rows->erase(row);
    invalidateIndexes();
    notifyRowSet();
    notifyLookupUsers();
    run(afterDelete, *this);
    notifyDetails(MasterRefresh::IfKeyChanged);
}

// --- filtering ---------------------------------------------------------------------------

void Dataset::setFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    if (isActive())
        checkBrowseMode();
    m_filtered = filtered;
    if (isActive())
        showFiltered(KeepCurrent::No);
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
    if (isActive() && m_filtered)
        showFiltered(KeepCurrent::No);
}

void Dataset::refilter()
{
    if (!isActive())
        return;
    checkBrowseMode();
    showFiltered(KeepCurrent::IfVisible);
}

void Dataset::showFiltered(KeepCurrent keep)
{
    refreshVisible(keep);
    notifyRowSet();
    notifyDetails(MasterRefresh::IfKeyChanged);
}

// --- master and detail --------------------------------------------------------------------

void Dataset::masterChanged(MasterRefresh refresh)
{
    if (!isActive() || !m_link || (refresh == MasterRefresh::IfKeyChanged && !m_link->keyChanged()))
        return;
    // A pending edit was stored before the master moved (checkBrowseMode);
    // one still here belongs to master rows that were read again or are gone.
    if (isEditing())
        restoreEditedRow();
    loadRows();
    refreshVisible(KeepCurrent::No);
    notifyState();
    notifyRowSet();
    notifyLookupUsers();
    notifyDetails(MasterRefresh::Always);
}

void Dataset::notifyDetails(MasterRefresh refresh)
{
    for (Dataset *detail : std::vector<Dataset *>(m_details))
        detail->masterChanged(refresh);
}

} // namespace db
