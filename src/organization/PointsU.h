#pragma once
// TfrmPoints, the amount of a point transfer: a box starting at "0" whose
// arrows (and the Up and Down keys) step the whole number by 1 within 0 to
// 100; a typed amount is not capped.

#include <QDialog>

#include <optional>

class LocCatalogue;
class QLineEdit;
class QToolButton;

class TfrmPoints : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmPoints(LocCatalogue &catalogue, QWidget *parent = nullptr);

    QLineEdit *edPointsToPass() const { return m_edit; }
    /// One step of the arrows: +1 or -1.
    void step(int direction);

    /// Shows the dialog modally: the box's text when closed with OK.
    static std::optional<QString> AskPointsText(LocCatalogue &catalogue, QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
};
