#pragma once
// TDBNavigator: a bar of glyph buttons that move through and edit a data
// source's dataset. The window chooses the buttons shown; their enabled
// states follow the dataset (position, editing, open or closed).

#include "engine/DataSource.h"

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <array>

class QToolButton;

class TDBNavigator : public QWidget
{
    Q_OBJECT

public:
    enum class Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel };
    Q_ENUM(Button)
    static constexpr int ButtonCount = 9;

    explicit TDBNavigator(QWidget *parent = nullptr);

    void setDataSource(db::DataSource *source);
    db::DataSource *dataSource() const { return m_source; }

    /// Shows exactly these buttons, in the bar's fixed order.
    void setVisibleButtons(const QList<Button> &buttons);
    QList<Button> visibleButtons() const;
    /// The button itself (objectName "nbFirst", "nbPrior", …).
    QToolButton *button(Button which) const { return m_buttons[size_t(which)]; }

    /// Ask "Delete record?" before deleting (off unless the window asks),
    /// unless the dataset's own rule asks (db::DeleteQuestion::ByRule).
    void setConfirmDelete(bool confirm) { m_confirmDelete = confirm; }
    bool confirmDelete() const { return m_confirmDelete; }

    /// The first box of a window's entry chain, which takes the focus when
    /// editing begins.
    void setNextControl(QWidget *next) { m_next = next; }
    QWidget *nextControl() const { return m_next; }

    /// Does what the button does; a failure is shown in an error box.
    void click(Button which);
    /// Sets every button's enabled state from the dataset.
    void refreshButtons();

    /// The picture of a button by its glyph name ("DBN_FIRST" … "DBN_CANCEL"):
    /// the normal and the disabled glyph side by side, each as wide as the
    /// picture is high. A null picture for an unknown name.
    static QPixmap glyphStrip(const QString &name);
    static QString glyphName(Button which);
    /// The normal glyph alone (the strip's leftmost square).
    static QPixmap glyph(Button which);

signals:
    /// Before a button's action; the action follows unless a handler throws.
    void beforeAction(TDBNavigator::Button which);
    /// After a button's action succeeded.
    void clicked(TDBNavigator::Button which);

private:
    void act(Button which);

    QPointer<db::DataSource> m_source;
    std::array<QToolButton *, ButtonCount> m_buttons{};
    QPointer<QWidget> m_next;
    bool m_confirmDelete = false;
    QList<QMetaObject::Connection> m_connections;
};
