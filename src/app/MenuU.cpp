#include "MenuU.h"

#include "MainU.h"
#include "ui_MenuU.h"

#include "DataU.h"
#include "widgets/ErrorGuard.h"
#include "widgets/ImageList.h"
#include "widgets/Localize.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProxyStyle>

namespace {

// The desktop's style with the narrow caption bar of a tool window.
class ToolWindowStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_TitleBarHeight)
            return 14;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

TfrmMenu::TfrmMenu(TfrmMain &mainWindow)
    : ui(std::make_unique<Ui::TfrmMenu>()), m_main(mainWindow), m_area(mainWindow.mdiArea())
{
    ui->setupUi(this);
    LocalizeWindow(this, m_main.data().localization());

    const struct
    {
        QPushButton *button;
        int image;
        QStringList commands;
    } buttons[] = {
        {ui->btnOrders, ImageList::Orders, {QStringLiteral("actOrders")}},
        {ui->btnProducts, ImageList::Catalogue, {QStringLiteral("actProduct")}},
        {ui->btnCustomers, ImageList::Customers, {QStringLiteral("actCustomer")}},
        {ui->btnReport, ImageList::Reports, {QStringLiteral("actRepProduct")}},
        {ui->btnNewOrder, ImageList::AddOrder, {QStringLiteral("actOrders"), QStringLiteral("actInsert")}},
        {ui->btnNewRefuse, ImageList::AddRefusal, {QStringLiteral("actOrders"), QStringLiteral("actInsertRefusal")}},
    };
    QFont captionFont = font();
    captionFont.setItalic(true);
    captionFont.setPixelSize(19);
    for (const auto &entry : buttons) {
        entry.button->setFont(captionFont);
        entry.button->setIcon(ImageList::icon(entry.image));
        entry.button->setIconSize(QSize(22, 22));
        const QStringList commands = entry.commands;
        connect(entry.button, &QPushButton::clicked, this, [this, commands] { run(commands); });
    }
    // A translated caption longer than the design allows widens every
    // button, and the menu with them: each keeps its picture and shows its
    // whole caption.
    const int designWidth = ui->btnOrders->width();
    int buttonWidth = designWidth;
    for (const auto &entry : buttons)
        buttonWidth = qMax(buttonWidth, entry.button->sizeHint().width());
    if (buttonWidth > designWidth) {
        for (const auto &entry : buttons)
            entry.button->resize(buttonWidth, entry.button->height());
        setFixedSize(width() + buttonWidth - designWidth, height());
    }

    // A narrow caption bar without buttons: the user moves the menu but
    // cannot close, minimize or maximize it.
    m_subWindow = m_main.addChildWindow(this, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_subWindow->setSystemMenu(nullptr);
    auto *toolStyle = new ToolWindowStyle;
    toolStyle->setParent(m_subWindow);
    m_subWindow->setStyle(toolStyle);
    m_subWindow->setWindowTitle(QString());
    m_subWindow->setFixedSize(m_subWindow->sizeHint());
    m_subWindow->installEventFilter(this);
    m_area->viewport()->installEventFilter(this);
    centre();
}

TfrmMenu::~TfrmMenu() = default;

void TfrmMenu::run(const QStringList &names)
{
    guarded(&m_main, [this, &names] {
        for (const QString &name : names)
            m_main.executeCommand(m_main.command(name));
    });
}

void TfrmMenu::centre()
{
    const QRect area = m_area->viewport()->rect();
    m_centring = true;
    m_subWindow->move(qMax(0, (area.width() - m_subWindow->width()) / 2),
                      qMax(0, (area.height() - m_subWindow->height()) / 2));
    m_centring = false;
}

bool TfrmMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_subWindow) {
        // The menu stays open for the whole run.
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::Move && !m_centring && m_subWindow->isVisible())
            m_placedByUser = true;
    } else if (watched == m_area->viewport() && event->type() == QEvent::Resize && !m_placedByUser) {
        // The client area gets its final size only once the main window is
        // shown maximized; the menu stays centred until the user moves it.
        // The viewport is watched, not the area: when the area hears of its
        // new size the viewport still has the old one.
        centre();
    }
    return QWidget::eventFilter(watched, event);
}
