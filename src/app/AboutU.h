#pragma once
// TfrmAbout, the About box: the program's name and version, its maker and
// where to reach them.

#include <QDialog>
#include <functional>
#include <memory>

class LocCatalogue;

namespace Ui {
class TfrmAbout;
}

/// The support mail address (the Support command writes to it).
inline const QString SupportAddress = QStringLiteral("support@quorvel.com");
/// The maker's web address.
inline const QString WebAddress = QStringLiteral("https://www.quorvel.com");

class TfrmAbout : public QDialog
{
    Q_OBJECT

public:
    /// Localized from `catalogue`; clicking the mail address runs `support`.
    TfrmAbout(LocCatalogue &catalogue, std::function<void()> support, QWidget *parent = nullptr);
    ~TfrmAbout() override;

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TfrmAbout> ui;
    std::function<void()> m_support;
};
