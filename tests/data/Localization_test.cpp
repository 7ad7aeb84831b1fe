#include "Localization.h"
#include "Messages.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

using testing_support::ProgramFolder;

namespace {

// The classic table's messages, then the program's own.
std::vector<MessageEntry> everyMessage()
{
    std::vector<MessageEntry> entries = messageTable();
    entries.insert(entries.end(), addedMessageTable().begin(), addedMessageTable().end());
    return entries;
}

QStringList tableKeys()
{
    QStringList keys;
    for (const MessageEntry &entry : everyMessage())
        keys.append(QString::fromLatin1(entry.key));
    return keys;
}

// Every message variable against a fresh built-in set.
void expectBuiltIns()
{
    const TMessages builtIn;
    for (const MessageEntry &entry : everyMessage())
        EXPECT_EQ(Messages().*entry.member, builtIn.*entry.member) << entry.key;
}

class Localization : public ::testing::Test
{
protected:
    void TearDown() override { resetMessages(); }

    ProgramFolder m_folder;
    QString m_path = m_folder.file(LocCatalogue::FileName);
};

TEST_F(Localization, FreshFile_ReceivesEveryMessageKeyInTableOrderQuoted)
{
    LocCatalogue loc(m_path);
    loc.loadMessages();

    expectBuiltIns();
    EXPECT_EQ(loc.file().sections(), QStringList{QStringLiteral("Consts")});
    EXPECT_EQ(loc.file().keys(QStringLiteral("Consts")), tableKeys());

    const QByteArray bytes = testing_support::readFileBytes(m_path);
    EXPECT_TRUE(bytes.startsWith("[Consts]\r\nlDelMes='Delete current record?%srestore will be "
                                 "impossible!'\r\nlIndefiniteCatalog=''\r\nlPeriodFrom=' From '\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nlChangeToOrder='Change on \"Order\"'\r\n"));
    // The line breaks of the two error messages are escaped, never real.
    EXPECT_TRUE(bytes.contains(
        "\r\nlRestoreErrorMes=\"The restore operation failed\\n\\rError code - %d\"\r\n"));
    EXPECT_EQ(bytes.count('\n'), 1 + tableKeys().size());
    EXPECT_TRUE(bytes.contains("\r\nlSuburdinateCustomerConfirm='Subordinate customer %s to customer %s?'\r\n"));
}

TEST_F(Localization, SecondStart_ReadsEveryWrittenTextBackUnchanged)
{
    LocCatalogue(m_path).loadMessages();
    const QByteArray written = testing_support::readFileBytes(m_path);
    for (const MessageEntry &entry : messageTable())
        Messages().*entry.member = QStringLiteral("stale");

    LocCatalogue(m_path).loadMessages();
    expectBuiltIns();
    EXPECT_EQ(Messages().lOrder, QStringLiteral(" Order "));
    EXPECT_EQ(Messages().lBackupErrorMes,
              QStringLiteral("The backup operation failed\n\rError code - %d"));
    EXPECT_EQ(testing_support::readFileBytes(m_path), written); // present keys are never rewritten
}

TEST_F(Localization, AwkwardTexts_RoundTripThroughTheFile)
{
    LocCatalogue loc(m_path);
    const QStringList texts{
        QStringLiteral(" Order "),
        QStringLiteral("C:\\new\\table\\"),
        QStringLiteral("a\\nb"),              // a backslash and n, not a line break
        QStringLiteral("line\r\nnext\\n\n"),  // real breaks next to an escaped look-alike
        QStringLiteral("'quoted'"),
        QStringLiteral("\"double\""),
        QStringLiteral("k=v; [x]"),
        QStringLiteral("  "),
        QString(),
        QString::fromUtf8("\xd0\x97\xd0\xb0\xd0\xba\xd0\xb0\xd0\xb7 "),
    };
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QString written = texts[i];
        loc.loadText(QStringLiteral("Consts"), QStringLiteral("t%1").arg(i), written);
        QString read = QStringLiteral("before");
        loc.loadText(QStringLiteral("Consts"), QStringLiteral("t%1").arg(i), read);
        EXPECT_EQ(read, texts[i]) << i;
    }
    EXPECT_FALSE(loc.file().sections().contains(QStringLiteral("Errors")));
}

