#include "HelpWindow.h"

#include "widgets/ErrorGuard.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

THelpWindow::THelpWindow(const QString &path, QWidget *owner)
    : QWidget(owner, Qt::Window), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    // The help window never keeps the program running once the main window closes.
    setAttribute(Qt::WA_QuitOnClose, false);
    m_browser->setObjectName(QStringLiteral("txtManual"));
    m_browser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setSource(QUrl::fromLocalFile(path));
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    resize(760, 620);
}
