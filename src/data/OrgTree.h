#pragma once
// The sponsor tree of the organization window, as the customer rules see it.
// The window registers itself with the data module while it exists.

#include <QString>

class OrgTree
{
public:
    virtual ~OrgTree() = default;
    /// Identifier of the customer whose node is selected; empty text for the
    /// root node (and when nothing is selected).
    virtual QString selectedCustomerId() const = 0;
    /// Text of the selected node ("id name", or the root's caption).
    virtual QString selectedNodeText() const = 0;
    /// Whether the selected node already shows its child nodes.
    virtual bool selectedShowsChildren() const = 0;
    /// Adds a child node with `text` for customer `id` under the selected node.
    virtual void addCustomerNode(const QString &id, const QString &text) = 0;
    /// Loads the selected node's children from the database again.
    virtual void loadChildren() = 0;
    /// Index of the live node of customer `id`; -1 when the tree shows none.
    virtual int findLiveIndex(const QString &id) const = 0;
    /// Removes the node at `index` (from findLiveIndex) with its subtree.
    virtual void removeCustomerNode(int index) = 0;
};
