#include "MainU.h"

#include "AboutU.h"
#include "Artwork.h"
#include "CustomizeBars.h"
#include "HelpWindow.h"
#include "QtUserPort.h"
#include "SettingsU.h"
#include "widgets/Switches.h"
#include "ui_MainU.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "Settings.h"
#include "catalogue/ProductU.h"
#include "organization/OrgU.h"
#include "catalogue/RefU.h"
#include "maintenance/MaintenanceCommands.h"
#include "engine/KeyText.h"
#include "orders/OrderU.h"
#include "orders/OrdersU.h"
#include "reports/RepProduct.h"
#include "reports/Reports.h"
#include "widgets/BringForward.h"
#include "widgets/DBNavHintU.h"
#include "widgets/ErrorGuard.h"
#include "widgets/HintU.h"
#include "widgets/ImageList.h"
#include "widgets/Localize.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSaveFile>
#include <QUrl>

namespace {
const char *const kImageIndex = "imageIndex";
const char *const kCategory = "category";
const char *const kMenuCaption = "menuCaption";
const QString kSeparator = QStringLiteral("-");
const QString kRefusal = QStringLiteral("refusal");
} // namespace

std::function<void()> TfrmMain::deleteTone = [] { QApplication::beep(); };

TfrmMain::TfrmMain(TData &data, const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfrmMain>()), m_data(data)
{
    ui->setupUi(this);
    setWindowIcon(ApplicationIcon());
    for (QAction *action : commands())
        action->setIcon(ImageList::icon(action->property(kImageIndex).toInt()));
    m_defaultToolBar = toolBarLayout();
    bindCommands();

    // The switches are read-only from here on.
    SetSwitches(SwitchFlags::fromArguments(arguments));
    ui->lstDebug->setVisible(Switches().debug);

    // A translated command caption replaces the menu entry's own caption.
    QHash<QAction *, QString> builtInCaptions;
    for (QAction *action : commands())
        builtInCaptions.insert(action, action->text());
    LocalizeWindow(this, m_data.localization());
    applyMenuCaptions(builtInCaptions);

    localizeMenuTitles();
    // Error boxes are headed by the (translated) application title.
    QCoreApplication::setApplicationName(applicationTitle());

    // From now on the data module's caption refreshes reach this window.
    if (auto *port = dynamic_cast<QtUserPort *>(&m_data.userPort()))
        port->setMainWindow(this);
    refreshCaption();

    // Read again now that the window exists to follow them.
    m_data.readMiscSettings();

    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmMain::updateActions);
    updateActions();
}

TfrmMain::~TfrmMain()
{
    if (auto *port = dynamic_cast<QtUserPort *>(&m_data.userPort()); port && port->mainWindow() == this)
        port->setMainWindow(nullptr);
    guarded(nullptr, [this] { m_data.disconnect(); });
}

// --- child windows -----------------------------------------------------------------------------

QMdiArea *TfrmMain::mdiArea() const
{
    return ui->mdiArea;
}

int TfrmMain::childWindowCount() const
{
    return int(ui->mdiArea->subWindowList().size());
}

QMdiSubWindow *TfrmMain::addChildWindow(QWidget *window, Qt::WindowFlags flags)
{
    QMdiSubWindow *subWindow = ui->mdiArea->addSubWindow(window, flags);
    subWindow->show();
    return subWindow;
}

// --- commands ------------------------------------------------------------------------------------

QAction *TfrmMain::command(const QString &name) const
{
    for (QAction *action : commands())
        if (action->objectName() == name)
            return action;
    return nullptr;
}

QList<QAction *> TfrmMain::commands() const
{
    // The commands are the window's own actions that belong to a category;
    // children keep their creation order, which is the order of the list.
    QList<QAction *> result;
    for (QAction *action : findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly))
        if (action->property(kCategory).isValid())
            result.append(action);
    return result;
}

