// The data module's order rules: header defaults and numbers, the journal
// totals, each customer's running point total kept by difference, and the
// order lines valued from the current catalogue.

#include "DataU.h"
#include "EntryPanel.h"
#include "Messages.h"
#include "Numbers.h"
#include "UserPort.h"
#include "engine/KeyText.h"
#include "engine/Rounding.h"
#include "engine/WallClock.h"


using db::Dataset;

namespace {
const QString kId = QStringLiteral("id");
const QString kCustomerId = QStringLiteral("id_customer");
const QString kTotalSum = QStringLiteral("totalsum");
const QString kTotalPoints = QStringLiteral("totalpoints");
const QString kRefusal = QStringLiteral("refusal");
const QString kOrdersDate = QStringLiteral("ordersdate");

} // namespace

void TData::bindOrderRules()
{
    qOrders->afterInsert = [this](Dataset &d) { qOrdersAfterInsert(d); };
    qOrders->afterEdit = [this](Dataset &d) { qOrdersAfterEdit(d); };
    qOrders->beforeDelete = [this](Dataset &d) {
        m_deletingOrder = d.field(kId)->value();
        qOrdersAfterEdit(d);
    };
    qOrders->beforePost = [this](Dataset &d) { qOrdersBeforePost(d); };
    // The header and its customer's points are stored as one unit.
    qOrders->whileStoring = [this](Dataset &) { UpdateCustomerPoints(); };
    qOrders->whileDeleting = [this](Dataset &) { UpdateCustomerPoints(); };
    qOrders->afterPost = [this](Dataset &d) { qOrdersAfterPost(d); };
    qOrders->afterDelete = [this](Dataset &d) {
        if (!m_deletingOrder.isNull())
            m_staleTotals.remove(m_deletingOrder.toLongLong());
        qOrdersAfterPost(d);
    };
    qOrders->setOnFilterRecord([this](Dataset &d) { return qOrdersFilterRecord(d); });
    qCustomer->setOnFilterRecord([this](Dataset &d) { return qOrdersFilterRecord(d); });

    qOrder->beforeInsert = [this](Dataset &d) { qOrderBeforeInsert(d); };
    qOrder->afterInsert = [this](Dataset &d) { qOrderAfterInsert(d); };
    qOrder->afterEdit = [this](Dataset &d) { DataSetAfterEdit(d); };
    qOrder->beforePost = [this](Dataset &d) { qOrderBeforePost(d); };
    // A line stored or deleted changes what its header's totals should be;
    // a line edit cancelled does not.
    qOrder->afterPost = [this](Dataset &d) {
        markTotalsStale(d.field(QStringLiteral("id_orders"))->value());
        qOrderAfterPost(d);
    };
    qOrder->afterDelete = [this](Dataset &d) { markTotalsStale(d.param(kId).value()); };
    qOrder->afterCancel = [this](Dataset &d) { qOrderAfterPost(d); };
    qOrder->onCalcFields = [this](Dataset &d) { qOrderCalcFields(d); };
    qOrder->onPostError = [this](Dataset &d, const db::DataError &e, db::PostErrorAction &a) {
        qOrderPostError(d, e, a);
    };
}

// --- header rules ---------------------------------------------------------------------------

void TData::qOrdersAfterInsert(Dataset &dataset)
{
    OldTotalSum = 0;
    OldTotalPoints = 0;
    OldCustomerId.clear();
    dataset.field(kOrdersDate)->setValue(db::wallClock(clock().date()));
    dataset.field(kRefusal)->setValue(RefusalMode);
    dataset.field(kTotalSum)->setValue(0.0);
    dataset.field(kTotalPoints)->setValue(0.0);
    ChooseOrderCustomer();
}

void TData::ChooseOrderCustomer()
{
    ChooserOptions options;
    options.caption = Messages().fixedSpecifyCustomer;
    options.showChoose = true;
    options.autoEdit = false;
    options.doubleClickChooses = true;
    m_port.chooseRecord(*dsCustomer, options,
                        [this] { qOrders->field(kCustomerId)->setValue(qCustomer->field(kId)->asString()); });
}

