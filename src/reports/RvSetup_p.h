#pragma once
// TfrmRvSetup, the report system's output choice ("Output Options"): the
// printer (offered only when the machine has one), a preview, or a PDF file.

#include <QDialog>
#include <memory>

class LocCatalogue;

namespace Ui {
class TfrmRvSetup;
}

class TfrmRvSetup : public QDialog
{
    Q_OBJECT

public:
    enum class Destination { Printer, Preview, File };

    /// Offers the choice for the report `name`; `fileName` is the PDF file
    /// proposed.
    TfrmRvSetup(LocCatalogue &catalogue, const QString &fileName, QWidget *parent);
    ~TfrmRvSetup() override;

    Destination destination() const;
    QString fileName() const;

private:
    void updateControls();
    void btnFileNameClick();
    void btnOKClick();

    std::unique_ptr<Ui::TfrmRvSetup> ui;
};

/// TfrmRvStatus, the report system's status window ("Report Status"): the
/// page being produced and a Cancel button that stops at the next page.
class TfrmRvStatus : public QDialog
{
    Q_OBJECT

public:
    /// `pattern` is the status line, `%p` standing for the page number.
    TfrmRvStatus(LocCatalogue &catalogue, const QString &pattern, QWidget *parent);

    /// Shows page `page` and lets the user act; false once Cancel was pressed.
    bool page(int page);
    bool cancelled() const { return m_cancelled; }

private:
    QString m_pattern;
    class QLabel *m_status;
    bool m_cancelled = false;
};
