#pragma once
// TfrmRef, the reference chooser: one modal window that lists the rows of any
// dataset, narrows them with filter boxes built from the dataset's fields, and
// leaves the row the user picks as the dataset's current row.

#include "UserPort.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class TDBNavigator;
class TqubDBGrid;
class QAction;
class QWidget;

namespace db {
class Dataset;
class DataSource;
class Field;
} // namespace db

namespace Ui {
class TfrmRef;
}

class TfrmRef : public QDialog
{
    Q_OBJECT

public:
    /// A chooser listing `dataset` under `caption`; the "Choose" command is
    /// offered when `showChoose`. Touches no data, so it never fails: choose()
    /// opens the dataset when it is closed. The chooser does not own the
    /// dataset: destruction puts back its open state and clears its filter.
    TfrmRef(QWidget *owner, db::Dataset &dataset, const QString &caption, bool showChoose = true);
    ~TfrmRef() override;
    /// Opens the dataset when it is closed, builds the filter inputs and sizes
    /// the chooser to its columns. Throws db::DataError when the dataset
    /// cannot be opened.
    void FormCreate();

    /// Creates a chooser with the opener's adjustments and shows it modally;
    /// when the user chooses, `readChoice` runs on the chosen row (the
    /// dataset's current one) before the chooser is destroyed, which may
    /// close the dataset. True when the user chose. Throws db::DataError when
    /// the dataset cannot be opened, and whatever `readChoice` throws.
    static bool choose(QWidget *owner, db::Dataset &dataset, const ChooserOptions &options,
                       const std::function<void()> &readChoice);

    // --- what an opener may adjust before showing ---------------------------------
    /// The window's height in pixels (the width keeps the chooser's rule).
    void setWindowHeight(int height);
    void setNavigatorVisible(bool visible);
    /// Whether typing or the navigator's keys start editing by themselves.
    void setAutoEdit(bool autoEdit);
    /// Replaces what a double-click in the grid does (Enter keeps the
    /// chooser's own rule).
    void setDoubleClickAction(std::function<void()> action) { m_doubleClickAction = std::move(action); }

    db::Dataset &dataset() const { return m_dataset; }
    db::DataSource *dsRef() const { return m_dsRef; }
    TqubDBGrid *grid() const;
    TDBNavigator *navigator() const;
    QAction *chooseCommand() const;

    /// The filter text the boxes make: "field like 'text*'" for each filled
    /// text box and "field = 0|1" for each check box that is not grayed,
    /// joined by " and "; apostrophes typed are written twice.
    QString filterFromInputs() const;

    /// The chooser's own double-click rule: choose when "Choose" is offered
    /// and enabled, else start editing the current row.
    void grdRefDblClick();
    /// Enables "Choose" while the dataset is open, browsing and not empty.
    void actChooseUpdate();

private:
    struct FilterInput
    {
        QWidget *input;
        db::Field *field;
    };

    void buildFilterInputs();
    void FilterChange();
    void actChooseExecute();
    int gridColumnsWidth() const;

    std::unique_ptr<Ui::TfrmRef> ui;
    db::Dataset &m_dataset;
    db::DataSource *m_dsRef;
    bool m_wasOpen = true; // until FormCreate has opened it, nothing to close
    std::vector<FilterInput> m_filterInputs;
    std::function<void()> m_doubleClickAction;
};
