#include "Schema.h"

#include "engine/Connection.h"
#include "engine/Errors.h"

#include <QFileInfo>
#include <QString>

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
// Money and points are REAL rounded to four decimals by the triggers below,
// after every write, including "set x = x + n" statements.
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

CREATE TRIGGER customer_money_insert AFTER INSERT ON customer
WHEN new.totalpoints <> round(new.totalpoints, 4) OR new.reserve <> round(new.reserve, 4)
BEGIN
  UPDATE customer SET totalpoints = round(totalpoints, 4), reserve = round(reserve, 4) WHERE rowid = new.rowid;
END;
CREATE TRIGGER customer_money_update AFTER UPDATE OF totalpoints, reserve ON customer
WHEN new.totalpoints <> round(new.totalpoints, 4) OR new.reserve <> round(new.reserve, 4)
BEGIN
  UPDATE customer SET totalpoints = round(totalpoints, 4), reserve = round(reserve, 4) WHERE rowid = new.rowid;
END;
CREATE TRIGGER orders_money_insert AFTER INSERT ON orders
WHEN new.totalsum <> round(new.totalsum, 4) OR new.totalpoints <> round(new.totalpoints, 4)
BEGIN
  UPDATE orders SET totalsum = round(totalsum, 4), totalpoints = round(totalpoints, 4) WHERE id = new.id;
END;
CREATE TRIGGER orders_money_update AFTER UPDATE OF totalsum, totalpoints ON orders
WHEN new.totalsum <> round(new.totalsum, 4) OR new.totalpoints <> round(new.totalpoints, 4)
BEGIN
  UPDATE orders SET totalsum = round(totalsum, 4), totalpoints = round(totalpoints, 4) WHERE id = new.id;
END;
CREATE TRIGGER product_money_insert AFTER INSERT ON product
WHEN new.price <> round(new.price, 4) OR new.points <> round(new.points, 4)
BEGIN
  UPDATE product SET price = round(price, 4), points = round(points, 4) WHERE rowid = new.rowid;
END;
CREATE TRIGGER product_money_update AFTER UPDATE OF price, points ON product
WHEN new.price <> round(new.price, 4) OR new.points <> round(new.points, 4)
BEGIN
  UPDATE product SET price = round(price, 4), points = round(points, 4) WHERE rowid = new.rowid;
END;

PRAGMA user_version = 1;
)SQL";

} // namespace

void create(db::Connection &connection)
{
    db::Transaction transaction(connection);
    connection.execute(QString::fromUtf8(kSchema));
    transaction.commit();
}

void createFile(const QString &path)
{
    if (QFileInfo::exists(path))
        throw db::DataError(QStringLiteral("File '%1' already exists").arg(path));
    db::Connection connection;
    connection.openFile(path, true);
    create(connection);
    connection.close();
}

} // namespace Schema
