#include "SponsorTree.h"

#include <QTreeWidget>

namespace {
constexpr int kIndexRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;
} // namespace

SponsorTree::SponsorTree(QTreeWidget *tree) : m_tree(tree)
{
    Q_ASSERT(tree->topLevelItemCount() == 0);
    RegisterNodeId(QString());
    m_entries[0].Alive = false; // until the root node exists
}

QTreeWidgetItem *SponsorTree::addRoot(const QString &caption)
{
    auto *root = new QTreeWidgetItem(QStringList{caption});
    root->setData(0, kIndexRole, RegisterNodeId(QString()));
    root->setData(0, kNameRole, caption);
    m_nodeOfIndex.insert(0, root);
    m_tree->addTopLevelItem(root);
    m_tree->setCurrentItem(root);
    return root;
}

int SponsorTree::RegisterNodeId(const QString &id)
{
    const auto found = m_indexOfId.constFind(id);
    if (found != m_indexOfId.constEnd()) {
        m_entries[size_t(*found)].Alive = true;
        return *found;
    }
    m_entries.push_back({id, true});
    const int index = int(m_entries.size()) - 1;
    m_indexOfId.insert(id, index);
    return index;
}

const QString &SponsorTree::NodeId(int index) const
{
    Q_ASSERT(index >= 0 && size_t(index) < m_entries.size());
    return m_entries[size_t(index)].Id;
}

int SponsorTree::FindLiveIndex(const QString &id) const
{
    const int index = m_indexOfId.value(id, -1);
    return index != -1 && m_entries[size_t(index)].Alive ? index : -1;
}

QTreeWidgetItem *SponsorTree::FindNodeByIndex(int index) const
{
    return m_nodeOfIndex.value(index, nullptr);
}

void SponsorTree::RemoveCustomerNode(int index)
{
    QTreeWidgetItem *node = FindNodeByIndex(index);
    if (!node)
        return;
    forget(node);
    delete node;
}

void SponsorTree::addNodes(QTreeWidgetItem *parent, const std::vector<TreeCustomer> &customers)
{
    QList<QTreeWidgetItem *> nodes;
    nodes.reserve(qsizetype(customers.size()));
    for (const TreeCustomer &customer : customers) {
        auto *node = new QTreeWidgetItem(QStringList{customer.id + u' ' + customer.name});
        const int index = RegisterNodeId(customer.id);
        node->setData(0, kIndexRole, index);
        node->setData(0, kNameRole, customer.name);
        // A stale tree may show a customer twice; the newest node answers.
        m_nodeOfIndex.insert(index, node);
        nodes.append(node);
    }
    parent->addChildren(nodes);
}

void SponsorTree::removeChildren(QTreeWidgetItem *node)
{
    const QList<QTreeWidgetItem *> children = node->takeChildren();
    for (QTreeWidgetItem *child : children) {
        forget(child);
        delete child;
    }
}

bool SponsorTree::IsInBranch(const QString &id, const QTreeWidgetItem *node) const
{
    for (; node && indexOf(node) != 0; node = node->parent())
        if (idOf(node) == id)
            return true;
    return false;
}

int SponsorTree::indexOf(const QTreeWidgetItem *node)
{
    Q_ASSERT(node);
    return node->data(0, kIndexRole).toInt();
}

QString SponsorTree::nameOf(const QTreeWidgetItem *node)
{
    return node->data(0, kNameRole).toString();
}

void SponsorTree::forget(QTreeWidgetItem *node)
{
    // Every node of the subtree goes, one by one, and with it its entry's life.
    std::vector<QTreeWidgetItem *> pending{node};
    while (!pending.empty()) {
        QTreeWidgetItem *current = pending.back();
        pending.pop_back();
        const int index = indexOf(current);
        m_entries[size_t(index)].Alive = false;
        if (m_nodeOfIndex.value(index) == current)
            m_nodeOfIndex.remove(index);
        for (int i = 0; i < current->childCount(); ++i)
            pending.push_back(current->child(i));
    }
}
