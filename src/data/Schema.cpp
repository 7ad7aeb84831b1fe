#include "Schema.h"

#include "PartFile.h"
#include "engine/Connection.h"
#include "engine/Errors.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace Schema {

namespace {

// Names: `sname` uses the NOCASE collation, which the connection replaces
// with the program's name order (engine/NameOrder.h): names equal but for
// case are equal (in "where sname = ...", "group by", "distinct"), and
// "order by sname" follows the alphabet whatever the case, Cyrillic included
// (Russian and Ukrainian letters in their places, ё with е). Other tools that
// open the file fall back to SQLite's own ASCII-only NOCASE; no index is built
// on names, so nothing stored depends on which one compared.
//
// Money and points are REAL rounded to four decimals after every write,
// including "set x = x + n" statements, by the triggers moneyTriggers() makes.
// Date-times are "yyyy-MM-dd HH:mm:ss.zzz" text: text order is time order.
// Yes/no is INTEGER 0/1.
const char *const kSchema = R"SQL(
CREATE TABLE customer (
  id          TEXT(6)  NOT NULL PRIMARY KEY,
  id_customer TEXT(6),
  sname       TEXT(50) NOT NULL COLLATE NOCASE,
  fname       TEXT(50),
  totalpoints REAL DEFAULT 0,
  reserve     REAL DEFAULT 0
);

CREATE TABLE orders (
  id          INTEGER PRIMARY KEY,
  id_customer TEXT(6),
  totalsum    REAL DEFAULT 0,
  totalpoints REAL DEFAULT 0,
  refusal     INTEGER NOT NULL DEFAULT 0,
  ordersdate  TEXT
);

CREATE TABLE product (
  id        TEXT(6)   NOT NULL,
  name      TEXT(255) NOT NULL,
  dateprice TEXT      NOT NULL,
  price     REAL      NOT NULL,
  points    REAL      NOT NULL,
  PRIMARY KEY (id, dateprice)
);

-- Deleting an order deletes its lines (the program deletes headers only, and
-- order numbers are reused, so lines left behind would join a later order).
CREATE TABLE ordered (
  id_orders  INTEGER NOT NULL REFERENCES orders(id) ON DELETE CASCADE,
  id_product TEXT(6) NOT NULL,
  amount     INTEGER NOT NULL,
  dateprice  TEXT,
  PRIMARY KEY (id_orders, id_product)
);

-- Deleting a product deletes the lines that name it. A trigger rather than a
-- foreign key: a line may name a product its catalogue does not hold (it is
-- then valued at zero), which a foreign key would refuse.
CREATE TRIGGER product_delete_lines AFTER DELETE ON product
BEGIN
  DELETE FROM ordered WHERE id_product = old.id AND dateprice = old.dateprice;
END;

-- The sponsor look-up of every tree and department statement.
CREATE INDEX customer_sponsor ON customer (ifnull(id_customer, ''));
CREATE INDEX orders_date ON orders (ordersdate);
CREATE INDEX orders_customer ON orders (id_customer);
CREATE INDEX ordered_product ON ordered (id_product, dateprice);

PRAGMA user_version = 1;
)SQL";

/// The money and points columns of each table: the database rounds them to
/// the storage precision, as db::roundMoney does in memory.
struct MoneyColumns
{
    const char *table;
    const char *rowKey; // finds the row just written
    const char *columns[2];
};

const MoneyColumns kMoneyColumns[] = {
    {"customer", "rowid", {"totalpoints", "reserve"}},
    {"orders", "id", {"totalsum", "totalpoints"}},
    {"product", "rowid", {"price", "points"}},
};

QString moneyTriggers()
{
    QString sql;
    for (const MoneyColumns &money : kMoneyColumns) {
        const QString table = QLatin1String(money.table), key = QLatin1String(money.rowKey);
        QStringList changed, rounded, columns;
        for (const char *column : money.columns) {
            const QString c = QLatin1String(column);
            columns << c;
            changed << QStringLiteral("new.%1 <> round(new.%1, 4)").arg(c);
            rounded << QStringLiteral("%1 = round(%1, 4)").arg(c);
        }
        const QString body = QStringLiteral("WHEN %1\nBEGIN\n  UPDATE %2 SET %3 WHERE %4 = new.%4;\nEND;\n")
                                 .arg(changed.join(QStringLiteral(" OR ")), table,
                                      rounded.join(QStringLiteral(", ")), key);
        sql += QStringLiteral("CREATE TRIGGER %1_money_insert AFTER INSERT ON %1\n").arg(table) + body;
        sql += QStringLiteral("CREATE TRIGGER %1_money_update AFTER UPDATE OF %2 ON %1\n")
                   .arg(table, columns.join(QStringLiteral(", ")))
            + body;
    }
    return sql;
}

} // namespace

void create(db::Connection &connection)
{
    db::Transaction transaction(connection);
    connection.execute(QString::fromUtf8(kSchema) + moneyTriggers());
    transaction.commit();
}

void createFile(const QString &path)
{
    PartFile file(path, PartFile::Existing::Refuse);
    db::Connection connection;
    connection.openFile(file.path(), db::FileMode::Create);
    create(connection);
    connection.close();
    file.commit();
}

} // namespace Schema
