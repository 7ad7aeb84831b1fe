#include "DBNavHintU.h"

#include "HintU.h"
#include "Messages.h"
#include "TDBNavigator.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The strip holds the normal and the disabled glyph side by side; the legend
// shows the normal one, a square as wide as the strip is high.
QPixmap normalGlyph(const QString &name)
{
    const QPixmap strip = TDBNavigator::glyphStrip(name);
    return strip.copy(0, 0, strip.height(), strip.height());
}

} // namespace

THintLegend::THintLegend(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("grdHints"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

void THintLegend::setHints(const QList<TButtonHint> &hints)
{
    m_hints = hints;
    setMinimumHeight(int(m_hints.size()) * RowHeight);
    update();
}

int THintLegend::columnWidth(int column) const
{
    const int first = 2 * RowHeight;
    return column == 0 ? first : std::max(0, width() - first);
}

QRect THintLegend::cellRect(int row, int column) const
{
    const int left = column == 0 ? 0 : columnWidth(0);
    return QRect(left, row * RowHeight, columnWidth(column), RowHeight);
}

void THintLegend::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (int row = 0; row < int(m_hints.size()); ++row) {
        const TButtonHint &hint = m_hints[row];
        // Glyph centred; right and bottom are the cell's outer edges, and
        // the halves are rounded towards zero.
        const QRect glyphCell = cellRect(row, 0);
        const int right = glyphCell.left() + glyphCell.width();
        const int bottom = glyphCell.top() + glyphCell.height();
        painter.drawPixmap((glyphCell.left() + right - hint.glyph.width()) / 2,
                           (glyphCell.top() + bottom - hint.glyph.height()) / 2, hint.glyph);
        painter.drawText(cellRect(row, 1), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, hint.text);
    }
}

TfmDBNavHint *TfmDBNavHint::create(QWidget *area, const QString &heading)
{
    auto *hint = new TfmDBNavHint(area, heading);
    placeInArea(area, hint, HintAlign::Fill);
    return hint;
}

TfmDBNavHint::TfmDBNavHint(QWidget *area, const QString &heading)
    : QFrame(area), m_heading(new QLabel(this)), m_legend(new THintLegend(this))
{
    setObjectName(area->objectName() + QStringLiteral("DBNavHint"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    resize(DesignWidth, DesignHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    auto *band = new QWidget(this);
    band->setFixedHeight(BandHeight);
    auto *image = new QLabel(band);
    image->setObjectName(QStringLiteral("imgHint"));
    image->setPixmap(hintBulb());
    image->setGeometry(3, 3, 32, 32);
    m_heading->setParent(band);
    m_heading->setObjectName(QStringLiteral("stDBNavHint"));
    m_heading->setText(heading);
    m_heading->setWordWrap(true);
    m_heading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(40, 5, 3, 0);
    bandLayout->addWidget(m_heading);

    const TMessages &texts = Messages();
    m_legend->setHints({
        {normalGlyph(QStringLiteral("DBN_INSERT")), texts.fixedToInsertItem},
        {normalGlyph(QStringLiteral("DBN_EDIT")), texts.fixedToEditItem},
        {normalGlyph(QStringLiteral("DBN_DELETE")), texts.fixedToDeleteItem},
        {normalGlyph(QStringLiteral("DBN_POST")), texts.fixedToSaveChanges},
        {normalGlyph(QStringLiteral("DBN_CANCEL")), texts.fixedToCancelChanges},
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(band);
    layout->addWidget(m_legend, 1);
}

QString TfmDBNavHint::heading() const
{
    return m_heading->text();
}

const QList<TButtonHint> &TfmDBNavHint::hints() const
{
    return m_legend->hints();
}
