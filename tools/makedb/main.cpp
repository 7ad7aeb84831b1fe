// makedb: makes empty, demo and generated database files.

#include "MakeDb.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return makedb::runCommandLine(QCoreApplication::arguments().mid(1), out, err, QDate::currentDate());
}
