#pragma once
// TfrmOrder, the order editor: one order or refusal entered or changed in a
// modal dialog, its date, its customer and its lines. It works on the shared
// datasets directly: the header is the current row of qOrders, the lines
// are the rows of qOrder, and the data rules keep the books. The main
// window's order commands open it and decide, after it closes, what becomes
// of the header (TData::EndOrderEdit).

#include <QDialog>
#include <memory>

class QAction;
class TData;
class TEntryPanel;

namespace Ui {
class TfrmOrder;
}

class TfrmOrder : public QDialog
{
    Q_OBJECT

public:
    /// An editor for the kind TData::RefusalMode, captioned `caption` (the
    /// opening command's); New Order and New Refusal caption it
    /// `addOrderCaption` and `addRefusalCaption` (the main window's commands).
    /// Links the entry chain, registers the entry panel for qOrder, localizes
    /// and shows the kind. Opens no dataset and throws nothing.
    TfrmOrder(TData &data, const QString &caption, const QString &addOrderCaption, const QString &addRefusalCaption,
              QWidget *owner = nullptr);
    /// Closes qOrder (a line still being entered is dropped) and withdraws
    /// the entry panel.
    ~TfrmOrder() override;

    /// Opens qOrder over the current header's lines. A failure is shown in
    /// an error box; false then, and the editor is not to be shown.
    bool openLines();

    /// The areas the opener fills with hint panels: beside the header boxes,
    /// and beside the line entry boxes.
    QWidget *orderHintArea() const;
    QWidget *editHintArea() const;

    /// Every enabling rule of the editor; runs when the program falls idle.
    void updateActions();
    /// The caption, the header group's title and Reverse's caption for the
    /// kind `refusal`.
    void ShowOrderKind(bool refusal);

protected:
    /// Escape gives up the line being typed; only without one does it close
    /// the editor, as Cancel.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void bindControls();
    void actSaveExecute();
    void actCalcExecute();
    enum class DocumentKind { Order, Refusal };
    void nextDocument(DocumentKind kind);
    void actReverseExecute();
    void actPrintExecute();
    void startLine();
    void btnOrderDateClick();
    void btnCustomerClick();
    void edCustomerIDEnter();
    void chooseProduct();
    void storeLineAndStartNext();
    void grdOrderDblClick();
    void grdOrderEnter();
    void grdOrderColEnter(int column);
    void grdOrderColExit(int column);
    /// Whether grid column `column` shows a looked-up field.
    bool showsLookup(int column) const;
    /// Writes what the header boxes hold and not yet their fields; puts a
    /// browsing header into editing first.
    void editHeader();
    void storePendingLine();

    std::unique_ptr<Ui::TfrmOrder> ui;
    TData &m_data;
    TEntryPanel *m_entryPanel;
    QString m_caption;
    QString m_addOrderCaption;
    QString m_addRefusalCaption;
};
