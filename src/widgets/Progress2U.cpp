#include "Progress2U.h"

#include "Localize.h"
#include "ui_Progress2U.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

TfrmProgress2::TfrmProgress2(LocCatalogue &catalogue, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::TfrmProgress2>())
{
    ui->setupUi(this);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setItalic(true);
    ui->lblProgress->setFont(font);
    // The platform's hot-track colour is the colour of links here.
    QPalette palette = ui->lblProgress->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    ui->lblProgress->setPalette(palette);
    ui->pbSimulation->hide(); // nothing ever shows or moves it
    LocalizeWindow(this, catalogue);
    setFixedSize(341, 35);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TfrmProgress2::~TfrmProgress2() = default;

void TfrmProgress2::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // Without a title bar the notice draws its own border.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

BusyNotice::BusyNotice(LocCatalogue &catalogue, QWidget *parent)
    : m_window(std::make_unique<TfrmProgress2>(catalogue, parent))
{
    m_window->show();
    m_window->raise();
    m_window->repaint();
    // Let the notice reach the screen before the work blocks the program.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

BusyNotice::~BusyNotice() = default;
