#pragma once
// The one guard every action, button and event handler body runs inside: an
// unhandled error is shown in an error box headed by the application title,
// a silent abort is swallowed, and no exception reaches Qt's event loop.

#include "engine/Errors.h"

#include <QString>
#include <exception>

class QWidget;

/// "Quorvel": the heading of every error box and message box.
QString applicationTitle();

/// An error box headed by the application title with the text and an OK button.
void showErrorBox(QWidget *parent, const QString &text);

/// Runs `action`; a db::DataError (or any other exception) is shown in an
/// error box, a db::AbortError passes silently. True when `action` finished.
template <typename Action>
bool guarded(QWidget *parent, Action &&action)
{
    try {
        action();
        return true;
    } catch (const db::AbortError &) {
    } catch (const db::DataError &error) {
        showErrorBox(parent, error.text());
    } catch (const std::exception &error) {
        showErrorBox(parent, QString::fromLocal8Bit(error.what()));
    }
    return false;
}
