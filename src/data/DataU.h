#pragma once
// TData, the data module: the one owner of the connection, every dataset and
// command, the settings file and the localization file. Created first at
// start-up and destroyed last.

#include "CustomerSource.h"
#include "DepMember.h"
#include "IniFile.h"
#include "Localization.h"
#include "RowSource.h"
#include "engine/Command.h"
#include "engine/Connection.h"
#include "engine/DataSource.h"
#include "engine/Dataset.h"
#include "engine/WallClock.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>
#include <span>

class CatalogueDateBox;
class EntryPanel;
class JournalView;
class OrgTree;
class UserPort;

class TData : public QObject
{
    Q_OBJECT

public:
    /// Runs the whole creation sequence for the program at `programPath`
    /// (companion files are looked for in its folder). Talks to the user only
    /// through `port`, which must outlive the data module.
    TData(const QString &programPath, UserPort &port, QObject *parent = nullptr);
    ~TData() override;

    // --- program files ------------------------------------------------------------
    /// The program folder with a trailing separator.
    const QString &programFolder() const { return m_programFolder; }
    const QString &programPath() const { return m_programPath; }
    /// "DB2.mdb" in the program folder.
    QString databasePath() const;
    const QString &helpFileName() const { return m_helpFileName; }
    const QString &reportProjectFile() const { return m_reportProjectFile; }
    IniFile &settingsFile() { return *m_settings; }
    LocCatalogue &localization() { return *m_localization; }
    UserPort &userPort() { return m_port; }

    // --- connection -----------------------------------------------------------------
    /// What a connect does for an open journal, whose headers the last
    /// disconnect closed: reads them again, or leaves them closed (after the
    /// file was rewritten underneath).
    enum class JournalOnConnect { Reopen, LeaveClosed };
    /// Connects to "DB2.mdb" in the program folder (whatever the connection
    /// string names); no-op while connected. Throws db::DataError with the
    /// engine's text; the connection then stays closed.
    void connect(JournalOnConnect journal = JournalOnConnect::Reopen);
    /// Closes every dataset and the connection; no-op while disconnected.
    /// With LockOnClose::Keep the database stays locked for this program
    /// until the next connect.
    void disconnect(db::LockOnClose lock = db::LockOnClose::Release);
    bool isConnected() const { return ADOConnection.isConnected(); }

    /// The current catalogue date: null while disconnected, the zero
    /// date-time when no catalogue was in force at connecting.
    QVariant currentCatalogDate() const;
    void setCurrentCatalogDate(const QVariant &date);
    /// Whether `date` names a catalogue: neither null nor the zero date-time.
    static bool isCatalogDate(const QVariant &date);

    /// The moment "now" for the data rules, as the wall clock reads it (tests
    /// set a fixed one).
    std::function<QDateTime()> clock = [] { return db::wallClockNow(); };

    // --- settings -------------------------------------------------------------------
    /// Reads the product mask into `qProduct.id` and `qOrder.id_product`, then
    /// the three flags.
    void readMiscSettings();
    bool showHints() const { return m_showHints; }
    bool generateCustomerId() const { return m_generateCustomerId; }
    bool generateProductId() const { return m_generateProductId; }

    /// Every dataset and command, in creation order (also localization order).
    const std::vector<db::Dataset *> &datasets() const { return m_datasetList; }
    db::DataSource *dataSourceOf(const db::Dataset *dataset) const;
    /// How many lookup users hold `dataset` open (the lookup counter).
    int lookupUseCount(const db::Dataset *dataset) const { return m_lookupUses.value(dataset); }

    // --- the connection, datasets, data sources and commands ---------------------------
    db::Connection ADOConnection;
    db::Dataset *qOrders, *qOrder, *qProduct, *qAllProducts, *qChCat, *qChCurCat, *qCustomer, *qCustomer2,
        *qOrg, *qOneCustomer, *qAllCustomers, *qFindCustomerID, *qGetOrderID, *qGetCustomerID,
        *qGetProductID, *qRepProduct;
    db::DataSource *dsOrders, *dsOrder, *dsProduct, *dsAllProducts, *dsChCat, *dsChCurCat, *dsCustomer,
        *dsCustomer2, *dsOrg, *dsOneCustomer, *dsAllCustomers, *dsRepProduct;
    std::unique_ptr<db::Command> cmExecSql, cmdClearOrders, cmdClearProduct;

