#pragma once
// A fresh database with the schema in a temporary program folder, connected.

#include "Schema.h"
#include "TestSupport.h"
#include "engine/Connection.h"
#include "engine/Dataset.h"
#include "engine/Statement_p.h"

#include <gtest/gtest.h>

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = folder.createDatabase();
        connection.setDataSource(path);
        connection.open();
    }

    void exec(const QString &sql) { connection.execute(sql); }

    QVariant scalar(const QString &sql)
    {
        db::Statement statement(connection.handle(), sql);
        return statement.step() ? statement.value(0) : QVariant();
    }

    /// A customer dataset writing back to `customer` by `id`.
    std::unique_ptr<db::Dataset> customers(const QString &sql = QStringLiteral("select * from customer order by id"))
    {
        auto ds = std::make_unique<db::Dataset>(&connection, QStringLiteral("qCustomers"));
        ds->setSql(sql);
        ds->addField(QStringLiteral("id"), db::FieldType::String, 6)->setRequired(true);
        ds->addField(QStringLiteral("id_customer"), db::FieldType::String, 6);
        ds->addField(QStringLiteral("sname"), db::FieldType::String, 50)->setDisplayLabel(QStringLiteral("Customer Name"));
        ds->field(QStringLiteral("sname"))->setRequired(true);
        ds->addField(QStringLiteral("totalpoints"), db::FieldType::Currency);
        ds->setUpdateTable(QStringLiteral("customer"), {QStringLiteral("id")});
        return ds;
    }

    testing_support::ProgramFolder folder;
    testing_support::LocaleGuard locale{testing_support::pointLocale()};
    db::Connection connection;
};
