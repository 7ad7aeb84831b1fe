#include "ProductU.h"

#include "ui_ProductU.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "UserPort.h"
#include "engine/KeyText.h"
#include "engine/WallClock.h"
#include "widgets/DataAware.h"
#include "widgets/ErrorGuard.h"
#include "widgets/ImageList.h"
#include "widgets/Localize.h"
#include "widgets/TEntryPanel.h"

#include <QAbstractEventDispatcher>
#include <QScreen>

namespace {
const QString kId = QStringLiteral("id");
const QString kName = QStringLiteral("name");
const QString kDatePrice = QStringLiteral("dateprice");
} // namespace

TfrmProduct::TfrmProduct(TData &data, QWidget *owner)
    : QDialog(owner), ui(std::make_unique<Ui::TfrmProduct>()), m_data(data)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    FormCreate();
}

TfrmProduct::~TfrmProduct()
{
    FormDestroy();
}

void TfrmProduct::FormCreate()
{
    // The entry chain: the panel replaces navProduct, whose next control
    // takes the focus, and Enter walks the boxes round.
    m_entryPanel = new TEntryPanel(ui->panEdit, ui->navProduct, this);
    ui->navProduct->setNextControl(ui->edEditID);
    ui->edEditID->setNextControl(ui->edEditName);
    ui->edEditName->setNextControl(ui->edEditPrice);
    ui->edEditPrice->setNextControl(ui->edEditPoints);
    ui->edEditPoints->setNextControl(ui->edEditID);
    m_entryPanel->followEnter(ui->edEditPoints, [this] { edEditKeyPress(); });

    // The two tool buttons take their captions from their commands.
    ui->btnNewCataloque->setDefaultAction(ui->actNewCataloque);
    ui->actNewCataloque->setIcon(ImageList::icon(ImageList::Insert));
    ui->btnChoose->setDefaultAction(ui->actChoose);
    ui->actChoose->setIcon(ImageList::icon(ImageList::Apply));
    LocalizeWindow(this, m_data.localization());

    // Whether qProduct was open is noted at creation: the window leaves it
    // in that state, whatever happens in between.
    m_productWasOpen = m_data.qProduct->isActive();

    TqubDBGrid *grid = ui->grdProduct;
    grid->setOptions(grid->options() & ~TqubDBGrid::Options(TqubDBGrid::Option::Editing));
    grid->setReadOnly(true);
    grid->setDataSource(m_data.dsProduct);
    ui->navProduct->setVisibleButtons({TDBNavigator::Button::First, TDBNavigator::Button::Last,
                                       TDBNavigator::Button::Insert, TDBNavigator::Button::Delete,
                                       TDBNavigator::Button::Edit});
    ui->navProduct->setDataSource(m_data.dsProduct);
    ui->DBNavigator2->setVisibleButtons(
        {TDBNavigator::Button::Insert, TDBNavigator::Button::Post, TDBNavigator::Button::Cancel});
    ui->DBNavigator2->setDataSource(m_data.dsProduct);
    const std::pair<TDBEdit *, QString> boxes[] = {{ui->edEditID, kId},
                                                   {ui->edEditName, kName},
                                                   {ui->edEditPrice, QStringLiteral("price")},
                                                   {ui->edEditPoints, QStringLiteral("points")}};
    for (const auto &[box, field] : boxes) {
        box->setDataSource(m_data.dsProduct);
        box->setDataField(field);
    }
    ui->lcbChCat->setListSource(m_data.dsChCat);
    ui->lcbChCat->setKeyField(kDatePrice);
    ui->lcbChCat->setListField(kDatePrice);
    ui->panEdit->hide();
    setChooseMode(false);

    connect(ui->edId, &QLineEdit::textChanged, this, &TfrmProduct::FilterControlChange);
    connect(ui->edName, &QLineEdit::textChanged, this, &TfrmProduct::FilterControlChange);
    connect(ui->lcbChCat, &TDBLookupComboBox::closeUp, this, [this] { guarded(this, [this] { lcbChCatCloseUp(); }); });
    connect(ui->actNewCataloque, &QAction::triggered, this,
            [this] { guarded(this, [this] { actNewCataloqueExecute(); }); });
    connect(ui->actChoose, &QAction::triggered, this, [this] { guarded(this, [this] { actChooseExecute(); }); });
    connect(grid, &TqubDBGrid::gridDoubleClicked, this, [this] {
        guarded(this, [this] { m_chooseMode ? grdProductChooseDblClick() : grdProductEditDblClick(); });
    });
    connect(grid, &TqubDBGrid::enterPressed, this, [this] { guarded(this, [this] { grdProductKeyPress(); }); });
    connect(ui->btnLoad, &QPushButton::clicked, this, [this] { guarded(this, [this] { btnLoadClick(); }); });
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmProduct::updateActions);

    // The product rules open and close this window's panel while it exists.
    m_data.setEntryPanel(m_data.qProduct, m_entryPanel);

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    RefreshCaption();
    updateActions();
}

