// screenshot: starts the program on a demo database in a temporary program
// folder and renders its windows to PNG files, so that anyone can look at
// them without running the program by hand.

#include "MakeDb.h"

#include "DataU.h"
#include "Localization.h"
#include "app/AboutU.h"
#include "app/CustomizeBars.h"
#include "app/MainU.h"
#include "app/MenuU.h"
#include "app/QtUserPort.h"
#include "app/SettingsU.h"
#include "widgets/ErrorGuard.h"
#include "widgets/ImageList.h"
#include "catalogue/ProductU.h"
#include "catalogue/RefU.h"
#include "maintenance/ClearBDU.h"
#include "CustomerTable.h"
#include "Messages.h"
#include "Numbers.h"
#include "organization/Customer.h"
#include "organization/DecBonusU.h"
#include "organization/Department.h"
#include "organization/PointsU.h"
#include "CustomerTable.h"
#include "organization/DriveCustU.h"
#include "organization/OrgU.h"
#include "reports/RepProduct.h"
#include "reports/Reports.h"
#include "orders/OrderU.h"
#include "widgets/DateU.h"
#include "widgets/qubDBGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QToolBar>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

namespace {

void settle()
{
    QEventLoop loop;
    QTimer::singleShot(150, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget *widget, const QDir &out, const QString &name)
{
    settle();
    const QString path = out.filePath(name);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "screenshot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Shows `dialog` without its modal loop, renders it, and closes it.
bool saveDialog(QDialog *dialog, const QDir &out, const QString &name)
{
    dialog->show();
    const bool saved = save(dialog, out, name);
    dialog->reject();
    return saved;
}

// Runs `open` and, while it runs, hands each modal widget it shows to
// `handle` until `handle` takes one (returns true); whether one was taken.
// The poll rests while `handle` runs, which may spin event loops of its own.
bool onModals(const std::function<void()> &open, const std::function<bool(QWidget *)> &handle)
{
    bool taken = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll.stop();
        taken = handle(modal);
        if (!taken)
            poll.start();
    });
    poll.start();
    guarded(nullptr, open);
    poll.stop();
    return taken;
}

// Runs `open`, which shows a modal dialog the way the program does, renders
// that dialog (after `prepare`, when given) and closes it again.
bool saveNextModal(const std::function<void()> &open, const QDir &out, const QString &name,
                   const std::function<void(QWidget *)> &prepare = {},
                   const std::function<QPixmap(QWidget *)> &render = {})
{
    bool saved = false;
    const bool seen = onModals(open, [&](QWidget *modal) {
        if (prepare)
            prepare(modal);
        if (render) {
            settle();
            const QString path = out.filePath(name);
            saved = render(modal).save(path);
            if (saved)
                std::printf("%s\n", qPrintable(path));
        } else {
            saved = save(modal, out, name);
        }
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        return true;
    });
    if (!seen)
        std::fprintf(stderr, "screenshot: no window opened for %s\n", qPrintable(name));
    return saved;
}

// Runs an order command: its customer chooser picks the first customer, and
// the editor is rendered (after `prepare`) and closed with its close box.
bool saveOrderEditor(const std::function<void()> &open, const QDir &out, const QString &name,
                     const std::function<void(TfrmOrder *)> &prepare = {})
{
    bool saved = false;
    const bool seen = onModals(open, [&](QWidget *modal) {
        if (auto *chooser = qobject_cast<TfrmRef *>(modal)) {
            chooser->dataset().first();
            chooser->actChooseUpdate();
            chooser->chooseCommand()->trigger();
            return false;
        }
        auto *editor = qobject_cast<TfrmOrder *>(modal);
        if (!editor)
            return false;
        // The editor's own loop runs what it opens.
        QMetaObject::invokeMethod(editor, [&, editor] {
            if (prepare)
                prepare(editor);
            saved = save(editor, out, name);
            editor->close();
        }, Qt::QueuedConnection);
        return true;
    });
    if (!seen)
        std::fprintf(stderr, "screenshot: no order editor opened for %s\n", qPrintable(name));
    return saved;
}

// The tool bar's commands, without the empty rest of the bar.
QPixmap grabCommands(QToolBar *toolBar)
{
    QRect used;
    for (QAction *action : toolBar->actions())
        if (QWidget *button = toolBar->widgetForAction(action))
            used |= button->geometry();
    return toolBar->grab(used.adjusted(-4, -4, 4, 4));
}

// Two renderings side by side on white, the first on the left.
bool saveSideBySide(const QPixmap &left, const QPixmap &right, const QDir &out, const QString &name)
{
    constexpr int gap = 24;
    QPixmap sheet(left.width() + gap + right.width(), qMax(left.height(), right.height()));
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawPixmap(0, 0, left);
    painter.drawPixmap(left.width() + gap, 0, right);
    painter.end();
    const QString path = out.filePath(name);
    if (!sheet.save(path))
        return false;
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Every image of the image list at 16 and 32 pixels, numbered.
bool saveImageList(const QDir &out, const QString &name)
{
    constexpr int columns = 10;
    constexpr int cell = 56;
    const int rows = (ImageList::Count + columns - 1) / columns;
    QPixmap sheet(columns * cell, rows * cell);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < ImageList::Count; ++i) {
        const QPoint at((i % columns) * cell, (i / columns) * cell);
        const QIcon icon = ImageList::icon(i);
        painter.drawPixmap(at + QPoint(4, 4), icon.pixmap(16, 16));
        painter.drawPixmap(at + QPoint(4, 22), icon.pixmap(QSize(16, 16), QIcon::Disabled));
        painter.drawPixmap(at + QPoint(22, 4), icon.pixmap(32, 32));
        painter.drawText(QRect(at + QPoint(0, 38), QSize(cell, 16)), Qt::AlignCenter, QString::number(i));
    }
    painter.end();
    const QString path = out.filePath(name);
    if (!sheet.save(path))
        return false;
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Renders report `name` to OUTDIR/`file`.pdf and its pages to
// `file`-1.png, `file`-2.png, … (pdftoppm, from poppler-utils).
bool saveReport(TData &data, const QString &name, const QDir &out, const QString &file)
{
    const QString pdf = out.filePath(file + QStringLiteral(".pdf"));
    bool ok = guarded(nullptr, [&] {
        if (RenderReport(data, name, pdf) == 0)
            throw db::DataError(QStringLiteral("The report project holds no report %1").arg(name));
    });
    if (!ok) {
        std::fprintf(stderr, "screenshot: %s could not be rendered\n", qPrintable(name));
        return false;
    }
    std::printf("%s\n", qPrintable(pdf));
    QProcess pages;
    pages.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-png"), pdf,
                                             out.filePath(file)});
    ok = pages.waitForFinished(60000) && pages.exitStatus() == QProcess::NormalExit && pages.exitCode() == 0;
    if (!ok)
        std::fprintf(stderr, "screenshot: pdftoppm could not render %s\n", qPrintable(pdf));
    return ok;
}

