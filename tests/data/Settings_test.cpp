#include "Settings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

using testing_support::ProgramFolder;

namespace {

TEST(Settings, SettingsPath_ExtensionReplacedOrAppended)
{
    using settings::settingsPath;
    EXPECT_EQ(settingsPath(QStringLiteral("/x/quorvel")), QStringLiteral("/x/quorvel.ini"));
    EXPECT_EQ(settingsPath(QStringLiteral("/x/prog.exe")), QStringLiteral("/x/prog.ini"));
    EXPECT_EQ(settingsPath(QStringLiteral("/x.d/quorvel")), QStringLiteral("/x.d/quorvel.ini"));
    EXPECT_EQ(settingsPath(QStringLiteral("/x/a.b.c")), QStringLiteral("/x/a.b.ini"));
    EXPECT_EQ(settingsPath(QStringLiteral("/x/.quorvel")), QStringLiteral("/x/.quorvel.ini"));
}

TEST(Settings, NoFile_DefaultMaskAndEverythingOff)
{
    ProgramFolder folder;
    const MiscSettings misc = readMiscSettings(IniFile(settings::settingsPath(folder.programPath())));
    EXPECT_EQ(misc.productIdMask, QStringLiteral("AAA-AA;1;_"));
    EXPECT_FALSE(misc.showHints);
    EXPECT_FALSE(misc.generateCustomerId);
    EXPECT_FALSE(misc.generateProductId);
}

TEST(Settings, HandWrittenFile_ValuesReadAsBooleansAndMask)
{
    ProgramFolder folder;
    const QString path = settings::settingsPath(folder.programPath());
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SrvSettings]\nConnectOnStart=1\n[miscsettings]\nproductidmask=\"LLL-00;0;_\"\n"
                   "ShowHints=yes\nGenerateCustomerID=2\nGenerateProductID=0x1\n");
    }
    const MiscSettings misc = readMiscSettings(IniFile(path));
    EXPECT_EQ(misc.productIdMask, QStringLiteral("LLL-00;0;_"));
    EXPECT_FALSE(misc.showHints);
    EXPECT_TRUE(misc.generateCustomerId);
    EXPECT_TRUE(misc.generateProductId);
}

} // namespace
