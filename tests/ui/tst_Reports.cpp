// The printed reports: the shipped project, each report rendered to PDF and
// read back, the project file's failures, and a run through the report
// system's own dialogs.
#include "ProgramFixture.h"
#include "ReadBack.h"
#include "UiTestSupport.h"

#include "Messages.h"
#include "engine/WallClock.h"
#include "reports/Reports.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>

using app_test::TestProgram;
using testing_support::pdfPageCount;
using testing_support::pdfText;

namespace {

// 120 orders in March 2026 (order 2 is a refusal), of two customers, one
// with a Cyrillic name; the first two orders have lines.
void fillOrders(TestProgram &program)
{
    QString orders;
    for (int id = 1; id <= 120; ++id)
        orders += QStringLiteral("%1(%2, '%3', %4, %5, %6, '2026-03-%7 00:00:00.000')")
                      .arg(id == 1 ? "" : ",")
                      .arg(id)
                      .arg(id % 2 ? "1" : "2")
                      .arg(id == 2 ? -id : id)
                      .arg(id == 2 ? -id / 2.0 : id / 2.0)
                      .arg(id == 2 ? 1 : 0)
                      .arg(id % 28 + 1, 2, 10, QLatin1Char('0'));
    program.executeSql(QStringLiteral(
        "insert into customer (id, id_customer, sname, totalpoints) values ('1', null, 'Лебедева Марина', 0),"
        "('2', '1', 'Rossi Chiara', 0);"
        "insert into product values ('AAA-01', 'Крем для рук', '2026-03-01 00:00:00.000', 10, 3),"
        "('BBB-02', 'Soap', '2026-03-01 00:00:00.000', 0.35, 0.5);"
        "insert into orders (id, id_customer, totalsum, totalpoints, refusal, ordersdate) values ") + orders
        + QStringLiteral(";insert into ordered values (1, 'AAA-01', 3, '2026-03-01 00:00:00.000'),"
                         "(1, 'BBB-02', 7, '2026-03-01 00:00:00.000'), (2, 'AAA-01', 1, '2026-03-01 00:00:00.000');"));
}

/// The order numbers in the text, from lines that start with one.
QList<int> leadingNumbers(const QString &text)
{
    static const QRegularExpression line(QStringLiteral("^\\s*(\\d+)\\s+\\d"), QRegularExpression::MultilineOption);
    QList<int> numbers;
    for (auto it = line.globalMatch(text); it.hasNext();)
        numbers << it.next().captured(1).toInt();
    return numbers;
}

} // namespace

