#include "MaintenanceCommands.h"

#include "ClearBDU.h"

#include "DataU.h"
#include "DatabaseClearing.h"
#include "DatabaseFiles.h"
#include "Messages.h"
#include "UserPort.h"

#include <QFileDialog>
#include <QLocale>

namespace {

/// dgBackup or dgRestore, prepared alike but for what they do.
void prepareFileDialog(QFileDialog &dialog, const QString &name, QFileDialog::AcceptMode mode)
{
    dialog.setObjectName(name);
    dialog.setWindowTitle(Messages().lEnterFileNameDialog + QStringLiteral(" (Access File)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("bak"));
    dialog.setNameFilter(QStringLiteral("Backups  (*.bak)"));
    dialog.setSizeGripEnabled(true);
}

/// The file the user chose in `dialog`; empty when cancelled.
QString chosenFile(QFileDialog &dialog)
{
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString withNumber(const QString &pattern, const FileError &error)
{
    return FormatMessage(pattern, {QString::number(error.errorNumber())});
}

} // namespace

void actBackUpExecute(TData &data, QWidget *parent)
{
    QFileDialog dialog(parent);
    prepareFileDialog(dialog, QStringLiteral("dgBackup"), QFileDialog::AcceptSave);
    dialog.selectFile(BackupFileName(Messages().lArchive, data.clock().date(), QLocale()));
    const QString target = chosenFile(dialog);
    if (target.isEmpty())
        return;
    try {
        BackupDatabase(data.ADOConnection, target);
    } catch (const FileError &error) {
        data.userPort().showError(withNumber(Messages().lBackupErrorMes, error));
        return;
    }
    data.userPort().showInformation(Messages().lBackupSuccessMes);
}

void actRestoreExecute(TData &data, QWidget *parent)
{
    QFileDialog dialog(parent);
    prepareFileDialog(dialog, QStringLiteral("dgRestore"), QFileDialog::AcceptOpen);
    const QString source = chosenFile(dialog);
    if (source.isEmpty())
        return;
    try {
        RestoreDatabase(source, data.databasePath());
    } catch (const FileError &error) {
        // A file that is not a database of the program is told in the
        // engine's words; a failed copy by the system's number.
        data.userPort().showError(error.errorNumber() == 0 ? error.text()
                                                           : withNumber(Messages().lRestoreErrorMes, error));
        return;
    }
    data.userPort().refreshMainCaption();
    data.userPort().showInformation(Messages().lRestoreSuccessMes);
}

void actClearBDExecute(TData &data, QWidget *parent)
{
    TfrmClearDB dialog(data, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ClearDatabase(data, dialog.options());
}

void actClearPointsExecute(TData &data)
{
    ClearPoints(data);
}
