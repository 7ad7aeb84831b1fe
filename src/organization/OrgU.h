#pragma once
// TfrmOrg, the organization window: the sponsor tree on the left, loaded
// level by level; on the right the level view (the selected customer's
// direct members, filtered and edited) and the department view. Customers
// are moved to another sponsor with the mouse and found by identifier or
// name. While it exists the customer rules reach its tree (OrgTree).

#include "DataU.h"
#include "Department.h"
#include "OrgTree.h"
#include "SponsorTree.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class CustomerMove;
class DepGridModel;
class QAction;
class QMenu;
class QTimer;
class QTreeWidgetItem;
class TData;
class TfrmDriveCust;

namespace Ui {
class TfrmOrg;
}

/// The areas the opener fills with hint panels.
enum class OrgHintArea { Levels, Deps, Tree };

class TfrmOrg : public QDialog, public OrgTree
{
    Q_OBJECT

public:
    /// Builds the window with the root node selected; reads no data and
    /// throws nothing: open() comes before the window is shown.
    explicit TfrmOrg(TData &data, QWidget *parent = nullptr);
    /// Puts back what the window changed: the level view and the tree's
    /// query closed, the level filter cleared, the observer and the label
    /// gone, the customer rules no longer reaching the tree.
    ~TfrmOrg() override;

    /// Activates the root: loads the customers without a sponsor and shows
    /// them in the level view. Throws db::DataError with the engine's text.
    void open();

    QWidget *hintArea(OrgHintArea area) const;

    // --- the tree -----------------------------------------------------------------------
    const SponsorTree &tree() const { return *m_tree; }
    /// The selected node; null when the user pressed on empty tree space.
    QTreeWidgetItem *selectedNode() const;
    /// Node activation: the selected node's children loaded the first time,
    /// then the page's view rebuilt for it, under the busy notice. Nothing
    /// without a selected node. Throws db::DataError.
    void tvCustomerDblClick();
    /// Runs qOrg for `node`'s customer and adds a child node per row.
    /// Throws db::DataError; qOrg is closed in every case.
    void LoadChildren(QTreeWidgetItem *node);
    void AddCustomerNode(QTreeWidgetItem *node, const QString &id, const QString &name);
    /// The caption for the selected node: lClients2, a blank and lLevel.
    void UpdateCaption();
    /// qCustomer2 reopened on the selected customer's direct members.
    void ShowLevelView();
    // --- the department page ------------------------------------------------------------------
    /// Loads and computes the selected customer's department and shows it.
    /// A failed load tells each level's message, then the error goes on;
    /// the department and the grid are then empty. Throws db::DataError.
    void BuildDepartments();
    /// The department computed again from its members' points, and shown.
    void Recompute();
    const Department &department() const { return m_department; }
    DepGridModel *depModel() const { return m_depModel; }
    /// The grid cell under the mouse, the title row and the empty first
    /// column counted: -1 outside the cells.
    int HotRow = -1, HotCol = -1;
    /// Sets the cell under the mouse from a position in the grid's viewport.
    void setHotCell(const QPoint &viewportPos);
    /// Whether a reserve cell was edited since the last save.
    bool isModified() const { return Modified; }
    /// How the point commands ask for an amount: the text of TfrmPoints
    /// closed with OK, nothing otherwise.
    std::function<std::optional<QString>()> AskPointsText;
    /// The context menu of the department grid.
    QMenu *depMenu() const { return m_depMenu; }

    // --- moving and finding ------------------------------------------------------------------
    /// The customer being moved; empty while no move is pending.
    QString DragCustomerId() const;
    TfrmDriveCust *moveLabel() const;
    /// Drops the pending customer on the selected node (confirmation, the
    /// checks, the change, the tree reloaded); the move ends in every case.
    void dropCustomer();
    /// "Find...": asks for an identifier or the beginning of a name and
    /// opens every level down to that customer.
    void miFindCustomerClick();

    /// Every enabling rule of the window; runs when the program falls idle.
    void updateActions();

    // --- OrgTree ------------------------------------------------------------------------------
    QString selectedCustomerId() const override;
    QString selectedNodeText() const override;
    bool selectedShowsChildren() const override;
    void addCustomerNode(const QString &id, const QString &text) override;
    void loadChildren() override;
    int findLiveIndex(const QString &id) const override;
    void removeCustomerNode(int index) override;

private:
    void FormCreate();
    void FormDestroy();
    void FilterControlChange();
    void setPageControls();
    void pcOrgChange();
    void rebuildView();
    void captionFor(const QTreeWidgetItem *node);
    void selectNode(QTreeWidgetItem *node);
    QString findCustomerId(const QString &text);
    bool walkToCustomer(const QStringList &chain);
    void grdCustomerDblClick();
    void actAllCustomersPointsExecute();
    void actToExcelExecute();
    void refreshDebugLists();
    void actReserveExecute(TData::ReserveMove move);
    enum class PassDirection { To, From };
    void actPassPointExecute(PassDirection direction, const QString &caption);
    void actDetBonusCalcExecute();
    void actSaveOrgChangesExecute();
    void actPrintDepExecute();
    void grdDepSelectCell(int column);
    void showDepMenu(const QPoint &pos);
    /// The member of row HotRow, as the department is now; null when that
    /// row is outside the department.
    TDepMember *hotMember();
    bool eventFilter(QObject *watched, QEvent *event) override;

    std::unique_ptr<Ui::TfrmOrg> ui;
    TData &m_data;
    std::unique_ptr<SponsorTree> m_tree;
    CustomerMove *m_move = nullptr;
    QTimer *m_timer = nullptr;
    /// A reserve cell of the department page was edited since the last save.
    bool Modified = false;
    Department m_department;
    DepGridModel *m_depModel = nullptr;
    QMenu *m_depMenu = nullptr;
};
