#pragma once
// TfrmRepProduct, the product sales report: the products sold in orders (not
// refusals) of a period, with their cost, value added tax and full price,
// printed through the report "repOrdering".

#include <QDate>
#include <QDialog>
#include <memory>
#include <utility>

class QAction;
class TData;
class TDBNavigator;
class TqubDBGrid;

namespace Ui {
class TfrmRepProduct;
}

class TfrmRepProduct : public QDialog
{
    Q_OBJECT

public:
    /// Localizes the window and proposes the default period; the grid stays
    /// empty until Make Report.
    explicit TfrmRepProduct(TData &data, QWidget *parent = nullptr);
    /// Closes qRepProduct.
    ~TfrmRepProduct() override;

    /// The period proposed at `now`: four days ending with the day after
    /// tomorrow excluded (the start of tomorrow excluded when `now` is a
    /// midnight).
    static std::pair<QDate, QDate> defaultPeriod(const QDateTime &now);

    /// Reads the products sold from the first date up to the second
    /// (excluded); the caption names both dates. Throws db::DataError.
    void btnMakeReportClick();
    /// ReportCaption := the caption; runs "repOrdering". Throws db::DataError.
    void actPrintExecute();

    QAction *printCommand() const;
    TqubDBGrid *grid() const;

private:
    void FormCreate();

    std::unique_ptr<Ui::TfrmRepProduct> ui;
    TData &m_data;
};