void TfrmProduct::openDatasets()
{
    db::Dataset *products = m_data.qProduct;
    products->setFiltered(true);
    if (!products->isActive())
        products->open();
    m_data.qChCat->open();
    const QVariant current = m_data.currentCatalogDate();
    ui->lcbChCat->setKeyValue(TData::isCatalogDate(current) ? current : QVariant());
    RefreshCaption();
    updateActions();
}

void TfrmProduct::FormDestroy()
{
    // The controls let go of the datasets before the datasets are put back.
    ui->grdProduct->setDataSource(nullptr);
    ui->navProduct->setDataSource(nullptr);
    ui->DBNavigator2->setDataSource(nullptr);
    for (TDBEdit *box : {ui->edEditID, ui->edEditName, ui->edEditPrice, ui->edEditPoints})
        box->setDataSource(nullptr);
    ui->lcbChCat->setListSource(nullptr);
    if (m_data.EntryPanelOf(m_data.qProduct) == m_entryPanel)
        m_data.setEntryPanel(m_data.qProduct, nullptr);
    m_data.setNewCatalogueMarker(nullptr);
    try {
        db::Dataset *products = m_data.qProduct;
        if (!m_productWasOpen)
            products->close();
        else if (products->isEditing())
            products->cancel(); // a row whose store failed stays nowhere else
        products->setFiltered(false);
        products->setFilterText(QString());
        m_data.qChCat->close();
    } catch (const db::DataError &) {
        // Closing, cancelling and clearing a filter do not fail; nothing to
        // tell from a window being destroyed.
    } catch (const db::AbortError &) {
    }
}

void TfrmProduct::setChooseMode(bool choose)
{
    m_chooseMode = choose;
    ui->actChoose->setVisible(choose);
    ui->btnChoose->setVisible(choose);
    for (QWidget *dateControl : {static_cast<QWidget *>(ui->lcbChCat), static_cast<QWidget *>(ui->lblCatalogDate),
                                 static_cast<QWidget *>(ui->btnNewCataloque), static_cast<QWidget *>(ui->btnLoad)})
        dateControl->setVisible(!choose);
}

bool TfrmProduct::choose(TData &data, QWidget *owner, const std::function<void()> &readChoice)
{
    TfrmProduct window(data, owner);
    window.setChooseMode(true);
    const QString before = db::keyText(data.currentCatalogDate());
    window.openDatasets();
    const bool chosen = window.exec() == QDialog::Accepted;
    // The first product of an empty database may have set the date.
    if (db::keyText(data.currentCatalogDate()) != before)
        data.userPort().refreshMainCaption();
    if (!chosen)
        return false;
    readChoice();
    return true;
}

QWidget *TfrmProduct::hintArea() const
{
    return ui->panHint;
}

QAction *TfrmProduct::chooseCommand() const
{
    return ui->actChoose;
}

QAction *TfrmProduct::newCatalogueCommand() const
{
    return ui->actNewCataloque;
}

void TfrmProduct::RefreshCaption()
{
    const QVariant date = m_data.currentCatalogDate();
    setWindowTitle(Messages().lCatalogDate
                   + (TData::isCatalogDate(date) ? FormatShortDate(date.toDateTime().date())
                                                 : Messages().lNoCatalogDate));
}

// --- enabling -------------------------------------------------------------------------------

void TfrmProduct::updateActions()
{
    actNewCataloqueUpdate();
    actChooseUpdate();
    // Switching catalogues closes the products: never under a row being typed.
    const db::Dataset *products = m_data.qProduct;
    ui->lcbChCat->setEnabled(products->state() == db::DatasetState::Browse);
}

