#include "TDBLookupComboBox.h"

#include "ErrorGuard.h"
#include "Numbers.h"
#include "engine/KeyText.h"

#include <QAbstractItemView>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

// A value the list does not hold, written as a field of its type shows it.
QString textOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return FormatDateTimeDefault(value.toDateTime());
    case QMetaType::QDate:
        return FormatShortDate(value.toDate());
    case QMetaType::Double:
        return FormatGeneral(value.toDouble());
    default:
        return value.toString();
    }
}

} // namespace

TDBLookupComboBox::TDBLookupComboBox(QWidget *parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, &TDBLookupComboBox::userChose);
}

TDBLookupComboBox::~TDBLookupComboBox() = default;

void TDBLookupComboBox::setListSource(db::DataSource *source)
{
    for (const auto &connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    m_source = source;
    if (db::Dataset *ds = source ? source->dataset() : nullptr) {
        const auto reload = [this] { reloadList(); };
        m_connections << connect(ds, &db::Dataset::rowSetChanged, this, reload)
                      << connect(ds, &QObject::destroyed, this, reload);
    }
    reloadList();
}

void TDBLookupComboBox::setKeyField(const QString &name)
{
    m_keyField = name;
    reloadList();
}

void TDBLookupComboBox::setListField(const QString &name)
{
    m_listField = name;
    reloadList();
}

void TDBLookupComboBox::reloadList()
{
    {
        const QSignalBlocker quiet(this);
        clear();
        db::Dataset *ds = m_source ? m_source->dataset() : nullptr;
        const db::Field *key = ds && !m_keyField.isEmpty() ? ds->findField(m_keyField) : nullptr;
        const db::Field *shown = ds && !m_listField.isEmpty() ? ds->findField(m_listField) : key;
        if (key && shown && ds->isActive()) {
            for (int row = 0; row < ds->recordCount(); ++row)
                addItem(ds->displayTextAt(row, shown), ds->valueAt(row, key));
        }
    }
    // The value stays; it is chosen in the new list when the list holds it.
    setKeyValue(m_keyValue);
}

int TDBLookupComboBox::indexOfKey(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return -1;
    const QString wanted = db::keyText(value);
    for (int i = 0; i < count(); ++i)
        if (db::keyText(itemData(i)) == wanted)
            return i;
    return -1;
}

void TDBLookupComboBox::setKeyValue(const QVariant &value)
{
    m_keyValue = value.isNull() ? QVariant() : value;
    const int index = indexOfKey(m_keyValue);
    {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
    m_unlistedText = index < 0 ? textOf(m_keyValue) : QString();
    update();
}

QString TDBLookupComboBox::shownText() const
{
    return currentIndex() >= 0 ? currentText() : m_unlistedText;
}

void TDBLookupComboBox::userChose(int index)
{
    if (index < 0 || index >= count())
        return;
    m_keyValue = itemData(index);
    m_unlistedText.clear();
    // The chosen row becomes the list's current one, for whoever reads it there.
    if (db::Dataset *ds = m_source ? m_source->dataset() : nullptr; ds && ds->isActive())
        guarded(this, [&] { ds->moveTo(index); });
    // A choice made in the open list is told when the list has closed.
    if (!m_closeUpPending)
        emit closeUp();
}

void TDBLookupComboBox::hidePopup()
{
    const bool wasOpen = view() && view()->isVisible();
    QComboBox::hidePopup();
    if (!wasOpen || m_closeUpPending)
        return;
    // The list hides before the choice made in it arrives: the close-up is
    // told once the choice is in.
    m_closeUpPending = true;
    QMetaObject::invokeMethod(this, &TDBLookupComboBox::announceCloseUp, Qt::QueuedConnection);
}

void TDBLookupComboBox::announceCloseUp()
{
    m_closeUpPending = false;
    emit closeUp();
}

void TDBLookupComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    if (currentIndex() < 0)
        option.currentText = m_unlistedText;
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
