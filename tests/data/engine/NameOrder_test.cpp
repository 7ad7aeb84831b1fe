// How names compare: equal when equal but for case, in the order of the
// Russian and Ukrainian alphabets, the same in statements and in memory.
#include "EngineFixture.h"

#include "engine/NameOrder.h"

#include <algorithm>
#include <random>

using namespace db;

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

class NameOrderTest : public EngineTest
{
protected:
    void addNames(const QStringList &names)
    {
        Transaction transaction(connection);
        for (int i = 0; i < names.size(); ++i) {
            Statement insert(connection.handle(), "insert into customer (id, sname) values (?, ?)");
            insert.bind(1, QString::number(i + 1));
            insert.bind(2, names[i]);
            insert.execute();
        }
        transaction.commit();
    }

    QStringList column(const QString &sql)
    {
        QStringList values;
        Statement query(connection.handle(), sql);
        while (query.step())
            values << query.text(0);
        return values;
    }
};

TEST_F(NameOrderTest, Statements_NamesEqualButForCaseAreEqual)
{
    addNames({"Иванов", "ИВАНОВ", "иванов", "Ivanov", "IVANOV", "Ёлкин", "ёлкин", "Елкин", "Ґава", "ґава"});
    EXPECT_EQ(column("select id from customer where sname = 'иванов' order by id"), QStringList({"1", "2", "3"}));
    EXPECT_EQ(column("select id from customer where sname = 'ivanov' order by id"), QStringList({"4", "5"}));
    EXPECT_EQ(column("select id from customer where sname = 'ЁЛКИН' order by id"), QStringList({"6", "7"}));
    EXPECT_EQ(column("select id from customer where sname = 'ҐАВА' order by cast(id as integer)"), QStringList({"9", "10"}));
    // One group per name whatever its case; е and ё are different letters.
    EXPECT_EQ(column("select count(*) from customer group by sname order by sname"),
              QStringList({"2", "2", "1", "2", "3"}));
    EXPECT_EQ(column("select count(distinct sname) from customer"), QStringList({"5"}));
}

TEST_F(NameOrderTest, Statements_OrderByNameFollowsTheAlphabet)
{
    const QStringList alphabetical = {"Adams",      "zorin",     "Гнатюк",    "Ґудзь",   "Дмитренко",
                                      "Ежов",       "Елисеев",   "Елка",      "Ёлка",    "Ёлкин",
                                      "Євдокименко", "Жуков",    "Иванов",    "Іваненко", "Їжак",
                                      "Йосипенко",  "Шевченко",  "Щукин",     "Эйдельман", "Юрченко",
                                      "Яковлев"};
    QStringList shuffled = alphabetical;
    std::mt19937 random(1);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    addNames(shuffled);
    EXPECT_EQ(column("select sname from customer order by sname"), alphabetical);

    QStringList inMemory = shuffled;
    std::sort(inMemory.begin(), inMemory.end(),
              [](const QString &a, const QString &b) { return compareNames(a, b) < 0; });
    EXPECT_EQ(inMemory, alphabetical);
}

TEST_F(NameOrderTest, Statements_NamesEqualButForCaseKeepTheOrderTheyAreReadIn)
{
    addNames({"anna", "Борис", "ANNA", "борис", "Anna", "БОРИС"});
    EXPECT_EQ(column("select id from customer order by sname"), QStringList({"1", "3", "5", "2", "4", "6"}));
}

TEST(NameOrder, Utf8AndUtf16Forms_AgreeOnEveryText)
{
    // Valid and broken UTF-8 alike: the collation reads what QString reads.
    const std::vector<std::string> pieces = {"a",          "A",          "z",        "\xD0\xB5" /* е */,
                                             "\xD1\x91" /* ё */, "\xD0\x81" /* Ё */, "\xD2\x91" /* ґ */,
                                             "\xD1\x96" /* і */, "\xF0\x90\x90\x80" /* Deseret Ё */,
                                             "\xF0\x90\x90\xA8" /* its small letter */, "\xC3\x9F", " ", "\x80",
                                             "\xC0\xAF", "\xED\xA0\x80", "\xEF\xBB\xBF", "\xE2\x82", "\xEF\xBF\xBE"};
    std::mt19937 random(7);
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        std::string text;
        const int length = int(random() % 5);
        for (int k = 0; k < length; ++k)
            text += pieces[random() % pieces.size()];
        texts.push_back(text);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = 0; j < texts.size(); j += 7) {
            const QString a = QString::fromUtf8(texts[i].data(), qsizetype(texts[i].size()));
            const QString b = QString::fromUtf8(texts[j].data(), qsizetype(texts[j].size()));
            const int wide = sign(compareNames(a, b));
            ASSERT_EQ(sign(compareNamesUtf8(texts[i], texts[j])), wide) << i << " " << j;
            ASSERT_EQ(sign(compareNames(b, a)), -wide);
            ASSERT_EQ(wide == 0, a.toCaseFolded() == b.toCaseFolded()) << i << " " << j;

            // The keys order as the comparison does, up to its last step.
            std::vector<char16_t> ka, kb;
            appendNameKey(a, ka);
            appendNameKey(b, kb);
            const int byKey = sign(std::u16string_view(ka.data(), ka.size()).compare(std::u16string_view(kb.data(), kb.size())));
            ASSERT_EQ(byKey != 0 ? byKey : sign(compareFoldedNames(a, b)), wide) << i << " " << j;
        }
    }
}

} // namespace
