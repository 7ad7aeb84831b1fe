#pragma once
// A data-aware dataset over one statement: a static in-memory snapshot of the
// rows with a current row, the classic states and events, and posting of the
// current row back to one base table by key.

#include "Connection.h"
#include "Cursor.h"
#include "Errors.h"
#include "Field.h"
#include "FieldList.h"
#include "Param.h"

#include <QFlags>
#include <QHash>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace db {

class FilterText;
class Lookups;
class MasterLink;
class RowSet;
class TableWriter;

enum class DatasetState { Inactive, Browse, Edit, Insert };
/// What a post-error handler decides: let the failure go on, or stop silently.
enum class PostErrorAction { Fail, Abort };
/// Where a new row is shown: above the current row, or after the last one.
enum class InsertAt { Current, End };
/// Who asks the user before a row is deleted: the control that deletes it
/// (when it asks at all), or the dataset's own before-delete rule.
enum class DeleteQuestion { ByControl, ByRule };
/// How locate compares text: without regard to case; a value matching every
/// text that starts with it.
enum class LocateOption { CaseInsensitive = 0x1, PartialKey = 0x2 };
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

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
    /// become fields while the dataset is open. Added while closed.
    Field *addField(const QString &name, FieldType type, int size = 0)
    {
        return m_fields.add(name, type, FieldKind::Data, size);
    }
    Field *addCalcField(const QString &name, FieldType type, int size = 0)
    {
        return m_fields.add(name, type, FieldKind::Calculated, size);
    }
    Field *addLookupField(const QString &name, FieldType type, int size, Dataset *source,
                          const QStringList &keyFields, const QStringList &lookupKeyFields,
                          const QString &resultField);
    /// Throws DataError "Field 'x' not found".
    Field *field(const QString &name) const;
    Field *findField(const QString &name) const { return m_fields.find(name); }
    int fieldCount() const { return m_fields.count(); }
    Field *fieldAt(int index) const { return m_fields.at(index); }
    /// The lookup fields of this dataset (for the lookup counter).
    std::vector<Field *> lookupFields() const { return m_fields.ofKind(FieldKind::Lookup); }

    /// The table rows are written back to and its key columns.
    void setUpdateTable(const QString &table, const QStringList &keyFields);
    const QString &updateTable() const;

    /// Makes this the detail of `master`: each parameter named in `paramToField`
    /// takes the value of the master's field, and the rows follow the master's
    /// current row. Before the master moves, a pending edit of the detail is
    /// stored (or cancelled when nothing was typed); a store that fails keeps
    /// the master where it is.
    void setMaster(Dataset *master, const QList<QPair<QString, QString>> &paramToMasterField);
    Dataset *master() const;

    // --- open and close ------------------------------------------------------
    /// Runs the statement and reads every row. Throws DataError; the dataset
    /// then stays closed.
    void open();
    /// Drops a pending edit or insert without storing it, then closes.
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
    // Each move stores a pending edit or insert first (see checkBrowseMode).
    void first() { step(CursorMove::First); }
    void last() { step(CursorMove::Last); }
    void next() { step(CursorMove::Next); }
    void prior() { step(CursorMove::Prior); }
    /// Moves to visible row `index` (0-based).
    void moveTo(int index);
    bool eof() const;
    bool bof() const;
    int recordCount() const;
    bool isEmpty() const;
    /// 0-based index of the current row among the visible rows; -1 when empty.
    int currentIndex() const;
    /// Finds the first visible row whose fields equal `values` and makes it
    /// current; false (and no move) when there is none.
    bool locate(const QStringList &fields, const QVariantList &values, LocateOptions options = {});
    bool locate(const QString &field, const QVariant &value) { return locate(QStringList{field}, {value}); }

    /// The value of `field` in visible row `index`, without moving the cursor.
    QVariant valueAt(int index, const Field *field);
    QString displayTextAt(int index, const Field *field);

    /// `resultField` of the first row whose `keyFields` equal `keys`, through
    /// a hash index kept until the rows change; null when none or inactive.
    QVariant lookupValue(const QStringList &keyFields, const QVariantList &keys, const QString &resultField);

    // --- editing -------------------------------------------------------------
    /// Starts a new row at `where` (a pending edit is stored first).
    void beginInsert(InsertAt where);
    void insert() { beginInsert(InsertAt::Current); }
    void append() { beginInsert(InsertAt::End); }
    void edit();
    void post();
    void cancel();
    void remove();
    /// Who asks before a delete; ByRule keeps a control from asking a
    /// second time what the before-delete rule asks anyway.
    void setDeleteQuestion(DeleteQuestion who) { m_deleteQuestion = who; }
    DeleteQuestion deleteQuestion() const { return m_deleteQuestion; }
    /// Stores the pending edits of the details, then this dataset's own:
    /// posts a pending edit or insert when modified, cancels an untouched one.
    void checkBrowseMode();

    // --- filtering -----------------------------------------------------------
    void setFiltered(bool filtered);
    bool isFiltered() const { return m_filtered; }
    /// Parses the filter text; a text that cannot be parsed throws DataError
    /// and the previous filter stays in force.
    void setFilterText(const QString &text);
    const QString &filterText() const { return m_filterText; }
    void setOnFilterRecord(FilterHandler handler) { m_onFilterRecord = std::move(handler); }
    /// Applies the filter again (after the record-filter handler's inputs
    /// changed); keeps the current row when it stays visible.
    void refilter();

    // --- display suspension --------------------------------------------------
    void disableControls() { ++m_controlsDisabled; }
    /// Ends one disableControls; the last one tells the controls everything.
    void enableControls()
    {
        if (m_controlsDisabled > 0 && --m_controlsDisabled == 0) {
            emit rowSetChanged();
            emit currentRowChanged();
            emit stateChanged();
        }
    }
    bool controlsDisabled() const { return m_controlsDisabled > 0; }

    // --- events --------------------------------------------------------------
    // A before-handler stops its operation by throwing (AbortError silently).
    Handler beforeOpen;    ///< before the statement runs
    Handler afterOpen;     ///< the rows are read and the first is current
    Handler beforeClose;   ///< the rows are still there
    Handler afterClose;    ///< the dataset is inactive
    Handler beforeInsert;  ///< before the new row exists
    Handler afterInsert;   ///< the new empty row is current, in Insert
    Handler beforeEdit;    ///< before the current row goes into Edit
    Handler afterEdit;     ///< the row is in Edit
    Handler beforePost;    ///< before required fields are checked and the row written
    Handler afterPost;     ///< the row is stored and read back, state Browse
    Handler beforeCancel;  ///< before the changes are dropped
    Handler afterCancel;   ///< the changes are dropped, state Browse
    Handler beforeDelete;  ///< before the current row is deleted
    Handler afterDelete;   ///< the row is gone from the file and the rows
    Handler beforeScroll;  ///< the cursor is about to move to another row
    Handler afterScroll;   ///< the cursor moved to another row
    /// Inside the transaction that writes the row, after the write: a failure
    /// undoes the write and the row keeps its state, so the two happen
    /// together or not at all.
    Handler whileStoring;
    /// Inside the transaction that deletes the row, after the delete; as above.
    Handler whileDeleting;
    /// An open failed after before-open ran (after-close will not run):
    /// undoes what before-open did.
    Handler openFailed;
    /// Sets the calculated fields of the row being read or edited.
    Handler onCalcFields;
    /// A store failed: chooses between letting the failure go on and
    /// stopping silently.
    PostErrorHandler onPostError;

