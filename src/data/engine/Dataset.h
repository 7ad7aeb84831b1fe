#pragma once
// A data-aware dataset over one statement: a static in-memory snapshot of the
// rows with a current row, the classic states and events, and posting of the
// current row back to one base table by key.

#include "Connection.h"
#include "Errors.h"
#include "Field.h"
#include "Param.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace db {

class FilterText;

enum class DatasetState { Inactive, Browse, Edit, Insert };
/// What a post-error handler decides: let the failure go on, or stop silently.
enum class PostErrorAction { Fail, Abort };

class Dataset : public QObject, public ConnectionClient
{
    Q_OBJECT

public:
    using Handler = std::function<void(Dataset &)>;
    using FilterHandler = std::function<bool(Dataset &)>;
    using PostErrorHandler = std::function<void(Dataset &, const DataError &, PostErrorAction &)>;

    Dataset(Connection *connection, const QString &name, QObject *parent = nullptr);
    ~Dataset() override;

    const QString &name() const { return m_name; }
    Connection *connection() const { return m_connection; }

    // --- statement and parameters -------------------------------------------
    /// Sets the statement; its ":name" markers become the parameters (values of
    /// names that stay are kept). Closes the dataset first.
    void setSql(const QString &sql);
    const QString &sql() const { return m_sql; }
    Params &params() { return m_params; }
    /// Throws DataError when the statement has no such parameter.
    Param &param(const QString &name) { return m_params.byName(name); }

    // --- fields --------------------------------------------------------------
    /// Persistent fields, in order. Without any, the columns of the result
    /// become fields while the dataset is open.
    Field *addField(const QString &name, FieldType type, int size = 0);
    Field *addCalcField(const QString &name, FieldType type, int size = 0);
    Field *addLookupField(const QString &name, FieldType type, int size, Dataset *source,
                          const QStringList &keyFields, const QStringList &lookupKeyFields,
                          const QString &resultField);
    /// Throws DataError "Field 'x' not found".
    Field *field(const QString &name) const;
    Field *findField(const QString &name) const;
    int fieldCount() const { return int(m_fields.size()); }
    Field *fieldAt(int index) const { return m_fields[size_t(index)].get(); }
    /// Datasets whose lookup fields use this one (for the lookup counter).
    std::vector<Field *> lookupFields() const;

    /// The table rows are written back to and its key columns.
    void setUpdateTable(const QString &table, const QStringList &keyFields);
    const QString &updateTable() const { return m_updateTable; }

    /// Makes this the detail of `master`: each parameter named in `paramToField`
    /// takes the value of the master's field, and the rows follow the master's
    /// current row.
    void setMaster(Dataset *master, const QList<QPair<QString, QString>> &paramToMasterField);
    Dataset *master() const { return m_master; }

    // --- open and close ------------------------------------------------------
    void open();
    void close() override;
    void setActive(bool active) { active ? open() : close(); }
    bool isActive() const { return m_state != DatasetState::Inactive; }
    /// Reads the rows again (pending changes are posted first); no open or
    /// close events; the first row becomes current.
    void requery();
    DatasetState state() const { return m_state; }
    bool isEditing() const { return m_state == DatasetState::Edit || m_state == DatasetState::Insert; }
    bool isModified() const { return m_modified; }

    // --- navigation (visible rows only) --------------------------------------
    void first();
    void last();
    void next();
    void prior();
    /// Moves to visible row `index` (0-based).
    void moveTo(int index);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recordCount() const { return int(m_visible.size()); }
    bool isEmpty() const { return m_visible.empty(); }
    /// 0-based index of the current row among the visible rows; -1 when empty.
    int currentIndex() const { return m_current; }
    /// Finds the first visible row whose fields equal `values` and makes it
    /// current. Text compares case-insensitively when asked; a partial key
    /// matches text that starts with the value.
    bool locate(const QStringList &fields, const QVariantList &values, bool caseInsensitive = false,
                bool partialKey = false);
    bool locate(const QString &field, const QVariant &value) { return locate(QStringList{field}, {value}); }

    /// The value of `field` in visible row `index`, without moving the cursor.
    QVariant valueAt(int index, const Field *field);
    QString displayTextAt(int index, const Field *field);

