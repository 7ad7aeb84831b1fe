#include "ErrorGuard.h"

#include <QMessageBox>

QString applicationTitle()
{
    return QStringLiteral("Quorvel");
}

void showErrorBox(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}
