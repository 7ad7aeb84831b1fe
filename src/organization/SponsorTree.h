#pragma once
// The sponsor tree of the organization window: its nodes and the register
// EmpList of the customers they stand for. Each node carries the index of its
// EmpList entry; an identifier has one entry, reused when its node comes and
// goes. Identifiers and nodes are found through hashes, so a downline of any
// size costs no scan.

#include <QHash>
#include <QString>

#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

/// One EmpList entry: a customer identifier (empty for the root) and
/// whether a tree node stands for it now.
struct TEmp
{
    QString Id;
    bool Alive = false;
};

/// A customer a node is added for.
struct TreeCustomer
{
    QString id;
    QString name;
};

class SponsorTree
{
public:
    /// Works on `tree`, which must be empty and outlive this object; the
    /// root entry (index 0, empty identifier) is registered at once.
    explicit SponsorTree(QTreeWidget *tree);

    /// Adds the root node with `caption` and selects it.
    QTreeWidgetItem *addRoot(const QString &caption);

    /// The entry index of `id`, alive from now on; a new entry when `id`
    /// has none yet.
    int RegisterNodeId(const QString &id);
    const QString &NodeId(int index) const;
    /// The entry index of `id` while a node stands for it; -1 otherwise.
    int FindLiveIndex(const QString &id) const;
    /// The node standing for entry `index`; null when none does.
    QTreeWidgetItem *FindNodeByIndex(int index) const;
    /// Deletes the node of entry `index`, if any, with its subtree.
    void RemoveCustomerNode(int index);

    /// Adds one child node under `parent` for each customer, in the order
    /// given, with the text "id name".
    void addNodes(QTreeWidgetItem *parent, const std::vector<TreeCustomer> &customers);
    /// Deletes every child node of `node` with their subtrees.
    void removeChildren(QTreeWidgetItem *node);
    /// Whether a node on the way from `node` up to the root (the root
    /// itself not compared) stands for customer `id`.
    bool IsInBranch(const QString &id, const QTreeWidgetItem *node) const;

    /// The entry index, identifier and customer name of a node.
    static int indexOf(const QTreeWidgetItem *node);
    QString idOf(const QTreeWidgetItem *node) const { return NodeId(indexOf(node)); }
    static QString nameOf(const QTreeWidgetItem *node);

    const std::vector<TEmp> &EmpList() const { return m_entries; }

private:
    /// Marks the entries of `node` and its subtree dead and forgets their nodes.
    void forget(QTreeWidgetItem *node);

    QTreeWidget *m_tree;
    std::vector<TEmp> m_entries;
    QHash<QString, int> m_indexOfId;
    QHash<int, QTreeWidgetItem *> m_nodeOfIndex;
};
