#include "RefU.h"

#include "ui_RefU.h"

#include "Numbers.h"
#include "engine/DataSource.h"
#include "engine/Dataset.h"
#include "widgets/ErrorGuard.h"
#include "widgets/ImageList.h"
#include "widgets/TDBNavigator.h"
#include "widgets/qubDBGrid.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace {

// Placement of the filter inputs inside their group, in pixels.
constexpr int kFirstTop = 20;
constexpr int kLeftMargin = 10;
constexpr int kGapBelowLabel = 2;
constexpr int kGapBelowInput = 10;
constexpr int kWidestInput = 150;
// What the window adds to the filter group and the grid's columns.
constexpr int kWidthAllowance = 50;
// Fields this long are notes, not something to search by.
constexpr int kLongestFilteredSize = 100;

bool isFilterable(const db::Field *field)
{
    if (!field->isVisible() || field->kind() != db::FieldKind::Data || field->size() >= kLongestFilteredSize)
        return false;
    switch (field->type()) {
    case db::FieldType::String:
    case db::FieldType::FixedChar:
    case db::FieldType::Boolean:
        return true;
    default:
        return false;
    }
}

} // namespace

TfrmRef::TfrmRef(QWidget *owner, db::Dataset &dataset, const QString &caption, bool showChoose)
    : QDialog(owner), ui(std::make_unique<Ui::TfrmRef>()), m_dataset(dataset),
      m_dsRef(new db::DataSource(&dataset, QStringLiteral("dsRef"), this))
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // The opener's values come before the creation handler.
    setWindowTitle(caption);
    ui->actChoose->setVisible(showChoose);
    ui->btnChoose->setVisible(showChoose);

    ui->actChoose->setIcon(ImageList::icon(ImageList::Apply));
    ui->btnChoose->setDefaultAction(ui->actChoose);
    QFont titles = ui->grdRef->horizontalHeader()->font();
    titles.setBold(true);
    ui->grdRef->horizontalHeader()->setFont(titles);
    ui->grdRef->setOptions(ui->grdRef->options() & ~TqubDBGrid::Options(TqubDBGrid::Option::Editing));
    ui->navRef->setVisibleButtons({TDBNavigator::Button::First, TDBNavigator::Button::Last,
                                   TDBNavigator::Button::Insert, TDBNavigator::Button::Delete,
                                   TDBNavigator::Button::Edit, TDBNavigator::Button::Post,
                                   TDBNavigator::Button::Cancel});
    ui->navRef->setConfirmDelete(true);

    connect(ui->actChoose, &QAction::triggered, this, [this] { guarded(this, [this] { actChooseExecute(); }); });
    connect(ui->grdRef, &TqubDBGrid::gridDoubleClicked, this, [this] {
        guarded(this, [this] { m_doubleClickAction ? m_doubleClickAction() : grdRefDblClick(); });
    });
    connect(ui->grdRef, &TqubDBGrid::enterPressed, this, [this] { guarded(this, [this] { grdRefDblClick(); }); });
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmRef::actChooseUpdate);
}

TfrmRef::~TfrmRef()
{
    // The dataset goes back as the chooser found it, unfiltered in any case.
    ui->grdRef->setDataSource(nullptr);
    ui->navRef->setDataSource(nullptr);
    try {
        if (!m_wasOpen)
            m_dataset.close();
        m_dataset.setFilterText(QString());
    } catch (const db::DataError &) {
        // Closing a dataset and clearing its filter do not fail; nothing to
        // report from a window being destroyed.
    }
}

bool TfrmRef::choose(QWidget *owner, db::Dataset &dataset, const ChooserOptions &options,
                     const std::function<void()> &readChoice)
{
    TfrmRef chooser(owner, dataset, options.caption, options.showChoose);
    chooser.FormCreate();
    if (options.height > 0)
        chooser.setWindowHeight(options.height);
    chooser.setNavigatorVisible(options.showNavigator);
    chooser.setAutoEdit(options.autoEdit);
    if (options.doubleClickChooses) {
        TfrmRef *window = &chooser;
        chooser.setDoubleClickAction([window] {
            const db::Dataset &listed = window->dataset();
            if (listed.state() == db::DatasetState::Browse && !listed.isEmpty())
                window->accept();
        });
    }
    if (chooser.exec() != QDialog::Accepted)
        return false;
    readChoice();
    return true;
}

void TfrmRef::FormCreate()
{
    // A shared dataset is put back as it was found when the chooser goes.
    const bool wasOpen = m_dataset.isActive();
    if (!wasOpen)
        m_dataset.open();
    m_wasOpen = wasOpen;
    ui->grdRef->setDataSource(m_dsRef);
    ui->navRef->setDataSource(m_dsRef);
    // No filter group when there is nothing to filter by.
    buildFilterInputs();
    ui->gbFilter->setVisible(!m_filterInputs.empty());
    // Wide enough for every column, so the user never scrolls sideways.
    const int filterWidth = m_filterInputs.empty() ? 0 : ui->gbFilter->width();
    resize(filterWidth + gridColumnsWidth() + kWidthAllowance, height());
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    actChooseUpdate();
}