    /// `resultField` of the first row whose `keyFields` equal `keys`, through
    /// a hash index kept until the rows change; null when none or inactive.
    QVariant lookupValue(const QStringList &keyFields, const QVariantList &keys, const QString &resultField);

    // --- editing -------------------------------------------------------------
    void insert();
    void append();
    void edit();
    void post();
    void cancel();
    void remove();
    /// Posts a pending edit or insert when modified, cancels an untouched one.
    void checkBrowseMode();

    // --- filtering -----------------------------------------------------------
    void setFiltered(bool filtered);
    bool isFiltered() const { return m_filtered; }
    /// Parses the filter text; a text that cannot be parsed throws DataError
    /// and the previous filter stays in force.
    void setFilterText(const QString &text);
    const QString &filterText() const { return m_filterText; }
    void setOnFilterRecord(FilterHandler handler);
    /// Applies the filter again (after the record-filter handler's inputs
    /// changed); keeps the current row when it stays visible.
    void refilter();

    // --- display suspension --------------------------------------------------
    void disableControls() { ++m_controlsDisabled; }
    void enableControls();
    bool controlsDisabled() const { return m_controlsDisabled > 0; }

    // --- events --------------------------------------------------------------
    Handler beforeOpen, afterOpen, beforeClose, afterClose;
    Handler beforeInsert, afterInsert, beforeEdit, afterEdit;
    Handler beforePost, afterPost, beforeCancel, afterCancel;
    Handler beforeDelete, afterDelete, beforeScroll, afterScroll;
    /// Run inside the transaction that writes the row (after the write) or
    /// deletes it (after the delete): a failure there undoes the write and
    /// the row keeps its state, so the two happen together or not at all.
    Handler whileStoring, whileDeleting;
    /// Run when an open fails after before-open ran (the dataset stays
    /// closed, so after-close will not run): undoes what before-open did.
    Handler openFailed;
    Handler onCalcFields;
    PostErrorHandler onPostError;
    // Engine internals used by Field.
    QVariant activeValue(int bufferIndex) const;
    void setFieldValue(Field *field, const QVariant &value);

signals:
    void rowSetChanged();
    void currentRowChanged();
    void fieldChanged(db::Field *field);
    void stateChanged();

private:
    using Row = std::vector<QVariant>;

    void requireActive() const;
    void requireBrowseOrEdit() const;
    void loadRows();
    void clearDefaultFields();
    void layoutBuffer();
    void calculateRow(int rowIndex);
    bool acceptsRow(int rowIndex);
    void rebuildVisible(bool keepCurrent);
    void setCurrent(int index, bool bof, bool eof);
    void writeRow();
    QString storedEquals(const Field *field, const QVariant &value, QVariantList &arguments) const;
    Row storedRow();
    void restoreEditedRow();
    void applyMasterParams();
    void masterChanged(bool force);
    void invalidateIndexes()
    {
        if (!m_lookupIndexes.isEmpty())
            m_lookupIndexes.clear();
    }
    void notifyRowSet();
    void notifyCurrent();
    void notifyState();
    int currentRowIndex() const;

    class ActiveRowScope;

    Connection *m_connection;
    QString m_name;
    QString m_sql;
    Params m_params;
    std::vector<std::unique_ptr<Field>> m_fields;
    int m_persistentCount = 0;
    QString m_updateTable;
    QStringList m_keyFields;

    Dataset *m_master = nullptr;
    QList<QPair<QString, QString>> m_masterLinks;
    std::vector<Dataset *> m_details;
    QString m_lastMasterKey;

    DatasetState m_state = DatasetState::Inactive;
    std::vector<Row> m_rows;
    std::vector<int> m_visible;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    int m_activeOverride = -1;
    bool m_inCalc = false;

    Row m_savedRow;            // the row as stored, while editing
    int m_insertedRow = -1;    // storage index of the new row while inserting
    std::vector<bool> m_assigned;
    bool m_modified = false;

    bool m_filtered = false;
    QString m_filterText;
    std::unique_ptr<FilterText> m_filter;
    FilterHandler m_onFilterRecord;

    int m_controlsDisabled = 0;
    bool m_pendingRowSet = false;

    QHash<QString, QHash<QString, int>> m_lookupIndexes;
};

} // namespace db
