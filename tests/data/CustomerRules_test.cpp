// Customers added, edited and deleted through the level view and the chooser
// list, with the dialog and the sponsor tree played by fakes.
#include "DataU.h"
#include "Messages.h"
#include "OrgTree.h"
#include "ScriptedUserPort.h"
#include "TestSupport.h"
#include "engine/Statement_p.h"

#include <gtest/gtest.h>

using db::Dataset;

namespace {

class FakeOrgTree : public OrgTree
{
public:
    QString selectedCustomerId() const override { return selectedId; }
    QString selectedNodeText() const override { return selectedText; }
    bool selectedShowsChildren() const override { return showsChildren; }
    void addCustomerNode(const QString &id, const QString &text) override { calls << "add " + id + "|" + text; }
    void loadChildren() override { calls << "load"; }
    int findLiveIndex(const QString &id) const override { return nodes.indexOf(id); }
    void removeCustomerNode(int index) override { calls << "remove " + nodes.takeAt(index); }

    QString selectedId, selectedText;
    bool showsChildren = false;
    mutable QStringList nodes;
    QStringList calls;
};

class CustomerRulesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        data = std::make_unique<TData>(folder.programPath(), port);
        data->connect();
        data->setOrgTree(&tree);
        data->ADOConnection.execute("insert into customer (id, id_customer, sname) values "
                                    "('1', null, 'Ivanov'), ('2', '1', 'Petrov'), ('3', '', 'Sidorov')");
    }
    void TearDown() override { data->setOrgTree(nullptr); }

    void generateIds()
    {
        QFile ini(folder.file("quorvel.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[MiscSettings]\r\nGenerateCustomerID=1\r\n");
        ini.close();
        data->readMiscSettings();
    }

    QVariant scalar(const QString &sql)
    {
        db::Statement statement(data->ADOConnection.handle(), sql);
        return statement.step() ? statement.value(0) : QVariant();
    }

    /// Opens the level view under sponsor `id`.
    Dataset *level(const QString &id)
    {
        data->qCustomer2->param("id").setValue(id);
        data->qCustomer2->open();
        return data->qCustomer2;
    }

    static ScriptedUserPort::DialogScript typeAndOk(const QString &id, const QString &name)
    {
        return [id, name](db::DataSource &source) {
            if (!id.isEmpty())
                source.dataset()->field("id")->setValue(id);
            source.dataset()->field("sname")->setValue(name);
            return true;
        };
    }

    testing_support::ProgramFolder folder;
    ScriptedUserPort port;
    FakeOrgTree tree;
    std::unique_ptr<TData> data;
};

TEST_F(CustomerRulesTest, InsertUnderSelectedNode_TakesItsSponsorAndGrowsTheTree)
{
    tree.selectedId = "1";
    tree.selectedText = "1 Ivanov";
    tree.showsChildren = true;
    Dataset *ds = level("1");
    port.expectCustomerDialog(typeAndOk("7", "Smirnov"));
    ds->append();
    EXPECT_EQ(ds->state(), db::DatasetState::Browse);
    EXPECT_EQ(port.dialogCaptions, QStringList({"New Customer"}));
    EXPECT_EQ(port.coordinators, QStringList({"1 Ivanov"}));
    EXPECT_EQ(scalar("select id_customer from customer where id = '7'").toString(), "1");
    EXPECT_EQ(tree.calls, QStringList({"add 7|7 Smirnov"}));

    // A node that does not show its children yet loads them instead.
    tree.showsChildren = false;
    port.expectCustomerDialog(typeAndOk("8", "Orlov"));
    ds->append();
    EXPECT_EQ(tree.calls.last(), "load");
}

TEST_F(CustomerRulesTest, InsertUnderRoot_GetsTheEmptySponsorNotNull)
{
    tree.selectedText = "Administrators";
    Dataset *ds = level("");
    port.expectCustomerDialog(typeAndOk("9", "Top"));
    ds->append();
    EXPECT_EQ(scalar("select id_customer is null from customer where id = '9'").toInt(), 0);
    EXPECT_EQ(scalar("select id_customer from customer where id = '9'").toString(), "");
}

TEST_F(CustomerRulesTest, GeneratedIdentifier_HighestAmongTheLongestPlusOne)
{
    generateIds();
    data->ADOConnection.execute("insert into customer (id, sname) values ('10', 'a'), ('11', 'b'), ('9', 'c')");
    Dataset *ds = level("");
    QString offered;
    port.expectCustomerDialog([&](db::DataSource &source) {
        offered = source.dataset()->field("id")->asString();
        source.dataset()->field("sname")->setValue(QStringLiteral("New"));
        return true;
    });
    ds->append();
    EXPECT_EQ(offered, "12");
    EXPECT_FALSE(data->qGetCustomerID->isActive());
}

TEST_F(CustomerRulesTest, GeneratedIdentifier_EmptyTableGivesOne)
{
    generateIds();
    data->ADOConnection.execute("delete from customer");
    data->qCustomer->open();
    port.expectCustomerDialog(typeAndOk(QString(), "First"));
    data->qCustomer->append();
    EXPECT_EQ(scalar("select id from customer").toString(), "1");
    // Inserts into the chooser list leave the sponsor unset.
    EXPECT_TRUE(scalar("select id_customer from customer").isNull());
    EXPECT_EQ(port.coordinators, QStringList({"Administrators"}));
}

