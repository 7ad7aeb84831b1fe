#include "DataU.h"

#include "EntryPanel.h"
#include "Messages.h"
#include "Settings.h"
#include "UserPort.h"
#include "engine/Rounding.h"
#include "engine/WallClock.h"

#include <QFileInfo>
#include <QScopedValueRollback>

#include <cmath>

using db::Dataset;
using db::FieldType;

namespace {
// The data module's owner name in localization keys.
const QString kOwner = QStringLiteral("Data");
} // namespace

TData::TData(const QString &programPath, UserPort &port, QObject *parent)
    : QObject(parent), m_programPath(QFileInfo(programPath).absoluteFilePath()), m_port(port)
{
    setObjectName(kOwner);
    m_programFolder = QFileInfo(m_programPath).absolutePath();
    if (!m_programFolder.endsWith(u'/'))
        m_programFolder += u'/';
    createDatasets();
    bindCustomerRules();
    bindOrderRules();
    bindProductRules();

    // Companion files live beside the program; none of them needs to exist.
    m_reportProjectFile = m_programFolder + QStringLiteral("repOrder.rav");
    m_settings = std::make_unique<IniFile>(settings::settingsPath(m_programPath));
    m_localization = std::make_unique<LocCatalogue>(m_programFolder + LocCatalogue::FileName);
    // The program always opens its own DB2.mdb, whatever the settings name.
    ADOConnection.setConnectionString(m_settings->readString(settings::SrvSection, settings::ConnectionStringKey));
    ADOConnection.beforeConnect = [this] { ADOConnection.setDataSource(databasePath()); };
    ADOConnection.afterConnect = [this] { afterConnect(); };
    ADOConnection.afterDisconnect = [this] { afterDisconnect(); };
    // A write the database refuses is told in the program's own words.
    ADOConnection.failureWording = PlainFailureText;
    // A database that cannot be opened must not keep the program from starting.
    if (m_settings->readBool(settings::SrvSection, settings::ConnectOnStartKey, false)) {
        try {
            connect();
        } catch (const db::DataError &error) {
            m_port.showError(error.text());
        }
    }
    readMiscSettings();
    localizeFields();
    m_localization->loadMessages();
    // A translator's file the program cannot write back is left alone; the
    // translator hears why the texts it lacks never appear in it.
    if (!m_localization->file().writeProblem().isEmpty())
        m_port.showInformation(FormatMessage(Messages().lFileKeptAsItIs, {m_localization->file().path()}));
    m_helpFileName = QStringLiteral("manual.html");
}

TData::~TData()
{
    m_settings.reset();
    m_localization.reset();
    try {
        disconnect();
    } catch (...) {
        // Nothing can be reported this late; the file is closed either way.
    }
}

QString TData::databasePath() const
{
    return m_programFolder + QStringLiteral("DB2.mdb");
}

// --- connection ------------------------------------------------------------------------

void TData::connect(JournalOnConnect journal)
{
    const QScopedValueRollback journalRule(m_journalOnConnect, journal);
    try {
        ADOConnection.open();
    } catch (...) {
        // The engine has closed the file again; no catalogue is current then.
        if (!ADOConnection.isConnected()) {
            m_lookupUses.clear();
            setCurrentCatalogDate(QVariant());
        }
        throw;
    }
}

void TData::disconnect(db::LockOnClose lock)
{
    ADOConnection.close(lock);
}

void TData::afterConnect()
{
    qChCurCat->param(QStringLiteral("curdate")).setValue(clock());
    qChCurCat->open();
    const QVariant latest = qChCurCat->field(QStringLiteral("dateprice"))->value();
    setCurrentCatalogDate(latest.isValid() ? latest.toDateTime() : db::zeroDateTime());
    qChCurCat->close();
    m_port.refreshMainCaption();
    ShowJournalTotals();
    // An open journal lost its headers with the connection and reads them again.
    if (m_journalView && m_journalOnConnect == JournalOnConnect::Reopen)
        m_journalView->connectionRestored();
}

