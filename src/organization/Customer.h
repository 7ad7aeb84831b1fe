#pragma once
// TfrmCustomer, the points for a period: every customer with orders or
// refusals in the period and the sum of their points, narrowed by the
// beginning of a name and an exact identifier. With the "resetpoints"
// switch the running points of the listed customers can be set to those sums.

#include <QDialog>
#include <memory>

class QAction;
class TData;

namespace Ui {
class TfrmCustomer;
}

class TfrmCustomer : public QDialog
{
    Q_OBJECT

public:
    /// Localized, the period from the first of this month to tomorrow; the
    /// list stays empty until Refresh. Throws nothing.
    explicit TfrmCustomer(TData &data, QWidget *parent = nullptr);
    /// Closes the list and clears its filter, so the next opening starts unfiltered.
    ~TfrmCustomer() override;

    /// Reads the list for the chosen days (the second excluded) and shows the
    /// period in the caption. Throws db::DataError.
    void actRefreshExecute();
    /// Sets each listed (and filtered) customer's running points to the
    /// period's sum; the list is not read again. Throws db::DataError; the
    /// customers set before a failure keep their new points.
    void actResetPointsExecute();

    void updateActions();

private:
    void FilterControlChange();

    std::unique_ptr<Ui::TfrmCustomer> ui;
    TData &m_data;
};
