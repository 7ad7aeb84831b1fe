#include "DatabaseClearing.h"

#include "DataU.h"
#include "DatabaseFiles.h"
#include "Messages.h"
#include "UserPort.h"

namespace {

const QString kZeroPoints = QStringLiteral("update customer set totalpoints = 0");

QDateTime wholeDay(const QDateTime &moment)
{
    return db::wallClock(moment.date());
}

} // namespace

void ClearDatabase(TData &data, const ClearOptions &options)
{
    using Task = ClearOptions::Task;
    if (!options.tasks)
        return;
    UserPort &port = data.userPort();
    if (options.tasks & (Task::DeleteOrders | Task::ZeroPoints | Task::DeleteCatalogue)
        && !port.confirm(Messages().lIndefiniteDeletion))
        return;

    if (options.tasks & Task::DeleteOrders) {
        data.cmdClearOrders->param(QStringLiteral("datebegin")).setValue(wholeDay(options.periodBegin));
        data.cmdClearOrders->param(QStringLiteral("dateend")).setValue(wholeDay(options.periodEnd));
        data.cmdClearOrders->execute();
    }
    if (options.tasks & Task::ZeroPoints)
        data.ADOConnection.execute(kZeroPoints);
    if ((options.tasks & Task::DeleteCatalogue)
        && port.warn(Messages().lDeleteOrdered, UserPort::Buttons::YesNo)) {
        data.cmdClearProduct->param(QStringLiteral("dateprice")).setValue(options.catalogue);
        data.cmdClearProduct->execute();
    }
    if (options.tasks & Task::Shrink) {
        const QString path = data.ADOConnection.dataSource();
        // Locked throughout: no other copy may open the file while it is
        // rewritten.
        data.disconnect(db::LockOnClose::Keep);
        try {
            CompactInPlace(path);
        } catch (const db::DataError &error) {
            port.showError(error.text());
        }
        data.connect(TData::JournalOnConnect::LeaveClosed);
    }
    port.showInformation(Messages().lActionIsSuccess);
}

void ClearPoints(TData &data)
{
    if (!data.userPort().confirm(Messages().lResetPointsConfirm))
        return;
    data.ADOConnection.execute(kZeroPoints);
    data.userPort().showInformation(Messages().lPointsIsResetMes);
}
