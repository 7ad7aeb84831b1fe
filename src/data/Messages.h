#pragma once
// The program's message texts: one process-wide variable per message key,
// first holding its built-in text and then whatever the localization file says.

#include "engine/Errors.h"

#include <QString>
#include <QStringList>

#include <vector>

/// Every message the program shows. Members named by key hold the replaceable
/// texts; the `fixed…` members have no key and always keep their built-in text.
struct TMessages
{
    QString lDelMes = QStringLiteral("Delete current record?%srestore will be impossible!");
    QString lIndefiniteCatalog = QString();
    QString lPeriodFrom = QStringLiteral(" From ");
    QString lPointsIsResetMes = QStringLiteral("Points are set to zero");
    QString lEnterFileNameDialog = QStringLiteral("Enter backup file name");
    QString lBackUpIsSuccessful = QStringLiteral("Database backup is complete");
    QString lPeriodCaption = QStringLiteral("Date From %s To %s");
    QString lClients = QStringLiteral("Customers");
    QString lAddOrder = QStringLiteral("New Order");
    QString lRefusal = QStringLiteral(" Refusal ");
    QString lChangeToOrder = QStringLiteral("Change on \"Order\"");
    QString lAddRefusal = QStringLiteral("New Refusal");
    QString lOrder = QStringLiteral(" Order ");
    QString lChangeToRefusal = QStringLiteral("Change on \"Refusal\"");
    QString lCatalogDate = QStringLiteral(" Cataloque Date - ");
    QString lAddClient = QStringLiteral("New Customer");
    QString lUnit = QStringLiteral("unit");
    QString lNoClientMes = QStringLiteral("Customer %s does not exist");
    QString lRunExcelError = QStringLiteral("Unable to start MS Excel ");
    QString lLevelColumn = QStringLiteral("Downline Level");
    QString lIDColumn = QStringLiteral("ID");
    QString lSNameColumn = QStringLiteral("Name");
    QString lTotalPointsColumn = QStringLiteral("Personal Points");
    QString lGroupPointsColumn = QStringLiteral("Total Points");
    QString lBonusColumn = QStringLiteral("Bonus");
    QString lReserveColumn = QStringLiteral("Reserve");
    QString lAdminNode = QStringLiteral("Administrators");
    QString lClients2 = QStringLiteral("Customers - %s ");
    QString lChooseClient = QStringLiteral("Choose Customer");
    QString lChooseProduct = QStringLiteral("Choose Product");
    QString lSearch = QStringLiteral("Search");
    QString lEnterName = QStringLiteral("Enter ID or Name");
    QString lArchive = QStringLiteral("Backup %s.bak");
    QString lConnectionError = QStringLiteral("Connection failure");
    QString lBDRewriteWarning = QStringLiteral("Database will be rewrited from backup. Continue?");
    QString lDeleteError = QStringLiteral("Delete Error");
    QString lActionIsSuccess = QStringLiteral("Completed");
    QString lDeleteOrdered = QStringLiteral("All orders from current cataloque will be deleted. Continue?");
    QString lChooseCatalog = QString();
    QString lPeriodTo = QStringLiteral(" To ");
    QString lRestoreErrorMes = QStringLiteral("The restore operation failed\n\rError code - %d");
    QString lBackupErrorMes = QStringLiteral("The backup operation failed\n\rError code - %d");
    QString lRestoreSuccessMes = QStringLiteral("The restore operation has been completed successfully");
    QString lBackupSuccessMes = QStringLiteral("The backup operation has been completed successfully");
    QString lResetPointsConfirm = QStringLiteral("Points for all customer will be set to null. Continue?");
    QString lIndefiniteDeletion = QStringLiteral("Indefinite deletion. Continue?");
    QString lEnterCustomerFirst = QStringLiteral("Enter customer name (ID) first");
    QString lFuncInProcess = QStringLiteral("This feature is available upon request");
    QString lMoveCostomerHint = QStringLiteral("To move a customer: hold CTRL button and click on the customer. Then click on a group(or person) to drop a customer.");
    QString lBonusCalcHint = QStringLiteral("Bonus Calculations are based on simple formulas. Advanced calculations and formulas are available upon request.");
    QString lFindCustomerHint = QStringLiteral("Right mouse click to find a customer by name or ID");
    QString lManyCataloquesHint = QStringLiteral("Quorvel allows you to work with different product catalogues.");
    QString lBackupHint = QString();
    QString lLevel = QStringLiteral("Level");
    QString lNewCustomerCaption = QStringLiteral("New Customer");
    QString lEditCustomerCaption = QStringLiteral("Edit Customer %s");
    QString lCustomerDeleteImpossibleMes = QStringLiteral("The customer %s %s has a group. %s Deleting is impossible");
    QString lCustomerDeleteConfirm = QStringLiteral("Delete customer %s %s?");
    QString lProductAddingHint = QStringLiteral("You can add a product By Typing In ID Field Or Choosing From Directory");
    QString lAddOrderCustomerHint = QStringLiteral("Type in ID or choose Customer Name from the Directory");
    QString lDuplicateProductMes1 = QStringLiteral("Current product already exists%sYou can edit number of items");
    QString lDuplicateProductMes2 = QStringLiteral("Current id product already exists in this cataloque");
    QString lNewCaption = QStringLiteral("New");
    QString lEditCaption = QStringLiteral("Edit");
    QString lIsSubordinateMes = QStringLiteral("Customer %s already exists in customer %s subgroup");
    QString lCustomerIsTheSameMes = QStringLiteral("You cannot subordinate customer %s to customer %s");
    QString lDeleteProductConfirm = QStringLiteral("This will delete current product from all orders.%sContinue?");
    QString lFieldMustHaveValue = QStringLiteral("Field %s must have a value");
    QString lSaveChangesConfirm = QStringLiteral("Save Changes?");
    QString lPersonalPoints = QStringLiteral("Personal");
    QString lGroupPoints = QStringLiteral("Group");
    QString lNetPoints = QStringLiteral("Net");
    QString lCoordinatorPoints = QStringLiteral("Coordinator");
    QString lDirectorPoints = QStringLiteral("Director");
    QString lSuburdinateCustomerConfirm = QStringLiteral("Subordinate customer %s to customer %s?");

