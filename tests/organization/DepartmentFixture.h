#pragma once
// A fresh database per test with a helper to add customers, and the built-in
// English labels, so department tests read like their sponsor trees.

#include "organization/DepNumbers.h"
#include "organization/Department.h"
#include "TestSupport.h"

#include "CustomerTable.h"

#include "engine/Connection.h"
#include "engine/Statement_p.h"

#include <gtest/gtest.h>

#include <QVariant>

#include <span>

/// A customer of a sponsor tree as a test writes it down; a null sponsor is
/// stored as NULL.
struct TestCustomer
{
    const char *id;
    const char *sponsor;
    const char *name;
    double points;
};

/// The first worked example: head 1 (100) over 2 (60) and 3 (25); 2 over 4
/// (40) and 5 (10). Rows go in out of name order on purpose.
inline constexpr TestCustomer kFirstExample[] = {
    {"1", nullptr, "Head", 100}, {"3", "1", "Bravo", 25},   {"5", "2", "Delta", 10},
    {"2", "1", "Alpha", 60},     {"4", "2", "Charlie", 40},
};

/// The second worked example: head 10 (100) over 11 (50), which is over 21
/// to 25 with 500 each.
inline constexpr TestCustomer kSecondExample[] = {
    {"10", nullptr, "Head", 100},      {"11", "10", "Middle", 50},        {"21", "11", "Leader 21", 500},
    {"22", "11", "Leader 22", 500},    {"23", "11", "Leader 23", 500},    {"24", "11", "Leader 24", 500},
    {"25", "11", "Leader 25", 500},
};

class DepartmentFixture : public ::testing::Test
{
protected:
    void SetUp() override { m_connection.openFile(m_folder.createDatabase()); }

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

    void addFirstExample() { addAll(kFirstExample); }
    void addSecondExample() { addAll(kSecondExample); }

    void addAll(std::span<const TestCustomer> customers)
    {
        for (const TestCustomer &c : customers)
            add(QString::fromUtf8(c.id), c.sponsor ? QVariant(QString::fromUtf8(c.sponsor)) : QVariant(),
                QString::fromUtf8(c.name), c.points);
    }

    testing_support::ProgramFolder m_folder;
    db::Connection m_connection;
    CustomerTable m_customers{m_connection};
    testing_support::LocaleGuard m_locale{testing_support::pointLocale()};
};
