#pragma once
// TData, the data module: the one owner of the connection, every dataset and
// command, the settings file and the localization file. Created first at
// start-up and destroyed last.

#include "IniFile.h"
#include "Localization.h"
#include "engine/Command.h"
#include "engine/Connection.h"
#include "engine/DataSource.h"
#include "engine/Dataset.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <functional>
#include <memory>

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
    /// Connects to "DB2.mdb" in the program folder (whatever the connection
    /// string names); no-op while connected. Throws db::DataError with the
    /// engine's text; the connection then stays closed.
    void connect();
    /// Closes every dataset and the connection; no-op while disconnected.
    void disconnect();
    bool isConnected() const { return ADOConnection.isConnected(); }

    /// The current catalogue date: null while disconnected, the zero
    /// date-time when no catalogue was in force at connecting.
    QVariant currentCatalogDate() const;
    void setCurrentCatalogDate(const QVariant &date);

    /// The moment "now" for the data rules (tests set a fixed one).
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

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
    void bindLookupCounter(db::Dataset *dataset);
    void lookupUserOpening(db::Dataset &dataset);
    void lookupUserClosed(db::Dataset &dataset);
    void bindCustomerRules();
    void qCustomer2AfterInsert(db::Dataset &dataset);
    void qCustomer2AfterEdit(db::Dataset &dataset);
    void qCustomer2BeforeDelete(db::Dataset &dataset);
    void qCustomer2AfterDelete(db::Dataset &dataset);
    void qCustomer2AfterOpen(db::Dataset &dataset);
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

    std::vector<std::unique_ptr<db::Dataset>> m_ownedDatasets;
    std::vector<db::Dataset *> m_datasetList;
    std::vector<std::unique_ptr<db::DataSource>> m_dataSources;
    QHash<const db::Dataset *, int> m_lookupUses;
};
