// The catalogue window: the filter boxes, catalogue dates and New Cataloque,
// the Enter chain of the entry panel, choose mode, the datasets put back
// when it goes, and the main window's "Cataloque" command around it.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "DataU.h"
#include "app/MainU.h"
#include "app/MenuU.h"
#include "catalogue/ProductU.h"
#include "widgets/DBNavHintU.h"
#include "widgets/DateU.h"
#include "widgets/HintU.h"
#include "widgets/TDBEdit.h"
#include "widgets/TDBLookupComboBox.h"
#include "widgets/TDBNavigator.h"
#include "widgets/qubDBGrid.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace ui_test;
using app_test::TestProgram;

class TestTfrmProduct : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<testing_support::LocaleGuard>(testing_support::pointLocale()); }
    void cleanup()
    {
        m_window.reset();
        m_program.reset();
        m_locale.reset();
    }

    void theFilterBoxesMatchBeginnings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("nothing") << "" << "" << "" << QStringList{"ABX-02", "AXE-01", "O'B-04", "XYZ-03"};
        QTest::newRow("both") << "ab" << "X" << "name like 'ab*' and id like 'X*'" << QStringList{"XYZ-03"};
        QTest::newRow("blanks trimmed") << " ab " << "" << "name like 'ab*'" << QStringList{"ABX-02", "XYZ-03"};
        QTest::newRow("an apostrophe") << "O'" << "" << "name like 'O''*'" << QStringList{"O'B-04"};
    }

    void theFilterBoxesMatchBeginnings()
    {
        QFETCH(QString, name);
        QFETCH(QString, id);
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        startWithProducts();
        openWindow();
        typeText(child<QLineEdit>("edName"), name);
        typeText(child<QLineEdit>("edId"), id);
        QCOMPARE(products().filterText(), filter);
        QCOMPARE(shownIds(), shown);
    }

    void anEmptyDatabaseShowsNoCatalogue()
    {
        start();
        openWindow();
        QCOMPARE(products().recordCount(), 0);
        auto *dates = child<TDBLookupComboBox>("lcbChCat");
        QCOMPARE(dates->count(), 0);
        QCOMPARE(dates->currentIndex(), -1);
        QCOMPARE(dates->shownText(), QString());
        QCOMPARE(m_window->windowTitle(), QStringLiteral(" Cataloque Date - none chosen yet"));
    }

    void pickingADateSwitchesTheCatalogue()
    {
        startWithProducts();
        openWindow();
        auto *dates = child<TDBLookupComboBox>("lcbChCat");
        QCOMPARE(dates->count(), 2); // newest first
        QCOMPARE(dates->shownText(), QStringLiteral("01/03/2007"));
        QTest::keyClick(dates, Qt::Key_Up);
        QCOMPARE(data().currentCatalogDate().toDateTime().date(), QDate(2007, 6, 1));
        QCOMPARE(shownIds(), QStringList{"JUN-01"});
        QCOMPARE(m_window->windowTitle(), QStringLiteral(" Cataloque Date - 01/06/2007"));

        // Never while a product is being typed: that row would be dropped.
        products().edit();
        m_window->updateActions();
        QVERIFY(!dates->isEnabled());
        QVERIFY(!m_window->newCatalogueCommand()->isEnabled());
        products().cancel();
        m_window->updateActions();
        QVERIFY(dates->isEnabled());
    }

    void newCataloqueWithTheCurrentDateChangesNothing()
    {
        startWithProducts();
        openWindow();
        m_window->setWindowTitle(QStringLiteral("untouched"));
        chooseDateInNextDialog(QDate(2007, 3, 1));
        m_window->newCatalogueCommand()->trigger();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("untouched"));
        QCOMPARE(data().newCatalogueMarker(), nullptr);
        QCOMPARE(products().recordCount(), 4);
    }

    void newCataloqueStartsEmptyAndIsListedFromItsFirstProduct()
    {
        startWithProducts();
        openWindow();
        auto *dates = child<TDBLookupComboBox>("lcbChCat");
        chooseDateInNextDialog(QDate(2007, 9, 1));
        m_window->newCatalogueCommand()->trigger();
        QCOMPARE(products().recordCount(), 0);
        QCOMPARE(m_window->windowTitle(), QStringLiteral(" Cataloque Date - 01/09/2007"));
        QCOMPARE(dates->shownText(), QStringLiteral("01/09/2007"));
        QCOMPARE(dates->count(), 2);

        enterProduct(QStringLiteral("NEW01"), QStringLiteral("Balm"), QStringLiteral("3"), QStringLiteral("1"));
        QCOMPARE(dates->count(), 3);
        QCOMPARE(dates->itemText(dates->currentIndex()), QStringLiteral("01/09/2007"));
    }

    void theEnterChainStoresAndStartsTheNextProduct()
    {
        startWithProducts();
        openWindow();
        enterProduct(QStringLiteral("NEW01"), QStringLiteral("Balm"), QStringLiteral("2.5"), QStringLiteral("1"));
        QCOMPARE(productCount(QStringLiteral("NEW-01")), 1);
        // The next row is open with the rule's values, the panel in place of
        // the navigator and the identifier box first.
        QCOMPARE(products().state(), db::DatasetState::Insert);
        QCOMPARE(products().field(QStringLiteral("price"))->asFloat(), 0.0);
        QCOMPARE(products().field(QStringLiteral("points"))->asFloat(), 0.0);
        QVERIFY(!child<QGroupBox>("panEdit")->isHidden());
        QVERIFY(child<TDBNavigator>("navProduct")->isHidden());
        QCOMPARE(m_window->focusWidget(), child<TDBEdit>("edEditID"));

        // Without a name the store is refused and no further row starts.
        const int rows = products().recordCount();
        QString told;
        answerNextMessageBox(QMessageBox::Ok, &told);
        typeInto("edEditID", QStringLiteral("NEW02"));
        typeInto("edEditPoints", QStringLiteral("1"));
        QCOMPARE(told, QStringLiteral("Field Product Name must have a value"));
        QCOMPARE(products().state(), db::DatasetState::Insert);
        QCOMPARE(products().recordCount(), rows);
        QCOMPARE(productCount(QStringLiteral("NEW-02")), 0);
    }

    void closingStoresTheProductBeingTyped()
    {
        startWithProducts();
        openWindow();
        products().append();
        typeInto("edEditID", QStringLiteral("NEW03"), false);
        typeInto("edEditName", QStringLiteral("Tonic"), false);
        m_window->reject();
        QCOMPARE(productCount(QStringLiteral("NEW-03")), 1);
        QVERIFY(!m_window->isVisible());
    }

    void chooseMode()
    {
        start();
        bool opened = false;
        onNextModal([&](QWidget *modal) {
            auto *window = qobject_cast<TfrmProduct *>(modal);
            opened = window != nullptr;
            for (const char *hidden : {"lcbChCat", "lblCatalogDate", "btnNewCataloque", "btnLoad"})
                QVERIFY2(window->findChild<QWidget *>(QLatin1String(hidden))->isHidden(), hidden);
            QVERIFY(window->chooseCommand()->isVisible());
            window->updateActions();
            QVERIFY(!window->chooseCommand()->isEnabled()); // nothing to choose
            emit window->findChild<TqubDBGrid *>(QStringLiteral("grdProduct"))->gridDoubleClicked();
            QVERIFY(window->isVisible());
            window->reject();
        });
        QVERIFY(!TfrmProduct::choose(data(), &m_program->main(), [] { QFAIL("nothing was chosen"); }));
        QVERIFY(opened);

        m_program.reset();
        startWithProducts();
        for (const bool byEnter : {false, true}) {
            onNextModal([byEnter](QWidget *modal) {
                auto *grid = modal->findChild<TqubDBGrid *>(QStringLiteral("grdProduct"));
                grid->dataset()->last();
                if (byEnter)
                    QTest::keyClick(grid, Qt::Key_Return);
                else
                    emit grid->gridDoubleClicked();
            });
            QString chosen;
            QVERIFY(TfrmProduct::choose(data(), &m_program->main(),
                                        [&] { chosen = products().field(QStringLiteral("id"))->asString(); }));
            QCOMPARE(chosen, QStringLiteral("XYZ-03"));
            QCOMPARE(products().state(), db::DatasetState::Inactive);
        }
    }

    void destructionPutsTheDatasetsBack_data()
    {
        QTest::addColumn<bool>("wasOpen");
        QTest::newRow("qProduct closed at creation") << false;
        QTest::newRow("qProduct open at creation") << true;
    }

    void destructionPutsTheDatasetsBack()
    {
        QFETCH(bool, wasOpen);
        startWithProducts();
        if (wasOpen)
            products().open();
        openWindow();
        typeText(child<QLineEdit>("edName"), QStringLiteral("a"));
        chooseDateInNextDialog(QDate(2007, 9, 1));
        m_window->newCatalogueCommand()->trigger();
        QVERIFY(data().newCatalogueMarker());
        m_window.reset();
        QCOMPARE(data().newCatalogueMarker(), nullptr);
        QCOMPARE(products().isActive(), wasOpen);
        QVERIFY(!products().isFiltered());
        QCOMPARE(products().filterText(), QString());
        QVERIFY(!data().qChCat->isActive());
        QCOMPARE(data().EntryPanelOf(&products()), nullptr);
        // The date stays as the user left it.
        QCOMPARE(data().currentCatalogDate().toDateTime().date(), QDate(2007, 9, 1));
    }

    void theCommandRefreshesTheMainCaptionAfterADateChangeOnly()
    {
        startWithProducts();
        QAction *command = m_program->command(QStringLiteral("actProduct"));
        m_program->main().setWindowTitle(QStringLiteral("untouched"));
        onNextModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        m_program->main().runCommand(command);
        QCOMPARE(m_program->main().windowTitle(), QStringLiteral("untouched"));

        onNextModal([this](QWidget *modal) {
            auto *window = qobject_cast<TfrmProduct *>(modal);
            chooseDateInNextDialog(QDate(2007, 9, 1));
            window->newCatalogueCommand()->trigger();
            window->reject();
        });
        m_program->main().runCommand(command);
        QCOMPARE(m_program->main().windowTitle(), QStringLiteral("Quorvel Cataloque Date - 01/09/2007"));
    }

    void hintsOnlyWithShowHints_data()
    {
        QTest::addColumn<bool>("showHints");
        QTest::newRow("ShowHints on") << true;
        QTest::newRow("ShowHints off") << false;
    }

    void hintsOnlyWithShowHints()
    {
        QFETCH(bool, showHints);
        m_program = std::make_unique<TestProgram>();
        m_program->writeSettings({QStringLiteral("[SrvSettings]"), QStringLiteral("ConnectOnStart=1"),
                                  QStringLiteral("[MiscSettings]"),
                                  QStringLiteral("ShowHints=%1").arg(showHints ? 1 : 0)});
        m_program->start();
        bool checked = false;
        onNextModal([&](QWidget *modal) {
            QWidget *area = modal->findChild<QWidget *>(QStringLiteral("panHint"));
            auto *text = area->findChild<TfmHint *>();
            auto *legend = area->findChild<TfmDBNavHint *>();
            QCOMPARE(text != nullptr, showHints);
            QCOMPARE(legend != nullptr, showHints);
            if (showHints) {
                QCOMPARE(text->text(), QStringLiteral("Quorvel allows you to work with different product catalogues."));
                QCOMPARE(legend->heading(), QStringLiteral("To manage product items use buttons "));
                QCOMPARE(text->y(), 0);
                QVERIFY(legend->y() >= text->y() + text->height());
            }
            checked = true;
            qobject_cast<QDialog *>(modal)->reject();
        });
        m_program->main().runCommand(m_program->command(QStringLiteral("actProduct")));
        QVERIFY(checked);
    }

    void theStartMenuWhileDisconnectedTellsTheEnginesError()
    {
        m_program = std::make_unique<TestProgram>();
        m_program->start();
        ModalWatch watch;
        m_program->menu().findChild<QPushButton *>(QStringLiteral("btnProducts"))->click();
        QCOMPARE(watch.titles, QStringList{QStringLiteral("Quorvel")}); // the error box alone
        QVERIFY2(watch.texts.value(0).contains(QStringLiteral("Connection is closed")), qPrintable(watch.texts.value(0)));
        QVERIFY(!data().qProduct->isActive());
    }

    void aTranslationReachesCommandsAndLabels()
    {
        m_program = std::make_unique<TestProgram>();
        m_program->writeSettings({QStringLiteral("[SrvSettings]"), QStringLiteral("ConnectOnStart=1")});
        m_program->writeLocalization({QStringLiteral("[Controls]"),
                                      QStringLiteral("frmProduct_actNewCataloque=Another Catalogue"),
                                      QStringLiteral("frmProduct_lblCatalogDate=Date")});
        m_program->start();
        openWindow();
        QCOMPARE(child<QToolButton>("btnNewCataloque")->text(), QStringLiteral("Another Catalogue"));
        QCOMPARE(child<QLabel>("lblCatalogDate")->text(), QStringLiteral("Date"));
        QCOMPARE(child<QGroupBox>("panEdit")->title(), QStringLiteral(" Enter Values "));
        // A button that shows its command's caption has no key of its own.
        QFile file(m_program->localizationPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.contains("frmProduct_panEdit="));
        QVERIFY(!written.contains("frmProduct_btnNewCataloque"));
    }