void TData::afterDisconnect()
{
    // Every dataset is closed now; no count may outlive the connection, and
    // an open journal shows no headers, so no totals either.
    m_lookupUses.clear();
    m_staleTotals.clear();
    setCurrentCatalogDate(QVariant());
    m_port.refreshMainCaption();
    JournalTotal = OrdersTotal = RefusalsTotal = 0;
    ShowJournalTotals();
}

QVariant TData::currentCatalogDate() const
{
    return qProduct->param(QStringLiteral("dateprice")).value();
}

void TData::setCurrentCatalogDate(const QVariant &date)
{
    qProduct->param(QStringLiteral("dateprice")).setValue(date);
}

// --- settings and localization ---------------------------------------------------------------

void TData::readMiscSettings()
{
    const MiscSettings misc = ::readMiscSettings(*m_settings);
    qProduct->field(QStringLiteral("id"))->setEditMask(misc.productIdMask);
    qOrder->field(QStringLiteral("id_product"))->setEditMask(misc.productIdMask);
    m_showHints = misc.showHints;
    m_generateCustomerId = misc.generateCustomerId;
    m_generateProductId = misc.generateProductId;
}

void TData::localizeFields()
{
    const LocCatalogue::Batch batch(*m_localization);
    for (Dataset *dataset : m_datasetList) {
        for (int i = 0; i < dataset->fieldCount(); ++i) {
            db::Field *field = dataset->fieldAt(i);
            if (!field->isVisible())
                continue;
            field->setDisplayLabel(m_localization->localizeText(kOwner, dataset->name() + field->name(),
                                                                QStringLiteral("DisplayLabel"),
                                                                field->displayLabel()));
        }
    }
}

// --- the lookup counter ------------------------------------------------------------------------

void TData::bindLookupCounter(Dataset *dataset)
{
    dataset->beforeOpen = [this](Dataset &d) { lookupUserOpening(d); };
    dataset->afterClose = [this](Dataset &d) { lookupUserClosed(d); };
    // A user that failed to open never closes: its uses are given back now.
    dataset->openFailed = [this](Dataset &d) { lookupUserClosed(d); };
}

void TData::lookupUserOpening(Dataset &dataset)
{
    const std::vector<db::Field *> fields = dataset.lookupFields();
    size_t counted = 0;
    try {
        for (; counted < fields.size(); ++counted) {
            Dataset *source = fields[counted]->lookupDataset();
            source->open();
            ++m_lookupUses[source];
        }
    } catch (...) {
        // The open stops here, so the sources already counted are released.
        for (size_t i = 0; i < counted; ++i)
            releaseLookupSource(fields[i]->lookupDataset());
        throw;
    }
}

void TData::lookupUserClosed(Dataset &dataset)
{
    for (db::Field *field : dataset.lookupFields())
        releaseLookupSource(field->lookupDataset());
}

void TData::releaseLookupSource(Dataset *source)
{
    const int uses = m_lookupUses.value(source);
    if (uses <= 0)
        return;
    m_lookupUses[source] = uses - 1;
    if (uses == 1)
        source->close();
}

// --- the catalogue of datasets -------------------------------------------------------------------

Dataset *TData::makeDataset(const QString &name, const QString &sql)
{
    m_ownedDatasets.push_back(std::make_unique<Dataset>(&ADOConnection, name));
    Dataset *dataset = m_ownedDatasets.back().get();
    dataset->setSql(sql);
    m_datasetList.push_back(dataset);
    return dataset;
}

db::DataSource *TData::makeDataSource(Dataset *dataset, const QString &name)
{
    m_dataSources.push_back(std::make_unique<db::DataSource>(dataset, name));
    return m_dataSources.back().get();
}

db::DataSource *TData::dataSourceOf(const Dataset *dataset) const
{
    for (const auto &source : m_dataSources)
        if (source->dataset() == dataset)
            return source.get();
    return nullptr;
}

namespace {
db::Field *labelled(db::Field *field, const QString &label)
{
    field->setDisplayLabel(label);
    return field;
}
db::Field *hidden(db::Field *field)
{
    field->setVisible(false);
    return field;
}
db::Field *required(db::Field *field)
{
    field->setRequired(true);
    return field;
}
} // namespace

