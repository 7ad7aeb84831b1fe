#pragma once
// TfrmEditCustomer, the customer dialog: the identifier and name of the
// customer row being inserted or edited, and the sponsor it goes under.

#include <QDialog>
#include <memory>

namespace db {
class DataSource;
}

namespace Ui {
class TfrmEditCustomer;
}

class TfrmEditCustomer : public QDialog
{
    Q_OBJECT

public:
    /// Binds the identifier and name boxes to `source`, whose current row is
    /// being inserted or edited; `coordinator` is shown read-only. With
    /// `idFirst` the identifier box comes first and takes the focus, else the
    /// name box does. OK starts enabled only for a row being edited.
    TfrmEditCustomer(db::DataSource &source, const QString &caption, const QString &coordinator, bool idFirst,
                     QWidget *parent = nullptr);
    ~TfrmEditCustomer() override;

    /// The dialog of the customer rules: true when closed with OK, the
    /// boxes' text then written into the row (which the rules store).
    static bool edit(db::DataSource &source, const QString &caption, const QString &coordinator, bool idFirst,
                     QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateSaveButton();
    void save();

    std::unique_ptr<Ui::TfrmEditCustomer> ui;
    db::DataSource &m_source;
};
