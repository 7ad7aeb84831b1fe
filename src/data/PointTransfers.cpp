// Points moved by the department view: between two customers' running
// points, between a customer's running points and its reserve, and reserves
// typed in the department grid. Every value reaches the statements bound.

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"

#include "engine/Rounding.h"

#include <QScopeGuard>

#include <cmath>

namespace {
const QString kId = QStringLiteral("id");
const QString kTotalPoints = QStringLiteral("totalpoints");
const QString kReserve = QStringLiteral("reserve");
} // namespace

void TData::TransferPoints(const QString &fromId, const QString &toId, double amount)
{
    // Rounded once, here, so that the database's own rounding of each
    // balance cannot move one customer by a different amount than the other.
    const double stored = db::roundMoney(amount);
    if (!std::isfinite(stored))
        throw db::DataError(FormatMessage(Messages().lNotAFiniteNumber, {FormatGeneral(amount)}));

    db::Transaction transaction(ADOConnection);
    const auto move = [this, stored](const QString &id, double sign) {
        cmExecSql->setText(QStringLiteral("update customer set totalpoints = totalpoints + :amount where id = :id"));
        cmExecSql->param(QStringLiteral("amount")).setValue(sign * stored);
        cmExecSql->param(kId).setValue(id);
        if (cmExecSql->execute() != 1)
            throw db::DataError(Messages().fixedError);
    };
    move(fromId, -1);
    move(toId, 1);
    transaction.commit();

    // The chooser's list shows what the table now holds, on the same row.
    if (qCustomer->isActive()) {
        const QVariant current = qCustomer->isEmpty() ? QVariant() : qCustomer->field(kId)->value();
        qCustomer->requery();
        if (!current.isNull())
            qCustomer->locate(kId, current);
    }
}

CustomerBalances TData::MoveReserve(const QString &id, ReserveMove move)
{
    db::Dataset &one = *qOneCustomer;
    one.close();
    const auto closeOne = qScopeGuard([&one] { one.close(); });
    one.param(kId).setValue(id);
    one.open();
    if (one.isEmpty())
        throw db::DataError(Messages().fixedError);
    db::Field &points = *one.field(kTotalPoints);
    db::Field &reserve = *one.field(kReserve);
    one.edit();
    if (move == ReserveMove::ToReserve) {
        reserve.setValue(reserve.asFloat() + points.asFloat());
        points.setValue(0.0);
    } else {
        points.setValue(points.asFloat() + reserve.asFloat());
        reserve.setValue(0.0);
    }
    one.post();
    return {points.asFloat(), reserve.asFloat()};
}

void TData::SaveReserves(std::span<const ReserveChange> changes)
{
    db::Transaction transaction(ADOConnection);
    cmExecSql->setText(QStringLiteral("update customer set reserve = :reserve where id = :id"));
    for (const ReserveChange &change : changes) {
        if (!std::isfinite(change.reserve))
            throw db::DataError(FormatMessage(Messages().lNotAFiniteNumber, {FormatGeneral(change.reserve)}));
        cmExecSql->param(kReserve).setValue(change.reserve);
        cmExecSql->param(kId).setValue(change.id);
        cmExecSql->execute();
    }
    transaction.commit();
}
