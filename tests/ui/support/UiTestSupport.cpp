#include "UiTestSupport.h"


#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace ui_test {

namespace {

QWidget *openModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : nullptr;
}

} // namespace

void onNextModal(std::function<void(QWidget *)> act)
{
    // Polls from inside the nested event loop of the dialog's exec.
    auto *timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, act = std::move(act)] {
        if (QWidget *modal = openModal()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void answerNextMessageBox(QMessageBox::StandardButton button, QString *text)
{
    onNextModal([button, text](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            return;
        }
        if (text)
            *text = box->text();
        if (QAbstractButton *pressed = box->button(button))
            pressed->click();
        else
            box->reject();
    });
}

void answerOutputToFile(const QString &path)
{
    onNextModal([path](QWidget *modal) {
        auto *file = modal->findChild<QRadioButton *>(QStringLiteral("rbFile"));
        auto *name = modal->findChild<QLineEdit *>(QStringLiteral("edFileName"));
        auto *ok = modal->findChild<QAbstractButton *>(QStringLiteral("btnOK"));
        if (!file || !name || !ok) {
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            return;
        }
        file->setChecked(true);
        name->setText(path);
        ok->click();
    });
}

ModalWatch::ModalWatch(QMessageBox::StandardButton answer) : m_timer(std::make_unique<QTimer>())
{
    m_timer->setInterval(10);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this, answer] {
        QWidget *modal = openModal();
        if (!modal)
            return;
        titles << modal->windowTitle();
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box)
            texts << box->text();
        if (QAbstractButton *pressed = box ? box->button(answer) : nullptr)
            pressed->click();
        else if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    });
    m_timer->start();
}

ModalWatch::~ModalWatch() = default;

TestDatabase::TestDatabase()
{
    m_connection.setDataSource(m_folder.createDatabase());
    m_connection.open();
}

void TestDatabase::addThreeCustomers(double petrovPoints)
{
    testing_support::addCustomer(m_connection, QStringLiteral("1"), QVariant(), QStringLiteral("Ivanov"), 10);
    testing_support::addCustomer(m_connection, QStringLiteral("2"), QVariant(), QStringLiteral("Petrov"), petrovPoints);
    testing_support::addCustomer(m_connection, QStringLiteral("3"), QVariant(), QStringLiteral("Sidorov"), 0);
}

QVariant TestDatabase::scalar(const QString &sql)
{
    db::Dataset query(&m_connection, QStringLiteral("scalar"));
    query.setSql(sql);
    query.open();
    return query.isEmpty() ? QVariant() : query.fieldAt(0)->value();
}

std::unique_ptr<db::Dataset> TestDatabase::orders(const QString &sql)
{
    using db::FieldType;
    auto ds = std::make_unique<db::Dataset>(&m_connection, QStringLiteral("qOrders"));
    ds->setSql(sql);
    ds->addField(QStringLiteral("id"), FieldType::AutoInc)->setDisplayLabel(QStringLiteral("Order ID"));
    ds->addField(QStringLiteral("id_customer"), FieldType::String, 6)->setVisible(false);
    ds->addField(QStringLiteral("totalsum"), FieldType::Currency)->setDisplayLabel(QStringLiteral("Total Sum"));
    ds->addField(QStringLiteral("refusal"), FieldType::Boolean)->setDisplayLabel(QStringLiteral("Refusal"));
    ds->addField(QStringLiteral("ordersdate"), FieldType::DateTime)->setDisplayLabel(QStringLiteral("Orders Date"));
    ds->setUpdateTable(QStringLiteral("orders"), {QStringLiteral("id")});
    return ds;
}

std::unique_ptr<db::Dataset> TestDatabase::customers()
{
    using db::FieldType;
    auto ds = std::make_unique<db::Dataset>(&m_connection, QStringLiteral("qCustomer"));
    ds->setSql(QStringLiteral("select * from customer order by id"));
    ds->addField(QStringLiteral("id"), FieldType::String, 6)->setDisplayLabel(QStringLiteral("Customer ID"));
    db::Field *name = ds->addField(QStringLiteral("sname"), FieldType::String, 50);
    name->setDisplayLabel(QStringLiteral("Customer Name"));
    name->setRequired(true);
    ds->addField(QStringLiteral("totalpoints"), FieldType::Currency)->setDisplayLabel(QStringLiteral("Points"));
    ds->setUpdateTable(QStringLiteral("customer"), {QStringLiteral("id")});
    return ds;
}

std::unique_ptr<db::Dataset> TestDatabase::products(const QString &mask)
{
    using db::FieldType;
    auto ds = std::make_unique<db::Dataset>(&m_connection, QStringLiteral("qProduct"));
    ds->setSql(QStringLiteral("select * from product order by id"));
    db::Field *id = ds->addField(QStringLiteral("id"), FieldType::FixedChar, 6);
    id->setDisplayLabel(QStringLiteral("Product ID"));
    id->setRequired(true);
    id->setEditMask(mask);
    ds->addField(QStringLiteral("name"), FieldType::String, 255)->setDisplayLabel(QStringLiteral("Product Name"));
    ds->addField(QStringLiteral("dateprice"), FieldType::DateTime)->setVisible(false);
    ds->addField(QStringLiteral("price"), FieldType::Currency)->setDisplayLabel(QStringLiteral("Price"));
    ds->addField(QStringLiteral("points"), FieldType::Currency)->setDisplayLabel(QStringLiteral("Points"));
    ds->setUpdateTable(QStringLiteral("product"), {QStringLiteral("id"), QStringLiteral("dateprice")});
    return ds;
}

} // namespace ui_test
