// The clearing options and the backup and restore commands through their
// dialogs, on the running program.

#include "ProgramFixture.h"
#include "UiTestSupport.h"

#include "DataU.h"
#include "engine/Dataset.h"
#include "engine/WallClock.h"
#include "maintenance/ClearBDU.h"
#include "widgets/TDBLookupComboBox.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using app_test::TestProgram;

namespace {

QDateTime at(int year, int month, int day, QTime time = QTime(0, 0))
{
    return db::wallClock(QDate(year, month, day), time);
}

template <class T>
T *child(QWidget *window, const char *name)
{
    auto *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("No %s", name);
    return found;
}

/// Chooses `file` in the file dialog that opens next and answers the
/// message box that follows with OK; its text goes to `*text`.
void chooseFileThenAnswer(const QString &dialogName, const QString &file, QString *title, QString *text,
                          QString *proposed = nullptr)
{
    ui_test::onNextModal([=](QWidget *shown) {
        auto *dialog = qobject_cast<QFileDialog *>(shown);
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), dialogName);
        *title = dialog->windowTitle();
        ui_test::answerNextMessageBox(QMessageBox::Ok, text);
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (proposed)
            *proposed = name->text();
        name->setText(file);
        static_cast<QDialog *>(dialog)->accept(); // as its Save or Open button does
    });
}

} // namespace

class TestTfrmClearDB : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<testing_support::LocaleGuard>(testing_support::pointLocale()); }
    void cleanup() { m_locale.reset(); }

    // January's previous month is December of the year before; All Orders
    // takes every date and locks the pickers, and gives the period back.
    void periodAndAllOrders()
    {
        TestProgram program;
        program.start();
        program.data().connect();
        program.data().clock = [] { return at(2027, 1, 15, QTime(10, 30)); };
        TfrmClearDB dialog(program.data(), &program.main());
        auto *begin = child<QDateTimeEdit>(&dialog, "dtpDateBegin");
        auto *end = child<QDateTimeEdit>(&dialog, "dtpDateEnd");
        auto *all = child<QCheckBox>(&dialog, "chbAllOrders");
        QCOMPARE(begin->dateTime(), at(2026, 12, 1));
        QCOMPARE(end->dateTime(), at(2026, 12, 31, QTime(23, 59, 59, 999)));
        for (const char *name : {"chbOrders", "chbAllOrders", "chbClearPoints", "chbProducts", "chbShrinkDB"})
            QVERIFY(!child<QCheckBox>(&dialog, name)->isChecked());

        all->click();
        QCOMPARE(begin->dateTime(), db::zeroDateTime());
        QCOMPARE(end->date(), QDate(9999, 12, 31));
        QVERIFY(!begin->isEnabled() && !end->isEnabled());
        all->click();
        QCOMPARE(begin->dateTime(), at(2026, 12, 1));
        QVERIFY(begin->isEnabled() && end->isEnabled());

        // OK left of Cancel, both below every box.
        auto *ok = child<QPushButton>(&dialog, "btnOk");
        auto *cancel = child<QPushButton>(&dialog, "btnCancel");
        dialog.show();
        QVERIFY(ok->mapTo(&dialog, QPoint()).x() < cancel->mapTo(&dialog, QPoint()).x());
        QVERIFY(ok->mapTo(&dialog, QPoint()).y() > child<QCheckBox>(&dialog, "chbShrinkDB")->mapTo(&dialog, QPoint()).y());
    }

    // The catalogue list is open only while its task is ticked, and closed
    // when the dialog goes; the newest catalogue is the one chosen at first.
    void catalogueListFollowsItsBox()
    {
        TestProgram program;
        program.executeSql(QStringLiteral("insert into product values ('A1', 'Крем', '2026-01-01 00:00:00.000', 1, 1),"
                                          "('A1', 'Крем', '2026-02-01 00:00:00.000', 1, 1)"));
        program.start();
        program.data().connect();
        db::Dataset *list = program.data().qChCat;
        {
            TfrmClearDB dialog(program.data(), &program.main());
            QVERIFY(!list->isActive());
            auto *products = child<QCheckBox>(&dialog, "chbProducts");
            products->click();
            QVERIFY(list->isActive());
            QCOMPARE(dialog.options().catalogue.toDateTime(), at(2026, 2, 1));
            QCOMPARE(child<TDBLookupComboBox>(&dialog, "DBLookupComboBox1")->keyValue().toDateTime(), at(2026, 2, 1));
            child<QCheckBox>(&dialog, "chbClearPoints")->click();
            QVERIFY(list->isActive());
            products->click();
            QVERIFY(!list->isActive());
            QVERIFY(!dialog.options().catalogue.isValid());
            products->click();
            QVERIFY(list->isActive());
        }
        QVERIFY(!list->isActive());
    }

    // A backup of the open database under the name proposed for 1 March
    // 2007, then, disconnected, its restore over a changed database whose
    // settings name another file.
    void backupAndRestoreThroughTheirDialogs()
    {
        TestProgram program;
        program.writeSettings({QStringLiteral("[SrvSettings]"),
                               QStringLiteral("ADOConnectionString=Data Source=/nowhere/other.mdb")});
        program.start();
        program.data().clock = [] { return at(2007, 3, 1); };
        program.data().connect();
        program.data().ADOConnection.execute(QStringLiteral("insert into orders (id) values (1)"));

        QString title, text, proposed;
        const QString backup = program.folder().file("Копия 1.bak");
        chooseFileThenAnswer(QStringLiteral("dgBackup"), backup, &title, &text, &proposed);
        program.main().runCommand(program.command(QStringLiteral("actBackUp")));
        QCOMPARE(title, QStringLiteral("Enter backup file name (Access File)"));
        QCOMPARE(proposed, QStringLiteral("Backup 01-03-2007.bak")); // dd/MM/yyyy without its folders
        QCOMPARE(text, QStringLiteral("The backup operation has been completed successfully"));
        QVERIFY(QFile::exists(backup));

        chooseFileThenAnswer(QStringLiteral("dgBackup"), backup, &title, &text);
        program.main().runCommand(program.command(QStringLiteral("actBackUp")));
        QCOMPARE(text, QStringLiteral("The backup operation failed\n\rError code - 17"));

        program.data().ADOConnection.execute(QStringLiteral("delete from orders"));
        program.data().disconnect();
        chooseFileThenAnswer(QStringLiteral("dgRestore"), backup, &title, &text);
        program.main().runCommand(program.command(QStringLiteral("actRestore")));
        QCOMPARE(text, QStringLiteral("The restore operation has been completed successfully"));
        QVERIFY(!program.data().isConnected());
        program.data().connect();
        program.data().qOrders->open();
        QCOMPARE(program.data().qOrders->recordCount(), 1);
    }

private:
    std::unique_ptr<testing_support::LocaleGuard> m_locale;
};

QTEST_MAIN(TestTfrmClearDB)
#include "tst_TfrmClearDB.moc"