    // --- customers ----------------------------------------------------------------------
    /// The organization window's tree while that window exists (else null).
    void setOrgTree(OrgTree *tree) { m_orgTree = tree; }
    OrgTree *orgTree() const { return m_orgTree; }
    /// The next free identifier from `query` (qGetCustomerID or qGetProductID,
    /// which takes the current catalogue from qProduct). Throws db::DataError.
    QString nextIdentifier(db::Dataset *query);
    QString DeletedCustomerId;

    /// The sponsors of customer `id` as the table holds them, nearest first.
    struct SponsorChain
    {
        /// `id`, its sponsor, that one's sponsor, …; ends with the empty
        /// identifier of the top when the walk reached it. Only `id` when no
        /// customer has it.
        QStringList ids;
        /// The walk came back to an identifier already in `ids` (a damaged
        /// table) and stopped there.
        bool looped = false;
    };
    /// Walks qFindCustomerID up from `id`, stopping at the top, at a missing
    /// customer or at the first repeated identifier. Throws db::DataError.
    SponsorChain sponsorChain(const QString &id);

    enum class SponsorMove { Moved, IntoOwnDownline };
    /// Gives customer `id` the sponsor `sponsor` (empty: the top of the
    /// tree), unless `sponsor` is `id` itself or below it in the table; the
    /// check and the change are one transaction. Throws db::DataError.
    SponsorMove moveCustomer(const QString &id, const QString &sponsor);
    /// Sets customer `id`'s running points to `points`. Throws db::DataError.
    void setCustomerPoints(const QString &id, double points);

    /// Moves `amount`, first rounded to the storage precision so that both
    /// customers move by the same stored amount, from customer `fromId`'s
    /// running points to `toId`'s, in one transaction. Each of the two
    /// changes must find exactly one customer, or the transfer fails with
    /// "Error". An open qCustomer shows the new values after the commit; a
    /// failure changes no balance and no dataset. Throws db::DataError.
    void TransferPoints(const QString &fromId, const QString &toId, double amount);

    enum class ReserveMove { ToReserve, FromReserve };
    /// Moves customer `id`'s whole running balance into its reserve, or the
    /// whole reserve into its running points, through qOneCustomer, which is
    /// closed afterwards in every case. Gives the stored balances.
    /// Throws db::DataError ("Error" when there is no such customer).
    CustomerBalances MoveReserve(const QString &id, ReserveMove move);

    /// A reserve typed in the department grid, already read as a number.
    struct ReserveChange
    {
        QString id;
        double reserve = 0;
    };
    /// Stores each reserve in one transaction: all or none.
    /// Throws db::DataError.
    void SaveReserves(std::span<const ReserveChange> changes);

