// The filter-text parser: any text. A text it refuses raises a DataError and
// the previous filter stays in force, rows and all; one it takes filters.

#include "FuzzCheck.h"

#include "engine/Connection.h"
#include "engine/Dataset.h"
#include "engine/Errors.h"

#include <QLocale>

namespace {

db::Dataset &customers()
{
    static db::Connection connection;
    static db::Dataset *dataset = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        connection.openFile(QStringLiteral(":memory:"), db::FileMode::Create);
        connection.execute(QStringLiteral(
            "create table customer (id text, sname text, totalpoints real, active integer, joined text);"
            "insert into customer values ('1', 'O''Brien', 12.5, 1, '2024-02-29 00:00:00.000'),"
            "('2', 'Ivanov', 0, 0, '2023-12-31 10:30:00.000'), ('3', null, null, null, null),"
            "('4', 'Петров', -3, 1, '1899-12-30 00:00:00.000')"));
        auto *ds = new db::Dataset(&connection, QStringLiteral("qFuzz"));
        ds->setSql(QStringLiteral("select * from customer"));
        ds->addField(QStringLiteral("id"), db::FieldType::String, 6);
        ds->addField(QStringLiteral("sname"), db::FieldType::String, 50);
        ds->addField(QStringLiteral("totalpoints"), db::FieldType::Currency);
        ds->addField(QStringLiteral("active"), db::FieldType::Boolean);
        ds->addField(QStringLiteral("joined"), db::FieldType::DateTime);
        ds->open();
        ds->setFiltered(true);
        return ds;
    }();
    return *dataset;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    db::Dataset &dataset = customers();
    dataset.setFilterText(QStringLiteral("sname like 'I*'"));
    const int shown = dataset.recordCount();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        dataset.setFilterText(text);
    } catch (const db::DataError &) {
        FUZZ_CHECK(dataset.filterText() == QStringLiteral("sname like 'I*'"), "a refused text replaced the filter");
        FUZZ_CHECK(dataset.recordCount() == shown, "a refused text changed the rows shown");
        return 0;
    }
    FUZZ_CHECK(dataset.filterText() == text, "the filter taken is not the text given");
    FUZZ_CHECK(dataset.recordCount() >= 0 && dataset.recordCount() <= 4, "rows out of thin air");
    for (dataset.first(); !dataset.eof(); dataset.next())
        dataset.field(QStringLiteral("sname"))->asString();
    return 0;
}