    // The program's own messages, for failures the classic table has no text
    // for; a translator finds them in the same section, after the table's.
    // A write the database refused, told in plain words (PlainFailureText):
    QString lDuplicateValueMes = QStringLiteral("Another record already has this %s.");
    QString lDuplicateRecordMes = QStringLiteral("Another record already has the same values.");
    QString lMissingReferenceMes = QStringLiteral("The record refers to a record that does not exist.");
    QString lStillReferencedMes =
        QStringLiteral("Other records still refer to this record, so it cannot be deleted.");
    QString lRefusedValueMes = QStringLiteral("The value of %s is not allowed.");
    QString lRefusedRecordMes = QStringLiteral("The record holds a value that is not allowed.");
    QString lDiskFullMes = QStringLiteral("The disk is full, so the changes could not be stored. What was stored "
                                          "before is kept; free some space and store again.");
    QString lReadOnlyWriteMes = QStringLiteral("The database cannot be changed: its file or folder has become "
                                               "read-only. Nothing was stored.");
    QString lReadOnlyFileMes = QStringLiteral("The database %s is read-only, so nothing could be stored in it. "
                                              "It was not opened.");
    QString lReadOnlyFolderMes = QStringLiteral("The folder of the database %s does not allow changes, so nothing "
                                                "could be stored in it. It was not opened.");
    QString lDatabaseInUseMes = QStringLiteral("Another copy of the program has the database %s open. Close it "
                                               "there first; it was not opened here.");
    QString lNotAFiniteNumber = QStringLiteral("The number %s cannot be stored: it is not a finite number.");
    QString lFileKeptAsItIs = QStringLiteral("The file %s holds text its encoding cannot carry back unchanged. "
                                             "The program leaves it as it is and adds no texts to it.");
    // The catalogue window's caption after lCatalogDate while no catalogue is current.
    QString lNoCatalogDate = QStringLiteral("none chosen yet");
    // Printed reports and workbooks:
    QString lPageNumberMes = QStringLiteral("Page %d of %d");
    QString lReportFileErrorMes = QStringLiteral("The report could not be saved as %s: %s. Nothing was saved "
                                                 "under that name.");
    QString lCellTooLongMes = QStringLiteral("The text in row %d, column %d has %d characters, more than the "
                                             "32767 a worksheet cell holds. Nothing was cut: the export stops there.");
    QString lSheetTooLargeMes = QStringLiteral("The list has %d rows and %d columns, more than a worksheet holds "
                                               "(%d rows, %d columns). Narrow the list and export again.");
    // The department grid's reserve column:
    QString lReserveNotNumber = QStringLiteral("Reserve of %s %s is not a number: %s");

    // Texts the localization file cannot change.
    QString fixedError = QStringLiteral("Error");
    QString fixedSpecifyCustomer = QStringLiteral("You Have To Specify Customer For The Order");
    QString fixedToInsertItem = QStringLiteral("To Insert Item");
    QString fixedToEditItem = QStringLiteral("To Edit Item");
    QString fixedToSaveChanges = QStringLiteral("To Save Changes");
    QString fixedToDeleteItem = QStringLiteral("To Delete Item");
    QString fixedToCancelChanges = QStringLiteral("To Cancel Changes");
    QString fixedOrderButtonsHint = QStringLiteral("To manage ordered items use buttons ");
    QString fixedProductButtonsHint = QStringLiteral("To manage product items use buttons ");
};

/// One replaceable message: its key in the localization file and its variable.
struct MessageEntry
{
    const char *key;
    QString TMessages::*member;
};

/// The process-wide message texts; built-in until the localization file is loaded.
TMessages &Messages();

/// Gives every message and fixed text its built-in text again.
void resetMessages();

/// All replaceable messages in load order, which is also the order in which a
/// fresh localization file receives their keys.
const std::vector<MessageEntry> &messageTable();

/// The program's own messages, loaded after the table's in their order.
const std::vector<MessageEntry> &addedMessageTable();

/// A message with its placeholders filled in order, as messages are written:
/// "%s" takes a text, "%d" an integer, "%%" is a per cent sign. A placeholder
/// without a value stays empty; values without a placeholder are ignored.
QString FormatMessage(const QString &pattern, const QStringList &values);

/// A failure of `kind` told in plain words from the message table, naming
/// `fieldLabels` (joined by commas) where the failure names fields. Empty for
/// a kind it has no words for: the engine's own words then stay. The data
/// module tells every refused write of a dataset through it.
QString PlainFailureText(db::FailureKind kind, const QStringList &fieldLabels);
