#pragma once
// TfmHint, the text hint: a light bulb beside a short wrapped text, put into
// a reserved area of a window when the setting "ShowHints" is on.

#include <QFrame>
#include <QPixmap>

class QLabel;

/// Where a hint frame sits in its area: along the top, along the bottom, or
/// filling what the others leave.
enum class HintAlign { Top, Bottom, Fill };

/// Puts `frame` into `area` with `align`: frames along the top stack
/// downwards in the order they come, frames along the bottom below
/// everything, a filling frame takes the space between.
void placeInArea(QWidget *area, QWidget *frame, HintAlign align);

/// The 32 by 32 light bulb of both hint kinds (transparent ground).
QPixmap hintBulb();

class TfmHint : public QFrame
{
    Q_OBJECT

public:
    static constexpr int DesignWidth = 317;
    static constexpr int DesignHeight = 41;

    /// Creates a text hint in `area` (owned by it), named after the area
    /// with "Hint" appended; its text takes the area's font colour.
    static TfmHint *create(QWidget *area, const QString &text, HintAlign align);

    QString text() const;
    HintAlign alignment() const { return m_align; }

private:
    TfmHint(QWidget *area, const QString &text, HintAlign align);

    QLabel *m_image;
    QLabel *m_text;
    HintAlign m_align;
};