void TfrmMain::bindCommands()
{
    const auto none = [](QAction *) {};
    for (QAction *action : commands()) {
        m_commandActions.insert(action, none);
        connect(action, &QAction::triggered, this, [this, action] { runCommand(action); });
    }
    auto bind = [this](QAction *action, void (TfrmMain::*member)(QAction *)) {
        m_commandActions.insert(action, [this, member](QAction *sender) { (this->*member)(sender); });
    };
    bind(ui->actConnect, &TfrmMain::connectionExecute);
    bind(ui->actDisconnect, &TfrmMain::connectionExecute);
    bind(ui->FileExit1, &TfrmMain::FileExit1Execute);
    bind(ui->actOrders, &TfrmMain::actOrdersExecute);
    for (QAction *order : {ui->actInsert, ui->actInsertRefusal, ui->actEdit, ui->actView})
        bind(order, &TfrmMain::actActionExecute);
    bind(ui->actDelete, &TfrmMain::actDeleteExecute);
    bind(ui->actPrint, &TfrmMain::actPrintExecute);
    bind(ui->actSettings, &TfrmMain::actSettingsExecute);
    bind(ui->actProduct, &TfrmMain::actProductExecute);
    bind(ui->actCustomer, &TfrmMain::actCustomerExecute);
    bind(ui->actCatalog, &TfrmMain::actCatalogExecute);
    bind(ui->actRepProduct, &TfrmMain::actRepProductExecute);
    bind(ui->CustomizeActionBars, &TfrmMain::CustomizeActionBarsExecute);
    bind(ui->actHelp, &TfrmMain::actHelpExecute);
    bind(ui->actSupport, &TfrmMain::actSupportExecute);
    bind(ui->actAbout, &TfrmMain::actAboutExecute);
    m_commandActions.insert(ui->actBackUp, [this](QAction *) { actBackUpExecute(m_data, this); });
    m_commandActions.insert(ui->actRestore, [this](QAction *) { actRestoreExecute(m_data, this); });
    m_commandActions.insert(ui->actClearBD, [this](QAction *) { actClearBDExecute(m_data, this); });
    m_commandActions.insert(ui->actClearPoints, [this](QAction *) { actClearPointsExecute(m_data); });
}

void TfrmMain::executeCommand(QAction *command)
{
    Q_ASSERT(m_commandActions.contains(command));
    if (const CommandAction action = m_commandActions.value(command))
        action(command);
}

void TfrmMain::runCommand(QAction *command)
{
    guarded(this, [this, command] { executeCommand(command); });
}

void TfrmMain::setCommandAction(QAction *command, CommandAction action)
{
    Q_ASSERT(m_commandActions.contains(command));
    m_commandActions.insert(command, std::move(action));
}

QString TfrmMain::commandCaption(const QAction *command)
{
    const QString text = command->text();
    QString caption;
    caption.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&')
                caption += text[++i];
            continue;
        }
        caption += text[i];
    }
    return caption;
}

void TfrmMain::updateActions()
{
    const bool connected = m_data.isConnected();
    const int children = childWindowCount();
    const bool journalOpen = children > 1;
    const bool orderAtHand = children >= 1 && m_data.qOrders->isActive() && !m_data.qOrders->isEmpty();

    ui->actConnect->setEnabled(!connected);
    ui->actDisconnect->setEnabled(connected);
    ui->actBackUp->setEnabled(connected);
    ui->actRestore->setEnabled(!connected);
    ui->actOrders->setEnabled(connected && children == 1);
    ui->actRepProduct->setEnabled(connected);
    ui->actPrint->setEnabled(journalOpen);
    ui->actClearBD->setEnabled(connected);
    ui->actClearPoints->setEnabled(connected);
    ui->actInsert->setEnabled(journalOpen);
    ui->actEdit->setEnabled(orderAtHand);
    ui->actView->setEnabled(orderAtHand);
    ui->actToWord->setEnabled(orderAtHand);
    ui->actInsertRefusal->setEnabled(journalOpen);
    ui->actDelete->setEnabled(orderAtHand);
    ui->actCustomer->setEnabled(connected);
    ui->actProduct->setEnabled(connected);
    // Exit, General, the bar customizing, Choose Cataloque, Help, Support and
    // About are always enabled.
}