void TData::createDatasets()
{
    // The lookup sources come first so that lookup fields can name them.
    qAllProducts = nullptr;
    qCustomer = nullptr;
    createOrderDatasets();
    createProductDatasets();
    createCustomerDatasets();
    createQueryDatasets();
    createRowSources();

    cmExecSql = std::make_unique<db::Command>(&ADOConnection, QStringLiteral("cmExecSql"));
    cmdClearOrders = std::make_unique<db::Command>(&ADOConnection, QStringLiteral("cmdClearOrders"));
    cmdClearOrders->setText(QStringLiteral("delete from orders \r\nwhere ordersdate >=:datebegin and ordersdate < :dateend\r\n"));
    cmdClearOrders->param(QStringLiteral("datebegin")).setDataType(FieldType::DateTime);
    cmdClearOrders->param(QStringLiteral("dateend")).setDataType(FieldType::DateTime);
    cmdClearProduct = std::make_unique<db::Command>(&ADOConnection, QStringLiteral("cmdClearProduct"));
    cmdClearProduct->setText(QStringLiteral("delete from product where dateprice = :dateprice"));
    cmdClearProduct->param(QStringLiteral("dateprice")).setDataType(FieldType::DateTime);
}

void TData::createOrderDatasets()
{
    // Lookup sources of the order datasets, created ahead of their users but
    // listed in catalogue order below.
    auto allProducts = std::make_unique<Dataset>(&ADOConnection, QStringLiteral("qAllProducts"));
    allProducts->setSql(QStringLiteral("select * from product"));
    qAllProducts = allProducts.get();
    auto customer = std::make_unique<Dataset>(&ADOConnection, QStringLiteral("qCustomer"));
    customer->setSql(QStringLiteral("select id, sname, totalpoints, reserve\r\nfrom customer\r\norder by id"));
    qCustomer = customer.get();

    qOrders = makeDataset(QStringLiteral("qOrders"), QStringLiteral("select * from orders order by id"));
    labelled(qOrders->addField(QStringLiteral("id"), FieldType::AutoInc), QStringLiteral("Order ID"));
    hidden(qOrders->addField(QStringLiteral("id_customer"), FieldType::String, 6));
    labelled(qOrders->addLookupField(QStringLiteral("Customer"), FieldType::String, 50, qCustomer,
                                     {QStringLiteral("id_customer")}, {QStringLiteral("id")}, QStringLiteral("sname")),
             QStringLiteral("Customer Name"));
    labelled(qOrders->addField(QStringLiteral("totalsum"), FieldType::Currency), QStringLiteral("Total Sum"));
    labelled(qOrders->addField(QStringLiteral("totalpoints"), FieldType::Currency), QStringLiteral("Total Points"));
    labelled(qOrders->addField(QStringLiteral("refusal"), FieldType::Boolean), QStringLiteral("Refusal"));
    labelled(qOrders->addField(QStringLiteral("ordersdate"), FieldType::DateTime), QStringLiteral("Orders Date"));
    qOrders->setUpdateTable(QStringLiteral("orders"), {QStringLiteral("id")});
    qOrders->setFiltered(true);
    bindLookupCounter(qOrders);
    dsOrders = makeDataSource(qOrders, QStringLiteral("dsOrders"));

    qOrder = makeDataset(QStringLiteral("qOrder"), QStringLiteral("select * from ordered where id_orders = :id "));
    qOrder->param(QStringLiteral("id")).setDataType(FieldType::Integer);
    const QStringList lineKey{QStringLiteral("id_product"), QStringLiteral("dateprice")};
    const QStringList productKey{QStringLiteral("id"), QStringLiteral("dateprice")};
    hidden(qOrder->addField(QStringLiteral("id_orders"), FieldType::Integer));
    required(labelled(qOrder->addField(QStringLiteral("id_product"), FieldType::FixedChar, 6), QStringLiteral("Product ID")));
    labelled(qOrder->addLookupField(QStringLiteral("ProductName"), FieldType::String, 255, qAllProducts, lineKey,
                                    productKey, QStringLiteral("name")),
             QStringLiteral("Product Name"))
        ->setDisplayWidth(40);
    required(labelled(qOrder->addField(QStringLiteral("amount"), FieldType::Integer), QStringLiteral("Amount")));
    // Lines are valued at the product's full price (four decimals).
    hidden(qOrder->addLookupField(QStringLiteral("Price"), FieldType::BCD, 0, qAllProducts, lineKey, productKey,
                                  QStringLiteral("price")))
        ->setDisplayWidth(15);
    hidden(qOrder->addLookupField(QStringLiteral("Points"), FieldType::BCD, 0, qAllProducts, lineKey, productKey,
                                  QStringLiteral("points")));
    labelled(qOrder->addField(QStringLiteral("dateprice"), FieldType::DateTime), QStringLiteral("Catalog Date"));
    labelled(qOrder->addCalcField(QStringLiteral("TotalSum"), FieldType::BCD), QStringLiteral("Total Sum"))->setDisplayWidth(15);
    labelled(qOrder->addCalcField(QStringLiteral("TotalPoints"), FieldType::BCD), QStringLiteral("Total Points"))->setDisplayWidth(15);
    qOrder->setUpdateTable(QStringLiteral("ordered"), {QStringLiteral("id_orders"), QStringLiteral("id_product")});
    qOrder->setMaster(qOrders, {{QStringLiteral("id"), QStringLiteral("id")}});
    bindLookupCounter(qOrder);
    dsOrder = makeDataSource(qOrder, QStringLiteral("dsOrder"));

    m_ownedDatasets.push_back(std::move(allProducts));
    m_ownedDatasets.push_back(std::move(customer));
}

