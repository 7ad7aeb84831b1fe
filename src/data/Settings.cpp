#include "Settings.h"

namespace settings {

QString settingsPath(const QString &programPath)
{
    // The extension is what follows the last dot of the file name; a dot in a
    // folder name or the leading dot of a hidden file does not count.
    const qsizetype nameStart = programPath.lastIndexOf(u'/') + 1;
    const qsizetype dot = programPath.lastIndexOf(u'.');
    const QString stem = dot > nameStart ? programPath.left(dot) : programPath;
    return stem + QStringLiteral(".ini");
}

} // namespace settings

MiscSettings readMiscSettings(const IniFile &file)
{
    using namespace settings;
    MiscSettings result;
    result.productIdMask = file.readString(MiscSection, ProductIdMaskKey, DefaultProductIdMask);
    result.showHints = file.readBool(MiscSection, ShowHintsKey, false);
    result.generateCustomerId = file.readBool(MiscSection, GenerateCustomerIdKey, false);
    result.generateProductId = file.readBool(MiscSection, GenerateProductIdKey, false);
    return result;
}
