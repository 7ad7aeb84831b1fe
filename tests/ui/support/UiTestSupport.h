#pragma once
// Shared by the window tests: answering modal dialogs and message boxes that
// a tested action opens, and a fresh database with datasets over its tables.

#include "TestSupport.h"
#include "engine/Connection.h"
#include "engine/DataSource.h"
#include "engine/Dataset.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

class QWidget;

namespace ui_test {

/// The child of `parent` named `name`; a test without it cannot go on.
template <typename T>
T *namedChild(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

/// Runs `act` on the next modal widget that opens (a dialog's exec or a
/// message box) within a few seconds; nothing happens when none opens.
void onNextModal(std::function<void(QWidget *)> act);

/// Types `text` into `widget` key by key, each key carrying its character, so
/// that any text (Cyrillic included) arrives as typing does.
void typeText(QWidget *widget, const QString &text);

/// Presses `button` in the next message box; its text goes to `*text`.
void answerNextMessageBox(QMessageBox::StandardButton button, QString *text = nullptr);

/// Answers the next report's "Output Options" with a PDF file at `path`.
void answerOutputToFile(const QString &path);

/// While it lives, closes every modal widget that opens and records the
/// message box texts (and the titles of other dialogs): for checking that an
/// action reports nothing, without a stray box blocking the test. With
/// `answer`, a message box that has that button is closed by pressing it.
class ModalWatch
{
public:
    explicit ModalWatch(QMessageBox::StandardButton answer = QMessageBox::NoButton);
    ~ModalWatch();
    ModalWatch(const ModalWatch &) = delete;
    ModalWatch &operator=(const ModalWatch &) = delete;

    QStringList texts;
    QStringList titles;

private:
    std::unique_ptr<QTimer> m_timer;
};

/// A fresh database with the schema in a temporary program folder, connected,
/// under the full-stop test locale.
class TestDatabase
{
public:
    TestDatabase();

    db::Connection &connection() { return m_connection; }
    const testing_support::ProgramFolder &folder() const { return m_folder; }
    void exec(const QString &sql) { m_connection.execute(sql); }
    QVariant scalar(const QString &sql);
    /// Customers 1 Ivanov (10 points), 2 Petrov (`petrovPoints`), 3 Sidorov (0).
    void addThreeCustomers(double petrovPoints = 2);

    /// Orders: "Order ID", hidden customer, "Total Sum", "Refusal" (yes/no),
    /// "Orders Date"; written back to `orders` by `id`. Not opened.
    std::unique_ptr<db::Dataset> orders(const QString &sql = QStringLiteral("select * from orders order by id"));
    /// Customers: "Customer ID" (6), "Customer Name" (50, required),
    /// "Points"; written back to `customer` by `id`. Not opened.
    std::unique_ptr<db::Dataset> customers();
    /// Products of every catalogue: "Product ID" (6, `mask`), "Product Name",
    /// hidden catalogue date, "Price", "Points"; written back by key.
    std::unique_ptr<db::Dataset> products(const QString &mask = QStringLiteral("AAA-AA;1;_"));

private:
    testing_support::ProgramFolder m_folder;
    testing_support::LocaleGuard m_locale{testing_support::pointLocale()};
    db::Connection m_connection;
};

} // namespace ui_test