class tst_Reports : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_locale.emplace(testing_support::pointLocale());
        m_program = std::make_unique<TestProgram>();
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_SHIPPED_PROJECT), folder("repOrder.rav")));
        fillOrders(*m_program);
        m_program->startWithoutMenu();
        data().connect();
    }

    void cleanup()
    {
        m_program.reset();
        m_locale.reset();
    }

    void shippedProject_everyFieldIsInItsSource()
    {
        QCOMPARE(CheckReportProject(data()),
                 (QStringList{"repOrder", "repOrders", "repOrdering", "repDep"}));
    }

    // The journal's headers over several pages: the caption and the column
    // titles on each, the rows in order, the totals at the end.
    void repOrders_everyHeaderInOrderOverPages()
    {
        db::Dataset *orders = data().qOrders;
        orders->open();
        orders->moveTo(57);
        data().ReportCaption = QStringLiteral("Date From 01/03/2026 To 01/04/2026");
        const QString pdf = folder("orders.pdf");
        const int pages = RenderReport(data(), "repOrders", pdf);
        QVERIFY(pages > 1);
        QCOMPARE(pdfPageCount(pdf), pages);
        const QString text = pdfText(pdf);
        QCOMPARE(text.count(data().ReportCaption), pages);
        QCOMPARE(text.count("Customer Name"), pages);
        QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
        QVERIFY(text.contains(QStringLiteral("Лебедева Марина")));
        QList<int> expected;
        for (int id = 1; id <= 120; ++id)
            expected << id;
        QCOMPARE(leadingNumbers(text), expected);
        // 1 + … + 120 with order 2 counted as -2, and half of it in points.
        QVERIFY(text.contains(QRegularExpression("Total\\s+7,256\\.00\\s+3,628\\.00")));
        QCOMPARE(orders->currentIndex(), 57);

        // The next print shows the caption set for it.
        data().ReportCaption = QStringLiteral("Date From 01/03/2026 To 08/03/2026");
        RenderReport(data(), "repOrders", pdf);
        QVERIFY(pdfText(pdf).contains(data().ReportCaption));
    }

    // The order at hand with its lines, read while its header is edited:
    // nothing moves and nothing is stored.
    void repOrder_theCurrentOrderAndItsLinesLeftAsTheyWere()
    {
        db::Dataset *orders = data().qOrders;
        orders->open();
        QVERIFY(orders->locate("id", 1));
        data().qOrder->open();
        orders->edit();
        QCOMPARE(RenderReport(data(), "repOrder", folder("order.pdf")), 1);
        QCOMPARE(orders->state(), db::DatasetState::Edit);
        QCOMPARE(orders->field("id")->asInteger(), 1);
        QVERIFY(data().qOrder->isActive());
        QCOMPARE(data().qOrder->recordCount(), 2);
        orders->cancel();

        const QString text = pdfText(folder("order.pdf"));
        QVERIFY2(text.contains("Order ID 1"), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Лебедева Марина")));
        QVERIFY(text.contains(QStringLiteral("Крем для рук")));
        QVERIFY(!text.contains("Refusal"));
        QVERIFY(text.contains(QRegularExpression("Total\\s+10\\s+32\\.45")));

        QVERIFY(orders->locate("id", 2));
        RenderReport(data(), "repOrder", folder("refusal.pdf"));
        QVERIFY(pdfText(folder("refusal.pdf")).contains("Refusal"));
    }

    void repOrdering_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("amounts");
        QTest::newRow("full stop") << testing_support::pointLocale()
                                   << QStringList{"30.00", "5.40", "35.40", "2.45", "0.44", "2.89", "32.45", "5.84", "38.29"};
        QTest::newRow("comma") << testing_support::commaLocale()
                               << QStringList{"30,00", "5,40", "35,40", "2,45", "0,44", "2,89", "32,45", "5,84", "38,29"};
    }

    // The products sold, every column, the tax to the cent, numbers as the
    // locale writes them.
    void repOrdering()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, amounts);
        const testing_support::LocaleGuard guard(locale);
        db::Dataset *sales = data().qRepProduct;
        sales->param("datebegin").setValue(db::wallClock(QDate(2026, 3, 1)));
        sales->param("dateend").setValue(db::wallClock(QDate(2026, 4, 1)));
        sales->open();
        data().ReportCaption = QStringLiteral("Продажи за март");
        QCOMPARE(RenderReport(data(), "repOrdering", folder("sales.pdf")), 1);
        const QString text = pdfText(folder("sales.pdf"));
        QVERIFY2(text.contains(QStringLiteral("Продажи за март")), qPrintable(text));
        QVERIFY(text.contains("uni"));
        qsizetype at = 0;
        for (const QString &amount : amounts) {
            at = text.indexOf(amount, at);
            QVERIFY2(at >= 0, qPrintable(amount));
        }
    }

    // The department from its list: headed by its head, not by another
    // report's caption; members in list order; without a list no rows.
    void repDep_theListHeadedByItsHead()
    {
        const QStringList names{QStringLiteral("Лебедева Марина"), "Rossi Chiara", "Walker Thomas", "Орлов Виктор",
                                "Dubois Claire"};
        const int levels[] = {1, 2, 3, 2, 3};
        std::vector<TDepMember> members(5);
        for (int i = 0; i < 5; ++i) {
            members[size_t(i)].Id = QString::number(101 + i);
            members[size_t(i)].Name = names[i];
            members[size_t(i)].Level = levels[i];
            members[size_t(i)].PersonalPoints = 10.5 + i;
            members[size_t(i)].GroupPoints = 200.25 + i;
        }
        data().ReportCaption = QStringLiteral("Caption of another report");
        {
            const TData::DepReportScope scope(data(), members);
            QCOMPARE(RenderReport(data(), "repDep", folder("dep.pdf")), 1);
        }
        const QString text = pdfText(folder("dep.pdf"));
        QVERIFY(!text.contains(data().ReportCaption));
        QVERIFY2(text.contains(QStringLiteral("101 Лебедева Марина")), qPrintable(text));
        qsizetype at = text.indexOf(Messages().lLevelColumn);
        QVERIFY(at >= 0);
        for (int i = 0; i < 5; ++i) {
            const QRegularExpression row(QStringLiteral("%1\\s+%2\\s+%3\\s+%4\\s+%5")
                                             .arg(levels[i])
                                             .arg(101 + i)
                                             .arg(QRegularExpression::escape(names[i]))
                                             .arg(QString::number(10.5 + i))
                                             .arg(QString::number(200.25 + i)));
            const QRegularExpressionMatch match = row.match(text, at);
            QVERIFY2(match.hasMatch(), qPrintable(names[i]));
            at = match.capturedEnd();
        }

        QCOMPARE(RenderReport(data(), "repDep", folder("empty.pdf")), 1);
        QVERIFY(!pdfText(folder("empty.pdf")).contains("Марина"));
    }

    void unknownReport_nothingAndNoFile()
    {
        QCOMPARE(RenderReport(data(), "repNothing", folder("nothing.pdf")), 0);
        QVERIFY(!QFile::exists(folder("nothing.pdf")));
    }

    void projectFailures_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("missing") << QString() << QStringList{"repOrder.rav", "cannot be found"};
        QTest::newRow("malformed line") << "[repOrders]\nRows=rvOrders\nColumn1=id\nthis is not a setting\n"
                                        << QStringList{"repOrder.rav", "line 4", "this is not a setting"};
        QTest::newRow("unknown field") << "; the journal\n[repOrders]\nRows=rvOrders\nColumn1=id\nColumn2=totalsun\n"
                                       << QStringList{"repOrder.rav", "line 5", "repOrders", "totalsun", "rvOrders"};
        QTest::newRow("unknown source") << "[repOrders]\nHeading1={rvNothing.fldCaption}\nRows=rvOrders\nColumn1=id\n"
                                        << QStringList{"line 2", "repOrders", "rvNothing"};
        QTest::newRow("total of a text") << "[repOrders]\nRows=rvOrders\nColumn1=Customer\nTotals=Customer\n"
                                         << QStringList{"line 4", "repOrders", "Customer"};
    }

    // The project is read on the first print; what is wrong with it is told
    // with the file, the line, the report and the field.
    void projectFailures()
    {
        QFETCH(QString, project);
        QFETCH(QStringList, told);
        QFile::remove(folder("repOrder.rav"));
        if (!project.isNull())
            testing_support::writeFileBytes(folder("repOrder.rav"), project.toUtf8());
        try {
            RenderReport(data(), "repOrders", folder("orders.pdf"));
            QFAIL("the report ran");
        } catch (const db::DataError &error) {
            for (const QString &part : told)
                QVERIFY2(error.text().contains(part), qPrintable(error.text()));
        }
        QVERIFY(!QFile::exists(folder("orders.pdf")));
    }

    void unwritableFile_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("no such folder") << false;
        QTest::newRow("disk full") << true;
    }

    // A file that cannot be made or finished is told by its name; nothing is
    // left behind, under its name or another.
    void unwritableFile()
    {
        QFETCH(bool, diskFull);
        data().qOrders->open();
        testing_support::writeFileBytes(folder("notes.txt"), "a file, not a folder");
        const QStringList before = QDir(folder(".")).entryList(QDir::Files | QDir::Hidden);
        const QString target = diskFull ? folder("orders.pdf") : folder("notes.txt/orders.pdf");
        // The disk fills up as the file grows: nothing beyond 4 KiB.
        struct sigaction ignore = {}, savedSignal = {};
        ignore.sa_handler = SIG_IGN;
        rlimit limit = {}, savedLimit = {};
        ::getrlimit(RLIMIT_FSIZE, &savedLimit);
        if (diskFull) {
            ::sigaction(SIGXFSZ, &ignore, &savedSignal);
            limit.rlim_cur = 4096;
            limit.rlim_max = savedLimit.rlim_max;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        QString told;
        try {
            RenderReport(data(), "repOrders", target);
        } catch (const db::DataError &error) {
            told = error.text();
        }
        if (diskFull) {
            ::setrlimit(RLIMIT_FSIZE, &savedLimit);
            ::sigaction(SIGXFSZ, &savedSignal, nullptr);
        }
        QVERIFY2(told.contains(target), qPrintable(told));
        QCOMPARE(QDir(folder(".")).entryList(QDir::Files | QDir::Hidden), before);
    }

    // Through the report system's dialogs: the output choice, then the
    // status window, whose Cancel leaves no file.
    void runReport_toAFileAndCancelled()
    {
        data().qOrders->open();
        const QString pdf = folder("chosen.pdf");
        ui_test::answerOutputToFile(pdf);
        RunReport(data(), "repOrders", &m_program->main());
        QVERIFY(pdfPageCount(pdf) > 1);
        QFile::remove(pdf);

        CancelOnShow cancel;
        qApp->installEventFilter(&cancel);
        ui_test::answerOutputToFile(pdf);
        RunReport(data(), "repOrders", &m_program->main());
        qApp->removeEventFilter(&cancel);
        QVERIFY(cancel.cancelled);
        QVERIFY(!QFile::exists(pdf));

        // A name the project does not hold: no dialog at all.
        ui_test::ModalWatch watch;
        RunReport(data(), "repNothing", &m_program->main());
        QVERIFY(watch.titles.isEmpty());
    }

private:
    /// Presses Cancel in the status window as soon as it shows.
    class CancelOnShow : public QObject
    {
    public:
        bool cancelled = false;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Show && watched->objectName() == u"frmRvStatus")
                if (auto *button = watched->findChild<QPushButton *>("btnCancel")) {
                    button->click();
                    cancelled = true;
                }
            return false;
        }
    };

    TData &data() { return m_program->data(); }
    QString folder(const QString &name) const { return m_program->folder().file(name); }

    std::optional<testing_support::LocaleGuard> m_locale;
    std::unique_ptr<TestProgram> m_program;
};

QTEST_MAIN(tst_Reports)
#include "tst_Reports.moc"