void TfrmRef::buildFilterInputs()
{
    const int characterWidth = fontMetrics().horizontalAdvance(u'W') + 1;
    int y = kFirstTop;
    int widest = 0;
    for (int i = 0; i < m_dataset.fieldCount(); ++i) {
        db::Field *field = m_dataset.fieldAt(i);
        if (!isFilterable(field))
            continue;
        QWidget *input = nullptr;
        if (field->type() == db::FieldType::Boolean) {
            auto *box = new QCheckBox(ui->gbFilter);
            box->setObjectName(QStringLiteral("chbFilter") + field->name());
            box->setTristate(true);
            box->setCheckState(Qt::PartiallyChecked);
            connect(box, &QCheckBox::clicked, this, [this] { FilterChange(); });
            input = box;
        } else {
            auto *edit = new QLineEdit(ui->gbFilter);
            edit->setObjectName(QStringLiteral("edFilter") + field->name());
            connect(edit, &QLineEdit::textChanged, this, [this] { FilterChange(); });
            input = edit;
        }

        auto *label = new QLabel(field->displayLabel(), ui->gbFilter);
        label->setObjectName(QStringLiteral("lblFilter") + field->name());
        label->adjustSize();
        label->move(kLeftMargin, y);
        y += label->height() + kGapBelowLabel;
        widest = std::max(widest, label->width());

        input->move(kLeftMargin, y);
        input->resize(std::min(field->displayWidth() * characterWidth, kWidestInput), input->sizeHint().height());
        widest = std::max(widest, input->width());
        y += input->height() + kGapBelowInput;
        m_filterInputs.push_back({input, field});
    }
    ui->gbFilter->setFixedWidth(2 * kLeftMargin + widest);
    ui->gbFilter->setMinimumHeight(y);
}

int TfrmRef::gridColumnsWidth() const
{
    const QHeaderView *header = ui->grdRef->horizontalHeader();
    int width = 0;
    for (int c = 0; c < header->count(); ++c)
        if (!header->isSectionHidden(c))
            width += header->sectionSize(c);
    return width;
}

QString TfrmRef::filterFromInputs() const
{
    QString text;
    for (const FilterInput &each : m_filterInputs) {
        QString part;
        if (const auto *edit = qobject_cast<const QLineEdit *>(each.input)) {
            if (!edit->text().isEmpty())
                part = each.field->name() + QStringLiteral(" like ") + SqlQuoted(edit->text() + u'*');
        } else if (const auto *box = qobject_cast<const QCheckBox *>(each.input)) {
            if (box->checkState() != Qt::PartiallyChecked)
                part = each.field->name() + (box->isChecked() ? QStringLiteral(" = 1") : QStringLiteral(" = 0"));
        }
        if (part.isEmpty())
            continue;
        if (!text.isEmpty())
            text += QStringLiteral(" and ");
        text += part;
    }
    return text;
}

void TfrmRef::FilterChange()
{
    // The filter text takes effect where the dataset's filtering is on; a
    // text the data layer refuses is reported and the previous one stays.
    guarded(this, [this] { m_dataset.setFilterText(filterFromInputs()); });
    actChooseUpdate();
}

void TfrmRef::actChooseUpdate()
{
    ui->actChoose->setEnabled(m_dataset.state() == db::DatasetState::Browse && !m_dataset.isEmpty());
}

void TfrmRef::actChooseExecute()
{
    accept();
}

void TfrmRef::grdRefDblClick()
{
    actChooseUpdate();
    if (ui->actChoose->isVisible() && ui->actChoose->isEnabled()) {
        actChooseExecute();
        return;
    }
    // Without a choice to make, a double-click opens the row for editing
    // (for customers the rules then show the customer dialog).
    if (!m_dataset.isEmpty() && m_dataset.state() == db::DatasetState::Browse)
        m_dataset.edit();
}

void TfrmRef::setWindowHeight(int height)
{
    resize(width(), height);
}

void TfrmRef::setNavigatorVisible(bool visible)
{
    ui->navRef->setVisible(visible);
}

void TfrmRef::setAutoEdit(bool autoEdit)
{
    m_dsRef->setAutoEdit(autoEdit);
}

TqubDBGrid *TfrmRef::grid() const
{
    return ui->grdRef;
}

TDBNavigator *TfrmRef::navigator() const
{
    return ui->navRef;
}

QAction *TfrmRef::chooseCommand() const
{
    return ui->actChoose;
}
