#include "Messages.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

TEST(Messages, Table_HasEveryKeyOnceInLoadOrder)
{
    std::vector<MessageEntry> table = messageTable();
    ASSERT_EQ(table.size(), 75u);
    EXPECT_STREQ(table.front().key, "lDelMes");
    EXPECT_STREQ(table[1].key, "lIndefiniteCatalog");
    EXPECT_STREQ(table[39].key, "lPeriodTo");
    EXPECT_STREQ(table[40].key, "lRestoreErrorMes");
    EXPECT_STREQ(table.back().key, "lSuburdinateCustomerConfirm");
    // The program's own messages come after the classic table.
    table.insert(table.end(), addedMessageTable().begin(), addedMessageTable().end());

    // Distinct keys, and each key bound to its own variable: writing every
    // entry's position into its variable must leave as many different texts.
    TMessages probe;
    QSet<QString> keys;
    for (size_t i = 0; i < table.size(); ++i) {
        keys.insert(QString::fromLatin1(table[i].key));
        probe.*table[i].member = QString::number(i);
    }
    EXPECT_EQ(keys.size(), qsizetype(table.size()));
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(probe.*table[i].member, QString::number(i)) << table[i].key;
}

TEST(Messages, BuiltIns_ExactWithBlanksQuotesAndLineBreaks)
{
    resetMessages();
    const TMessages &m = Messages();
    EXPECT_EQ(m.lDelMes, QStringLiteral("Delete current record?%srestore will be impossible!"));
    EXPECT_EQ(m.lPeriodFrom, QStringLiteral(" From "));
    EXPECT_EQ(m.lOrder, QStringLiteral(" Order "));
    EXPECT_EQ(m.lChangeToOrder, QStringLiteral("Change on \"Order\""));
    EXPECT_EQ(m.lCatalogDate, QStringLiteral(" Cataloque Date - "));
    EXPECT_EQ(m.lClients2, QStringLiteral("Customers - %s "));
    EXPECT_TRUE(m.lIndefiniteCatalog.isEmpty());
    EXPECT_TRUE(m.lChooseCatalog.isEmpty());
    EXPECT_TRUE(m.lBackupHint.isEmpty());
    // A line feed followed by a carriage return, as real characters.
    EXPECT_EQ(m.lRestoreErrorMes, QStringLiteral("The restore operation failed") + QChar(u'\n')
                                      + QChar(u'\r') + QStringLiteral("Error code - %d"));
    EXPECT_EQ(m.lBackupErrorMes.indexOf(QStringLiteral("\n\r")), 27);
    EXPECT_EQ(m.fixedError, QStringLiteral("Error"));
    EXPECT_EQ(m.fixedOrderButtonsHint, QStringLiteral("To manage ordered items use buttons "));
}

TEST(Messages, PlainFailureText_NamesTheFieldsOrTheRecord)
{
    resetMessages();
    using db::FailureKind;
    EXPECT_EQ(PlainFailureText(FailureKind::Duplicate, {"Customer ID"}),
              "Another record already has this Customer ID.");
    EXPECT_EQ(PlainFailureText(FailureKind::Duplicate, {}), "Another record already has the same values.");
    EXPECT_EQ(PlainFailureText(FailureKind::MissingValue, {"Customer Name"}), "Field Customer Name must have a value");
    EXPECT_EQ(PlainFailureText(FailureKind::RefusedValue, {"Price", "Points"}),
              "The value of Price, Points is not allowed.");
    // Nothing to say: the engine's own words stay.
    EXPECT_TRUE(PlainFailureText(FailureKind::MissingValue, {}).isEmpty());
    EXPECT_TRUE(PlainFailureText(FailureKind::Other, {"Customer ID"}).isEmpty());
    // A translation replaces the words.
    Messages().lDuplicateValueMes = QStringLiteral("Ce %s existe déjà.");
    EXPECT_EQ(PlainFailureText(FailureKind::Duplicate, {"Code"}), QStringLiteral("Ce Code existe déjà."));
    resetMessages();
}

} // namespace
