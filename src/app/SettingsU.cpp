#include "SettingsU.h"

#include "widgets/DialogScale.h"
#include "Fading.h"
#include "widgets/Switches.h"
#include "ui_SettingsU.h"

#include "DataU.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Localize.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScreen>

namespace {

// Every page with the controls on it that stand for keys, in order.
template <class Visit>
void forEachKeyControl(QTabWidget *pages, Visit &&visit)
{
    for (int i = 0; i < pages->count(); ++i) {
        QWidget *page = pages->widget(i);
        for (QWidget *control : page->findChildren<QWidget *>())
            if (qobject_cast<QLineEdit *>(control) || qobject_cast<QCheckBox *>(control))
                visit(page->objectName(), control);
    }
}

} // namespace

TfrmSettings::TfrmSettings(TData &data, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmSettings>()), m_data(data)
{
    ui->setupUi(this);
    LocalizeWindow(this, m_data.localization());
    if (Switches().scaleDialogs)
        ScaleDialog(this);
    readControls();

    connect(ui->btnSave, &QPushButton::clicked, this, &TfrmSettings::save);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmSettings::~TfrmSettings() = default;

void TfrmSettings::readControls()
{
    const IniFile &file = m_data.settingsFile();
    forEachKeyControl(ui->PageControl, [&file](const QString &section, QWidget *control) {
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->setText(file.readString(section, edit->objectName(), edit->text()));
        else if (auto *box = qobject_cast<QCheckBox *>(control))
            box->setChecked(file.readBool(section, box->objectName(), false));
    });
}

void TfrmSettings::writeControls()
{
    IniFile &file = m_data.settingsFile();
    forEachKeyControl(ui->PageControl, [&file](const QString &section, QWidget *control) {
        const QString key = control->objectName();
        try {
            if (auto *edit = qobject_cast<QLineEdit *>(control))
                file.writeString(section, key, edit->text());
            else if (auto *box = qobject_cast<QCheckBox *>(control))
                file.writeBool(section, key, box->isChecked());
        } catch (const db::DataError &error) {
            throw db::DataError(QStringLiteral("The setting \"%1\" in section \"%2\" could not be saved.\n%3")
                                    .arg(key, section, error.text()));
        }
    });
}

void TfrmSettings::save()
{
    // A key that cannot be written is reported; what was written stays, and
    // the dialog still closes with OK so that the settings are read again.
    guarded(this, [this] { writeControls(); });
    accept();
}

void TfrmSettings::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    FadeIn(this);
}

void TfrmSettings::done(int result)
{
    FadeOut(this);
    QDialog::done(result);
}