void TData::createProductDatasets()
{
    qProduct = makeDataset(QStringLiteral("qProduct"),
                           QStringLiteral("select * from product where dateprice = :dateprice order by id"));
    qProduct->param(QStringLiteral("dateprice")).setDataType(FieldType::DateTime);
    required(labelled(qProduct->addField(QStringLiteral("id"), FieldType::FixedChar, 6), QStringLiteral("Product ID")));
    required(labelled(qProduct->addField(QStringLiteral("name"), FieldType::String, 255), QStringLiteral("Product Name")))
        ->setDisplayWidth(40);
    hidden(required(labelled(qProduct->addField(QStringLiteral("dateprice"), FieldType::DateTime), QStringLiteral("Catalog Date"))));
    required(labelled(qProduct->addField(QStringLiteral("price"), FieldType::Currency), QStringLiteral("Price")));
    required(labelled(qProduct->addField(QStringLiteral("points"), FieldType::Currency), QStringLiteral("Points")));
    qProduct->setUpdateTable(QStringLiteral("product"), {QStringLiteral("id"), QStringLiteral("dateprice")});
    bindLookupCounter(qProduct);
    dsProduct = makeDataSource(qProduct, QStringLiteral("dsProduct"));

    m_datasetList.push_back(qAllProducts);
    qAllProducts->setUpdateTable(QStringLiteral("product"), {QStringLiteral("id"), QStringLiteral("dateprice")});
    dsAllProducts = makeDataSource(qAllProducts, QStringLiteral("dsAllProducts"));

    qChCat = makeDataset(QStringLiteral("qChCat"),
                         QStringLiteral("select distinct dateprice\r\nfrom product\r\norder by dateprice desc"));
    labelled(qChCat->addField(QStringLiteral("dateprice"), FieldType::DateTime), QStringLiteral("Catalog Date"));
    dsChCat = makeDataSource(qChCat, QStringLiteral("dsChCat"));

    qChCurCat = makeDataset(QStringLiteral("qChCurCat"),
                            QStringLiteral("select max(dateprice) as dateprice\r\nfrom product\r\nwhere dateprice <= :curdate \r\n"));
    qChCurCat->param(QStringLiteral("curdate")).setDataType(FieldType::DateTime);
    labelled(qChCurCat->addField(QStringLiteral("dateprice"), FieldType::DateTime), QStringLiteral("Catalog Date"))
        ->setReadOnly(true);
    dsChCurCat = makeDataSource(qChCurCat, QStringLiteral("dsChCurCat"));
    dsChCurCat->setAutoEdit(false);
}

