// The navigator: which buttons are enabled in each dataset state, what each
// does, the delete confirmation a window may ask for, and its glyphs.
#include "UiTestSupport.h"
#include "widgets/TDBEdit.h"
#include "widgets/TDBNavigator.h"

#include <QApplication>
#include <QToolButton>
#include <QtTest>

using ui_test::TestDatabase;
using Button = TDBNavigator::Button;

class tst_TDBNavigator : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_db = std::make_unique<TestDatabase>();
        m_db->addThreeCustomers();
        m_dataset = m_db->customers();
        m_source = std::make_unique<db::DataSource>(m_dataset.get(), QStringLiteral("dsCustomer"));
        m_nav = std::make_unique<TDBNavigator>();
        m_nav->setObjectName(QStringLiteral("navCustomer"));
        m_nav->setDataSource(m_source.get());
    }

    void cleanup()
    {
        m_nav.reset();
        m_source.reset();
        m_dataset.reset();
        m_db.reset();
    }

    // Letters in button order: First Prior Next Last Insert Delete Edit Post
    // Cancel; a capital is enabled, a dot disabled.
    void enabledStates_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("enabled");
        QTest::newRow("closed") << "closed" << ".........";
        QTest::newRow("just opened, at the first row") << "opened" << "..NLIDE..";
        QTest::newRow("in the middle") << "middle" << "FPNLIDE..";
        QTest::newRow("at the last row") << "last" << "FP..IDE..";
        QTest::newRow("moved past the last row") << "pastLast" << "FP..IDE..";
        QTest::newRow("editing") << "editing" << "..NL...PC";
        QTest::newRow("inserting") << "inserting" << "FPNL...PC";
        QTest::newRow("empty") << "empty" << "....I.E..";
        QTest::newRow("controls disabled, then enabled at the last row") << "disabledControls" << "FP..IDE..";
    }

    void enabledStates()
    {
        QFETCH(QString, situation);
        QFETCH(QString, enabled);
        if (situation == "empty")
            m_db->exec("delete from customer");
        if (situation != "closed")
            m_dataset->open();
        if (situation == "middle")
            m_dataset->next();
        else if (situation == "last")
            m_dataset->last();
        else if (situation == "pastLast") {
            m_nav->click(Button::Last);
            m_nav->click(Button::Next);
        } else if (situation == "editing")
            m_dataset->edit();
        else if (situation == "inserting")
            m_dataset->insert();
        else if (situation == "disabledControls") {
            m_dataset->disableControls();
            m_dataset->last();
            m_dataset->enableControls();
        }
        QCoreApplication::processEvents(); // the program falls idle
        QCOMPARE(pattern(), enabled);
    }

    void everyButtonIsShownUnlessTheWindowChooses()
    {
        QCOMPARE(m_nav->visibleButtons().size(), TDBNavigator::ButtonCount);
        m_nav->setVisibleButtons({Button::Insert, Button::Post, Button::Cancel});
        QCOMPARE(m_nav->visibleButtons(), QList<Button>({Button::Insert, Button::Post, Button::Cancel}));
        QVERIFY(m_nav->findChild<QToolButton *>("nbFirst")->isHidden());
        QVERIFY(!m_nav->findChild<QToolButton *>("nbPost")->isHidden());
    }

    void buttonsMoveAndEdit()
    {
        m_dataset->open();
        clickButton("nbLast");
        QCOMPARE(m_dataset->currentIndex(), 2);
        clickButton("nbPrior");
        QCOMPARE(m_dataset->currentIndex(), 1);
        clickButton("nbFirst");
        QCOMPARE(m_dataset->currentIndex(), 0);
        clickButton("nbNext");
        QCOMPARE(m_dataset->currentIndex(), 1);

        clickButton("nbEdit");
        QCOMPARE(m_dataset->state(), db::DatasetState::Edit);
        m_dataset->field("sname")->setValue("Petrova");
        clickButton("nbCancel");
        QCOMPARE(m_dataset->field("sname")->asString(), QString("Petrov"));

        clickButton("nbInsert");
        QCOMPARE(m_dataset->state(), db::DatasetState::Insert);
        m_dataset->field("id")->setValue("9");
        m_dataset->field("sname")->setValue("Novikov");
        clickButton("nbPost");
        QCOMPARE(m_dataset->state(), db::DatasetState::Browse);
        QCOMPARE(m_db->scalar("select sname from customer where id = '9'").toString(), QString("Novikov"));
    }

    // Post takes a text still waiting in a bound box with it, or stops.
    void postWritesTextWaitingInABox()
    {
        m_dataset->open();
        TDBEdit points;
        points.setDataSource(m_source.get());
        points.setDataField("totalpoints");
        m_dataset->edit();
        points.setText("12,5"); // not a number with a full stop
        emit points.textEdited(points.text());
        QVERIFY(points.hasPendingText());

        QString message;
        ui_test::answerNextMessageBox(QMessageBox::Ok, &message);
        clickButton("nbPost");
        QCOMPARE(message, QString("'12,5' is not a valid floating point value"));
        QCOMPARE(m_dataset->state(), db::DatasetState::Edit);

        points.setText("12.5");
        emit points.textEdited(points.text());
        clickButton("nbPost");
        QCOMPARE(m_dataset->state(), db::DatasetState::Browse);
        QCOMPARE(m_db->scalar("select totalpoints from customer where id = '1'").toDouble(), 12.5);
    }

    void aFailedActionIsShownAndTheRowStays()
    {
        m_dataset->open();
        m_dataset->edit();
        m_dataset->field("sname")->clear();
        QString message, title;
        ui_test::onNextModal([&](QWidget *box) {
            title = box->windowTitle();
            message = static_cast<QMessageBox *>(box)->text();
            static_cast<QMessageBox *>(box)->accept();
        });
        clickButton("nbPost");
        QCOMPARE(title, QString("Quorvel"));
        QCOMPARE(message, QString("Field 'Customer Name' must have a value"));
        QCOMPARE(m_dataset->state(), db::DatasetState::Edit);
        QCOMPARE(pattern(), QString("..NL...PC"));
    }

    void anAbortedActionIsSilent()
    {
        m_dataset->open();
        m_dataset->beforeDelete = [](db::Dataset &) { throw db::AbortError(); };
        ui_test::ModalWatch watch;
        clickButton("nbDelete");
        QTest::qWait(30);
        QVERIFY(watch.titles.isEmpty());
        QCOMPARE(m_dataset->recordCount(), 3);
    }

    void deleteAsksOnlyWhenTheWindowWantsIt_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("no confirmation") << false << -1 << 2;
        QTest::newRow("confirmed") << true << int(QMessageBox::Ok) << 2;
        QTest::newRow("refused") << true << int(QMessageBox::Cancel) << 3;
    }

    void deleteAsksOnlyWhenTheWindowWantsIt()
    {
        QFETCH(bool, confirm);
        QFETCH(int, answer);
        QFETCH(int, rowsLeft);
        m_dataset->open();
        m_nav->setConfirmDelete(confirm);
        QString question;
        std::unique_ptr<ui_test::ModalWatch> watch;
        if (answer >= 0)
            ui_test::answerNextMessageBox(QMessageBox::StandardButton(answer), &question);
        else
            watch = std::make_unique<ui_test::ModalWatch>();
        clickButton("nbDelete");
        QCOMPARE(m_dataset->recordCount(), rowsLeft);
        QCOMPARE(m_db->scalar("select count(*) from customer").toInt(), rowsLeft);
        if (answer >= 0)
            QCOMPARE(question, QString("Delete record?"));
        else
            QVERIFY(watch->titles.isEmpty());
    }

    void glyphsAreStripsOfNormalAndDisabledPictures()
    {
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i) {
            const auto which = Button(i);
            const QPixmap strip = TDBNavigator::glyphStrip(TDBNavigator::glyphName(which));
            QVERIFY(!strip.isNull());
            QCOMPARE(strip.width(), 2 * strip.height());
            const QImage normal = TDBNavigator::glyph(which).toImage();
            QCOMPARE(normal, strip.copy(0, 0, strip.height(), strip.height()).toImage());
            QVERIFY(normal != strip.copy(strip.height(), 0, strip.height(), strip.height()).toImage());
            QVERIFY(!m_nav->button(which)->icon().isNull());
        }
        QCOMPARE(TDBNavigator::glyphName(Button::Insert), QString("DBN_INSERT"));
        QVERIFY(TDBNavigator::glyphStrip("DBN_REFRESH").isNull());
        // Every picture is a different one.
        QSet<QByteArray> seen;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i) {
            const QImage image = TDBNavigator::glyph(Button(i)).toImage();
            seen.insert(QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()));
        }
        QCOMPARE(seen.size(), TDBNavigator::ButtonCount);
    }

private:
    QString pattern() const
    {
        static const QString letters = QStringLiteral("FPNLIDEPC");
        QString result;
        for (int i = 0; i < TDBNavigator::ButtonCount; ++i)
            result += m_nav->button(Button(i))->isEnabled() ? letters[i] : QChar(u'.');
        return result;
    }

    void clickButton(const char *name)
    {
        auto *button = m_nav->findChild<QToolButton *>(name);
        QVERIFY2(button, name);
        QVERIFY2(button->isEnabled(), name);
        button->click();
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<db::Dataset> m_dataset;
    std::unique_ptr<db::DataSource> m_source;
    std::unique_ptr<TDBNavigator> m_nav;
};

QTEST_MAIN(tst_TDBNavigator)
#include "tst_TDBNavigator.moc"
