// Writes the table's constraints refuse: each told through the connection's
// wording with the fields it concerns, the engine's own words kept.
#include "EngineFixture.h"

using namespace db;

namespace {

QString kindName(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Duplicate: return QStringLiteral("duplicate");
    case FailureKind::MissingValue: return QStringLiteral("missing value");
    case FailureKind::MissingReference: return QStringLiteral("missing reference");
    case FailureKind::StillReferenced: return QStringLiteral("still referenced");
    case FailureKind::RefusedValue: return QStringLiteral("refused value");
    case FailureKind::Other: break;
    }
    return QStringLiteral("other");
}

class RefusedWritesTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        // A table with every kind of constraint the engine can refuse a write by.
        exec("create table parcel (id text primary key, label text not null, weight real check (weight > 0), "
             "id_orders integer references orders(id))");
        exec("insert into orders (id) values (1)");
        exec("insert into parcel values ('P1', 'Tea', 1, 1)");
        connection.failureWording = [](FailureKind kind, const QStringList &labels) {
            return kindName(kind) + u':' + labels.join(u'|');
        };
        parcels = std::make_unique<Dataset>(&connection, "qParcels");
        parcels->setSql("select * from parcel order by id");
        parcels->addField("id", FieldType::String, 6)->setDisplayLabel("Parcel ID");
        parcels->addField("label", FieldType::String, 50)->setDisplayLabel("Label");
        parcels->addField("weight", FieldType::Float)->setDisplayLabel("Weight");
        parcels->addField("id_orders", FieldType::Integer)->setVisible(false);
        parcels->setUpdateTable("parcel", {"id"});
        parcels->open();
    }

    /// What appending a parcel with these values raises.
    DataError appendFailure(const QVariantList &values)
    {
        parcels->append();
        for (int i = 0; i < values.size(); ++i)
            if (!values[i].isNull())
                parcels->fieldAt(i)->setValue(values[i]);
        try {
            parcels->post();
        } catch (const DataError &error) {
            parcels->cancel();
            return error;
        }
        ADD_FAILURE() << "stored";
        return DataError(QString());
    }

    std::unique_ptr<Dataset> parcels;
};

TEST_F(RefusedWritesTest, EachConstraint_ToldWithTheFieldsItConcerns)
{
    struct Case
    {
        const char *what;
        QVariantList values;
        const char *told;
        const char *engine;
    };
    const Case cases[] = {
        {"taken key", {"P1", "Soap", 2, QVariant()}, "duplicate:Parcel ID", "UNIQUE constraint failed: parcel.id"},
        {"empty column", {"P2", QVariant(), 2, QVariant()}, "missing value:Label",
         "NOT NULL constraint failed: parcel.label"},
        {"checked column", {"P2", "Soap", -1, QVariant()}, "refused value:Weight",
         "CHECK constraint failed: weight > 0"},
        {"no such order", {"P2", "Soap", 2, 99}, "missing reference:", "FOREIGN KEY constraint failed"},
    };
    for (const Case &each : cases) {
        SCOPED_TRACE(each.what);
        const DataError error = appendFailure(each.values);
        EXPECT_EQ(error.text(), QString::fromUtf8(each.told));
        EXPECT_EQ(error.engineText(), QString::fromUtf8(each.engine));
        EXPECT_NE(error.kind(), FailureKind::Other);
    }
    EXPECT_EQ(scalar("select count(*) from parcel").toInt(), 1);
}

TEST_F(RefusedWritesTest, DeletingARowOthersReferTo_ToldAsStillReferenced)
{
    Dataset orders(&connection, "qOrders");
    orders.setSql("select * from orders");
    orders.addField("id", FieldType::AutoInc);
    orders.setUpdateTable("orders", {"id"});
    orders.open();
    try {
        orders.remove();
        ADD_FAILURE() << "deleted";
    } catch (const DataError &error) {
        EXPECT_EQ(error.text(), "still referenced:");
    }
    EXPECT_EQ(orders.recordCount(), 1);
}

TEST_F(RefusedWritesTest, AHiddenKeyPart_GoesUnnamedBesideTheVisibleOne)
{
    exec("insert into product values ('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3)");
    Dataset products(&connection, "qProduct");
    products.setSql("select * from product");
    products.addField("id", FieldType::FixedChar, 6)->setDisplayLabel("Product ID");
    products.addField("name", FieldType::String, 255);
    products.addField("dateprice", FieldType::DateTime)->setVisible(false);
    products.addField("price", FieldType::Currency);
    products.addField("points", FieldType::Currency);
    products.setUpdateTable("product", {"id", "dateprice"});
    products.open();
    products.append();
    products.field("id")->setValue("AAA-01");
    products.field("name")->setValue("Cream again");
    products.field("dateprice")->setValue(QDateTime(QDate(2007, 3, 1), QTime(0, 0)));
    products.field("price")->setValue(1.0);
    products.field("points")->setValue(1.0);
    try {
        products.post();
        ADD_FAILURE() << "stored";
    } catch (const DataError &error) {
        EXPECT_EQ(error.text(), "duplicate:Product ID");
        EXPECT_EQ(error.engineText(), "UNIQUE constraint failed: product.id, product.dateprice");
    }
}

TEST_F(RefusedWritesTest, WithoutWords_TheEnginesOwnStay)
{
    for (const FailureWording &wording :
         {FailureWording(), FailureWording([](FailureKind, const QStringList &) { return QString(); })}) {
        connection.failureWording = wording;
        const DataError error = appendFailure({"P1", "Soap", 2, QVariant()});
        EXPECT_EQ(error.text(), "UNIQUE constraint failed: parcel.id");
        EXPECT_EQ(error.engineText(), error.text());
    }
}

} // namespace