void TData::createCustomerDatasets()
{
    m_datasetList.push_back(qCustomer);
    labelled(qCustomer->addField(QStringLiteral("id"), FieldType::String, 6), QStringLiteral("Customer ID"));
    labelled(qCustomer->addField(QStringLiteral("sname"), FieldType::String, 50), QStringLiteral("Customer Name"));
    labelled(qCustomer->addField(QStringLiteral("totalpoints"), FieldType::Currency), QStringLiteral("Points"));
    labelled(qCustomer->addField(QStringLiteral("reserve"), FieldType::Currency), QStringLiteral("Reserve"));
    qCustomer->setUpdateTable(QStringLiteral("customer"), {QStringLiteral("id")});
    qCustomer->setFiltered(true);
    dsCustomer = makeDataSource(qCustomer, QStringLiteral("dsCustomer"));

    qCustomer2 = makeDataset(QStringLiteral("qCustomer2"),
                             QStringLiteral("select *\r\nfrom customer\r\nwhere IFNULL(id_customer, '') = :id\r\norder by id"));
    required(labelled(qCustomer2->addField(QStringLiteral("id"), FieldType::String, 6), QStringLiteral("Customer ID")));
    hidden(qCustomer2->addField(QStringLiteral("id_customer"), FieldType::String, 6));
    required(labelled(qCustomer2->addField(QStringLiteral("sname"), FieldType::String, 50), QStringLiteral("Customer Name")));
    labelled(qCustomer2->addField(QStringLiteral("totalpoints"), FieldType::Currency), QStringLiteral("Points"));
    qCustomer2->setUpdateTable(QStringLiteral("customer"), {QStringLiteral("id")});
    qCustomer2->setFiltered(true);
    dsCustomer2 = makeDataSource(qCustomer2, QStringLiteral("dsCustomer2"));

    qOrg = makeDataset(QStringLiteral("qOrg"),
                       QStringLiteral("select id, id_customer, sname, totalpoints \r\nfrom customer \r\n"
                                      "where IFNULL(id_customer, '') = :id\r\norder by sname"));
    labelled(qOrg->addField(QStringLiteral("id"), FieldType::String, 6), QStringLiteral("Customer ID"));
    hidden(qOrg->addField(QStringLiteral("id_customer"), FieldType::String, 6));
    labelled(qOrg->addField(QStringLiteral("sname"), FieldType::String, 50), QStringLiteral("Customer Name"));
    labelled(qOrg->addField(QStringLiteral("totalpoints"), FieldType::Currency), QStringLiteral("Points"));
    dsOrg = makeDataSource(qOrg, QStringLiteral("dsOrg"));

    qOneCustomer = makeDataset(QStringLiteral("qOneCustomer"), QStringLiteral("select * from customer where id = :id"));
    qOneCustomer->addField(QStringLiteral("id"), FieldType::String, 6);
    qOneCustomer->addField(QStringLiteral("id_customer"), FieldType::String, 6);
    qOneCustomer->addField(QStringLiteral("sname"), FieldType::String, 50);
    qOneCustomer->addField(QStringLiteral("fname"), FieldType::String, 50);
    qOneCustomer->addField(QStringLiteral("reserve"), FieldType::Currency);
    qOneCustomer->addField(QStringLiteral("totalpoints"), FieldType::Currency);
    qOneCustomer->setUpdateTable(QStringLiteral("customer"), {QStringLiteral("id")});
    qOneCustomer->setFiltered(true);
    bindLookupCounter(qOneCustomer);
    dsOneCustomer = makeDataSource(qOneCustomer, QStringLiteral("dsOneCustomer"));

    qAllCustomers = makeDataset(QStringLiteral("qAllCustomers"),
                                QStringLiteral("select c.id, c.sname, sum(o.totalpoints) as totalpoints\r\n"
                                               "from customer c, orders o\r\n"
                                               "where o.id_customer = c.id and o.ordersdate >= :datebegin and o.ordersdate < :dateend\r\n"
                                               "group by c.id, c.sname\r\norder by c.id"));
    qAllCustomers->param(QStringLiteral("datebegin")).setDataType(FieldType::DateTime);
    qAllCustomers->param(QStringLiteral("dateend")).setDataType(FieldType::DateTime);
    labelled(qAllCustomers->addField(QStringLiteral("id"), FieldType::String, 6), QStringLiteral("Customer ID"));
    labelled(qAllCustomers->addField(QStringLiteral("sname"), FieldType::String, 50), QStringLiteral("Customer Name"));
    labelled(qAllCustomers->addField(QStringLiteral("totalpoints"), FieldType::Currency), QStringLiteral("Total Points"));
    qAllCustomers->setFiltered(true);
    bindLookupCounter(qAllCustomers);
    dsAllCustomers = makeDataSource(qAllCustomers, QStringLiteral("dsAllCustomers"));
    dsAllCustomers->setAutoEdit(false);
}

