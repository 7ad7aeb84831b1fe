// The date dialog (one calendar day, OK against Cancel and Escape, its design
// size) and the busy notice shown while a longer inquiry runs.

#include "UiTestSupport.h"

#include "Localization.h"
#include "widgets/DateU.h"
#include "widgets/Progress2U.h"
#include "widgets/qubButtons.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QTest>

using testing_support::LocaleGuard;
using testing_support::ProgramFolder;

namespace {

enum class Close { Ok, Cancel, Escape, Window };

} // namespace

Q_DECLARE_METATYPE(Close)

class TestSmallDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_locale = std::make_unique<LocaleGuard>(testing_support::pointLocale());
        m_folder = std::make_unique<ProgramFolder>();
        m_catalogue = std::make_unique<LocCatalogue>(m_folder->file(LocCatalogue::FileName));
    }
    void cleanup()
    {
        m_catalogue.reset();
        m_folder.reset();
        m_locale.reset();
    }

    void dateDialogKeepsItsDesignSize();
    void dateDialogSelectsToday();
    void chooseDate_data();
    void chooseDate();
    void dateDialogButtonsLocalized();
    void busyNotice();
    void busyNoticeGoesWithItsWork();

private:
    std::unique_ptr<LocaleGuard> m_locale;
    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<LocCatalogue> m_catalogue;
};

void TestSmallDialogs::dateDialogKeepsItsDesignSize()
{
    TfrmDate dialog(*m_catalogue);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Choose Date"));
    QCOMPARE(dialog.size(), QSize(207, 200));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

    auto *calendar = dialog.findChild<QCalendarWidget *>(QStringLiteral("MonthCalendar"));
    QCOMPARE(calendar->geometry(), QRect(0, 0, 207, 172));
    // The whole month fits: the calendar asks for no more than it is given.
    QVERIFY2(calendar->sizeHint().width() <= 207, qPrintable(QString::number(calendar->sizeHint().width())));
    QVERIFY(calendar->sizeHint().height() <= 172);

    auto *ok = dialog.findChild<TqubBitBtn *>(QStringLiteral("btnSave"));
    auto *cancel = dialog.findChild<TqubBitBtn *>(QStringLiteral("btnCancel"));
    QCOMPARE(ok->kind(), TqubBitBtn::Kind::OK);
    QCOMPARE(cancel->kind(), TqubBitBtn::Kind::Cancel);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    // At the right end of the bottom bar, OK first.
    const QRect okPlace(ok->mapTo(&dialog, QPoint(0, 0)), ok->size());
    const QRect cancelPlace(cancel->mapTo(&dialog, QPoint(0, 0)), cancel->size());
    QVERIFY(okPlace.right() < cancelPlace.left());
    QVERIFY(cancelPlace.right() >= 207 - 4);
    QVERIFY(okPlace.top() >= 172 && cancelPlace.bottom() < 200);
}

void TestSmallDialogs::dateDialogSelectsToday()
{
    TfrmDate dialog(*m_catalogue);
    QCOMPARE(dialog.date(), QDate::currentDate());
    QCOMPARE(dialog.findChild<QCalendarWidget *>(QStringLiteral("MonthCalendar"))->selectedDate(),
             QDate::currentDate());
}

void TestSmallDialogs::chooseDate_data()
{
    QTest::addColumn<QDate>("preset");
    QTest::addColumn<Close>("close");
    QTest::addColumn<QDate>("chosen");

    const QDate today = QDate::currentDate();
    const QDate orderDay(2007, 3, 1);
    QTest::newRow("OK at once gives today") << QDate() << Close::Ok << today;
    QTest::newRow("OK gives the preset day") << orderDay << Close::Ok << orderDay;
    QTest::newRow("Cancel gives nothing") << orderDay << Close::Cancel << QDate();
    QTest::newRow("Escape gives nothing") << QDate() << Close::Escape << QDate();
    QTest::newRow("closing the window gives nothing") << orderDay << Close::Window << QDate();
}

void TestSmallDialogs::chooseDate()
{
    QFETCH(QDate, preset);
    QFETCH(Close, close);
    QFETCH(QDate, chosen);

    QDate shown;
    ui_test::onNextModal([&](QWidget *dialog) {
        shown = dialog->findChild<QCalendarWidget *>(QStringLiteral("MonthCalendar"))->selectedDate();
        switch (close) {
        case Close::Ok:
            QTest::mouseClick(dialog->findChild<TqubBitBtn *>(QStringLiteral("btnSave")), Qt::LeftButton);
            break;
        case Close::Cancel:
            QTest::mouseClick(dialog->findChild<TqubBitBtn *>(QStringLiteral("btnCancel")), Qt::LeftButton);
            break;
        case Close::Escape:
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
            break;
        case Close::Window:
            dialog->close();
            break;
        }
    });
    const std::optional<QDate> result = TfrmDate::choose(*m_catalogue, nullptr, preset);
    QCOMPARE(shown, preset.isValid() ? preset : QDate::currentDate());
    QCOMPARE(result.has_value(), chosen.isValid());
    if (result)
        QCOMPARE(*result, chosen);
}

void TestSmallDialogs::dateDialogButtonsLocalized()
{
    m_catalogue->file().writeString(LocCatalogue::ControlsSection, QStringLiteral("frmDate_btnCancel"),
                                    QStringLiteral("'Abbrechen'"));
    TfrmDate dialog(*m_catalogue);
    QCOMPARE(dialog.findChild<TqubBitBtn *>(QStringLiteral("btnCancel"))->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Choose Date"));
    QCOMPARE(m_catalogue->file().readRawString(LocCatalogue::ControlsSection, QStringLiteral("frmDate_btnSave")),
             QStringLiteral("'OK'"));
}

void TestSmallDialogs::busyNotice()
{
    TfrmProgress2 notice(*m_catalogue);
    notice.show();
    QVERIFY(QTest::qWaitForWindowExposed(&notice));

    QVERIFY(notice.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(notice.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(!notice.isModal());
    QCOMPARE(notice.windowTitle(), QString());
    QCOMPARE(notice.size(), QSize(341, 35));
    QCOMPARE(notice.minimumSize(), notice.maximumSize());
    const QPoint screenCentre = notice.screen()->geometry().center();
    QVERIFY((notice.geometry().center() - screenCentre).manhattanLength() <= 2);

    auto *text = notice.findChild<QLabel *>(QStringLiteral("lblProgress"));
    QCOMPARE(text->text(), QStringLiteral("Database Inquiry In Progress"));
    QCOMPARE(text->pos(), QPoint(8, 8));
    QVERIFY(text->isVisible());
    QVERIFY(text->font().italic());
    QCOMPARE(text->font().pixelSize(), 11);
    QCOMPARE(text->font().family(), QStringLiteral("Tahoma"));
    auto *bar = notice.findChild<QProgressBar *>(QStringLiteral("pbSimulation"));
    QVERIFY(bar);
    QVERIFY(!bar->isVisible());
}

void TestSmallDialogs::busyNoticeGoesWithItsWork()
{
    QPointer<TfrmProgress2> seen;
    try {
        BusyNotice notice(*m_catalogue);
        seen = notice.window();
        // Shown and on screen before the work starts, without blocking it.
        QVERIFY(seen->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
        throw db::DataError(QStringLiteral("The branch cannot be read"));
    } catch (const db::DataError &) {
    }
    QVERIFY(seen.isNull());
}

QTEST_MAIN(TestSmallDialogs)
#include "tst_SmallDialogs.moc"