void TData::qOrdersAfterEdit(Dataset &dataset)
{
    OldTotalSum = dataset.field(kTotalSum)->asFloat();
    NewTotalSum = 0;
    OldTotalPoints = dataset.field(kTotalPoints)->asFloat();
    NewTotalPoints = 0;
    OldCustomerId = dataset.field(kCustomerId)->asString();
}

void TData::qOrdersBeforePost(Dataset &dataset)
{
    // An order's points belong to its customer: a header is never stored
    // without one, nor loses the one it was stored with.
    db::Field *customer = dataset.field(kCustomerId);
    if (customer->asString().trimmed().isEmpty()
        && (dataset.state() == db::DatasetState::Insert || !customer->oldValue().toString().trimmed().isEmpty())) {
        m_port.showError(Messages().lEnterCustomerFirst);
        throw db::AbortError();
    }
    // Lines take their sign from the header's kind, so a kind stored
    // changed leaves the totals to be recalculated.
    db::Field *refusal = dataset.field(kRefusal);
    if (dataset.state() == db::DatasetState::Edit && refusal->oldValue().toBool() != refusal->asBoolean())
        markTotalsStale(dataset.field(kId)->value());
    if (dataset.state() == db::DatasetState::Insert) {
        qGetOrderID->close();
        try {
            qGetOrderID->open();
            dataset.field(kId)->setValue(qGetOrderID->field(QStringLiteral("MaxID"))->asInteger() + 1);
        } catch (...) {
            qGetOrderID->close();
            throw;
        }
        qGetOrderID->close();
    }
    NewTotalSum = dataset.field(kTotalSum)->asFloat();
    NewTotalPoints = dataset.field(kTotalPoints)->asFloat();
    NewCustomerId = dataset.field(kCustomerId)->asString();
}

void TData::UpdateCustomerPoints()
{
    if (NewTotalPoints == OldTotalPoints && OldCustomerId == NewCustomerId)
        return;
    // Nested inside the store or delete of the header (and inside a caller's
    // own transaction when there is one): a failure undoes them together.
    db::Transaction transaction(ADOConnection);
    if (OldCustomerId == NewCustomerId) {
        AddCustomerPoints(NewCustomerId, NewTotalPoints - OldTotalPoints);
    } else {
        AddCustomerPoints(OldCustomerId, OldTotalPoints * -1);
        AddCustomerPoints(NewCustomerId, NewTotalPoints);
    }
    transaction.commit();
}

void TData::AddCustomerPoints(const QString &customerId, double points)
{
    // An empty identifier matches no customer: a new header (no old customer)
    // and a deleted one (no new customer) come out right that way.
    cmExecSql->setText(QStringLiteral("update customer set totalpoints = totalpoints + %1 where id = :id")
                           .arg(SqlNumber(points)));
    cmExecSql->param(kId).setValue(customerId);
    cmExecSql->execute();
}

void TData::qOrdersAfterPost(Dataset &)
{
    JournalTotal = JournalTotal + NewTotalSum - OldTotalSum;
    if (NewTotalSum >= 0)
        OrdersTotal += NewTotalSum;
    else
        RefusalsTotal += NewTotalSum;
    if (OldTotalSum >= 0)
        OrdersTotal -= OldTotalSum;
    else
        RefusalsTotal -= OldTotalSum;
    NewTotalSum = OldTotalSum = NewTotalPoints = OldTotalPoints = 0;
    OldCustomerId.clear();
    NewCustomerId.clear();
    ShowJournalTotals();
}

void TData::RecountJournalTotals(db::Field *sumField)
{
    JournalTotal = OrdersTotal = RefusalsTotal = 0;
    Dataset *dataset = sumField->dataset();
    dataset->disableControls();
    try {
        dataset->first();
        while (!dataset->eof()) {
            const double value = sumField->asFloat();
            JournalTotal += value;
            if (value >= 0)
                OrdersTotal += value;
            else
                RefusalsTotal += value;
            dataset->next();
        }
    } catch (...) {
        dataset->enableControls();
        throw;
    }
    dataset->enableControls();
    JournalTotal = db::roundCentsEven(JournalTotal);
    ShowJournalTotals();
}

