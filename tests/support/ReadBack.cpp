#include "ReadBack.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <minizip/unzip.h>

#include <vector>

namespace testing_support {

namespace {

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QByteArray zipEntry(const QString &zipPath, const char *entry)
{
    QByteArray result;
    unzFile zip = unzOpen64(QFile::encodeName(zipPath).constData());
    if (!zip)
        return result;
    if (unzLocateFile(zip, entry, 0) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char buffer[16384];
        int read;
        while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
            result.append(buffer, read);
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return result;
}

} // namespace

QString pdfText(const QString &path)
{
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"),
                                                  QStringLiteral("UTF-8"), path, QStringLiteral("-")});
}

int pdfPageCount(const QString &path)
{
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(runTool(QStringLiteral("pdfinfo"), {path}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QHash<QString, XlsxCell> xlsxCells(const QString &path)
{
    // The number format of each cell style, in style order.
    std::vector<int> styleFormats;
    {
        QXmlStreamReader xml(zipEntry(path, "xl/styles.xml"));
        bool inCellXfs = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"cellXfs")
                inCellXfs = true;
            else if (xml.isEndElement() && xml.name() == u"cellXfs")
                inCellXfs = false;
            else if (inCellXfs && xml.isStartElement() && xml.name() == u"xf")
                styleFormats.push_back(xml.attributes().value(QLatin1String("numFmtId")).toInt());
        }
    }
    QHash<QString, XlsxCell> cells;
    QXmlStreamReader xml(zipEntry(path, "xl/worksheets/sheet1.xml"));
    QString reference;
    XlsxCell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"c") {
            reference = xml.attributes().value(QLatin1String("r")).toString();
            cell = XlsxCell{};
            const QString type = xml.attributes().value(QLatin1String("t")).toString();
            cell.type = type == u"inlineStr" || type == u"str" ? QStringLiteral("s") : type.isEmpty() ? QStringLiteral("n") : type;
            const int style = xml.attributes().value(QLatin1String("s")).toInt();
            cell.numberFormat = style >= 0 && size_t(style) < styleFormats.size() ? styleFormats[size_t(style)] : 0;
        } else if (xml.isStartElement() && xml.name() == u"f") {
            cell.formula = true;
        } else if (xml.isStartElement() && (xml.name() == u"v" || xml.name() == u"t")) {
            cell.value += xml.readElementText();
        } else if (xml.isEndElement() && xml.name() == u"c") {
            cells.insert(reference, cell);
        }
    }
    return cells;
}

} // namespace testing_support