TEST_F(CustomerRulesTest, DialogCancelled_DropsTheNewRowAndRestoresAnEdit)
{
    Dataset *ds = level("1");
    port.expectCustomerDialog([](db::DataSource &source) {
        source.dataset()->field("sname")->setValue(QStringLiteral("Typed"));
        return false;
    });
    ds->append();
    EXPECT_EQ(ds->recordCount(), 1);
    EXPECT_EQ(ds->state(), db::DatasetState::Browse);

    port.expectCustomerDialog([](db::DataSource &source) {
        source.dataset()->field("sname")->setValue(QStringLiteral("Typed"));
        return false;
    });
    ds->edit();
    EXPECT_EQ(port.dialogCaptions.last(), "Edit Customer 2 Petrov");
    EXPECT_EQ(ds->field("sname")->asString(), "Petrov");
    EXPECT_EQ(tree.calls, QStringList());
}

TEST_F(CustomerRulesTest, StoreFailsAfterOk_ErrorShownRowKeptForCancel)
{
    Dataset *ds = level("1");
    port.expectCustomerDialog(typeAndOk("3", "Duplicate"));
    ds->append();
    ASSERT_EQ(port.errors.size(), 1);
    EXPECT_EQ(port.errors.first(), "Another record already has this Customer ID.");
    EXPECT_EQ(ds->state(), db::DatasetState::Insert);
    ds->cancel();
    EXPECT_EQ(scalar("select sname from customer where id = '3'").toString(), "Sidorov");
}

TEST_F(CustomerRulesTest, DeleteWithGroup_RefusedWithMessageRowAndTreeKept)
{
    tree.nodes = QStringList({"1", "2"});
    for (Dataset *ds : {level(""), data->qCustomer}) {
        if (!ds->isActive())
            ds->open();
        ASSERT_TRUE(ds->locate("id", QStringLiteral("1")));
        EXPECT_THROW(ds->remove(), db::AbortError);
        EXPECT_EQ(port.errors.last(), "The customer 1 Ivanov has a group. \n\r Deleting is impossible");
        EXPECT_EQ(scalar("select count(*) from customer where id = '1'").toInt(), 1);
    }
    EXPECT_EQ(port.errors.size(), 2);
    EXPECT_FALSE(data->qOrg->isActive());
    EXPECT_TRUE(tree.calls.isEmpty());
}

TEST_F(CustomerRulesTest, DeleteConfirmed_RemovesRowAndNode_NotConfirmedKeepsBoth)
{
    tree.nodes = QStringList({"1", "2", "3"});
    Dataset *ds = level("1");
    port.expectConfirm(false);
    EXPECT_THROW(ds->remove(), db::AbortError);
    EXPECT_EQ(port.confirmations.last(), "Delete customer 2 Petrov?");
    EXPECT_EQ(ds->recordCount(), 1);

    port.expectConfirm(true);
    ds->remove();
    EXPECT_TRUE(ds->isEmpty());
    EXPECT_EQ(scalar("select count(*) from customer where id = '2'").toInt(), 0);
    EXPECT_EQ(tree.calls, QStringList({"remove 2"}));

    // Through the chooser list as well (a customer without a group).
    data->qCustomer->open();
    ASSERT_TRUE(data->qCustomer->locate("id", QStringLiteral("3")));
    port.expectConfirm(true);
    data->qCustomer->remove();
    EXPECT_EQ(scalar("select count(*) from customer where id = '3'").toInt(), 0);
}

TEST_F(CustomerRulesTest, DeleteFromTheChooserList_LevelViewNoLongerShowsTheCustomer)
{
    data->ADOConnection.execute("insert into customer (id, id_customer, sname) values ('4', '', 'Orlov')");
    Dataset *ds = level("");
    ASSERT_EQ(ds->recordCount(), 3);
    ASSERT_TRUE(ds->locate("id", QStringLiteral("4")));
    data->qCustomer->open();
    ASSERT_TRUE(data->qCustomer->locate("id", QStringLiteral("3")));
    port.expectConfirm(true);
    data->qCustomer->remove();
    QStringList shown;
    for (int i = 0; i < ds->recordCount(); ++i)
        shown << ds->valueAt(i, ds->field("id")).toString();
    EXPECT_EQ(shown, QStringList({"1", "4"}));
    EXPECT_EQ(ds->field("id")->asString(), "4");

    // The current customer itself deleted: the view shows what is left.
    ASSERT_TRUE(data->qCustomer->locate("id", QStringLiteral("4")));
    port.expectConfirm(true);
    data->qCustomer->remove();
    EXPECT_EQ(ds->recordCount(), 1);
    EXPECT_EQ(ds->field("id")->asString(), "1");
}

TEST_F(CustomerRulesTest, FormatMessage_FillsPlaceholdersInOrder)
{
    EXPECT_EQ(FormatMessage("%s has %d items, 100%%", {"Cart", "3"}), "Cart has 3 items, 100%");
    EXPECT_EQ(FormatMessage("a %s b %s", {"x"}), "a x b ");
    EXPECT_EQ(FormatMessage("none", {"x"}), "none");
}

} // namespace