void TData::createQueryDatasets()
{
    qFindCustomerID = makeDataset(QStringLiteral("qFindCustomerID"),
                                  QStringLiteral("select IFNULL(id_customer, '') as id_customer from customer where id = :id"));
    qFindCustomerID->addField(QStringLiteral("id_customer"), FieldType::String, 6)->setReadOnly(true);

    qGetOrderID = makeDataset(QStringLiteral("qGetOrderID"),
                              QStringLiteral("SELECT     IFNULL(MAX(id), 0) AS MaxID\r\nFROM         orders"));
    qGetOrderID->addField(QStringLiteral("MaxID"), FieldType::Integer)->setReadOnly(true);

    qGetCustomerID = makeDataset(QStringLiteral("qGetCustomerID"),
                                 QStringLiteral("select IFNULL(MAX(id), '0') AS MaxID from customer where len(id) in "
                                                "(select max( len(id)) from customer)"));

    qGetProductID = makeDataset(QStringLiteral("qGetProductID"),
                                QStringLiteral("select IFNULL(MAX(id), '0') AS MaxID from product where len(id) in "
                                               "(select max( len(id)) from product) and dateprice = :dateprice "));
    qGetProductID->param(QStringLiteral("dateprice")).setDataType(FieldType::String);

    qRepProduct = makeDataset(QStringLiteral("qRepProduct"),
                              QStringLiteral("select od.id_product, max(p.name) as name, max(p.price) as price, sum(od.amount) as tot_am  \r\n"
                                             "from ordered od, orders o, product p\r\n"
                                             "where od.id_product = p.id and od.dateprice = p.dateprice and \r\n"
                                             "od.id_orders = o.id and o.refusal = 0 and \r\n"
                                             "o.ordersdate >= :datebegin and o.ordersdate < :dateend\r\n"
                                             "group by od.id_product\r\norder by od.id_product\r\n"));
    qRepProduct->param(QStringLiteral("datebegin")).setDataType(FieldType::DateTime);
    qRepProduct->param(QStringLiteral("dateend")).setDataType(FieldType::DateTime);
    labelled(qRepProduct->addField(QStringLiteral("id_product"), FieldType::FixedChar, 6), QStringLiteral("Product ID"));
    labelled(qRepProduct->addField(QStringLiteral("name"), FieldType::String, 255), QStringLiteral("Product Name"))
        ->setDisplayWidth(40);
    hidden(labelled(qRepProduct->addCalcField(QStringLiteral("Unt"), FieldType::String, 3), QStringLiteral("Unit")));
    hidden(labelled(qRepProduct->addField(QStringLiteral("price"), FieldType::Currency), QStringLiteral("Price")));
    labelled(qRepProduct->addField(QStringLiteral("tot_am"), FieldType::Float), QStringLiteral("Total"));
    labelled(qRepProduct->addCalcField(QStringLiteral("Cost"), FieldType::Float), QStringLiteral("Price"));
    qRepProduct->addCalcField(QStringLiteral("VAT"), FieldType::Float);
    labelled(qRepProduct->addCalcField(QStringLiteral("FullPrice"), FieldType::Float), QStringLiteral("Full Price"))
        ->setCurrency(true);
    qRepProduct->setFiltered(true);
    qRepProduct->onCalcFields = [this](Dataset &d) { qRepProductCalcFields(d); };
    dsRepProduct = makeDataSource(qRepProduct, QStringLiteral("dsRepProduct"));
    dsRepProduct->setAutoEdit(false);
}

