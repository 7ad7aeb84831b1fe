#pragma once
// TfrmOrders, the orders journal: the orders and refusals of a period in a
// child window of the main window, narrowed to one customer or one order
// number, with the money totals of what is shown. It opens the shared header
// dataset qOrders when created and closes it when destroyed.

#include "EntryPanel.h"

#include <QDate>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class TData;
class TqubDBGrid;

namespace Ui {
class TfrmOrders;
}

class TfrmOrders : public QWidget, public JournalView
{
    Q_OBJECT

public:
    /// Localizes the window and sets the period to the last four days (today
    /// included); touches no dataset, so it never fails.
    explicit TfrmOrders(TData &data, QWidget *parent = nullptr);
    /// Closes qOrders and clears its filter.
    ~TfrmOrders() override;

    /// Opens qOrders and applies the period filter. When qOrders cannot be
    /// opened the user is told ("Error", or the connection failure message
    /// while disconnected); any other failure is shown by the error guard.
    /// False then: the opener destroys the window.
    bool open();
    bool isOpen() const { return m_open; }

    /// Ties the three bottom buttons to the main window's commands; each
    /// takes its command's caption, image, enabled state and visibility.
    void attachCommands(QAction *print, QAction *addOrder, QAction *addRefusal);
    /// What a double-click or Enter in the grid does (the main window's Edit
    /// Order, run without its enabling rule).
    void setEditOrderAction(std::function<void()> action) { m_editOrder = std::move(action); }

    /// The period filter from the two dates (the end day excluded) and the
    /// record filter of the two boxes; recounts and shows the totals.
    void ApplyJournalFilter();
    /// The shown headers' totals, counted again and shown.
    void recountTotals();

    QDate beginDate() const;
    QDate endDate() const;
    /// The printed list's caption: lPeriodCaption filled with the first day
    /// shown and the first day no longer shown, in the short date format.
    QString periodCaption() const;
    TqubDBGrid *grid() const;

    void showTotal(const QString &box, const QString &text) override;
    void connectionRestored() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void FormCreate();
    /// Keeps each total box wide enough for the widest total at the current font.
    void fitTotalBoxes();
    void btnCustomerClick();
    void dtpFilterChange();
    void grdOrdersDblClick();

    std::unique_ptr<Ui::TfrmOrders> ui;
    TData &m_data;
    bool m_open = false;
    bool m_creating = true;
    std::function<void()> m_editOrder;
};
