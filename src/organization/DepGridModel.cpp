#include "DepGridModel.h"

#include "DepNumbers.h"
#include "Department.h"

#include <QLocale>

DepGridModel::DepGridModel(const Department &department, QObject *parent)
    : QAbstractTableModel(parent), m_department(department)
{
}

void DepGridModel::setTitles(const QStringList &titles)
{
    Q_ASSERT(titles.size() == ColumnCount);
    m_titles = titles;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void DepGridModel::ShowMembers()
{
    const int members = int(m_department.count());
    if (members != m_rows) {
        beginResetModel();
        m_typedReserves.clear();
        m_rows = members;
        endResetModel();
        return;
    }
    // The same rows with new figures: the view keeps its place and selection.
    m_typedReserves.clear();
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
}

const TDepMember *DepGridModel::memberAt(int row) const
{
    if (row < 0 || row >= m_rows || row >= m_department.count())
        return nullptr;
    return &m_department.DepList()[std::size_t(row)];
}

QString DepGridModel::reserveText(int row) const
{
    const TDepMember *member = memberAt(row);
    Q_ASSERT(member);
    const auto typed = m_typedReserves.constFind(row);
    return typed != m_typedReserves.cend() ? *typed : text(*member, Reserve);
}

int DepGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DepGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString DepGridModel::text(const TDepMember &member, int column) const
{
    const QString point = QLocale().decimalPoint();
    switch (column) {
    case Level:
        return QString::number(member.Level);
    case Id:
        return member.Id;
    case Name:
        return member.Name;
    case PersonalPoints:
        return depnumbers::general(member.PersonalPoints, point);
    case GroupPoints:
        return depnumbers::general(member.GroupPoints, point);
    case Bonus:
        return depnumbers::general(member.Bonus, point);
    case Reserve:
        return depnumbers::general(member.Reserve, point);
    }
    return QString();
}

QVariant DepGridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    const TDepMember *member = memberAt(index.row());
    if (!member)
        return QVariant();
    if (index.column() == Reserve)
        return reserveText(index.row());
    return text(*member, index.column());
}

QVariant DepGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    // The narrow fixed first column stays empty.
    if (orientation == Qt::Vertical)
        return QString();
    return section >= 0 && section < m_titles.size() ? m_titles[section] : QVariant();
}

Qt::ItemFlags DepGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == Reserve)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DepGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || index.column() != Reserve || !memberAt(index.row()))
        return false;
    const QString typed = value.toString();
    if (typed == reserveText(index.row()))
        return true;
    m_typedReserves.insert(index.row(), typed);
    emit dataChanged(index, index);
    emit reserveEdited();
    return true;
}
