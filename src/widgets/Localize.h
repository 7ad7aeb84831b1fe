#pragma once
// Localizing a window: the texts of its components are taken from the
// localization file, and the ones the file lacks are written to it with their
// built-in texts. Every window listed as localized calls LocalizeWindow first
// thing when it is created.

#include <QString>

class LocCatalogue;
class QAction;
class QObject;
class QWidget;

/// A window's owner name in localization keys: its class name without the
/// leading "T" (`frmMain` for TfrmMain).
QString LocalizationOwner(const QObject *window);

/// A hidden command sits in no menu and on no bar and is still enabled (the
/// bar customizing, reached from the bars' context menu): the dynamic
/// property "hidden" marks it, because Qt disables an invisible action.
bool IsHiddenCommand(const QAction *action);

/// Visits the components of `window` in creation order and gives each one
/// that has a caption the text of "<owner>_<objectName>" in section
/// "Controls" (or writes its current text there). Skipped: controls tied to a
/// command (their text comes from the command), hidden commands and labels,
/// components without a caption or name, the window's own caption, and
/// everything inside another window or inside one of our composite widgets.
/// File failures are recorded by the catalogue; nothing is thrown.
void LocalizeWindow(QWidget *window, LocCatalogue &catalogue);
