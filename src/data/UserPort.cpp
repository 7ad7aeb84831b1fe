#include "UserPort.h"

#include <cstdio>

void ConsoleUserPort::showError(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void ConsoleUserPort::showInformation(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool ConsoleUserPort::confirm(const QString &text)
{
    std::fprintf(stderr, "%s (no)\n", text.toLocal8Bit().constData());
    return false;
}

bool ConsoleUserPort::warn(const QString &text, Buttons buttons)
{
    std::fprintf(stderr, "%s (%s)\n", text.toLocal8Bit().constData(), buttons == Buttons::YesNo ? "no" : "cancel");
    return false;
}