private:
    void start()
    {
        m_program = std::make_unique<TestProgram>();
        m_program->writeSettings({QStringLiteral("[SrvSettings]"), QStringLiteral("ConnectOnStart=1")});
        m_program->start();
    }
    void startWithProducts()
    {
        m_program = std::make_unique<TestProgram>();
        m_program->executeSql(QStringLiteral(
            "insert into product values ('AXE-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3),"
            "('ABX-02', 'Abba soap', '2007-03-01 00:00:00.000', 2, 1),"
            "('XYZ-03', 'abacus tea', '2007-03-01 00:00:00.000', 1, 1),"
            "('O''B-04', 'O''Brien balm', '2007-03-01 00:00:00.000', 5, 2),"
            "('JUN-01', 'June cream', '2007-06-01 00:00:00.000', 11, 3)"));
        m_program->writeSettings({QStringLiteral("[SrvSettings]"), QStringLiteral("ConnectOnStart=1")});
        m_program->start();
        // Catalogues of March and June; it is the 15th of May.
        data().setCurrentCatalogDate(QDateTime(QDate(2007, 3, 1), QTime(0, 0)));
        data().clock = [] { return QDateTime(QDate(2007, 5, 15), QTime(12, 0)); };
    }
    void openWindow()
    {
        m_window = std::make_unique<TfrmProduct>(data(), &m_program->main());
        m_window->openDatasets();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    TData &data() { return m_program->data(); }
    db::Dataset &products() { return *data().qProduct; }
    template <typename T>
    T *child(const char *name)
    {
        return ui_test::namedChild<T>(m_window.get(), name);
    }
    QStringList shownIds()
    {
        QStringList ids;
        for (int i = 0; i < products().recordCount(); ++i)
            ids << products().valueAt(i, products().field(QStringLiteral("id"))).toString();
        ids.sort();
        return ids;
    }
    int productCount(const QString &id)
    {
        int n = 0;
        db::Dataset query(&data().ADOConnection, QStringLiteral("qCount"));
        query.setSql(QStringLiteral("select id from product"));
        query.open();
        for (int i = 0; i < query.recordCount(); ++i)
            n += query.valueAt(i, query.fieldAt(0)).toString() == id;
        return n;
    }
    void chooseDateInNextDialog(const QDate &day)
    {
        onNextModal([day](QWidget *modal) {
            auto *dialog = qobject_cast<TfrmDate *>(modal);
            QVERIFY(dialog);
            dialog->setDate(day);
            dialog->accept();
        });
    }
    /// Types `text` into the entry box `name` and, with `enter`, presses Enter.
    void typeInto(const char *name, const QString &text, bool enter = true)
    {
        auto *box = child<TDBEdit>(name);
        box->setFocus();
        box->selectAll();
        typeText(box, text);
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
    }
    /// A new product through the navigator and the Enter chain.
    void enterProduct(const QString &id, const QString &name, const QString &price, const QString &points)
    {
        child<TDBNavigator>("navProduct")->click(TDBNavigator::Button::Insert);
        typeInto("edEditID", id);
        typeInto("edEditName", name);
        typeInto("edEditPrice", price);
        typeInto("edEditPoints", points);
    }

    std::unique_ptr<testing_support::LocaleGuard> m_locale;
    std::unique_ptr<TestProgram> m_program;
    std::unique_ptr<TfrmProduct> m_window;
};

QTEST_MAIN(TestTfrmProduct)
#include "tst_TfrmProduct.moc"
