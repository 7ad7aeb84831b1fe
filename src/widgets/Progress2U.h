#pragma once
// TfrmProgress2, the busy notice: tells the user that a longer database
// inquiry is running. BusyNotice shows one for the span of a piece of work.

#include <QDialog>
#include <memory>

class LocCatalogue;

namespace Ui {
class TfrmProgress2;
}

class TfrmProgress2 : public QDialog
{
    Q_OBJECT

public:
    /// Localizes the notice from `catalogue`; frameless, on top, centred.
    explicit TfrmProgress2(LocCatalogue &catalogue, QWidget *parent = nullptr);
    ~TfrmProgress2() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<Ui::TfrmProgress2> ui;
};

/// Shows the busy notice (not modal) and paints it at once; the notice goes
/// when the object does, also when the work throws.
class BusyNotice
{
public:
    explicit BusyNotice(LocCatalogue &catalogue, QWidget *parent = nullptr);
    ~BusyNotice();
    BusyNotice(const BusyNotice &) = delete;
    BusyNotice &operator=(const BusyNotice &) = delete;

    TfrmProgress2 *window() const { return m_window.get(); }

private:
    std::unique_ptr<TfrmProgress2> m_window;
};