void TfrmMain::refreshCaption()
{
    QString caption = applicationTitle();
    const QVariant date = m_data.currentCatalogDate();
    if (!date.isNull())
        caption += Messages().lCatalogDate + FormatDateTimeDefault(date.toDateTime());
    else
        caption += Messages().lIndefiniteCatalog;
    setWindowTitle(caption);
}

// --- localization --------------------------------------------------------------------------------

void TfrmMain::applyMenuCaptions(const QHash<QAction *, QString> &builtInCaptions)
{
    // A menu entry with a caption of its own shows it (with its access key)
    // as long as the command keeps its built-in caption; a translated caption
    // is shown as the translator wrote it.
    for (QAction *action : commands()) {
        const QVariant menuCaption = action->property(kMenuCaption);
        if (menuCaption.isValid() && action->text() == builtInCaptions.value(action))
            action->setText(menuCaption.toString());
    }
}

void TfrmMain::localizeMenuTitles()
{
    LocCatalogue &catalogue = m_data.localization();
    const LocCatalogue::Batch batch(catalogue);
    const QList<QAction *> titles = ui->MainMenuBar->actions();
    for (qsizetype i = 0; i < titles.size(); ++i) {
        QString title = titles[i]->text();
        catalogue.loadText(LocCatalogue::ConstsSection, QStringLiteral("MenuItems%1").arg(i), title);
        titles[i]->setText(title);
    }
}

// --- the commands' actions ---------------------------------------------------------------------

void TfrmMain::connectionExecute(QAction *sender)
{
    if (sender == ui->actDisconnect)
        m_data.disconnect();
    else
        m_data.connect();
}

void TfrmMain::FileExit1Execute(QAction *)
{
    close();
}

void TfrmMain::actOrdersExecute(QAction *sender)
{
    // One journal at a time: an open one, known by the command's caption, comes forward.
    const QString caption = commandCaption(sender);
    for (QMdiSubWindow *subWindow : ui->mdiArea->subWindowList()) {
        if (qobject_cast<TfrmOrders *>(subWindow->widget()) && subWindow->windowTitle() == caption) {
            BringForward(subWindow);
            return;
        }
    }
    // A journal whose headers cannot be read has told the user why.
    auto journal = std::make_unique<TfrmOrders>(m_data);
    if (!journal->open())
        return;
    // Its buttons run the main window's own commands, so enabling follows them.
    journal->setWindowTitle(caption);
    journal->attachCommands(ui->actPrint, ui->actInsert, ui->actInsertRefusal);
    journal->setEditOrderAction([this] { runCommand(ui->actEdit); });
    TfrmOrders *shown = journal.release();
    QMdiSubWindow *subWindow = addChildWindow(shown);
    subWindow->setWindowIcon(ui->actOrders->icon());
    // Most of the client area, from its top left corner: the start menu stays
    // reachable beside it.
    subWindow->setGeometry(QRect(QPoint(0, 0), ui->mdiArea->size() * 0.9));
    ui->mdiArea->setActiveSubWindow(subWindow);
    // The totals are of what the journal shows, so they follow its filter.
    shown->recountTotals();
}

TfrmOrders *TfrmMain::journal() const
{
    for (QMdiSubWindow *subWindow : ui->mdiArea->subWindowList())
        if (auto *orders = qobject_cast<TfrmOrders *>(subWindow->widget()))
            return orders;
    return nullptr;
}

void TfrmMain::actActionExecute(QAction *sender)
{
    const QString caption = commandCaption(sender);
    db::Dataset *orders = m_data.qOrders;
    if (sender == ui->actInsert || sender == ui->actInsertRefusal) {
        // The header rules give the new header its defaults and ask for its
        // customer before the editor opens.
        m_data.RefusalMode = sender == ui->actInsertRefusal;
        orders->append();
    } else {
        m_data.RefusalMode = orders->field(kRefusal)->asBoolean();
        // Viewing leaves the header browsing until a header box is typed into.
        if (sender == ui->actEdit)
            orders->edit(); // on an empty list: a new order
    }
    runOrderEditor(caption);
}

