#include "TDBEdit.h"

#include "EditMask.h"
#include "ErrorGuard.h"
#include "engine/Field.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QTimer>

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &TDBEdit::textWasEdited);
    refresh();
}

TDBEdit::~TDBEdit() = default;

void TDBEdit::setDataSource(db::DataSource *source)
{
    for (const auto &connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    m_source = source;
    if (db::Dataset *ds = linkedDataset()) {
        const auto reread = [this] { refresh(); };
        m_connections << connect(ds, &db::Dataset::rowSetChanged, this, reread)
                      << connect(ds, &db::Dataset::currentRowChanged, this, reread)
                      << connect(ds, &db::Dataset::stateChanged, this, reread)
                      << connect(ds, &db::Dataset::fieldChanged, this, &TDBEdit::fieldChanged)
                      << connect(ds, &db::Dataset::valuesChanged, this, [this] {
                             // Only a looked-up or calculated value changed.
                             if (db::Field *mine = field(); mine && mine->kind() != db::FieldKind::Data)
                                 refresh();
                         });
    }
    refresh();
}

void TDBEdit::setDataField(const QString &fieldName)
{
    m_fieldName = fieldName;
    refresh();
}

db::Dataset *TDBEdit::linkedDataset() const
{
    return m_source ? m_source->dataset() : nullptr;
}

db::Field *TDBEdit::field() const
{
    db::Dataset *ds = linkedDataset();
    return ds && !m_fieldName.isEmpty() ? ds->findField(m_fieldName) : nullptr;
}

void TDBEdit::setDataReadOnly(bool readOnly)
{
    m_dataReadOnly = readOnly;
    refresh();
}

void TDBEdit::fieldChanged(db::Field *changed)
{
    // The box's own writes come back here and must not disturb the typing; a
    // looked-up or calculated field follows every other field of the row.
    db::Field *mine = field();
    if (!m_writing && mine && (changed == mine || mine->kind() != db::FieldKind::Data))
        refresh();
}

void TDBEdit::applyFieldFormat(db::Field *field)
{
    const QString mask = field ? EditMask(field->editMask()).toQtInputMask() : QString();
    if (mask != m_appliedMask) {
        m_appliedMask = mask;
        setInputMask(mask);
    }
    const bool text = field && (field->type() == db::FieldType::String || field->type() == db::FieldType::FixedChar);
    setMaxLength(mask.isEmpty() && text && field->size() > 0 ? field->size() : 32767);
    setReadOnly(m_dataReadOnly || !field || field->isReadOnly() || field->kind() != db::FieldKind::Data);
}

void TDBEdit::refresh()
{
    if (m_writing)
        return;
    db::Field *f = field();
    db::Dataset *ds = linkedDataset();
    applyFieldFormat(f);
    const bool onRow = f && ds->isActive() && ds->currentIndex() >= 0;
    m_pending = false;
    setText(onRow ? f->displayText() : QString());
    setModified(false);
}

QString TDBEdit::storedText(const db::Field *field) const
{
    if (field->editMask().isEmpty())
        return text();
    const EditMask mask(field->editMask());
    // Nothing typed into any position: the field stays empty rather than
    // receiving the mask's literals alone.
    const EditMask typedOnly(mask.mask() + QStringLiteral(";0;") + mask.blank());
    if (typedOnly.storedValue(displayText()).isEmpty())
        return QString();
    return mask.storedValue(displayText());
}

void TDBEdit::textWasEdited()
{
    db::Field *f = field();
    db::Dataset *ds = linkedDataset();
    if (m_writing || !f)
        return;
    bool editing = ds->isEditing();
    if (!editing && m_source->autoEdit() && !isReadOnly()) {
        // The typed text waits while editing starts (a rule may append a row
        // or fill other fields).
        QScopedValueRollback<bool> writing(m_writing, true);
        editing = guarded(this, [&] { ds->edit(); }) && ds->isEditing();
    }
    if (!editing) { // the keystroke is refused
        refresh();
        QApplication::beep();
        return;
    }
    QScopedValueRollback<bool> writing(m_writing, true);
    try {
        f->setAsString(storedText(f));
        m_pending = false;
    } catch (const db::DataError &) {
        m_pending = true; // reported when the box is left or the row posted
    }
}

void TDBEdit::updateRecord()
{
    db::Field *f = field();
    if (!m_pending || !f || !linkedDataset()->isEditing())
        return;
    QScopedValueRollback<bool> writing(m_writing, true);
    f->setAsString(storedText(f));
    m_pending = false;
}

void TDBEdit::reportPending()
{
    if (!m_pending || m_reporting)
        return;
    QScopedValueRollback<bool> reporting(m_reporting, true);
    if (!guarded(this, [&] { updateRecord(); })) {
        setFocus();
        selectAll();
    }
}

void TDBEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_pending) {
            reportPending();
            if (m_pending)
                return;
        }
        emit enterPressed();
        break;
    case Qt::Key_Escape:
        if (m_pending) { // Escape takes back a text the field refused
            refresh();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // The error box would take the focus again while it is being lost.
    if (m_pending && !m_reporting && event->reason() != Qt::PopupFocusReason
        && event->reason() != Qt::ActiveWindowFocusReason)
        QTimer::singleShot(0, this, &TDBEdit::reportPending);
}

void TDBEdit::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
