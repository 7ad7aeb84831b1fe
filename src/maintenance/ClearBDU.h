#pragma once
// TfrmClearDB, the options of "Clear Database": which of the four tasks to
// run, the period of the orders and the catalogue to delete.

#include "DatabaseClearing.h"

#include <QDialog>
#include <memory>

class TData;

namespace Ui {
class TfrmClearDB;
}

class TfrmClearDB : public QDialog
{
    Q_OBJECT

public:
    /// Localized, scaled under "doformscale", every box cleared and the
    /// period set to the month before the data module's clock. Opens no
    /// dataset and throws nothing.
    explicit TfrmClearDB(TData &data, QWidget *parent = nullptr);
    /// Closes the catalogue list (qChCat) if it is open.
    ~TfrmClearDB() override;

    /// The tasks ticked, the period of the pickers and the catalogue at the
    /// list's current row.
    ClearOptions options() const;

    /// The previous calendar month of `today`: its first day at 00:00 and
    /// its last at 23:59:59.999.
    static std::pair<QDateTime, QDateTime> previousMonth(const QDate &today);

private:
    void setPeriod(const QDateTime &begin, const QDateTime &end);
    void allOrdersClicked();
    /// qChCat is open exactly while "Delete Products Cataloque" is ticked.
    void followCatalogueBox();

    std::unique_ptr<Ui::TfrmClearDB> ui;
    TData &m_data;
};