    // --- orders and order lines ------------------------------------------------------------
    /// Lets the user choose the current header's customer in the reference chooser.
    void ChooseOrderCustomer();
    /// Recounts the journal totals over the visible rows of `sumField`'s dataset
    /// (left after its last row) and shows them.
    void RecountJournalTotals(db::Field *sumField);
    /// Shows `value` in the journal's total box `box` (when a journal exists).
    void ShowTotal(const QString &box, double value);
    /// Associates a filter text box with a field of `dataset` for the record
    /// filter (null `text` removes it); cleared by the window that set it.
    void setFilterBox(db::Dataset *dataset, const QString &fieldName, std::function<QString()> text);
    void clearFilterBoxes(db::Dataset *dataset);
    void setJournalView(JournalView *view) { m_journalView = view; }
    /// Stores or drops the record being entered in `field`'s dataset: a new
    /// record whose `field` is empty is dropped.
    void PostPendingLine(db::Field *field);
    /// Sums the current order's lines (qOrder, open) into its header and
    /// stores the header. Throws db::DataError, or db::AbortError when the
    /// user was told the header has no customer; the header then stays in
    /// editing with the new totals.
    void RecalculateOrder();
    /// Ends a run of the order editor on the current header, with OK (Save)
    /// or not (Cancel, the close box): on Cancel a line being entered is
    /// dropped; a header being edited is stored on OK, its unsaved changes
    /// dropped otherwise (a never-stored one disappears). A stored header
    /// whose totals may disagree with its lines (a line stored or deleted,
    /// or its kind changed, since its last RecalculateOrder) is then
    /// recalculated. Needs qOrders open, and qOrder open over the header's
    /// lines. Throws db::DataError: a failed store on OK leaves the header
    /// in editing; a failed recalculation leaves it browsing with its stored
    /// values, and it is recalculated at its next end.
    void EndOrderEdit(bool ok);
    /// The entry panel of the window that edits `dataset` (null when none).
    EntryPanel *EntryPanelOf(const db::Dataset *dataset) const;
    void setEntryPanel(const db::Dataset *dataset, EntryPanel *panel);

    // --- products ------------------------------------------------------------------------
    /// The catalogue window's date box while the window shows a catalogue
    /// date that may have no stored product yet (null otherwise): the first
    /// product stored there lists the date and clears the marker.
    void setNewCatalogueMarker(CatalogueDateBox *box) { m_newCatalogueMarker = box; }
    CatalogueDateBox *newCatalogueMarker() const { return m_newCatalogueMarker; }

    // --- printed reports -------------------------------------------------------------------
    /// The caption the printed reports show (row source rvCaption); each
    /// printing command sets it before it runs its report, and it keeps the
    /// last value set until the next one.
    QString ReportCaption;
    /// The department the report "repDep" lists (row source rvDep) while a
    /// print runs. The list stays its owner's and must outlive the print;
    /// an empty span (the start) gives the report no rows.
    void setDepReportList(std::span<const TDepMember> list) { m_depReportList = list; }
    std::span<const TDepMember> depReportList() const { return m_depReportList; }
    /// Sets the department report list for its lifetime and clears it when
    /// it ends, also when the print fails.
    class DepReportScope
    {
    public:
        DepReportScope(TData &data, std::span<const TDepMember> list) : m_data(data) { data.setDepReportList(list); }
        ~DepReportScope() { m_data.setDepReportList({}); }
        DepReportScope(const DepReportScope &) = delete;
        DepReportScope &operator=(const DepReportScope &) = delete;

    private:
        TData &m_data;
    };
    /// rvDep's columns: level, id, name, personal and group points, bonus,
    /// reserve, labelled as the department grid's columns.
    std::vector<RowColumn> rvDepGetCols() const;
    /// rvDep's number of rows: the members of the department report list.
    int rvDepOpen() const;
    /// rvDep's row `row`: the values of that member, in column order.
    QVariantList rvDepGetRow(int row) const;
    /// The row source named `name` (rvOrder, rvOrders, rvOrdering, rvCaption,
    /// rvDep; letter case aside); null when there is none.
    RowSource *rowSource(const QString &name) const;
    const std::vector<std::unique_ptr<RowSource>> &rowSources() const { return m_rowSources; }
    /// The sales report's calculated fields of the row being read: the unit
    /// text, the cost, the value added tax (18 %) and the full price, each
    /// rounded to cents with ties to even.
    void qRepProductCalcFields(db::Dataset &dataset);

