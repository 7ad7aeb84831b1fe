#include "qubDBGrid.h"

#include "EditMask.h"
#include "ErrorGuard.h"
#include "engine/Field.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

#include <cmath>

// --- the cell painter and editor ------------------------------------------------------

class GridDelegate : public QStyledItemDelegate
{
public:
    explicit GridDelegate(TqubDBGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

    /// The open cell editor and the field it edits; null when none is open.
    QLineEdit *editor() const { return m_editor; }
    db::Field *editorField() const { return m_editorField; }
    /// What the field receives for the editor's text (mask blanks removed).
    static QString storedText(const QLineEdit *editor, const db::Field *field);

private:
    TqubDBGrid *m_grid;
    mutable QPointer<QLineEdit> m_editor;
    mutable db::Field *m_editorField = nullptr;
};

QString GridDelegate::storedText(const QLineEdit *editor, const db::Field *field)
{
    if (field->editMask().isEmpty())
        return editor->text();
    const EditMask mask(field->editMask());
    // Nothing typed into any position: the field stays empty rather than
    // receiving the mask's literals alone.
    const EditMask typedOnly(mask.mask() + QStringLiteral(";0;") + mask.blank());
    if (typedOnly.storedValue(editor->displayText()).isEmpty())
        return QString();
    return mask.storedValue(editor->displayText());
}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    db::Field *field = m_grid->columnField(index.column());
    const bool checkBox = m_grid->displayBoolean() && field && field->type() == db::FieldType::Boolean;
    if (checkBox) {
        cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        cell.text.clear();
    }
    QStyle *style = cell.widget ? cell.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);

    const QPalette::ColorGroup group = cell.state & QStyle::State_Enabled
        ? (cell.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive)
        : QPalette::Disabled;
    const bool selected = cell.state & QStyle::State_Selected;
    TqubDBGrid::DrawCell args{painter,
                              cell.rect,
                              index.row(),
                              index.column(),
                              field,
                              bool(cell.state & QStyle::State_HasFocus),
                              selected,
                              selected ? cell.palette.brush(group, QPalette::Highlight)
                                       : (cell.backgroundBrush.style() != Qt::NoBrush
                                              ? cell.backgroundBrush
                                              : cell.palette.brush(group, QPalette::Base)),
                              cell};
    if (const auto &handler = m_grid->onDrawColumnCell()) {
        painter->save();
        handler(args);
        painter->restore();
    }
    if (!checkBox)
        return;

    // Drawn last, over whatever the cell holds, on the cell's current brush.
    painter->fillRect(args.rect, args.brush);
    QStyleOptionButton box;
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, cell.widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, cell.widget);
    box.rect = QRect(args.rect.left() + (args.rect.width() - w) / 2, args.rect.top() + (args.rect.height() - h) / 2, w, h);
    box.state = QStyle::State_Enabled | (index.data(DatasetTableModel::ValueRole).toBool() ? QStyle::State_On : QStyle::State_Off);
    box.palette = cell.palette;
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, cell.widget);
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    db::Field *field = m_grid->columnField(index.column());
    if (field && !field->editMask().isEmpty())
        editor->setInputMask(EditMask(field->editMask()).toQtInputMask());
    else if (field && field->size() > 0 && db::isText(field->type()))
        editor->setMaxLength(field->size());
    m_editor = editor;
    m_editorField = field;
    return editor;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *line = static_cast<QLineEdit *>(editor);
    line->setText(index.data(Qt::EditRole).toString());
    line->selectAll();
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    db::Field *field = m_grid->columnField(index.column());
    if (!field)
        return;
    const QString text = storedText(static_cast<QLineEdit *>(editor), field);
    if (field->displayText() == text)
        return; // untouched: no change to write
    guarded(m_grid, [&] { model->setData(index, text, Qt::EditRole); });
}

// --- the current-row marker --------------------------------------------------------------