void TData::ShowJournalTotals()
{
    ShowTotal(QStringLiteral("edSum"), JournalTotal);
    ShowTotal(QStringLiteral("edOrdered"), OrdersTotal);
    ShowTotal(QStringLiteral("edRefused"), RefusalsTotal);
}

void TData::ShowTotal(const QString &box, double value)
{
    if (m_journalView)
        m_journalView->showTotal(box, FormatGeneral(value));
}

void TData::setFilterBox(Dataset *dataset, const QString &fieldName, std::function<QString()> text)
{
    auto &boxes = m_filterBoxes[dataset];
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(),
                               [&](const auto &box) { return box.first.compare(fieldName, Qt::CaseInsensitive) == 0; }),
                boxes.end());
    if (text)
        boxes.emplace_back(fieldName, std::move(text));
}

void TData::clearFilterBoxes(Dataset *dataset)
{
    m_filterBoxes.remove(dataset);
}

bool TData::qOrdersFilterRecord(Dataset &dataset)
{
    const auto found = m_filterBoxes.constFind(&dataset);
    if (found == m_filterBoxes.constEnd())
        return true;
    for (int i = 0; i < dataset.fieldCount(); ++i) {
        db::Field *field = dataset.fieldAt(i);
        for (const auto &[name, textOf] : *found) {
            if (name.compare(field->name(), Qt::CaseInsensitive) != 0)
                continue;
            const QString text = textOf();
            if (!text.isEmpty() && text != field->asString())
                return false;
        }
    }
    return true;
}

// --- line rules -------------------------------------------------------------------------------

void TData::qOrderBeforeInsert(Dataset &)
{
    if (qOrders->state() != db::DatasetState::Insert)
        return;
    if (qOrders->field(kCustomerId)->asString().isEmpty())
        ChooseOrderCustomer();
    if (qOrders->field(kCustomerId)->asString().isEmpty())
        return;
    // The header is stored first so that its lines have a number to belong
    // to; it stays the current header (the journal's filter is not applied
    // again) and goes back into editing for the lines that follow.
    qOrders->post();
    qOrders->edit();
}

void TData::qOrderAfterInsert(Dataset &dataset)
{
    // A header still being inserted has no number yet, even when a store that
    // failed gave it one: lines under it would belong to no stored order.
    if (qOrders->state() == db::DatasetState::Insert || qOrders->field(kId)->isNull()) {
        m_port.showInformation(QStringLiteral("Appending Order Error"));
        dataset.cancel();
        return;
    }
    dataset.field(QStringLiteral("id_orders"))->setValue(qOrders->field(kId)->asInteger());
    dataset.field(QStringLiteral("dateprice"))->setValue(currentCatalogDate());
    dataset.field(QStringLiteral("amount"))->setValue(1);
    DataSetAfterEdit(dataset);
}

EntryPanel *TData::EntryPanelOf(const Dataset *dataset) const
{
    return m_entryPanels.value(dataset);
}

void TData::setEntryPanel(const Dataset *dataset, EntryPanel *panel)
{
    if (panel)
        m_entryPanels.insert(dataset, panel);
    else
        m_entryPanels.remove(dataset);
}

void TData::DataSetAfterEdit(Dataset &dataset)
{
    EntryPanel *panel = EntryPanelOf(&dataset);
    if (!panel)
        return;
    panel->showPanel();
    panel->hideNavigator();
    if (!panel->focusFirstEdit())
        m_port.showInformation(QStringLiteral("Error In ") + panel->firstEditName() + QStringLiteral(".SetFocus"));
}

void TData::qOrderAfterPost(Dataset &dataset)
{
    if (EntryPanel *panel = EntryPanelOf(&dataset)) {
        panel->hidePanel();
        panel->showNavigator();
    }
}

