#pragma once
// A customer being moved to another sponsor with the mouse: picked on a tree
// node or, with Ctrl, in the level grid; followed by the floating label; ended
// by a left release, which over the tree drops the customer on the selected
// node and anywhere else cancels the move. It watches every event of the
// application while it lives and always lets them go on.

#include "SponsorTree.h"

#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>
#include <optional>

class QAbstractItemView;
class QTreeWidget;
class QTreeWidgetItem;
class TfrmDriveCust;

class CustomerMove : public QObject
{
    Q_OBJECT

public:
    /// What the window does for the move.
    struct Hooks
    {
        /// The level grid's current customer, when it has one.
        std::function<std::optional<TreeCustomer>()> gridCustomer;
        /// Drops the pending customer on the selected node (and ends the move).
        std::function<void()> drop;
        /// A double-click on a node: its activation.
        std::function<void()> activate;
    };

    CustomerMove(QTreeWidget *tree, const SponsorTree &nodes, QAbstractItemView *grid, Hooks hooks,
                 QObject *parent = nullptr);
    ~CustomerMove() override;

    const QString &DragCustomerId() const { return m_id; }
    const QString &DragCustomerName() const { return m_name; }
    bool isPending() const { return !m_id.isEmpty(); }
    TfrmDriveCust *label() const { return m_label.get(); }

    /// Ends the move: nothing pending, label hidden.
    void end();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pick(const QString &id, const QString &name);
    void showLabel(const QPoint &globalPos);
    bool overTree(const QPoint &globalPos) const;
    QTreeWidgetItem *selectedNode() const;
    bool treePress(class QMouseEvent *event);
    void treeMove(class QMouseEvent *event);
    void observe(QEvent *event);

    class Observer : public QObject
    {
    public:
        explicit Observer(CustomerMove &move) : m_move(move) {}
        bool eventFilter(QObject *watched, QEvent *event) override;

    private:
        CustomerMove &m_move;
    };

    QTreeWidget *m_tree;
    const SponsorTree &m_nodes;
    QAbstractItemView *m_grid;
    Hooks m_hooks;
    std::unique_ptr<TfrmDriveCust> m_label;
    std::unique_ptr<Observer> m_observer;
    QString m_id;
    QString m_name;
    /// The last release seen: one release reaches the observer once per
    /// object it passes (window, widget, parents), and counts once.
    quint64 m_lastRelease = 0;
    QPoint m_lastReleasePos;
};
