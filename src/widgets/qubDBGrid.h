#pragma once
// TqubDBGrid, the program's data grid: the rows of a data source's dataset
// with the current row kept in step both ways, in-place editing where the
// grid and its data source allow it, and yes/no fields drawn as check boxes
// that a click toggles in grids designed for editing.

#include "DataAware.h"
#include "DatasetTableModel.h"
#include "engine/DataSource.h"

#include <QBrush>
#include <QPointer>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <functional>

class TqubDBGrid : public QTableView, public DataAwareControl
{
    Q_OBJECT
    Q_PROPERTY(bool DisplayBoolean READ displayBoolean WRITE setDisplayBoolean)

public:
    /// The grid's option set; only Editing takes part in the check-box rules.
    enum class Option {
        Editing = 0x01,     ///< cells may be edited in place
        Titles = 0x02,      ///< column titles shown
        Indicator = 0x04,   ///< the current-row marker column shown
        ColumnResize = 0x08,
        ColLines = 0x10,
        RowLines = 0x20,
        Tabs = 0x40,        ///< Tab moves between cells
        RowSelect = 0x80,   ///< the whole current row is highlighted
    };
    Q_DECLARE_FLAGS(Options, Option)

    /// What a window's own cell painting receives, after the default drawing
    /// of the cell and before the check box. A handler that fills the cell
    /// sets `brush` to its fill, so that a check box is drawn on that colour.
    struct DrawCell
    {
        QPainter *painter;
        QRect rect;
        int row;
        int column;
        db::Field *field;
        bool focused;  ///< the current cell of the focused grid
        bool selected; ///< highlighted
        QBrush brush;  ///< the cell's background as drawn so far
        QStyleOptionViewItem option;
    };
    using DrawColumnCell = std::function<void(DrawCell &)>;

    explicit TqubDBGrid(QWidget *parent = nullptr);
    ~TqubDBGrid() override;

    void setDataSource(db::DataSource *source);
    db::DataSource *dataSource() const { return m_source; }
    db::Dataset *dataset() const { return m_source ? m_source->dataset() : nullptr; }
    DatasetTableModel *datasetModel() const { return m_model; }

    Options options() const { return m_options; }
    void setOptions(Options options);
    /// The options as they were when the grid's window was first shown; the
    /// current options until then.
    Options savedOptions() const { return m_savedTaken ? m_savedOptions : m_options; }

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);

    /// Draw yes/no fields as check boxes (true on creation). Setting a new
    /// value runs the column-entry rule for the current column and repaints.
    bool displayBoolean() const { return m_displayBoolean; }
    void setDisplayBoolean(bool on);

    /// The window's own cell painting (the journal's refusal colours).
    void setOnDrawColumnCell(DrawColumnCell handler) { m_drawColumnCell = std::move(handler); }
    const DrawColumnCell &onDrawColumnCell() const { return m_drawColumnCell; }

    /// The field shown in `column`; nullptr out of range.
    db::Field *columnField(int column) const { return m_model->fieldAt(column); }
    /// The current column (-1 before any) and its field.
    int selectedIndex() const { return m_currentColumn; }
    db::Field *selectedField() const { return columnField(m_currentColumn); }
    /// Makes `column` current in the current row (column exit and entry run).
    void setSelectedIndex(int column);

    db::Dataset *linkedDataset() const override { return dataset(); }
    /// Writes the text of an open cell editor; throws db::DataError.
    void updateRecord() override;

signals:
    /// A cell was clicked and the grid left the click to the window.
    void cellClicked(int column);
    /// A double-click anywhere in the grid, with or without rows.
    void gridDoubleClicked();
    /// Enter or Return, after an open cell editor was written.
    void enterPressed();
    /// The current column changed: the entered one (left to the window when
    /// the check-box rule did not take the entry).
    void columnEntered(int column);
    void columnExited(int column);

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyboardSearch(const QString &) override {}

private:
    void applyOptions();
    void applyColumnWidths();
    void syncFromDataset(int row);
    void resyncLater();
    void columnEnter(int column);
    void columnExit(int column);
    void cellClick(int column);
    /// Whether the cell of `field` in the current row may be edited; starts
    /// editing the dataset when its data source allows. May throw.
    bool canEditModify(db::Field *field);
    bool isBooleanColumn(int column) const;

    DatasetTableModel *m_model;
    class GridDelegate *m_delegate;
    QPointer<db::DataSource> m_source;
    Options m_options;
    Options m_savedOptions;
    bool m_savedTaken = false;
    bool m_readOnly = false;
    bool m_displayBoolean = true;
    bool m_syncing = false;
    int m_currentColumn = -1;
    int m_pressedRow = -1;
    int m_pressedColumn = -1;
    QString m_columnKey;
    DrawColumnCell m_drawColumnCell;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TqubDBGrid::Options)