// Runs report `name` to its preview, as a user choosing Preview would, and
// renders the preview window.
bool savePreview(TData &data, const QString &name, QWidget *parent, const QDir &out, const QString &file)
{
    bool saved = false, chosen = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        auto *preview = modal->findChild<QRadioButton *>(QStringLiteral("rbPreview"));
        auto *ok = modal->findChild<QPushButton *>(QStringLiteral("btnOK"));
        if (!chosen && preview && ok) {
            chosen = true;
            preview->setChecked(true);
            ok->click();
        } else if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(modal)) {
            poll.stop();
            dialog->resize(900, 700);
            saved = save(dialog, out, file);
            dialog->reject();
        }
    });
    poll.start();
    guarded(nullptr, [&] { RunReport(data, name, parent); });
    poll.stop();
    if (!saved)
        std::fprintf(stderr, "screenshot: no preview opened for %s\n", qPrintable(name));
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    // A translator's localization file, to see the windows in that language.
    QString localization;
    if (arguments.size() == 3 && arguments.first() == u"--loc") {
        localization = arguments[1];
        arguments = arguments.mid(2);
    }
    if (arguments.size() != 1) {
        std::fprintf(stderr, "Usage: screenshot [--loc LOCFILE] OUTDIR\n");
        return 2;
    }
    QDir out(arguments.first());
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "screenshot: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    QTemporaryDir folder;
    const QString programFolder = folder.path() + u'/';
    try {
        makedb::fillDemo(programFolder + QStringLiteral("DB2.mdb"), QDate::currentDate());
    } catch (const db::DataError &error) {
        std::fprintf(stderr, "screenshot: %s\n", qPrintable(error.text()));
        return 1;
    }
    {
        QFile settings(programFolder + QStringLiteral("quorvel.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write("[SrvSettings]\r\nConnectOnStart=1\r\n[MiscSettings]\r\nShowHints=1\r\n");
    }
    for (const QString companion : {QStringLiteral("manual.html"), QStringLiteral("repOrder.rav")})
        QFile::copy(QCoreApplication::applicationDirPath() + u'/' + companion, programFolder + companion);
    if (!localization.isEmpty() && !QFile::copy(localization, programFolder + LocCatalogue::FileName)) {
        std::fprintf(stderr, "screenshot: cannot read %s\n", qPrintable(localization));
        return 1;
    }

    QApplication::setApplicationName(applicationTitle());
    QtUserPort port;
    TData data(programFolder + QStringLiteral("quorvel"), port);
    TfrmMain mainWindow(data, {});
    mainWindow.resize(1280, 800);
    mainWindow.show();
    auto *menu = new TfrmMenu(mainWindow);

    bool ok = save(&mainWindow, out, QStringLiteral("main.png"));
    ok = save(menu->subWindow(), out, QStringLiteral("start-menu.png")) && ok;
    auto *toolBar = mainWindow.findChild<QToolBar *>(QStringLiteral("ToolBar"));
    const QPixmap toolBarClosed = toolBar ? grabCommands(toolBar) : QPixmap();

    // The journal over a wider period, so that it shows a few weeks.
    if (QAction *orders = mainWindow.command(QStringLiteral("actOrders"))) {
        mainWindow.runCommand(orders);
        if (QMdiSubWindow *journal = mainWindow.mdiArea()->activeSubWindow()) {
            if (auto *begin = journal->findChild<QDateEdit *>(QStringLiteral("dtpBegin")))
                begin->setDate(QDate::currentDate().addDays(-20));
            ok = save(&mainWindow, out, QStringLiteral("journal.png")) && ok;
            // The order commands as the journal enables them, beside their
            // state with the journal closed.
            if (toolBar)
                ok = saveSideBySide(toolBarClosed, grabCommands(toolBar), out, QStringLiteral("toolbar.png")) && ok;

            // As narrow as the user can drag the journal.
            const QRect wide = journal->geometry();
            journal->resize(journal->minimumSizeHint().width(), wide.height());
            ok = save(&mainWindow, out, QStringLiteral("journal-narrow.png")) && ok;
            journal->setGeometry(wide);

            // Closed and opened again, the journal shows its orders again.
            mainWindow.runCommand(mainWindow.command(QStringLiteral("actDisconnect")));
            ok = save(&mainWindow, out, QStringLiteral("journal-disconnected.png")) && ok;
            mainWindow.runCommand(mainWindow.command(QStringLiteral("actConnect")));
            ok = save(&mainWindow, out, QStringLiteral("journal-reconnected.png")) && ok;
        }
    }

    // The printed reports over the demo's last weeks, as PDF files and page images.
    if (QMdiSubWindow *journal = mainWindow.mdiArea()->activeSubWindow()) {
        const auto *begin = journal->findChild<QDateEdit *>(QStringLiteral("dtpBegin"));
        const auto *end = journal->findChild<QDateEdit *>(QStringLiteral("dtpEnd"));
        if (begin && end)
            data.ReportCaption =
                FormatMessage(Messages().lPeriodCaption, {FormatShortDate(begin->date()), FormatShortDate(end->date())});
        ok = saveReport(data, QStringLiteral("repOrders"), out, QStringLiteral("report-orders")) && ok;
        // The order at hand: the last one the journal shows, with its lines.
        data.qOrders->last();
        data.qOrder->open();
        ok = saveReport(data, QStringLiteral("repOrder"), out, QStringLiteral("report-order")) && ok;
        data.qOrder->close();
        ok = saveNextModal([&] { RunReport(data, QStringLiteral("repOrders"), &mainWindow); }, out,
                           QStringLiteral("report-output-options.png"))
            && ok;
    }
    {
        TfrmRepProduct sales(data, &mainWindow);
        if (auto *begin = sales.findChild<QDateEdit *>(QStringLiteral("dtpBegin")))
            begin->setDate(QDate::currentDate().addMonths(-2));
        if (auto *make = sales.findChild<QPushButton *>(QStringLiteral("btnMakeReport")))
            make->click();
        sales.show();
        ok = save(&sales, out, QStringLiteral("report-sales-window.png")) && ok;
        data.ReportCaption = sales.windowTitle();
        ok = saveReport(data, QStringLiteral("repOrdering"), out, QStringLiteral("report-sales")) && ok;
        ok = savePreview(data, QStringLiteral("repOrdering"), &sales, out, QStringLiteral("report-preview.png")) && ok;
        sales.hide();
    }
    {
        // The department of the first customer at the top of the tree, every
        // member indented under its sponsor.
        CustomerTable customers(data.ADOConnection);
        Department department;
        ok = guarded(nullptr, [&] {
                 department.Build(customers, QString());
                 for (const TDepMember &member : department.DepList())
                     if (member.Level == 2) {
                         department.Build(customers, member.Id);
                         break;
                     }
             })
            && ok;
        const TData::DepReportScope scope(data, department.DepList());
        ok = saveReport(data, QStringLiteral("repDep"), out, QStringLiteral("report-department")) && ok;
    }
    // The order editor as Add Order opens it, with the hints of the settings
    // above and its first line being typed; and a stored refusal as Edit
    // Order shows it. The close box puts the lines typed into the order.
    if (mainWindow.mdiArea()->subWindowList().size() > 1) {
        const auto run = [&mainWindow](const char *name) {
            return [&mainWindow, name] { mainWindow.runCommand(mainWindow.command(QLatin1String(name))); };
        };
        ok = saveOrderEditor(run("actInsert"), out, QStringLiteral("order-new.png"), [&data](TfrmOrder *editor) {
                 emit editor->findChild<TqubDBGrid *>(QStringLiteral("grdOrder"))->gridDoubleClicked();
                 data.qOrder->field(QStringLiteral("id_product"))->setValue(QStringLiteral("SKN-01"));
             })
            && ok;
        data.qOrders->setFilterText(QString());
        if (data.qOrders->locate(QStringLiteral("refusal"), true))
            ok = saveOrderEditor(run("actEdit"), out, QStringLiteral("order-refusal.png")) && ok;
    }

    if (QMenu *file = mainWindow.findChild<QMenu *>(QStringLiteral("mnuFile"))) {
        file->popup(mainWindow.mapToGlobal(QPoint(0, 0)));
        ok = save(file, out, QStringLiteral("menu-file.png")) && ok;
        file->hide();
    }
    if (QMenu *actions = mainWindow.findChild<QMenu *>(QStringLiteral("mnuActions"))) {
        actions->popup(mainWindow.mapToGlobal(QPoint(0, 0)));
        ok = save(actions, out, QStringLiteral("menu-actions.png")) && ok;
        actions->hide();
    }
    {
        TfrmSettings settings(data, &mainWindow);
        ok = saveDialog(&settings, out, QStringLiteral("settings.png")) && ok;
    }
    {
        // The clearing options as they open, and with every task ticked and
        // all orders chosen (the catalogue list then holds the catalogues).
        TfrmClearDB clearing(data, &mainWindow);
        ok = saveDialog(&clearing, out, QStringLiteral("clear-database.png")) && ok;
        for (const char *name : {"chbOrders", "chbAllOrders", "chbClearPoints", "chbProducts", "chbShrinkDB"})
            if (auto *box = clearing.findChild<QCheckBox *>(QLatin1String(name)))
                box->click();
        ok = saveDialog(&clearing, out, QStringLiteral("clear-database-ticked.png")) && ok;
    }
    if (QAction *backup = mainWindow.command(QStringLiteral("actBackUp")))
        ok = saveNextModal([&] { mainWindow.runCommand(backup); }, out, QStringLiteral("backup-dialog.png")) && ok;
    {
        TfrmAbout about(data.localization(), [] {}, &mainWindow);
        ok = saveDialog(&about, out, QStringLiteral("about.png")) && ok;
    }
    {
        TCustomizeBarsDialog customize(mainWindow);
        ok = saveDialog(&customize, out, QStringLiteral("customize.png")) && ok;
    }
    {
        TfrmDate date(data.localization(), &mainWindow);
        ok = saveDialog(&date, out, QStringLiteral("date.png")) && ok;
    }
    {
        TfrmRef customers(&mainWindow, *data.qCustomer, Messages().lClients);
        ok = saveDialog(&customers, out, QStringLiteral("chooser-customers.png")) && ok;
    }
    {
        TfrmRef catalogues(&mainWindow, *data.qChCat, QStringLiteral("Choose Cataloque"));
        catalogues.setWindowHeight(200);
        catalogues.setNavigatorVisible(false);
        ok = saveDialog(&catalogues, out, QStringLiteral("chooser-catalogues.png")) && ok;
    }
    {
        // The customer dialog as the customer rules open it: editing the
        // first customer, and adding a new one. Closing it drops the changes.
        data.qCustomer->open();
        ok = saveNextModal([&data] { data.qCustomer->edit(); }, out, QStringLiteral("customer-dialog.png")) && ok;
        ok = saveNextModal([&data] { data.qCustomer->append(); }, out, QStringLiteral("customer-dialog-new.png"))
            && ok;
        data.qCustomer->close();
    }
    if (QAction *catalogue = mainWindow.command(QStringLiteral("actProduct"))) {
        // With the hints of the settings above; then a product being changed
        // in the entry panel (dropped again when the window closes).
        const auto open = [&] { mainWindow.runCommand(catalogue); };
        ok = saveNextModal(open, out, QStringLiteral("catalogue.png")) && ok;
        ok = saveNextModal(open, out, QStringLiteral("catalogue-entry.png"),
                           [&data](QWidget *) {
                               data.qProduct->next();
                               data.qProduct->edit();
                           })
            && ok;
        ok = saveNextModal([&] { TfrmProduct::choose(data, &mainWindow, [] {}); }, out,
                           QStringLiteral("catalogue-choose.png"))
            && ok;
    }
    if (QAction *customers = mainWindow.command(QStringLiteral("actCustomer"))) {
        // With the hints of the settings above, on the first top customer
        // with members, its level opened.
        const auto open = [&] { mainWindow.runCommand(customers); };
        const auto openLevel = [](QWidget *modal) {
            auto *org = qobject_cast<TfrmOrg *>(modal);
            auto *tree = modal->findChild<QTreeWidget *>(QStringLiteral("tvCustomer"));
            if (!org || !tree)
                return;
            modal->resize(1000, 600);
            QTreeWidgetItem *root = tree->topLevelItem(0);
            root->setExpanded(true);
            for (int i = 0; i < root->childCount(); ++i) {
                tree->setCurrentItem(root->child(i));
                guarded(org, [org] { org->tvCustomerDblClick(); });
                if (root->child(i)->childCount() > 0) {
                    root->child(i)->setExpanded(true);
                    break;
                }
            }
        };
        ok = saveNextModal(open, out, QStringLiteral("organization.png"), openLevel) && ok;
        // A customer picked with Ctrl in the level view and carried over the
        // tree: the floating label drawn where it floats.
        ok = saveNextModal(
                 open, out, QStringLiteral("organization-move.png"),
                 [&](QWidget *modal) {
                     openLevel(modal);
                     auto *tree = modal->findChild<QTreeWidget *>(QStringLiteral("tvCustomer"));
                     auto *grid = modal->findChild<QAbstractItemView *>(QStringLiteral("grdCustomer"));
                     if (!tree || !grid)
                         return;
                     const QPoint cell = grid->visualRect(grid->model()->index(0, 0)).center();
                     QMouseEvent pick(QEvent::MouseButtonRelease, cell, grid->viewport()->mapToGlobal(cell),
                                      Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
                     QApplication::sendEvent(grid->viewport(), &pick);
                     QTreeWidgetItem *over = tree->topLevelItem(0)->child(tree->topLevelItem(0)->childCount() - 1);
                     const QPoint at = tree->visualItemRect(over).center();
                     for (int i = 0; i < 2; ++i) {
                         QMouseEvent move(QEvent::MouseMove, at, tree->viewport()->mapToGlobal(at), Qt::NoButton,
                                          Qt::NoButton, Qt::NoModifier);
                         QApplication::sendEvent(tree->viewport(), &move);
                     }
                 },
                 [](QWidget *modal) {
                     QPixmap sheet = modal->grab();
                     if (auto *org = qobject_cast<TfrmOrg *>(modal); org && org->moveLabel()->isVisible()) {
                         QPainter painter(&sheet);
                         painter.setOpacity(org->moveLabel()->windowOpacity());
                         painter.drawPixmap(org->moveLabel()->pos() - modal->mapToGlobal(QPoint(0, 0)),
                                            org->moveLabel()->grab());
                     }
                     return sheet;
                 })
            && ok;
        // The department page: the root's (every customer), then the first
        // top customer's, with its context menu open over personal points.
        const auto departmentOf = [&](QWidget *modal, bool root) {
            auto *org = qobject_cast<TfrmOrg *>(modal);
            auto *tree = modal->findChild<QTreeWidget *>(QStringLiteral("tvCustomer"));
            auto *pages = modal->findChild<QTabWidget *>(QStringLiteral("pcOrg"));
            if (!org || !tree || !pages)
                return;
            modal->resize(1000, 600);
            if (!root)
                openLevel(modal);
            pages->setCurrentWidget(modal->findChild<QWidget *>(QStringLiteral("tsDeps")));
        };
        ok = saveNextModal(open, out, QStringLiteral("department-root.png"),
                           [&](QWidget *modal) { departmentOf(modal, true); })
            && ok;
        ok = saveNextModal(open, out, QStringLiteral("department.png"),
                           [&](QWidget *modal) { departmentOf(modal, false); })
            && ok;
        ok = saveNextModal(
                 open, out, QStringLiteral("department-menu.png"),
                 [&](QWidget *modal) {
                     departmentOf(modal, false);
                     auto *org = qobject_cast<TfrmOrg *>(modal);
                     auto *grid = modal->findChild<QTableView *>(QStringLiteral("grdDep"));
                     if (!org || !grid || grid->model()->rowCount() < 2)
                         return;
                     const QPoint cell = grid->visualRect(grid->model()->index(1, 3)).center();
                     org->setHotCell(cell);
                     org->updateActions();
                     org->depMenu()->popup(grid->viewport()->mapToGlobal(cell));
                 },
                 [](QWidget *modal) {
                     QPixmap sheet = modal->grab();
                     if (auto *org = qobject_cast<TfrmOrg *>(modal); org && org->depMenu()->isVisible()) {
                         QPainter painter(&sheet);
                         painter.drawPixmap(org->depMenu()->pos() - modal->mapToGlobal(QPoint(0, 0)),
                                            org->depMenu()->grab());
                         org->depMenu()->close();
                     }
                     return sheet;
                 })
            && ok;
        {
            TfrmPoints amount(data.localization(), &mainWindow);
            ok = saveDialog(&amount, out, QStringLiteral("points-amount.png")) && ok;
            Department department;
            CustomerTable customers(data.ADOConnection);
            if (guarded(&mainWindow, [&] { department.Build(customers, QString()); }) && department.count() > 1) {
                const TDepMember &head = department.DepList()[1];
                TfrmDecipherBonus explanation(data.localization(), head, department.Detail(head), &mainWindow);
                ok = saveDialog(&explanation, out, QStringLiteral("bonus-explanation.png")) && ok;
            }
        }
        TfrmCustomer points(data, &mainWindow);
        if (auto *begin = points.findChild<QDateEdit *>(QStringLiteral("dtpDateBegin")))
            begin->setDate(QDate::currentDate().addMonths(-2));
        ok = guarded(&points, [&] { points.actRefreshExecute(); }) && ok;
        ok = saveDialog(&points, out, QStringLiteral("points-for-period.png")) && ok;
    }
    if (QAction *help = mainWindow.command(QStringLiteral("actHelp"))) {
        mainWindow.runCommand(help);
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->objectName() == u"HelpWindow" && window->isVisible())
                ok = save(window, out, QStringLiteral("help.png")) && ok;
    }
    ok = saveImageList(out, QStringLiteral("images.png")) && ok;
    return ok ? 0 : 1;
}
