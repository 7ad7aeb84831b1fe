#pragma once
// The department grid's model: row i is the i-th member of the department,
// columns level, Id, name, personal points, group points, bonus and reserve.
// Numbers in the general format with the locale's decimal separator. The
// reserve column carries the text the user typed over it until the next
// ShowMembers, which writes every cell from the members again.

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

class Department;
struct TDepMember;

class DepGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Level, Id, Name, PersonalPoints, GroupPoints, Bonus, Reserve, ColumnCount };

    explicit DepGridModel(const Department &department, QObject *parent = nullptr);

    /// Column titles, in column order.
    void setTitles(const QStringList &titles);
    /// Every cell written again from the members; typed reserves dropped.
    void ShowMembers();

    /// The member of row `row`; null outside the rows.
    const TDepMember *memberAt(int row) const;
    /// The reserve cell's text as it shows now.
    QString reserveText(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    /// A reserve cell's text was changed by the user.
    void reserveEdited();

private:
    QString text(const TDepMember &member, int column) const;

    const Department &m_department;
    QStringList m_titles;
    QHash<int, QString> m_typedReserves;
    int m_rows = 0; ///< the members shown at the last ShowMembers
};
