#pragma once
// TfrmDate, the date dialog: asks the user for one calendar day.

#include <QDate>
#include <QDialog>
#include <memory>
#include <optional>

class LocCatalogue;

namespace Ui {
class TfrmDate;
}

class TfrmDate : public QDialog
{
    Q_OBJECT

public:
    /// Localizes the dialog from `catalogue` and selects today.
    explicit TfrmDate(LocCatalogue &catalogue, QWidget *parent = nullptr);
    ~TfrmDate() override;

    /// The selected day, without a time of day.
    QDate date() const;
    void setDate(const QDate &day);

    /// Shows the dialog modally preset to `preset` (today when null); the
    /// chosen day on OK, nothing on Cancel or Escape.
    static std::optional<QDate> choose(LocCatalogue &catalogue, QWidget *parent, const QDate &preset = QDate());

private:
    std::unique_ptr<Ui::TfrmDate> ui;
};
