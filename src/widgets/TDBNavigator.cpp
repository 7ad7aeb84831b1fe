#include "TDBNavigator.h"

#include "DataAware.h"
#include "ErrorGuard.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

constexpr int kGlyphSize = 16;

struct ButtonInfo
{
    const char *objectName;
    const char *glyphName;
    const char *hint;
};

// Hints are the classic navigator's own.
constexpr std::array<ButtonInfo, TDBNavigator::ButtonCount> kButtons{{
    {"nbFirst", "DBN_FIRST", "First record"},
    {"nbPrior", "DBN_PRIOR", "Prior record"},
    {"nbNext", "DBN_NEXT", "Next record"},
    {"nbLast", "DBN_LAST", "Last record"},
    {"nbInsert", "DBN_INSERT", "Insert record"},
    {"nbDelete", "DBN_DELETE", "Delete record"},
    {"nbEdit", "DBN_EDIT", "Edit record"},
    {"nbPost", "DBN_POST", "Post edit"},
    {"nbCancel", "DBN_CANCEL", "Cancel edit"},
}};

QPainterPath glyphPath(TDBNavigator::Button which)
{
    using B = TDBNavigator::Button;
    QPainterPath path;
    const auto triangle = [&path](double tipX, double baseX) {
        path.moveTo(baseX, 3.5);
        path.lineTo(tipX, 8);
        path.lineTo(baseX, 12.5);
        path.closeSubpath();
    };
    switch (which) {
    case B::First:
        path.addRect(3.5, 3.5, 2, 9);
        triangle(6.5, 12);
        break;
    case B::Prior:
        triangle(4.5, 10.5);
        break;
    case B::Next:
        triangle(11.5, 5.5);
        break;
    case B::Last:
        triangle(9.5, 4);
        path.addRect(10.5, 3.5, 2, 9);
        break;
    case B::Insert:
        path.addRect(7, 3, 2.2, 10);
        path.addRect(3, 7, 10, 2.2);
        path.setFillRule(Qt::WindingFill);
        break;
    case B::Delete:
        path.addRect(3, 7, 10, 2.2);
        break;
    case B::Edit: // a pencil
        path.moveTo(3, 13);
        path.lineTo(3.6, 10.2);
        path.lineTo(10.6, 3.2);
        path.lineTo(12.8, 5.4);
        path.lineTo(5.8, 12.4);
        path.closeSubpath();
        break;
    case B::Post: // a tick
        path.moveTo(2.5, 8.5);
        path.lineTo(4.5, 6.5);
        path.lineTo(6.8, 8.8);
        path.lineTo(11.6, 3.6);
        path.lineTo(13.6, 5.6);
        path.lineTo(6.8, 12.6);
        path.closeSubpath();
        break;
    case B::Cancel: { // a cross
        QPainterPath bar;
        bar.addRect(-1.2, -6, 2.4, 12);
        QTransform a, b;
        a.translate(8, 8);
        a.rotate(45);
        b.translate(8, 8);
        b.rotate(-45);
        path = a.map(bar).united(b.map(bar));
        break;
    }
    }
    return path;
}

QColor glyphColour(TDBNavigator::Button which)
{
    using B = TDBNavigator::Button;
    switch (which) {
    case B::Insert:
    case B::Post:
        return QColor(0x2e, 0x7d, 0x32);
    case B::Delete:
    case B::Cancel:
        return QColor(0xc6, 0x28, 0x28);
    case B::Edit:
        return QColor(0x1f, 0x5f, 0xa8);
    default:
        return QColor(0x26, 0x32, 0x48);
    }
}

} // namespace

QString TDBNavigator::glyphName(Button which)
{
    return QString::fromLatin1(kButtons[size_t(which)].glyphName);
}

QPixmap TDBNavigator::glyphStrip(const QString &name)
{
    for (int i = 0; i < ButtonCount; ++i) {
        if (name.compare(QLatin1String(kButtons[size_t(i)].glyphName), Qt::CaseInsensitive) != 0)
            continue;
        const auto which = Button(i);
        QPixmap strip(2 * kGlyphSize, kGlyphSize);
        strip.fill(Qt::transparent);
        QPainter painter(&strip);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const QPainterPath path = glyphPath(which);
        painter.fillPath(path, glyphColour(which));
        // The disabled glyph: grey, embossed by a white copy one pixel down-right.
        painter.translate(kGlyphSize, 0);
        painter.fillPath(path.translated(1, 1), Qt::white);
        painter.fillPath(path, QColor(0x9e, 0x9e, 0x9e));
        return strip;
    }
    return QPixmap();
}