void TfrmMain::runOrderEditor(const QString &caption)
{
    TfrmOrder editor(m_data, caption, commandCaption(ui->actInsert), commandCaption(ui->actInsertRefusal), this);
    if (m_data.showHints()) {
        TfmHint::create(editor.orderHintArea(), Messages().lAddOrderCustomerHint, HintAlign::Top);
        TfmDBNavHint::create(editor.orderHintArea(), Messages().fixedOrderButtonsHint);
        TfmHint::create(editor.editHintArea(), Messages().lProductAddingHint, HintAlign::Fill);
    }
    // Lines the editor could not read leave the header to be put back as if
    // the editor had been cancelled.
    const bool ok = editor.openLines() && editor.exec() == QDialog::Accepted;
    m_data.EndOrderEdit(ok);
}

void TfrmMain::actDeleteExecute(QAction *)
{
    if (!Switches().silentDelete && deleteTone)
        deleteTone();
    if (!m_data.userPort().warn(FormatMessage(Messages().lDelMes, {QStringLiteral("\n\r")}),
                                UserPort::Buttons::OkCancel))
        return;
    db::Dataset *orders = m_data.qOrders;
    const QVariant id = orders->field(QStringLiteral("id"))->value();
    try {
        db::Transaction transaction(m_data.ADOConnection);
        orders->remove();
        transaction.commit();
    } catch (const db::DataError &error) {
        // Rolled back: the header may be gone from the list and its sum from
        // the totals while the file still holds it, so the journal reads its
        // headers again and counts them afresh.
        if (orders->isActive()) {
            guarded(this, [&] {
                orders->requery();
                if (TfrmOrders *shown = journal())
                    shown->recountTotals();
                orders->locate(QStringLiteral("id"), id);
            });
        }
        throw m_data.ADOConnection.told(error, {}, orders->name());
    }
}

void TfrmMain::actPrintExecute(QAction *)
{
    // The journal's headers as it filters them, under its period.
    TfrmOrders *shown = journal();
    if (!shown)
        return;
    m_data.ReportCaption = shown->periodCaption();
    RunReport(m_data, QStringLiteral("repOrders"), this);
}

void TfrmMain::actSettingsExecute(QAction *)
{
    TfrmSettings dialog(m_data, this);
    if (dialog.exec() == QDialog::Accepted)
        m_data.readMiscSettings();
}

void TfrmMain::actProductExecute(QAction *)
{
    TfrmProduct window(m_data, this);
    if (m_data.showHints()) {
        TfmHint::create(window.hintArea(), Messages().lManyCataloquesHint, HintAlign::Top);
        TfmDBNavHint::create(window.hintArea(), Messages().fixedProductButtonsHint);
    }
    const QString before = db::keyText(m_data.currentCatalogDate());
    // Without a connection the products cannot be read: the engine's error,
    // and no window.
    window.openDatasets();
    window.exec();
    if (db::keyText(m_data.currentCatalogDate()) != before)
        refreshCaption();
}

void TfrmMain::actCustomerExecute(QAction *)
{
    TfrmOrg window(m_data, this);
    if (m_data.showHints()) {
        TfmHint::create(window.hintArea(OrgHintArea::Levels), Messages().lMoveCostomerHint, HintAlign::Bottom);
        TfmHint::create(window.hintArea(OrgHintArea::Deps), Messages().lBonusCalcHint, HintAlign::Bottom);
        TfmHint::create(window.hintArea(OrgHintArea::Tree), Messages().lFindCustomerHint, HintAlign::Bottom);
    }
    // Without a connection nothing can be read: the engine's error, and no window.
    window.open();
    window.exec();
}

