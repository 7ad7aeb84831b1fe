#pragma once
// TfmDBNavHint, the navigator hint: a heading above a five-row legend that
// pairs each editing button of a data navigator with its meaning.

#include <QFrame>
#include <QList>
#include <QPixmap>

class QLabel;

/// One legend entry: a navigator glyph and what its button does.
struct TButtonHint
{
    QPixmap glyph;
    QString text;
};

/// The legend grid: two columns (glyph, text), one row per entry, no lines,
/// no scroll bars, no input, in the window's background colour.
class THintLegend : public QWidget
{
    Q_OBJECT

public:
    static constexpr int RowHeight = 24;

    explicit THintLegend(QWidget *parent = nullptr);

    void setHints(const QList<TButtonHint> &hints);
    const QList<TButtonHint> &hints() const { return m_hints; }
    int columnWidth(int column) const;
    QRect cellRect(int row, int column) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<TButtonHint> m_hints;
};

class TfmDBNavHint : public QFrame
{
    Q_OBJECT

public:
    static constexpr int DesignWidth = 160;
    static constexpr int DesignHeight = 223;
    static constexpr int BandHeight = 38;

    /// Creates a navigator hint filling what is left of `area` (owned by it),
    /// headed by `heading`, named after the area with "DBNavHint" appended.
    static TfmDBNavHint *create(QWidget *area, const QString &heading);

    QString heading() const;
    const QList<TButtonHint> &hints() const;
    THintLegend *legend() const { return m_legend; }

private:
    TfmDBNavHint(QWidget *area, const QString &heading);

    QLabel *m_heading;
    THintLegend *m_legend;
};