namespace {

class GridIndicator : public QHeaderView
{
public:
    explicit GridIndicator(TqubDBGrid *grid) : QHeaderView(Qt::Vertical, grid), m_grid(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
    }

protected:
    QSize sizeHint() const override { return QSize(14, QHeaderView::sizeHint().height()); }

    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        QStyleOptionHeader header;
        initStyleOption(&header);
        header.rect = rect;
        header.section = logicalIndex;
        style()->drawControl(QStyle::CE_HeaderSection, &header, painter, this);

        db::Dataset *dataset = m_grid->dataset();
        if (!dataset || logicalIndex != dataset->currentIndex())
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(palette().color(QPalette::ButtonText), 1.5));
        painter->setBrush(palette().color(QPalette::ButtonText));
        const QPointF c = QRectF(rect).center();
        switch (dataset->state()) {
        case db::DatasetState::Edit: // an I-beam: the row is being typed into
            painter->drawLine(QPointF(c.x(), c.y() - 5), QPointF(c.x(), c.y() + 5));
            painter->drawLine(QPointF(c.x() - 2.5, c.y() - 5), QPointF(c.x() + 2.5, c.y() - 5));
            painter->drawLine(QPointF(c.x() - 2.5, c.y() + 5), QPointF(c.x() + 2.5, c.y() + 5));
            break;
        case db::DatasetState::Insert: { // an asterisk: a new row
            for (int i = 0; i < 3; ++i) {
                const double a = i * 3.14159265 / 3 + 3.14159265 / 2;
                const QPointF d(4 * std::cos(a), 4 * std::sin(a));
                painter->drawLine(c - d, c + d);
            }
            break;
        }
        default: { // a triangle pointing at the current row
            QPainterPath arrow;
            arrow.moveTo(c.x() - 2.5, c.y() - 4.5);
            arrow.lineTo(c.x() + 2.5, c.y());
            arrow.lineTo(c.x() - 2.5, c.y() + 4.5);
            arrow.closeSubpath();
            painter->drawPath(arrow);
        }
        }
        painter->restore();
    }

private:
    TqubDBGrid *m_grid;
};

bool isModifiable(const db::Field *field)
{
    return field && field->kind() == db::FieldKind::Data && !field->isReadOnly();
}

} // namespace

// --- the grid --------------------------------------------------------------------------------

