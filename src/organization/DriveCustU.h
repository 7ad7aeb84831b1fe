#pragma once
// TfrmDriveCust, the floating label of a pending customer move: the moved
// customer's identifier, half transparent, following the mouse one pixel
// below it. It never takes the focus or a mouse event, so whatever lies
// under it gets the clicks.

#include <QWidget>

class QLabel;

class TfrmDriveCust : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmDriveCust(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;
    /// Puts the top-left corner one pixel below the mouse at `globalPos`.
    void follow(const QPoint &globalPos);

private:
    QLabel *m_label;
};
