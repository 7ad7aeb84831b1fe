#pragma once
// TfrmSettings, the settings dialog. Generic: each page stands for a section
// of the settings file (the page's name) and each check box or text box on it
// for a key of that section (the control's name).

#include <QDialog>
#include <memory>

class TData;

namespace Ui {
class TfrmSettings;
}

class TfrmSettings : public QDialog
{
    Q_OBJECT

public:
    /// Localized, scaled under "doformscale", and filled from the settings file.
    explicit TfrmSettings(TData &data, QWidget *parent = nullptr);
    ~TfrmSettings() override;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void readControls();
    /// Writes every control's value, key by key; throws db::DataError naming
    /// the first key that cannot be written (the keys before it stay written).
    void writeControls();
    void save();

    std::unique_ptr<Ui::TfrmSettings> ui;
    TData &m_data;
};
