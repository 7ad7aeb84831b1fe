#include "QtUserPort.h"

#include "MainU.h"
#include "DataU.h"
#include "catalogue/RefU.h"
#include "organization/EditCustomerU.h"
#include "engine/DataSource.h"
#include "widgets/DateU.h"
#include "widgets/ErrorGuard.h"

#include <QApplication>
#include <QMessageBox>

QWidget *QtUserPort::messageParent() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return m_mainWindow;
}

void QtUserPort::showError(const QString &text)
{
    showErrorBox(messageParent(), text);
}

void QtUserPort::showInformation(const QString &text)
{
    QMessageBox box(QMessageBox::Information, applicationTitle(), text, QMessageBox::Ok, messageParent());
    box.exec();
}

bool QtUserPort::confirm(const QString &text)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    messageParent());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtUserPort::warn(const QString &text, Buttons buttons)
{
    const bool okCancel = buttons == Buttons::OkCancel;
    QMessageBox box(QMessageBox::Warning, applicationTitle(), text,
                    okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Yes | QMessageBox::No,
                    messageParent());
    box.setDefaultButton(okCancel ? QMessageBox::Ok : QMessageBox::Yes);
    const int answer = box.exec();
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}

void QtUserPort::refreshMainCaption()
{
    if (m_mainWindow)
        m_mainWindow->refreshCaption();
}

bool QtUserPort::chooseRecord(db::DataSource &source, const ChooserOptions &options,
                              const std::function<void()> &readChoice)
{
    return TfrmRef::choose(messageParent(), *source.dataset(), options, readChoice);
}

bool QtUserPort::editCustomer(db::DataSource &source, const QString &caption, const QString &coordinator,
                              bool idFirst)
{
    return TfrmEditCustomer::edit(source, caption, coordinator, idFirst, messageParent());
}

std::optional<QDate> QtUserPort::chooseDate(const QDate &preset)
{
    if (!m_mainWindow)
        return std::nullopt;
    return TfrmDate::choose(m_mainWindow->data().localization(), messageParent(), preset);
}
