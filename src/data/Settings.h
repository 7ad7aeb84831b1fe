#pragma once
// The settings file beside the program: its name, its sections and keys, and
// the reader of the miscellaneous settings.

#include "IniFile.h"

#include <QString>

namespace settings {

inline const QString SrvSection = QStringLiteral("SrvSettings");
inline const QString ConnectionStringKey = QStringLiteral("ADOConnectionString");
inline const QString ConnectOnStartKey = QStringLiteral("ConnectOnStart");

inline const QString MiscSection = QStringLiteral("MiscSettings");
inline const QString ProductIdMaskKey = QStringLiteral("ProductIDMask");
inline const QString ShowHintsKey = QStringLiteral("ShowHints");
inline const QString GenerateCustomerIdKey = QStringLiteral("GenerateCustomerID");
inline const QString GenerateProductIdKey = QStringLiteral("GenerateProductID");

/// Product identifiers: five letters or digits, a hyphen kept after the third.
inline const QString DefaultProductIdMask = QStringLiteral("AAA-AA;1;_");

/// The settings file of the program at `programPath`: its extension replaced
/// by ".ini", or ".ini" appended when the file name has none.
QString settingsPath(const QString &programPath);

} // namespace settings

/// The settings the data module applies to its fields and rules.
struct MiscSettings
{
    QString productIdMask = settings::DefaultProductIdMask;
    bool showHints = false;
    bool generateCustomerId = false;
    bool generateProductId = false;
};

/// Reads "ProductIDMask", then "ShowHints", "GenerateCustomerID" and
/// "GenerateProductID" from "MiscSettings"; absent or unreadable values give
/// the defaults (the default mask, false).
MiscSettings readMiscSettings(const IniFile &file);