    // --- state of the order rules and the orders journal ---------------------------------
    bool RefusalMode = false;
    double OldTotalSum = 0, OldTotalPoints = 0, NewTotalSum = 0, NewTotalPoints = 0;
    QString OldCustomerId, NewCustomerId;
    double JournalTotal = 0, OrdersTotal = 0, RefusalsTotal = 0;

private:
    db::Dataset *makeDataset(const QString &name, const QString &sql);
    db::DataSource *makeDataSource(db::Dataset *dataset, const QString &name);
    void createDatasets();
    void createOrderDatasets();
    void createProductDatasets();
    void createCustomerDatasets();
    void createQueryDatasets();
    void createRowSources();
    void bindLookupCounter(db::Dataset *dataset);
    void lookupUserOpening(db::Dataset &dataset);
    void lookupUserClosed(db::Dataset &dataset);
    void releaseLookupSource(db::Dataset *source);
    void bindCustomerRules();
    void qCustomer2AfterInsert(db::Dataset &dataset);
    void qCustomer2AfterEdit(db::Dataset &dataset);
    void qCustomer2BeforeDelete(db::Dataset &dataset);
    void qCustomer2AfterDelete(db::Dataset &dataset);
    void qCustomer2AfterOpen(db::Dataset &dataset);
    void bindOrderRules();
    void qOrdersAfterInsert(db::Dataset &dataset);
    void qOrdersAfterEdit(db::Dataset &dataset);
    void qOrdersBeforePost(db::Dataset &dataset);
    void qOrdersAfterPost(db::Dataset &dataset);
    bool qOrdersFilterRecord(db::Dataset &dataset);
    void UpdateCustomerPoints();
    void AddCustomerPoints(const QString &customerId, double points);
    void ShowJournalTotals();
    void qOrderBeforeInsert(db::Dataset &dataset);
    void qOrderAfterInsert(db::Dataset &dataset);
    void DataSetAfterEdit(db::Dataset &dataset);
    void qOrderAfterPost(db::Dataset &dataset);
    void qOrderBeforePost(db::Dataset &dataset);
    void qOrderCalcFields(db::Dataset &dataset);
    void qOrderPostError(db::Dataset &dataset, const db::DataError &error, db::PostErrorAction &action);
    void markTotalsStale(const QVariant &orderId);
    void bindProductRules();
    void qProductAfterInsert(db::Dataset &dataset);
    void qProductWhileStoring(db::Dataset &dataset);
    void qProductAfterPost(db::Dataset &dataset);
    void qProductBeforeDelete(db::Dataset &dataset);
    void qProductAfterDelete(db::Dataset &dataset);
    void qProductPostError(db::Dataset &dataset, const db::DataError &error, db::PostErrorAction &action);
    void rereadAllProducts();
    void rereadOrderLines();
    void afterConnect();
    void afterDisconnect();
    void localizeFields();

    QString m_programPath;
    QString m_programFolder;
    UserPort &m_port;
    std::unique_ptr<IniFile> m_settings;
    std::unique_ptr<LocCatalogue> m_localization;
    QString m_helpFileName;
    QString m_reportProjectFile;
    bool m_showHints = false;
    bool m_generateCustomerId = false;
    bool m_generateProductId = false;
    OrgTree *m_orgTree = nullptr;
    JournalView *m_journalView = nullptr;
    JournalOnConnect m_journalOnConnect = JournalOnConnect::Reopen;
    CatalogueDateBox *m_newCatalogueMarker = nullptr;
    bool m_productLinesMoved = false; // a stored product's new identifier went to its lines
    QHash<const db::Dataset *, EntryPanel *> m_entryPanels;
    // Headers whose stored totals may disagree with their lines since their
    // last recalculation; and the header being deleted.
    QSet<qint64> m_staleTotals;
    QVariant m_deletingOrder;
    QHash<const db::Dataset *, std::vector<std::pair<QString, std::function<QString()>>>> m_filterBoxes;

    std::vector<std::unique_ptr<db::Dataset>> m_ownedDatasets;
    std::vector<db::Dataset *> m_datasetList;
    std::vector<std::unique_ptr<db::DataSource>> m_dataSources;
    QHash<const db::Dataset *, int> m_lookupUses;
    std::span<const TDepMember> m_depReportList;
    std::vector<std::unique_ptr<RowSource>> m_rowSources;
};
