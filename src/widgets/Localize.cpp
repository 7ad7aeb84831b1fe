#include "Localize.h"

#include "Localization.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

// Qt terms for the component rules: a component is a named descendant of the
// window; its "Caption" is the text of an action, a button, a label, a group
// box or a tab page. Actions and labels are the non-windowed components whose
// own visibility decides whether they take part; every other control takes
// part whether shown or not. A window's components stop at other windows and
// at our own composite widgets, whose parts belong to them.

namespace {

const QString kCaption = QStringLiteral("Caption");

bool isQtInternal(const QObject *object)
{
    const QString name = object->objectName();
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

// Qt's own parts of a control (a tab bar with its scroll buttons, a
// calendar's navigation bar) hold no components of the window; only the
// containers through which Qt holds the window's own controls (the pages of a
// tab widget, the inside of a scroll area) are walked through.
bool isQtPart(const QObject *object)
{
    return object->objectName().startsWith(QLatin1String("qt_")) && !qobject_cast<const QStackedWidget *>(object)
        && object->objectName() != QLatin1String("qt_scrollarea_viewport");
}

// Widgets of our own classes (TqubDBGrid, TfmHint, …) own their parts.
bool isOwnComposite(const QObject *object)
{
    return !QByteArray(object->metaObject()->className()).startsWith('Q');
}

bool isSeparateWindow(const QWidget *widget)
{
    return widget->isWindow() || qobject_cast<const QMdiSubWindow *>(widget);
}

// The own "Visible" flag, not the effective visibility: while a window is
// being created nothing is on screen yet, but only what was hidden on purpose
// counts as invisible.
bool explicitlyHidden(const QWidget *widget)
{
    return widget->testAttribute(Qt::WA_WState_Hidden) && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

bool boundToCommand(const QObject *object)
{
    if (const auto *toolButton = qobject_cast<const QToolButton *>(object); toolButton && toolButton->defaultAction())
        return true;
    const QVariant action = object->property("action");
    return action.isValid() && action.value<QObject *>() != nullptr;
}

// The tab widget and index of a tab page, if `widget` is one.
QTabWidget *tabWidgetOf(QWidget *widget, int *index)
{
    auto *stack = qobject_cast<QStackedWidget *>(widget->parentWidget());
    if (!stack)
        return nullptr;
    auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget());
    if (!tabs)
        return nullptr;
    *index = tabs->indexOf(widget);
    return *index >= 0 ? tabs : nullptr;
}

class Walk
{
public:
    Walk(const QString &owner, LocCatalogue &catalogue) : m_owner(owner), m_catalogue(catalogue) {}

    void children(QObject *parent)
    {
        // Qt restacks the pages of a stacked widget (a tab widget's pages)
        // among its children as they are added and shown; their index order
        // is the order they were created in.
        if (auto *stack = qobject_cast<QStackedWidget *>(parent)) {
            for (int i = 0; i < stack->count(); ++i)
                component(stack->widget(i));
            for (QObject *child : parent->children())
                if (!child->isWidgetType() || stack->indexOf(static_cast<QWidget *>(child)) < 0)
                    component(child);
            return;
        }
        for (QObject *child : parent->children())
            component(child);
    }

private:
    void component(QObject *object)
    {
        auto *widget = qobject_cast<QWidget *>(object);
        if (widget && isSeparateWindow(widget))
            return;
        if (!isQtInternal(object))
            localize(object, widget);
        else if (isQtPart(object))
            return;
        if (!isOwnComposite(object))
            children(object);
    }

    void localize(QObject *object, QWidget *widget)
    {
        if (boundToCommand(object))
            return;
        if (auto *action = qobject_cast<QAction *>(object)) {
            if (!IsHiddenCommand(action) && !action->isSeparator())
                action->setText(text(object, action->text()));
            return;
        }
        if (!widget)
            return;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            // A label showing a picture is an image, which has no caption.
            if (!explicitlyHidden(label) && label->pixmap().isNull())
                label->setText(text(object, label->text()));
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            button->setText(text(object, button->text()));
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            group->setTitle(text(object, group->title()));
        } else if (int index = -1; QTabWidget *tabs = tabWidgetOf(widget, &index)) {
            tabs->setTabText(index, text(object, tabs->tabText(index)));
        }
    }

    QString text(const QObject *component, const QString &current)
    {
        return m_catalogue.localizeText(m_owner, component->objectName(), kCaption, current);
    }

    QString m_owner;
    LocCatalogue &m_catalogue;
};

} // namespace

bool IsHiddenCommand(const QAction *action)
{
    return !action->isVisible() || action->property("hidden").toBool();
}

QString LocalizationOwner(const QObject *window)
{
    QString name = QString::fromLatin1(window->metaObject()->className());
    if (name.startsWith(u'T'))
        name.remove(0, 1);
    return name;
}

void LocalizeWindow(QWidget *window, LocCatalogue &catalogue)
{
    Q_ASSERT(window);
    const LocCatalogue::Batch batch(catalogue);
    Walk(LocalizationOwner(window), catalogue).children(window);
}