TqubDBGrid::TqubDBGrid(QWidget *parent)
    : QTableView(parent),
      m_model(new DatasetTableModel(this)),
      m_delegate(new GridDelegate(this)),
      m_options(Option::Editing | Option::Titles | Option::Indicator | Option::ColumnResize | Option::ColLines
                | Option::RowLines | Option::Tabs)
{
    setVerticalHeader(new GridIndicator(this));
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    const int rowHeight = fontMetrics().height() + 6;
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    m_model->setBooleanCheckState(m_displayBoolean);

    connect(m_model, &DatasetTableModel::currentRowChanged, this, &TqubDBGrid::syncFromDataset);
    connect(m_model, &DatasetTableModel::stateChanged, this, [this] { verticalHeader()->viewport()->update(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, &TqubDBGrid::applyColumnWidths);
    applyOptions();
}

TqubDBGrid::~TqubDBGrid() = default;

void TqubDBGrid::setDataSource(db::DataSource *source)
{
    m_source = source;
    m_currentColumn = -1;
    m_model->setDataset(source ? source->dataset() : nullptr);
}

void TqubDBGrid::setOptions(Options options)
{
    if (options == m_options)
        return;
    m_options = options;
    applyOptions();
}

void TqubDBGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    applyOptions();
}

void TqubDBGrid::applyOptions()
{
    horizontalHeader()->setVisible(m_options & Option::Titles);
    verticalHeader()->setVisible(m_options & Option::Indicator);
    horizontalHeader()->setSectionResizeMode(m_options & Option::ColumnResize ? QHeaderView::Interactive
                                                                               : QHeaderView::Fixed);
    setShowGrid(m_options & (Option::ColLines | Option::RowLines));
    setTabKeyNavigation(m_options & Option::Tabs);
    setSelectionBehavior(m_options & Option::RowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    if (m_options & Option::Editing && !m_readOnly)
        setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                        | QAbstractItemView::SelectedClicked);
    else
        setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TqubDBGrid::showEvent(QShowEvent *event)
{
    // The window is being created: its design options become the saved ones.
    if (!m_savedTaken) {
        m_savedOptions = m_options;
        m_savedTaken = true;
    }
    QTableView::showEvent(event);
}

void TqubDBGrid::applyColumnWidths()
{
    // Widths follow the fields' display widths when the set of columns
    // changes; a width the user dragged stays while the columns stay.
    QString key;
    for (int c = 0; c < m_model->columnCount(); ++c)
        key += m_model->fieldAt(c)->name() + u'\x1f';
    if (key == m_columnKey)
        return;
    m_columnKey = key;
    const QFontMetrics cells(font());
    const QFontMetrics titles(horizontalHeader()->font());
    for (int c = 0; c < m_model->columnCount(); ++c) {
        db::Field *field = m_model->fieldAt(c);
        int width = field->displayWidth() * cells.averageCharWidth() + 8;
        if (m_options & Option::Titles)
            width = std::max(width, titles.horizontalAdvance(field->displayLabel()) + 12);
        setColumnWidth(c, width);
    }
}

void TqubDBGrid::syncFromDataset(int row)
{
    QScopedValueRollback<bool> syncing(m_syncing, true);
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0) {
        selectionModel()->clearCurrentIndex();
        return;
    }
    if (m_currentColumn < 0 || m_currentColumn >= m_model->columnCount())
        m_currentColumn = 0;
    const QModelIndex index = m_model->index(row, m_currentColumn);
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (m_options & Option::RowSelect)
        flags |= QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(index, flags);
    scrollTo(index);
}

void TqubDBGrid::resyncLater()
{
    // After a refused move the view has already taken the new cell (and the
    // mouse press goes on selecting it); put it back once that is done.
    QMetaObject::invokeMethod(
        this, [this] { syncFromDataset(dataset() ? dataset()->currentIndex() : -1); }, Qt::QueuedConnection);
}

void TqubDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous); // writes an open editor into the row left
    if (m_syncing || !current.isValid())
        return;
    const int previousColumn = m_currentColumn;
    const int column = current.column();
    m_currentColumn = column;
    db::Dataset *ds = dataset();
    if (ds && ds->isActive() && current.row() != ds->currentIndex()) {
        const int wanted = current.row();
        guarded(this, [&] {
            ::updateRecord(ds);
            ds->moveTo(wanted); // posts the row left
        });
        if (ds->currentIndex() != wanted) {
            m_currentColumn = previousColumn;
            resyncLater();
            return;
        }
    }
    if (column != previousColumn) {
        if (previousColumn >= 0)
            columnExit(previousColumn);
        columnEnter(column);
    }
    viewport()->update();
}

void TqubDBGrid::setSelectedIndex(int column)
{
    db::Dataset *ds = dataset();
    if (!ds || column < 0 || column >= m_model->columnCount() || ds->currentIndex() < 0)
        return;
    setCurrentIndex(m_model->index(ds->currentIndex(), column));
}

bool TqubDBGrid::isBooleanColumn(int column) const
{
    db::Field *field = columnField(column);
    return field && field->type() == db::FieldType::Boolean;
}

void TqubDBGrid::columnEnter(int column)
{
    // No text editor may ever open over a check box.
    db::Dataset *ds = dataset();
    if (ds && ds->isActive() && isBooleanColumn(column) && m_displayBoolean && m_options & Option::Editing) {
        setOptions(m_options & ~Options(Option::Editing));
        return;
    }
    emit columnEntered(column);
}