// --- printed reports ----------------------------------------------------------------------------

void TData::qRepProductCalcFields(Dataset &dataset)
{
    // The field's three characters cut the unit text.
    dataset.field(QStringLiteral("Unt"))->setValue(Messages().lUnit);
    const double amount = double(qRound64(dataset.field(QStringLiteral("tot_am"))->asFloat()));
    const double price = dataset.field(QStringLiteral("price"))->asFloat();
    const double cost = db::roundCentsEven(amount * price);
    // Multiplied before divided: 3.75 * 18 / 100 is exactly the tie 0.675
    // and goes to 0.68, where 3.75 * 0.18 lands below it.
    const double vat = db::roundCentsEven(cost * 18 / 100);
    dataset.field(QStringLiteral("Cost"))->setValue(cost);
    dataset.field(QStringLiteral("VAT"))->setValue(vat);
    dataset.field(QStringLiteral("FullPrice"))->setValue(db::roundCentsEven(cost + vat));
}

void TData::createRowSources()
{
    const auto fromDataset = [this](const char *name, Dataset *dataset) {
        m_rowSources.push_back(std::make_unique<DatasetRowSource>(QLatin1String(name), *dataset));
    };
    fromDataset("rvOrder", qOrder);
    fromDataset("rvOrders", qOrders);
    fromDataset("rvOrdering", qRepProduct);
    // One row holding the caption, as wide as the classic caption column.
    constexpr int kCaptionWidth = 100;
    m_rowSources.push_back(std::make_unique<HandlerRowSource>(
        QStringLiteral("rvCaption"),
        [] {
            return std::vector<RowColumn>{
                {QStringLiteral("fldCaption"), FieldType::String, kCaptionWidth, QStringLiteral("Caption")}};
        },
        [] { return 1; }, [this](int) { return QVariantList{ReportCaption.left(kCaptionWidth)}; }));
    m_rowSources.push_back(std::make_unique<HandlerRowSource>(
        QStringLiteral("rvDep"), [this] { return rvDepGetCols(); }, [this] { return rvDepOpen(); },
        [this](int row) { return rvDepGetRow(row); }));
}

RowSource *TData::rowSource(const QString &name) const
{
    for (const auto &source : m_rowSources)
        if (source->name().compare(name, Qt::CaseInsensitive) == 0)
            return source.get();
    return nullptr;
}

std::vector<RowColumn> TData::rvDepGetCols() const
{
    // The department grid's titles, in the language the user reads them.
    const TMessages &m = Messages();
    return {
        {QStringLiteral("fldLevel"), FieldType::Integer, 8, m.lLevelColumn},
        {QStringLiteral("fldID"), FieldType::String, 6, m.lIDColumn},
        {QStringLiteral("fldName"), FieldType::String, 50, m.lSNameColumn},
        {QStringLiteral("fldTotalPoints"), FieldType::Float, 8, m.lTotalPointsColumn},
        {QStringLiteral("fldDepPoints"), FieldType::Float, 8, m.lGroupPointsColumn},
        {QStringLiteral("fldBonus"), FieldType::Float, 8, m.lBonusColumn},
        {QStringLiteral("fldReserve"), FieldType::Float, 8, m.lReserveColumn},
    };
}

int TData::rvDepOpen() const
{
    return int(m_depReportList.size());
}

QVariantList TData::rvDepGetRow(int row) const
{
    if (row < 0 || size_t(row) >= m_depReportList.size())
        return {};
    const TDepMember &member = m_depReportList[size_t(row)];
    return {member.Level, member.Id, member.Name, member.PersonalPoints, member.GroupPoints, member.Bonus,
            member.Reserve};
}
