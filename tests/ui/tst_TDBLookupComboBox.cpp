// The lookup drop-down list: the rows of a list dataset, a value it does not
// hold yet, and a choice told once the list has closed.

#include "UiTestSupport.h"

#include "widgets/TDBLookupComboBox.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>

using namespace ui_test;

class TestTDBLookupComboBox : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_db->exec(QStringLiteral("insert into product values ('A', 'a', '2007-03-01 00:00:00.000', 1, 1),"
                                  "('A', 'a', '2007-06-01 00:00:00.000', 1, 1)"));
        m_dates = std::make_unique<db::Dataset>(&m_db->connection(), QStringLiteral("qChCat"));
        m_dates->setSql(QStringLiteral("select distinct dateprice from product order by dateprice desc"));
        m_dates->addField(QStringLiteral("dateprice"), db::FieldType::DateTime);
        m_source = std::make_unique<db::DataSource>(m_dates.get(), QStringLiteral("dsChCat"));
        m_box = std::make_unique<TDBLookupComboBox>();
        m_box->setListSource(m_source.get());
        m_box->setKeyField(QStringLiteral("dateprice"));
    }
    void cleanup()
    {
        m_box.reset();
        m_source.reset();
        m_dates.reset();
        m_db.reset();
    }

    void theListFollowsItsDatasetAndKeepsTheValue()
    {
        m_box->setKeyValue(day(2007, 6, 1));
        QCOMPARE(m_box->count(), 0);
        QCOMPARE(m_box->shownText(), QStringLiteral("01/06/2007")); // not listed, still shown
        m_dates->open();
        QCOMPARE(m_box->count(), 2);
        QCOMPARE(m_box->currentIndex(), 0);
        m_box->setKeyValue(day(2007, 9, 1));
        QCOMPARE(m_box->currentIndex(), -1);
        QCOMPARE(m_box->shownText(), QStringLiteral("01/09/2007"));
        m_box->setKeyValue(QVariant());
        QCOMPARE(m_box->shownText(), QString());
    }

    void aChoiceInTheListIsToldOnceItHasClosed()
    {
        m_dates->open();
        m_box->setKeyValue(day(2007, 6, 1));
        m_box->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
        QSignalSpy closed(m_box.get(), &TDBLookupComboBox::closeUp);
        QVariant seen;
        connect(m_box.get(), &TDBLookupComboBox::closeUp, this, [&] { seen = m_box->keyValue(); });

        m_box->showPopup();
        QAbstractItemView *list = m_box->view();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        const QRect march = list->visualRect(list->model()->index(1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, march.center());
        QTRY_COMPARE(closed.count(), 1);
        QCOMPARE(seen.toDateTime(), day(2007, 3, 1));
        QCOMPARE(m_dates->currentIndex(), 1); // the chosen row is the list's current one
        QTest::qWait(20);
        QCOMPARE(closed.count(), 1);

        // With the list closed, a key chooses and tells at once.
        QTest::keyClick(m_box.get(), Qt::Key_Up);
        QCOMPARE(closed.count(), 2);
        QCOMPARE(m_box->keyValue().toDateTime(), day(2007, 6, 1));
    }

private:
    static QDateTime day(int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(0, 0)); }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<db::Dataset> m_dates;
    std::unique_ptr<db::DataSource> m_source;
    std::unique_ptr<TDBLookupComboBox> m_box;
};

QTEST_MAIN(TestTDBLookupComboBox)
#include "tst_TDBLookupComboBox.moc"