void TfrmMain::actCatalogExecute(QAction *)
{
    // The chosen date is current from now on; qProduct reads it the next
    // time it opens.
    ChooserOptions options;
    options.caption = Messages().lChooseCatalog;
    options.height = 200;
    options.showNavigator = false;
    const bool chosen = TfrmRef::choose(this, *m_data.qChCat, options, [this] {
        m_data.setCurrentCatalogDate(m_data.qChCat->field(QStringLiteral("dateprice"))->value());
    });
    if (chosen)
        refreshCaption();
}

void TfrmMain::actRepProductExecute(QAction *)
{
    TfrmRepProduct report(m_data, this);
    report.exec();
}

void TfrmMain::CustomizeActionBarsExecute(QAction *)
{
    TCustomizeBarsDialog dialog(*this);
    dialog.exec();
    saveBarLayout();
}

void TfrmMain::actHelpExecute(QAction *)
{
    // The manual lies beside the program, wherever the program was started from.
    const QString path = m_data.programFolder() + m_data.helpFileName();
    if (!QFileInfo(path).isFile())
        throw db::DataError(QStringLiteral("The help file %1 cannot be found.").arg(path));
    if (!m_help)
        m_help = new THelpWindow(path, this);
    BringForward(m_help);
}

void TfrmMain::actSupportExecute(QAction *)
{
    if (!QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + SupportAddress)))
        throw db::DataError(
            QStringLiteral("No mail program could be started to write to %1.").arg(SupportAddress));
}

void TfrmMain::actAboutExecute(QAction *)
{
    TfrmAbout about(m_data.localization(), [this] { runCommand(ui->actSupport); }, this);
    about.exec();
}

// --- bars ------------------------------------------------------------------------------------------

QStringList TfrmMain::toolBarLayout() const
{
    QStringList entries;
    for (const QAction *action : ui->ToolBar->actions())
        entries.append(action->isSeparator() ? kSeparator : action->objectName());
    return entries;
}

void TfrmMain::setToolBarLayout(const QStringList &entries)
{
    ui->ToolBar->clear();
    for (const QString &entry : entries) {
        if (entry == kSeparator)
            ui->ToolBar->addSeparator();
        else if (QAction *action = command(entry))
            ui->ToolBar->addAction(action);
    }
}

QString TfrmMain::barLayoutPath() const
{
    QString path = settings::settingsPath(m_data.programPath());
    path.chop(4); // ".ini"
    return path + QStringLiteral(".acm");
}

void TfrmMain::saveBarLayout() const
{
    QString text = QStringLiteral("; The bar layout of %1, written when the bars are customized.\n").arg(applicationTitle());
    text += u'[' + ui->MainMenuBar->objectName() + QStringLiteral("]\n");
    for (const QMenu *menu : ui->MainMenuBar->findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly)) {
        QStringList entries;
        for (const QAction *action : menu->actions())
            entries.append(action->isSeparator() ? kSeparator : action->objectName());
        text += menu->objectName() + u'=' + entries.join(u',') + u'\n';
    }
    text += u'[' + ui->ToolBar->objectName() + QStringLiteral("]\nEntries=") + toolBarLayout().join(u',') + u'\n';

    QSaveFile file(barLayoutPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw db::DataError(QStringLiteral("Cannot write the file %1: %2").arg(barLayoutPath(), file.errorString()));
}

// --- window events ------------------------------------------------------------------------------------

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (m_help)
        m_help->close();
    QMainWindow::closeEvent(event);
}

QMenu *TfrmMain::createPopupMenu()
{
    // The bars' context menu offers the hidden bar customizing command, the
    // only way to reach it.
    auto *menu = new QMenu(this);
    QAction *customize = menu->addAction(ui->CustomizeActionBars->icon(), commandCaption(ui->CustomizeActionBars));
    connect(customize, &QAction::triggered, this, [this] { runCommand(ui->CustomizeActionBars); });
    return menu;
}
