#include "EditCustomerU.h"

#include "ui_EditCustomerU.h"

#include "engine/DataSource.h"
#include "widgets/DataAware.h"
#include "widgets/ErrorGuard.h"

#include <QKeyEvent>

TfrmEditCustomer::TfrmEditCustomer(db::DataSource &source, const QString &caption, const QString &coordinator,
                                   bool idFirst, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmEditCustomer>()), m_source(source)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(caption);
    ui->btnSave->setKind(TqubBitBtn::Kind::OK);
    ui->btnSave->setModalResult(-1); // closes only once the boxes' text is in the row
    ui->btnCancel->setKind(TqubBitBtn::Kind::Cancel);

    ui->edCustomerID->setDataSource(&source);
    ui->edCustomerID->setDataField(QStringLiteral("id"));
    ui->edCustomerName->setDataSource(&source);
    ui->edCustomerName->setDataField(QStringLiteral("sname"));
    ui->edCoordinator->setText(coordinator);

    // With generated identifiers the proposed one is seen, and may be
    // changed, before the name is typed.
    QWidget *first = idFirst ? static_cast<QWidget *>(ui->edCustomerID) : ui->edCustomerName;
    QWidget *second = idFirst ? static_cast<QWidget *>(ui->edCustomerName) : ui->edCustomerID;
    setTabOrder(first, second);
    setTabOrder(second, ui->btnSave);
    setTabOrder(ui->btnSave, ui->btnCancel);
    first->setFocus();

    const db::Dataset *dataset = source.dataset();
    ui->btnSave->setEnabled(dataset && dataset->state() == db::DatasetState::Edit);
    ui->edCustomerID->installEventFilter(this);
    ui->edCustomerName->installEventFilter(this);
    connect(ui->btnSave, &QPushButton::clicked, this, &TfrmEditCustomer::save);
}

TfrmEditCustomer::~TfrmEditCustomer() = default;

bool TfrmEditCustomer::edit(db::DataSource &source, const QString &caption, const QString &coordinator,
                            bool idFirst, QWidget *parent)
{
    TfrmEditCustomer dialog(source, caption, coordinator, idFirst, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool TfrmEditCustomer::eventFilter(QObject *watched, QEvent *event)
{
    const bool result = QDialog::eventFilter(watched, event);
    // OK follows the boxes after each key, whichever key it was.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        updateSaveButton();
    return result;
}

void TfrmEditCustomer::updateSaveButton()
{
    ui->btnSave->setEnabled(!ui->edCustomerID->text().isEmpty() && !ui->edCustomerName->text().isEmpty());
}

void TfrmEditCustomer::save()
{
    // Text the row cannot take is reported and the dialog stays open.
    if (guarded(this, [this] { updateRecord(m_source.dataset()); }))
        accept();
}
