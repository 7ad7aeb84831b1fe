// Changes to the sponsor tree and to running points that the organization
// windows make: a customer moved under another sponsor, and points set from
// a period's orders. Every value reaches the statements bound.

#include "DataU.h"

#include <QScopeGuard>
#include <QSet>

using db::Dataset;

namespace {
const QString kId = QStringLiteral("id");
} // namespace

TData::SponsorChain TData::sponsorChain(const QString &id)
{
    SponsorChain chain;
    chain.ids << id;
    QSet<QString> seen{id};
    Dataset *query = qFindCustomerID;
    query->close();
    const auto closeQuery = qScopeGuard([query] { query->close(); });
    QString current = id;
    for (;;) {
        query->close();
        query->param(kId).setValue(current);
        query->open();
        if (query->isEmpty())
            break;
        const QString sponsor = query->fieldAt(0)->asString();
        // A damaged table may loop; the walk ends where it would go round.
        if (seen.contains(sponsor)) {
            chain.looped = true;
            break;
        }
        chain.ids << sponsor;
        seen.insert(sponsor);
        if (sponsor.isEmpty())
            break;
        current = sponsor;
    }
    return chain;
}

TData::SponsorMove TData::moveCustomer(const QString &id, const QString &sponsor)
{
    // The tree on screen may be older than the table: whether the new
    // sponsor lies in the moved customer's downline is decided by the table,
    // inside the transaction that makes the change.
    db::Transaction transaction(ADOConnection);
    if (sponsorChain(sponsor).ids.contains(id))
        return SponsorMove::IntoOwnDownline;
    cmExecSql->setText(QStringLiteral("update customer set id_customer = :sponsor where id = :id"));
    cmExecSql->param(QStringLiteral("sponsor")).setValue(sponsor.isEmpty() ? QStringLiteral("") : sponsor);
    cmExecSql->param(kId).setValue(id);
    cmExecSql->execute();
    transaction.commit();
    return SponsorMove::Moved;
}

void TData::setCustomerPoints(const QString &id, double points)
{
    cmExecSql->setText(QStringLiteral("update customer set totalpoints = :points where id = :id"));
    cmExecSql->param(QStringLiteral("points")).setValue(points);
    cmExecSql->param(kId).setValue(id);
    cmExecSql->execute();
}
