#pragma once
// THelpWindow, the help viewer: the HTML manual beside the program in a
// window of its own, owned by the main window.

#include <QWidget>

class QTextBrowser;

class THelpWindow : public QWidget
{
    Q_OBJECT

public:
    /// Shows the manual at `path` from its beginning.
    explicit THelpWindow(const QString &path, QWidget *owner);

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};