signals:
    void rowSetChanged();
    void currentRowChanged();
    void fieldChanged(db::Field *field);
    void stateChanged();
    /// The rows of a dataset this one looks values up in changed: the
    /// looked-up and calculated values of any row may differ now.
    void valuesChanged();

private:
    friend class Field; // reads and writes values in the active row

    /// Whether a detail reloads when its master's row may have changed: only
    /// when the master's key values differ, or always (the master's rows
    /// were read again or are gone).
    enum class MasterRefresh { IfKeyChanged, Always };

    QVariant activeValue(int bufferIndex) const;
    QVariant storedValue(int bufferIndex) const
    {
        if (m_state == DatasetState::Edit && bufferIndex >= 0 && size_t(bufferIndex) < m_savedRow.size())
            return m_savedRow[size_t(bufferIndex)];
        return activeValue(bufferIndex);
    }
    /// The rows changed: datasets looking values up here follow.
    void notifyLookupUsers();
    void lookupSourceChanged();
    void setFieldValue(Field *field, const QVariant &value);

    void requireActive() const;
    void loadRows();
    void calculateRow(int rowIndex);
    bool acceptsRow(int rowIndex);
    void refreshVisible(KeepCurrent keep);
    /// The filter changed: the visible rows are chosen again and shown.
    void showFiltered(KeepCurrent keep);
    /// Which numbering the rows given to a key reader are in.
    enum class RowIndex { Visible, Storage };
    /// Reads the values of `keyFields` in a row without moving the cursor.
    std::function<QVariant(int row, int k)> keyReader(const QStringList &keyFields, RowIndex rows);
    void setCurrent(int index, CursorEdges edges);
    void step(CursorMove move);
    void restoreEditedRow();
    void masterChanged(MasterRefresh refresh);
    void notifyDetails(MasterRefresh refresh);
    void invalidateIndexes();
    // Controls hear of changes unless they are disabled (enableControls
    // then tells them everything at once).
    void notifyRowSet()
    {
        if (!controlsDisabled()) {
            emit rowSetChanged();
            emit currentRowChanged();
        }
    }
    void notifyCurrent()
    {
        if (!controlsDisabled())
            emit currentRowChanged();
    }
    void notifyState()
    {
        if (!controlsDisabled())
            emit stateChanged();
    }
    int currentRowIndex() const;

    class ActiveRowScope;

    Connection *m_connection;
    QString m_name;
    QString m_sql;
    Params m_params;
    FieldList m_fields{this};
    std::unique_ptr<TableWriter> m_writer;

    std::unique_ptr<MasterLink> m_link; // to this dataset's master, when it is a detail
    std::vector<Dataset *> m_details;
    bool m_checkingDetails = false;

    DatasetState m_state = DatasetState::Inactive;
    std::unique_ptr<RowSet> m_rows;
    int m_activeOverride = -1;
    bool m_inCalc = false;

    std::vector<QVariant> m_savedRow; // the row as stored, while editing
    std::vector<bool> m_assigned;
    bool m_modified = false;

    bool m_filtered = false;
    QString m_filterText;
    std::unique_ptr<FilterText> m_filter;
    FilterHandler m_onFilterRecord;

    int m_controlsDisabled = 0;
    DeleteQuestion m_deleteQuestion = DeleteQuestion::ByControl;

    std::unique_ptr<Lookups> m_lookups; // the indexes over these rows, and who reads them
};

} // namespace db
