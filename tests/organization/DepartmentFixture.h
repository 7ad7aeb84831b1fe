#pragma once
// A fresh database per test with a helper to add customers, and the built-in
// English labels, so department tests read like their sponsor trees.

#include "organization/DepNumbers.h"
#include "organization/Department.h"
#include "TestSupport.h"

#include "CustomerTable.h"

#include "engine/Connection.h"
#include "engine/Statement.h"

#include <gtest/gtest.h>

#include <QVariant>

class DepartmentFixture : public ::testing::Test
{
protected:
    void SetUp() override { m_connection.openFile(m_folder.createDatabase(), false); }

    /// A customer; a null `sponsor` is stored as NULL.
    void add(const QString &id, const QVariant &sponsor, const QString &name, double points, double reserve = 0)
    {
        testing_support::addCustomer(m_connection, id, sponsor, name, points, reserve);
    }

    void setPoints(const QString &id, double points, double reserve)
    {
        db::Statement update(m_connection.handle(),
                             QStringLiteral("update customer set totalpoints = :points, reserve = :reserve where id = :id"));
        update.bind(QStringLiteral(":points"), points);
        update.bind(QStringLiteral(":reserve"), reserve);
        update.bind(QStringLiteral(":id"), id);
        update.execute();
    }

    Department build(const QString &id)
    {
        Department department{DepLabels()};
        department.Build(m_customers, id);
        return department;
    }

    /// The member with this Id; fails the test when there is none.
    static const TDepMember &member(const Department &department, const QString &id)
    {
        for (const TDepMember &m : department.DepList())
            if (m.Id == id)
                return m;
        ADD_FAILURE() << "no member " << id.toStdString();
        static const TDepMember none;
        return none;
    }

    static QStringList ids(const Department &department)
    {
        QStringList result;
        for (const TDepMember &m : department.DepList())
            result << m.Id;
        return result;
    }

    /// Builds the first worked example: head 1 (100) over 2 (60) and 3 (25);
    /// 2 over 4 (40) and 5 (10). Rows go in out of name order on purpose.
    void addFirstExample()
    {
        add(QStringLiteral("1"), QVariant(), QStringLiteral("Head"), 100);
        add(QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("Bravo"), 25);
        add(QStringLiteral("5"), QStringLiteral("2"), QStringLiteral("Delta"), 10);
        add(QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("Alpha"), 60);
        add(QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("Charlie"), 40);
    }

    /// The second worked example: head 10 (100) over 11 (50), which is over
    /// 21 to 25 with 500 each.
    void addSecondExample()
    {
        add(QStringLiteral("10"), QVariant(), QStringLiteral("Head"), 100);
        add(QStringLiteral("11"), QStringLiteral("10"), QStringLiteral("Middle"), 50);
        for (int i = 21; i <= 25; ++i)
            add(QString::number(i), QStringLiteral("11"), QStringLiteral("Leader %1").arg(i), 500);
    }

    testing_support::ProgramFolder m_folder;
    db::Connection m_connection;
    CustomerTable m_customers{m_connection};
    testing_support::LocaleGuard m_locale{testing_support::pointLocale()};
};
