#include "AboutU.h"

#include "Artwork.h"
#include "Fading.h"
#include "ui_AboutU.h"

#include "Localization.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Localize.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>

namespace {

void makeLink(QLabel *label)
{
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
}

} // namespace

TfrmAbout::TfrmAbout(LocCatalogue &catalogue, std::function<void()> support, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmAbout>()), m_support(std::move(support))
{
    ui->setupUi(this);
    // The picture is in place before the walk, which leaves images alone.
    ui->imgLogo->setPixmap(AboutPicture());
    LocalizeWindow(this, catalogue);

    QFont nameFont(QStringLiteral("serif"));
    nameFont.setStyleHint(QFont::Serif);
    nameFont.setPixelSize(16);
    nameFont.setBold(true);
    ui->lblProductName->setFont(nameFont);
    makeLink(ui->lblWeb);
    makeLink(ui->lblMail);
    ui->lblWeb->installEventFilter(this);
    ui->lblMail->installEventFilter(this);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(sizeHint().expandedTo(size()));
}

TfrmAbout::~TfrmAbout() = default;

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == ui->lblWeb) {
            guarded(this, [] {
                if (!QDesktopServices::openUrl(QUrl(WebAddress)))
                    throw db::DataError(QStringLiteral("No web browser could be started to open %1.").arg(WebAddress));
            });
            return true;
        }
        if (watched == ui->lblMail) {
            if (m_support)
                m_support();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    FadeIn(this);
}

void TfrmAbout::done(int result)
{
    FadeOut(this);
    QDialog::done(result);
}