void TfrmProduct::actNewCataloqueUpdate()
{
    ui->actNewCataloque->setEnabled(m_data.qProduct->state() == db::DatasetState::Browse);
}

void TfrmProduct::actChooseUpdate()
{
    const db::Dataset *products = m_data.qProduct;
    ui->actChoose->setEnabled(products->state() == db::DatasetState::Browse && !products->isEmpty());
}

// --- filter and catalogue dates ------------------------------------------------------------

void TfrmProduct::FilterControlChange()
{
    // Each box matches the beginning of its column; a typed apostrophe is
    // written twice, as every typed text in a filter.
    QString text;
    const QString name = ui->edName->text().trimmed();
    if (!name.isEmpty())
        text = kName + QStringLiteral(" like ") + SqlQuoted(name + u'*');
    const QString id = ui->edId->text().trimmed();
    if (!id.isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral(" and ");
        text += kId + QStringLiteral(" like ") + SqlQuoted(id + u'*');
    }
    guarded(this, [&] { m_data.qProduct->setFilterText(text); });
    updateActions();
}

void TfrmProduct::lcbChCatCloseUp()
{
    db::Dataset *products = m_data.qProduct;
    const QVariant chosen = ui->lcbChCat->keyValue();
    const QVariant current = m_data.currentCatalogDate();
    if (ui->lcbChCat->currentIndex() >= 0 && db::keyText(chosen) != db::keyText(current)) {
        if (products->isEditing()) {
            // The box is disabled while a row is typed; its value goes back.
            ui->lcbChCat->setKeyValue(TData::isCatalogDate(current) ? current : QVariant());
        } else {
            products->close();
            m_data.setCurrentCatalogDate(chosen);
            products->open();
        }
    }
    RefreshCaption();
}

void TfrmProduct::actNewCataloqueExecute()
{
    const std::optional<QDate> day = m_data.userPort().chooseDate(m_data.clock().date());
    if (!day)
        return;
    const QVariant current = m_data.currentCatalogDate();
    if (TData::isCatalogDate(current) && current.toDateTime().date() == *day)
        return;
    // A date without stored products is in no list until its first product
    // is stored: the rules then list it and clear the marker.
    m_data.setNewCatalogueMarker(ui->lcbChCat);
    db::Dataset *products = m_data.qProduct;
    products->close();
    const QDateTime date = db::wallClock(*day);
    m_data.setCurrentCatalogDate(date);
    ui->lcbChCat->setKeyValue(date);
    products->open();
    RefreshCaption();
}

// --- editing and choosing ------------------------------------------------------------------

void TfrmProduct::grdProductEditDblClick()
{
    db::Dataset *products = m_data.qProduct;
    if (products->isActive() && !products->isEmpty() && products->state() == db::DatasetState::Browse)
        products->edit();
}

void TfrmProduct::grdProductChooseDblClick()
{
    actChooseUpdate();
    if (ui->actChoose->isEnabled())
        actChooseExecute();
}

void TfrmProduct::grdProductKeyPress()
{
    m_chooseMode ? grdProductChooseDblClick() : grdProductEditDblClick();
}

void TfrmProduct::edEditKeyPress()
{
    // Enter in the last box stores the product and starts the next one; a
    // store that is refused keeps the row, and no new row starts.
    db::Dataset *products = m_data.qProduct;
    if (!products->isEditing())
        return;
    updateRecord(products);
    products->post();
    products->append();
}

void TfrmProduct::actChooseExecute()
{
    accept();
}

void TfrmProduct::btnLoadClick()
{
    m_data.userPort().showInformation(Messages().lFuncInProcess);
}

bool TfrmProduct::storePendingProduct()
{
    db::Dataset *products = m_data.qProduct;
    if (!products->isActive() || !products->isEditing())
        return true;
    return guarded(this, [&] {
        if (products->state() == db::DatasetState::Insert
            && products->field(kName)->asString().trimmed().isEmpty()) {
            products->cancel();
            return;
        }
        updateRecord(products);
        products->checkBrowseMode();
    });
}

void TfrmProduct::done(int result)
{
    // A typed product is never lost by closing the window.
    if (!storePendingProduct())
        return;
    QDialog::done(result);
}