QPixmap TDBNavigator::glyph(Button which)
{
    const QPixmap strip = glyphStrip(glyphName(which));
    return strip.copy(0, 0, strip.height(), strip.height());
}

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < ButtonCount; ++i) {
        const auto which = Button(i);
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(kButtons[size_t(i)].objectName));
        button->setToolTip(QString::fromLatin1(kButtons[size_t(i)].hint));
        const QPixmap strip = glyphStrip(glyphName(which));
        QIcon icon;
        icon.addPixmap(strip.copy(0, 0, kGlyphSize, kGlyphSize), QIcon::Normal);
        icon.addPixmap(strip.copy(kGlyphSize, 0, kGlyphSize, kGlyphSize), QIcon::Disabled);
        button->setIcon(icon);
        button->setIconSize(QSize(kGlyphSize, kGlyphSize));
        button->setFixedSize(25, 25);
        // The focus stays in the box being typed into.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, which] { click(which); });
        layout->addWidget(button);
        m_buttons[size_t(i)] = button;
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    refreshButtons();
}

void TDBNavigator::setDataSource(db::DataSource *source)
{
    for (const auto &connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    m_source = source;
    if (db::Dataset *ds = source ? source->dataset() : nullptr) {
        const auto update = [this] { refreshButtons(); };
        m_connections << connect(ds, &db::Dataset::rowSetChanged, this, update)
                      << connect(ds, &db::Dataset::currentRowChanged, this, update)
                      << connect(ds, &db::Dataset::stateChanged, this, update)
                      << connect(ds, &QObject::destroyed, this, update);
    }
    refreshButtons();
}

void TDBNavigator::setVisibleButtons(const QList<Button> &buttons)
{
    for (int i = 0; i < ButtonCount; ++i)
        m_buttons[size_t(i)]->setVisible(buttons.contains(Button(i)));
    adjustSize();
}

QList<TDBNavigator::Button> TDBNavigator::visibleButtons() const
{
    QList<Button> shown;
    for (int i = 0; i < ButtonCount; ++i)
        if (!m_buttons[size_t(i)]->isHidden())
            shown << Button(i);
    return shown;
}

void TDBNavigator::refreshButtons()
{
    db::Dataset *ds = m_source ? m_source->dataset() : nullptr;
    const bool active = ds && ds->isActive();
    const bool editing = active && ds->isEditing();
    const auto set = [this](Button which, bool enabled) { m_buttons[size_t(which)]->setEnabled(enabled); };
    set(Button::First, active && !ds->bof());
    set(Button::Prior, active && !ds->bof());
    set(Button::Next, active && !ds->eof());
    set(Button::Last, active && !ds->eof());
    set(Button::Insert, active && !editing);
    set(Button::Delete, active && !editing && !ds->isEmpty());
    set(Button::Edit, active && !editing);
    set(Button::Post, editing);
    set(Button::Cancel, editing);
}

void TDBNavigator::click(Button which)
{
    guarded(this, [&] { act(which); });
    // Moving to an end sets the end marker without any notice.
    refreshButtons();
}

void TDBNavigator::act(Button which)
{
    db::Dataset *ds = m_source ? m_source->dataset() : nullptr;
    if (!ds)
        return;
    emit beforeAction(which);
    switch (which) {
    case Button::First:
    case Button::Prior:
    case Button::Next:
    case Button::Last:
    case Button::Insert:
    case Button::Post:
        // Text typed into a box and not yet written goes with the row.
        if (ds->isEditing())
            updateRecord(ds);
        break;
    default:
        break;
    }
    switch (which) {
    case Button::First:
        ds->first();
        break;
    case Button::Prior:
        ds->prior();
        break;
    case Button::Next:
        ds->next();
        break;
    case Button::Last:
        ds->last();
        break;
    case Button::Insert:
        ds->insert();
        break;
    case Button::Delete:
        // A dataset whose rule asks its own question is asked once, by the rule.
        if (m_confirmDelete && ds->deleteQuestion() == db::DeleteQuestion::ByControl
            && QMessageBox::question(this, applicationTitle(), tr("Delete record?"),
                                     QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
                   != QMessageBox::Ok)
            return;
        ds->remove();
        break;
    case Button::Edit:
        ds->edit();
        break;
    case Button::Post:
        ds->post();
        break;
    case Button::Cancel:
        ds->cancel();
        break;
    }
    emit clicked(which);
}
