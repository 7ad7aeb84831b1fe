#pragma once
// The row sources the printed reports read. Each one gives its columns, its
// rows and the row it stands on (a report's heading reads that one); a report
// layout names the sources and their columns. Reading never moves a
// dataset's cursor: moving it would post an edit or re-run a detail.

#include "engine/FieldType.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <vector>

namespace db {
class Dataset;
class Field;
} // namespace db

/// One column of a row source.
struct RowColumn
{
    QString name;
    db::FieldType type = db::FieldType::String;
    /// Characters of text, or digits of a number.
    int width = 0;
    /// The localized label a layout shows when it gives no title of its own.
    QString label;
};

class RowSource
{
public:
    explicit RowSource(const QString &name) : m_name(name) {}
    virtual ~RowSource() = default;
    RowSource(const RowSource &) = delete;
    RowSource &operator=(const RowSource &) = delete;

    const QString &name() const { return m_name; }
    /// The columns in order.
    virtual std::vector<RowColumn> columns() const = 0;
    /// The index of the column named `column` (letter case aside); -1 when none.
    int columnIndex(const QString &column) const;
    /// Starts one reading: the number of rows it delivers.
    virtual int open() = 0;
    /// The value of `column` in `row` (both from 0) in the reading open()
    /// started, typed as the column says; null for no value or a position
    /// out of range.
    virtual QVariant value(int row, int column) = 0;
    /// The row the source stands on; -1 when it has none.
    virtual int currentRow() const = 0;

private:
    QString m_name;
};

/// Every visible row of a dataset in the dataset's order, with every field
/// (hidden, calculated and lookup ones included); the current row is the
/// dataset's own. A closed dataset delivers no rows.
class DatasetRowSource : public RowSource
{
public:
    DatasetRowSource(const QString &name, db::Dataset &dataset);

    std::vector<RowColumn> columns() const override;
    int open() override;
    QVariant value(int row, int column) override;
    int currentRow() const override;

private:
    db::Dataset &m_dataset;
};

/// A source whose columns and rows come from handlers (the data module's
/// rvDepGetCols, rvDepOpen and rvDepGetRow, or the caption's).
class HandlerRowSource : public RowSource
{
public:
    using GetCols = std::function<std::vector<RowColumn>()>;
    using Open = std::function<int()>;
    /// The values of one row, one per column.
    using GetRow = std::function<QVariantList(int row)>;

    HandlerRowSource(const QString &name, GetCols getCols, Open open, GetRow getRow);

    std::vector<RowColumn> columns() const override { return m_getCols(); }
    int open() override;
    QVariant value(int row, int column) override;
    /// The first row, when there is one.
    int currentRow() const override { return m_open() > 0 ? 0 : -1; }

private:
    GetCols m_getCols;
    Open m_open;
    GetRow m_getRow;
    int m_cachedRow = -1;
    QVariantList m_cached;
};