void TqubDBGrid::columnExit(int column)
{
    db::Dataset *ds = dataset();
    if (ds && ds->isActive() && isBooleanColumn(column) && m_displayBoolean && savedOptions() & Option::Editing)
        setOptions(savedOptions());
    emit columnExited(column);
}

void TqubDBGrid::setDisplayBoolean(bool on)
{
    if (on == m_displayBoolean)
        return;
    m_displayBoolean = on;
    m_model->setBooleanCheckState(on);
    if (m_currentColumn >= 0)
        columnEnter(m_currentColumn);
    viewport()->update();
}

bool TqubDBGrid::canEditModify(db::Field *field)
{
    db::Dataset *ds = dataset();
    if (m_readOnly || !ds || !ds->isActive() || !isModifiable(field))
        return false;
    if (ds->isEditing())
        return true;
    if (!m_source->autoEdit())
        return false;
    ds->edit();
    return ds->isEditing();
}

bool TqubDBGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (state() == EditingState || !index.isValid() || (trigger != AllEditTriggers && !(editTriggers() & trigger)))
        return QTableView::edit(index, trigger, event);
    // Opening an editor starts editing the dataset, as typing into a box does.
    bool allowed = false;
    guarded(this, [&] { allowed = canEditModify(columnField(index.column())); });
    if (!allowed)
        return false;
    // Starting to edit an empty dataset appends a row: the index is new.
    return QTableView::edit(m_model->index(dataset()->currentIndex(), index.column()), trigger, event);
}

void TqubDBGrid::updateRecord()
{
    QLineEdit *editor = m_delegate->editor();
    db::Field *field = m_delegate->editorField();
    if (!editor || !field || state() != EditingState)
        return;
    const QString text = GridDelegate::storedText(editor, field);
    if (field->displayText() != text)
        field->setAsString(text);
}

void TqubDBGrid::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QLineEdit *editor = m_delegate->editor(); editor && state() == EditingState) {
            if (!guarded(this, [&] { updateRecord(); }))
                return;
            closeEditor(editor, QAbstractItemDelegate::NoHint);
            setFocus();
        }
        emit enterPressed();
        event->accept();
        return;
    case Qt::Key_Escape:
        if (state() != EditingState && dataset() && dataset()->isEditing()) {
            guarded(this, [&] { dataset()->cancel(); });
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void TqubDBGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    m_pressedRow = index.isValid() ? index.row() : -1;
    m_pressedColumn = index.isValid() ? index.column() : -1;
    QTableView::mousePressEvent(event);
}

void TqubDBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool click = event->button() == Qt::LeftButton && index.isValid() && index.row() == m_pressedRow
        && index.column() == m_pressedColumn;
    QTableView::mouseReleaseEvent(event);
    // The press has made the clicked cell current unless the move was refused.
    if (click && dataset() && dataset()->currentIndex() == index.row() && m_currentColumn == index.column())
        cellClick(index.column());
}

void TqubDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit gridDoubleClicked();
}

void TqubDBGrid::cellClick(int column)
{
    if (!(savedOptions() & Option::Editing) || !m_displayBoolean) {
        emit cellClicked(column);
        return;
    }
    // The grid handles the click alone. A click on any other cell than a
    // check box must not start editing the row (a rule may open a dialog).
    db::Field *field = columnField(column);
    db::Dataset *ds = dataset();
    if (m_readOnly || !ds || !ds->isActive() || !field || field->type() != db::FieldType::Boolean)
        return;
    bool editable = false;
    if (!guarded(this, [&] { editable = canEditModify(field); }) || !editable)
        return;
    // A value the field or a rule refuses leaves it empty, unreported; nothing
    // may escape into the event loop.
    try {
        field->setValue(!field->asBoolean());
    } catch (...) {
        try {
            field->clear();
        } catch (...) {
        }
    }
}