void TData::qOrderBeforePost(Dataset &dataset)
{
    db::Field *date = dataset.field(QStringLiteral("dateprice"));
    if (db::keyText(date->value()) != db::keyText(currentCatalogDate()))
        date->setValue(currentCatalogDate());
}

void TData::qOrderCalcFields(Dataset &dataset)
{
    const double sign = qOrders->isActive() && qOrders->field(kRefusal)->asBoolean() ? -1.0 : 1.0;
    const double amount = dataset.field(QStringLiteral("amount"))->asFloat();
    const double price = dataset.field(QStringLiteral("Price"))->asFloat();
    const double points = dataset.field(QStringLiteral("Points"))->asFloat();
    dataset.field(QStringLiteral("TotalSum"))->setValue(db::roundMoney(price * sign * amount));
    dataset.field(QStringLiteral("TotalPoints"))->setValue(db::roundMoney(points * sign * amount));
}

void TData::qOrderPostError(Dataset &dataset, const db::DataError &, db::PostErrorAction &action)
{
    QString message;
    db::Field *order = dataset.field(QStringLiteral("id_orders"));
    db::Field *product = dataset.field(QStringLiteral("id_product"));
    if (!order->isNull() && !product->isNull()) {
        Dataset duplicate(&ADOConnection, QStringLiteral("qDuplicateLine"));
        duplicate.setSql(QStringLiteral("select * from ordered where id_orders = :id_orders and id_product = :id_product"));
        duplicate.param(QStringLiteral("id_orders")).setValue(order->asInteger());
        duplicate.param(QStringLiteral("id_product")).setValue(product->asString());
        duplicate.open();
        if (!duplicate.isEmpty())
            message = FormatMessage(Messages().lDuplicateProductMes1, {QStringLiteral("\n\r")});
    }
    if (!message.isEmpty()) {
        action = db::PostErrorAction::Abort;
        m_port.showError(message);
        return;
    }
    // Any other failure goes on to the command that asked for the store,
    // whose error guard shows its text once.
    action = db::PostErrorAction::Fail;
}

void TData::PostPendingLine(db::Field *field)
{
    Dataset *dataset = field->dataset();
    if (dataset->state() == db::DatasetState::Edit) {
        dataset->post();
    } else if (dataset->state() == db::DatasetState::Insert) {
        if (field->asString().trimmed().isEmpty())
            dataset->cancel();
        else
            dataset->post();
    }
}

void TData::RecalculateOrder()
{
    double sum = 0, points = 0;
    qOrder->first();
    while (!qOrder->eof()) {
        sum += qOrder->field(QStringLiteral("TotalSum"))->asFloat();
        points += qOrder->field(QStringLiteral("TotalPoints"))->asFloat();
        qOrder->next();
    }
    if (!qOrders->isEditing())
        qOrders->edit();
    qOrders->field(kTotalSum)->setValue(sum);
    qOrders->field(kTotalPoints)->setValue(points);
    qOrders->post();
    m_staleTotals.remove(qOrders->field(kId)->asInteger());
}

void TData::markTotalsStale(const QVariant &orderId)
{
    if (!orderId.isNull())
        m_staleTotals.insert(orderId.toLongLong());
}

void TData::EndOrderEdit(bool ok)
{
    if (!ok && qOrder->isActive() && qOrder->isEditing())
        qOrder->cancel();
    // A header never stored has no lines (the first line stores it).
    const bool stored = qOrders->state() != db::DatasetState::Insert;
    if (qOrders->isEditing()) {
        if (ok)
            qOrders->post();
        else
            qOrders->cancel();
    }
    // Stored lines stay whatever the editor's result; their header's totals,
    // and with them its customer's points, must follow them.
    if (!stored || qOrders->isEmpty() || !m_staleTotals.contains(qOrders->field(kId)->asInteger()))
        return;
    try {
        if (qOrder->isEditing())
            qOrder->cancel();
        // The lines are valued again with the header's kind as stored.
        qOrder->requery();
        RecalculateOrder();
    } catch (...) {
        if (qOrders->isEditing())
            qOrders->cancel();
        throw;
    }
}
