#include "CustomerMove_p.h"

#include "DriveCustU.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidget>

CustomerMove::CustomerMove(QTreeWidget *tree, const SponsorTree &nodes, QAbstractItemView *grid, Hooks hooks,
                           QObject *parent)
    : QObject(parent), m_tree(tree), m_nodes(nodes), m_grid(grid), m_hooks(std::move(hooks)),
      m_label(std::make_unique<TfrmDriveCust>())
{
    // Moving over the tree selects nodes and shows the label without a
    // button held.
    m_tree->viewport()->setMouseTracking(true);
    m_tree->viewport()->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    // The application's observer sees every event before the tree's or the
    // grid's own rules here do.
    m_observer = std::make_unique<Observer>(*this);
    qApp->installEventFilter(m_observer.get());
}

CustomerMove::~CustomerMove()
{
    qApp->removeEventFilter(m_observer.get());
}

bool CustomerMove::Observer::eventFilter(QObject *, QEvent *event)
{
    m_move.observe(event);
    return false;
}

void CustomerMove::end()
{
    m_id.clear();
    m_name.clear();
    m_label->hide();
}

void CustomerMove::pick(const QString &id, const QString &name)
{
    m_id = id;
    m_name = name;
    m_label->setText(id);
}

void CustomerMove::showLabel(const QPoint &globalPos)
{
    m_label->follow(globalPos);
    m_label->show();
}

bool CustomerMove::overTree(const QPoint &globalPos) const
{
    const QWidget *viewport = m_tree->viewport();
    return viewport->isVisible() && QRect(viewport->mapToGlobal(QPoint(0, 0)), viewport->size()).contains(globalPos);
}

QTreeWidgetItem *CustomerMove::selectedNode() const
{
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

bool CustomerMove::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tree->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            return treePress(static_cast<QMouseEvent *>(event));
        case QEvent::MouseButtonDblClick:
            if (m_tree->itemAt(static_cast<QMouseEvent *>(event)->position().toPoint()) && m_hooks.activate)
                m_hooks.activate();
            return true;
        case QEvent::MouseMove:
            treeMove(static_cast<QMouseEvent *>(event));
            break;
        default:
            break;
        }
    } else if (watched == m_grid->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // Ctrl alone, and no button left down: the grid's row is picked.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->modifiers() == Qt::ControlModifier && mouse->buttons() == Qt::NoButton) {
            if (const std::optional<TreeCustomer> customer = m_hooks.gridCustomer ? m_hooks.gridCustomer()
                                                                                    : std::nullopt) {
                pick(customer->id, customer->name);
                if (isPending())
                    showLabel(mouse->globalPosition().toPoint());
            }
        }
    }
    return false;
}

void CustomerMove::observe(QEvent *event)
{
    if (!isPending())
        return;
    if (event->type() == QEvent::MouseMove) {
        m_label->follow(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        return;
    }
    if (event->type() != QEvent::MouseButtonRelease)
        return;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint at = mouse->globalPosition().toPoint();
    if (mouse->timestamp() == m_lastRelease && at == m_lastReleasePos)
        return;
    m_lastRelease = mouse->timestamp();
    m_lastReleasePos = at;
    if (mouse->button() != Qt::LeftButton)
        return;
    if (!overTree(at)) {
        end();
        return;
    }
    // Over the tree, whichever widget the release reaches; with no node
    // selected the move stays pending.
    if (selectedNode() && m_hooks.drop)
        m_hooks.drop();
}

bool CustomerMove::treePress(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem *node = m_tree->itemAt(pos);
    m_tree->setFocus(Qt::MouseFocusReason);
    if (!node) {
        m_tree->clearSelection();
        m_tree->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
        return true;
    }
    m_tree->setCurrentItem(node);
    node->setSelected(true);
    if (!m_label->isVisible())
        pick(m_nodes.idOf(node), SponsorTree::nameOf(node));
    // A press on the expand mark still opens or closes the node.
    return pos.x() >= m_tree->visualItemRect(node).x();
}

void CustomerMove::treeMove(QMouseEvent *event)
{
    QTreeWidgetItem *node = m_tree->itemAt(event->position().toPoint());
    if (m_label->isVisible()) {
        if (node && node != selectedNode()) {
            m_tree->setCurrentItem(node);
            node->setSelected(true);
        }
    } else if (isPending() && node != selectedNode()) {
        showLabel(event->globalPosition().toPoint());
    }
}
