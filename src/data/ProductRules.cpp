// The data module's product rules: what a new product is given (and the
// catalogue date the first product of an empty database asks for), how a
// refused store is told, the question before a delete, the order lines that
// follow a product's new identifier, and the lists read again after a
// product is stored or deleted.

#include "DataU.h"
#include "EntryPanel.h"
#include "Messages.h"
#include "UserPort.h"
#include "engine/KeyText.h"
#include "engine/WallClock.h"

#include <utility>

using db::Dataset;

namespace {
const QString kId = QStringLiteral("id");
const QString kDatePrice = QStringLiteral("dateprice");
} // namespace

void TData::bindProductRules()
{
    qProduct->afterInsert = [this](Dataset &d) { qProductAfterInsert(d); };
    qProduct->afterEdit = [this](Dataset &d) { DataSetAfterEdit(d); };
    qProduct->whileStoring = [this](Dataset &d) { qProductWhileStoring(d); };
    qProduct->afterPost = [this](Dataset &d) { qProductAfterPost(d); };
    qProduct->afterCancel = [this](Dataset &d) { qOrderAfterPost(d); };
    qProduct->beforeDelete = [this](Dataset &d) { qProductBeforeDelete(d); };
    // The rule asks before every delete, so no navigator asks as well.
    qProduct->setDeleteQuestion(db::DeleteQuestion::ByRule);
    qProduct->afterDelete = [this](Dataset &d) { qProductAfterDelete(d); };
    qProduct->onPostError = [this](Dataset &d, const db::DataError &e, db::PostErrorAction &a) {
        qProductPostError(d, e, a);
    };
}

bool TData::isCatalogDate(const QVariant &date)
{
    return date.isValid() && !date.isNull() && db::keyText(date) != db::keyText(db::zeroDateTime());
}

void TData::qProductAfterInsert(Dataset &dataset)
{
    // The first product of an empty database opens its catalogue.
    if (!isCatalogDate(currentCatalogDate())) {
        const std::optional<QDate> day = m_port.chooseDate(clock().date());
        if (!day) {
            dataset.cancel();
            return;
        }
        setCurrentCatalogDate(db::wallClock(*day));
    }
    if (m_generateProductId) {
        // Without a proposal the user types the identifier; the row stays.
        try {
            dataset.field(kId)->setValue(nextIdentifier(qGetProductID));
        } catch (const db::DataError &error) {
            m_port.showError(error.text());
        }
    }
    dataset.field(kDatePrice)->setValue(currentCatalogDate());
    dataset.field(QStringLiteral("price"))->setValue(0);
    dataset.field(QStringLiteral("points"))->setValue(0);
    DataSetAfterEdit(dataset);
}

void TData::qProductWhileStoring(Dataset &dataset)
{
    if (dataset.state() != db::DatasetState::Edit)
        return;
    db::Field *id = dataset.field(kId);
    if (db::keyText(id->oldValue()) == db::keyText(id->value()))
        return;
    // Lines name their product by identifier and catalogue date: they take
    // the new identifier with the product, or the product keeps its old one.
    cmExecSql->setText(QStringLiteral("update ordered set id_product = :id "
                                      "where id_product = :oldid and dateprice = :dateprice"));
    cmExecSql->param(kId).setValue(id->value());
    cmExecSql->param(QStringLiteral("oldid")).setValue(id->oldValue());
    cmExecSql->param(kDatePrice).setValue(dataset.field(kDatePrice)->oldValue());
    try {
        m_productLinesMoved = cmExecSql->execute() > 0;
    } catch (const db::DataError &error) {
        // An order that holds the new identifier already cannot take it twice.
        throw ADOConnection.told(error, {id->displayLabel()}, dataset.name());
    }
}

void TData::qProductAfterPost(Dataset &dataset)
{
    // The row is stored: the entry panel closes whatever happens below.
    try {
        if (CatalogueDateBox *box = std::exchange(m_newCatalogueMarker, nullptr)) {
            // The first product of a new catalogue puts its date in the list.
            qChCat->close();
            qChCat->open();
            rereadAllProducts();
            box->enableDateBox();
            box->showCatalogueDate(currentCatalogDate());
        } else {
            rereadAllProducts();
        }
        if (std::exchange(m_productLinesMoved, false))
            rereadOrderLines();
    } catch (...) {
        m_productLinesMoved = false;
        qOrderAfterPost(dataset);
        throw;
    }
    qOrderAfterPost(dataset);
}

void TData::qProductBeforeDelete(Dataset &)
{
    if (!m_port.confirm(FormatMessage(Messages().lDeleteProductConfirm, {QStringLiteral("\n\r")})))
        throw db::AbortError();
}

void TData::qProductAfterDelete(Dataset &)
{
    // The database took the product's order lines with it.
    rereadAllProducts();
    rereadOrderLines();
}

void TData::rereadAllProducts()
{
    // Order lines are valued through this list: a product stored or deleted
    // while it is open must be seen there at once.
    if (qAllProducts->isActive())
        qAllProducts->requery();
}

void TData::rereadOrderLines()
{
    // A line being entered keeps its row; the editor reads the lines again
    // when it stores it.
    if (!qOrder->isActive() || qOrder->isEditing())
        return;
    const QVariant current = qOrder->isEmpty() ? QVariant() : qOrder->field(QStringLiteral("id_product"))->value();
    qOrder->requery();
    if (current.isValid())
        qOrder->locate(QStringLiteral("id_product"), current);
}

void TData::qProductPostError(Dataset &dataset, const db::DataError &, db::PostErrorAction &action)
{
    QString message;
    for (int i = 0; i < dataset.fieldCount() && message.isEmpty(); ++i) {
        const db::Field *field = dataset.fieldAt(i);
        if (field->kind() == db::FieldKind::Data && field->isRequired()
            && (field->isNull() || field->value().toString().trimmed().isEmpty()))
            message = FormatMessage(Messages().lFieldMustHaveValue, {field->displayLabel()});
    }
    if (message.isEmpty()) {
        // The identifier as stored: a fixed six characters, blanks included.
        Dataset duplicate(&ADOConnection, QStringLiteral("qDuplicateProduct"));
        duplicate.setSql(QStringLiteral("select * from product where id = :id and dateprice = :dateprice"));
        duplicate.param(kId).setValue(dataset.field(kId)->value());
        db::Param &date = duplicate.param(kDatePrice);
        date.setDataType(qProduct->param(kDatePrice).dataType());
        date.setValue(currentCatalogDate());
        duplicate.open();
        if (!duplicate.isEmpty())
            message = Messages().lDuplicateProductMes2;
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
