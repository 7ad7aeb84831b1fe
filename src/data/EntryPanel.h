#pragma once
// The entry panel of a window that edits order lines or products: while a
// record is being edited the panel replaces the window's navigator. The
// window registers its panel with the data module while it exists.

#include <QString>
#include <QVariant>

class EntryPanel
{
public:
    virtual ~EntryPanel() = default;
    virtual void showPanel() = 0;
    virtual void hidePanel() = 0;
    /// The navigator that the panel replaces.
    virtual void showNavigator() = 0;
    virtual void hideNavigator() = 0;
    /// Puts the focus into the first edit box; false when that fails.
    virtual bool focusFirstEdit() = 0;
    /// Component name of the first edit box (for the failure message).
    virtual QString firstEditName() const = 0;
};

/// The orders journal's three total boxes, as the order rules fill them.
class JournalView
{
public:
    virtual ~JournalView() = default;
    /// Writes `text` into the total box named `box` (edSum, edOrdered, edRefused).
    virtual void showTotal(const QString &box, const QString &text) = 0;
    /// The connection is open again after the journal lost its headers with
    /// it: the journal reads them again (and recounts its totals). Reports
    /// its own failures: the connection stands whatever happens here.
    virtual void connectionRestored() = 0;
};

/// The catalogue window's catalogue-date box, as the product rules reach it
/// when the first product of a new catalogue is stored.
class CatalogueDateBox
{
public:
    virtual ~CatalogueDateBox() = default;
    /// Lets the user pick a catalogue date in the box again.
    virtual void enableDateBox() = 0;
    /// Shows `date` as the box's value (a date its list may not hold yet).
    virtual void showCatalogueDate(const QVariant &date) = 0;
};
