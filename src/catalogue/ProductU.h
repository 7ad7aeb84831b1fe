#pragma once
// TfrmProduct, the catalogue window: the products of the current catalogue,
// narrowed by the beginnings of their identifiers and names, entered through
// an entry panel one after the other, and the current catalogue date
// switched or a new catalogue started. The order editor opens it as a
// chooser of one product (choose mode).

#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class TData;
class TEntryPanel;

namespace Ui {
class TfrmProduct;
}

class TfrmProduct : public QDialog
{
    Q_OBJECT

public:
    /// Builds the window over the data module's product datasets: the entry
    /// chain, the localized texts, the bound controls. Opens no dataset and
    /// throws nothing; openDatasets() comes before the window is shown.
    TfrmProduct(TData &data, QWidget *owner = nullptr);
    /// Puts back what the window changed: the new-catalogue marker cleared,
    /// qProduct open or closed as at creation and unfiltered, qChCat closed.
    /// The current catalogue date stays as the user left it.
    ~TfrmProduct() override;

    /// Opens qProduct (record filtering on) and the catalogue dates, and
    /// shows the current catalogue date. Throws db::DataError with the
    /// engine's text (no connection, a file that cannot be read); the window
    /// is then not to be shown.
    void openDatasets();

    /// Choose mode, set before the window is shown: "Choose" offered, the
    /// catalogue date controls and "Load" hidden, and a double-click or Enter
    /// in the grid chooses instead of editing.
    void setChooseMode(bool choose);
    bool isChooseMode() const { return m_chooseMode; }

    /// Shows the window modally in choose mode on the current catalogue;
    /// when the user chooses, `readChoice` runs on the chosen product
    /// (qProduct's current row) before the window puts the datasets back. A
    /// catalogue date changed meanwhile refreshes the main caption. True when
    /// the user chose. Throws db::DataError when the products cannot be
    /// read, and whatever `readChoice` throws.
    static bool choose(TData &data, QWidget *owner, const std::function<void()> &readChoice);

    /// The area the opener fills with hint panels.
    QWidget *hintArea() const;
    QAction *chooseCommand() const;
    QAction *newCatalogueCommand() const;

    /// Every enabling rule of the window; runs when the program falls idle.
    void updateActions();
    /// The caption: lCatalogDate and the current catalogue date.
    void RefreshCaption();

protected:
    /// Closing stores the product being entered or changed first (a new one
    /// without a name is dropped); a store that fails keeps the window open.
    void done(int result) override;

private:
    void FormCreate();
    void FormDestroy();
    void FilterControlChange();
    void lcbChCatCloseUp();
    void actNewCataloqueExecute();
    void actNewCataloqueUpdate();
    void actChooseExecute();
    void actChooseUpdate();
    void grdProductEditDblClick();
    void grdProductChooseDblClick();
    void grdProductKeyPress();
    void edEditKeyPress();
    void btnLoadClick();
    bool storePendingProduct();

    std::unique_ptr<Ui::TfrmProduct> ui;
    TData &m_data;
    TEntryPanel *m_entryPanel;
    bool m_productWasOpen = false;
    bool m_chooseMode = false;
};