TEST_F(Localization, TranslatedFile_WinsIncludingEmptyAndBareValues)
{
    Messages().fixedError = QStringLiteral("stale");
    testing_support::writeFileBytes(m_path, "[consts]\r\n"
                       "fixedError=Fehler\r\n"
                       "lOrder=' Bestellung '\r\n"
                       "lRefusal=  Verzicht  \r\n"
                       "lDelMes=\r\n"
                       "lChooseCatalog=Katalog\r\n"
                       "lRestoreErrorMes=\"Fehler\\r\\nCode %d\"\r\n");
    LocCatalogue loc(m_path);
    loc.loadMessages();

    EXPECT_EQ(Messages().lOrder, QStringLiteral(" Bestellung "));
    EXPECT_EQ(Messages().lRefusal, QStringLiteral("Verzicht"));
    EXPECT_EQ(Messages().lDelMes, QString());
    EXPECT_EQ(Messages().lChooseCatalog, QStringLiteral("Katalog"));
    EXPECT_EQ(Messages().lRestoreErrorMes, QStringLiteral("Fehler\r\nCode %d"));
    EXPECT_EQ(Messages().lClients, QStringLiteral("Customers"));
    EXPECT_EQ(Messages().fixedError, QStringLiteral("Error")); // no key can change it

    // The missing keys joined the existing section after the translated ones.
    const QStringList keys = loc.file().keys(QStringLiteral("Consts"));
    ASSERT_EQ(keys.size(), 1 + tableKeys().size());
    EXPECT_EQ(keys.mid(1, 5), (QStringList{QStringLiteral("lOrder"), QStringLiteral("lRefusal"),
                                           QStringLiteral("lDelMes"), QStringLiteral("lChooseCatalog"),
                                           QStringLiteral("lRestoreErrorMes")}));
    EXPECT_EQ(keys[6], QStringLiteral("lIndefiniteCatalog"));
    EXPECT_EQ(loc.file().sections().size(), 1);
}

TEST_F(Localization, LocalizeText_WritesMissingKeyAndLaterPrefersTheFile)
{
    LocCatalogue loc(m_path);
    EXPECT_EQ(loc.localizeText(QStringLiteral("Data"), QStringLiteral("qOrdersid"),
                               QStringLiteral("DisplayLabel"), QStringLiteral("Order ID")),
              QStringLiteral("Order ID"));
    EXPECT_EQ(loc.file().readRawString(QStringLiteral("Controls"), QStringLiteral("Data_qOrdersid")),
              QStringLiteral("'Order ID'"));

    loc.file().writeString(QStringLiteral("Controls"), QStringLiteral("frmMain_actConnect"),
                           QStringLiteral("'Verbinden'"));
    EXPECT_EQ(loc.localizeText(QStringLiteral("frmMain"), QStringLiteral("actConnect"),
                               QStringLiteral("Caption"), QStringLiteral("Connect")),
              QStringLiteral("Verbinden"));
    EXPECT_EQ(loc.localizeText(QStringLiteral("Data"), QStringLiteral("qOrdersid"),
                               QStringLiteral("DisplayLabel"), QStringLiteral("Other")),
              QStringLiteral("Order ID"));
}

TEST_F(Localization, FailedEntry_RecordedUnderPropertyNameAndTextKept)
{
    LocCatalogue loc(m_path);
    // A component name with "=" cannot form a key line.
    EXPECT_EQ(loc.localizeText(QStringLiteral("Data"), QStringLiteral("a=b"),
                               QStringLiteral("DisplayLabel"), QStringLiteral("Label")),
              QStringLiteral("Label"));
    EXPECT_FALSE(loc.file().keys(QStringLiteral("Controls")).contains(QStringLiteral("Data_a")));
    const QString error = loc.file().readString(QStringLiteral("Errors"), QStringLiteral("DisplayLabel"));
    EXPECT_TRUE(error.contains(QStringLiteral("Data_a=b"))) << error.toStdString();

    // A message's failure lands under its own key, and a later error under
    // the same key replaces the earlier one.
    QString text = QStringLiteral("kept");
    loc.loadText(QStringLiteral("Bad]"), QStringLiteral("lOrder"), text);
    loc.loadText(QStringLiteral("Bad]"), QStringLiteral("lOrder"), text);
    EXPECT_EQ(text, QStringLiteral("kept"));
    EXPECT_EQ(loc.file().keys(QStringLiteral("Errors")),
              (QStringList{QStringLiteral("DisplayLabel"), QStringLiteral("lOrder")}));
}

TEST_F(Localization, UnwritableFolder_KeepsBuiltInTextsWithoutCrash)
{
    // A folder that does not exist refuses every write, for any user.
    LocCatalogue loc(m_folder.file(QStringLiteral("absent/loc")));
    Messages().lOrder = QStringLiteral("stale");
    loc.loadMessages();
    expectBuiltIns();
    EXPECT_EQ(loc.localizeText(QStringLiteral("frmMain"), QStringLiteral("actConnect"),
                               QStringLiteral("Caption"), QStringLiteral("Connect")),
              QStringLiteral("Connect"));
    EXPECT_FALSE(QFileInfo::exists(loc.file().path()));
}

TEST_F(Localization, ReadOnlyFolder_KeepsBuiltInTextsWithoutCrash)
{
    const QString folder = m_folder.folder();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const int status = testing_support::runUnprivileged([this] {
        LocCatalogue loc(m_path);
        loc.loadMessages();
        const TMessages builtIn;
        for (const MessageEntry &entry : everyMessage())
            if (Messages().*entry.member != builtIn.*entry.member)
                return 1;
        return QFileInfo::exists(m_path) ? 2 : 0;
    });
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(status, 0);
}

} // namespace
