// The data module's customer rules: new and edited customers go through the
// customer dialog, and a customer with a downline cannot be deleted.

#include "DataU.h"
#include "Identifiers.h"
#include "Messages.h"
#include "OrgTree.h"
#include "UserPort.h"

using db::Dataset;

namespace {
const QString kId = QStringLiteral("id");
const QString kSponsor = QStringLiteral("id_customer");
const QString kName = QStringLiteral("sname");
} // namespace

void TData::bindCustomerRules()
{
    for (Dataset *customers : {qCustomer2, qCustomer}) {
        customers->afterInsert = [this](Dataset &d) { qCustomer2AfterInsert(d); };
        customers->afterEdit = [this](Dataset &d) { qCustomer2AfterEdit(d); };
        // A downline must never lose its sponsor, whichever list the delete
        // comes from: the check guards every delete of a customer.
        customers->beforeDelete = [this](Dataset &d) { qCustomer2BeforeDelete(d); };
        // The rule asks the user itself, so no list asks before it.
        customers->setDeleteQuestion(db::DeleteQuestion::ByRule);
        customers->afterDelete = [this](Dataset &d) { qCustomer2AfterDelete(d); };
    }
    qCustomer2->afterOpen = [this](Dataset &d) { qCustomer2AfterOpen(d); };
}

QString TData::nextIdentifier(Dataset *query)
{
    return NextIdentifier(*query, query == qGetProductID ? qProduct : nullptr);
}

void TData::qCustomer2AfterInsert(Dataset &dataset)
{
    if (m_generateCustomerId)
        dataset.field(kId)->setValue(nextIdentifier(qGetCustomerID));
    qCustomer2AfterEdit(dataset);
}

void TData::qCustomer2AfterEdit(Dataset &dataset)
{
    const bool inserting = dataset.state() == db::DatasetState::Insert;
    const QString caption = inserting
        ? Messages().lNewCustomerCaption
        : FormatMessage(Messages().lEditCustomerCaption,
                        {dataset.field(kId)->asString() + u' ' + dataset.field(kName)->asString()});

    const bool inTree = &dataset == qCustomer2;
    if (inserting && inTree) {
        // Under the root the sponsor is the empty text, never null.
        const QString sponsor = m_orgTree ? m_orgTree->selectedCustomerId() : QString();
        dataset.field(kSponsor)->setValue(sponsor.isEmpty() ? QStringLiteral("") : sponsor);
    }
    const QString coordinator = inTree && m_orgTree ? m_orgTree->selectedNodeText() : Messages().lAdminNode;

    db::DataSource *source = dataSourceOf(&dataset);
    Q_ASSERT(source);
    if (!m_port.editCustomer(*source, caption, coordinator, m_generateCustomerId)) {
        dataset.cancel();
        return;
    }
    const QString id = dataset.field(kId)->asString();
    const QString text = id + u' ' + dataset.field(kName)->asString();
    try {
        dataset.post();
    } catch (const db::DataError &error) {
        // The row stays unsaved in its dataset; the navigator's Cancel drops it.
        m_port.showError(error.text());
        return;
    }
    if (inserting && inTree && m_orgTree) {
        if (m_orgTree->selectedShowsChildren())
            m_orgTree->addCustomerNode(id, text);
        else
            m_orgTree->loadChildren();
    }
}

void TData::qCustomer2BeforeDelete(Dataset &dataset)
{
    const QString id = dataset.field(kId)->asString();
    const QString name = dataset.field(kName)->asString();
    bool hasGroup = false;
    qOrg->close();
    try {
        qOrg->param(kId).setValue(id);
        qOrg->open();
        hasGroup = !qOrg->isEmpty();
    } catch (...) {
        qOrg->close();
        throw;
    }
    qOrg->close();

    if (hasGroup) {
        m_port.showError(FormatMessage(Messages().lCustomerDeleteImpossibleMes, {id, name, QStringLiteral("\n\r")}));
        throw db::AbortError();
    }
    if (!m_port.confirm(FormatMessage(Messages().lCustomerDeleteConfirm, {id, name})))
        throw db::AbortError();
    DeletedCustomerId = id;
}

void TData::qCustomer2AfterDelete(Dataset &dataset)
{
    if (&dataset == qCustomer && qCustomer2->isActive()) {
        // The level view must not go on showing a customer deleted from the
        // chooser list; it keeps its current customer when that one stays.
        const QString current = qCustomer2->isEmpty() ? QString() : qCustomer2->field(kId)->asString();
        qCustomer2->requery();
        if (!current.isEmpty())
            qCustomer2->locate(kId, current);
    }
    if (!m_orgTree)
        return;
    const int index = m_orgTree->findLiveIndex(DeletedCustomerId);
    if (index != -1)
        m_orgTree->removeCustomerNode(index);
}

void TData::qCustomer2AfterOpen(Dataset &dataset)
{
    // Rows of the level view are written back to the customer table.
    dataset.setUpdateTable(QStringLiteral("customer"), {kId});
}
