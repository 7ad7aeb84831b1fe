#pragma once
// The bar customizing dialog: which commands the tool bar shows. Changes take
// effect at once; the main window saves the bar layout when it closes.

#include <QDialog>

class QTreeWidget;
class QTreeWidgetItem;
class TfrmMain;

class TCustomizeBarsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TCustomizeBarsDialog(TfrmMain &mainWindow);

private:
    void fill();
    void itemChanged(QTreeWidgetItem *item);
    void reset();

    TfrmMain &m_main;
    QTreeWidget *m_commands;
    bool m_filling = false;
};

/// The tool bar entries after `command` is put on (appended) or taken off the
/// bar: separators never lead, trail twice or stand side by side.
QStringList ToolBarWith(const QStringList &entries, const QString &command, bool shown);
