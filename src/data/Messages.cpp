#include "Messages.h"

TMessages &Messages()
{
    static TMessages messages;
    return messages;
}

void resetMessages()
{
    Messages() = TMessages{};
}

const std::vector<MessageEntry> &messageTable()
{
    // The key is spelled by the member's own name, so the two cannot drift apart.
#define MESSAGE(name) MessageEntry{#name, &TMessages::name}
    static const std::vector<MessageEntry> table{
        MESSAGE(lDelMes),
        MESSAGE(lIndefiniteCatalog),
        MESSAGE(lPeriodFrom),
        MESSAGE(lPointsIsResetMes),
        MESSAGE(lEnterFileNameDialog),
        MESSAGE(lBackUpIsSuccessful),
        MESSAGE(lPeriodCaption),
        MESSAGE(lClients),
        MESSAGE(lAddOrder),
        MESSAGE(lRefusal),
        MESSAGE(lChangeToOrder),
        MESSAGE(lAddRefusal),
        MESSAGE(lOrder),
        MESSAGE(lChangeToRefusal),
        MESSAGE(lCatalogDate),
        MESSAGE(lAddClient),
        MESSAGE(lUnit),
        MESSAGE(lNoClientMes),
        MESSAGE(lRunExcelError),
        MESSAGE(lLevelColumn),
        MESSAGE(lIDColumn),
        MESSAGE(lSNameColumn),
        MESSAGE(lTotalPointsColumn),
        MESSAGE(lGroupPointsColumn),
        MESSAGE(lBonusColumn),
        MESSAGE(lReserveColumn),
        MESSAGE(lAdminNode),
        MESSAGE(lClients2),
        MESSAGE(lChooseClient),
        MESSAGE(lChooseProduct),
        MESSAGE(lSearch),
        MESSAGE(lEnterName),
        MESSAGE(lArchive),
        MESSAGE(lConnectionError),
        MESSAGE(lBDRewriteWarning),
        MESSAGE(lDeleteError),
        MESSAGE(lActionIsSuccess),
        MESSAGE(lDeleteOrdered),
        MESSAGE(lChooseCatalog),
        MESSAGE(lPeriodTo),
        MESSAGE(lRestoreErrorMes),
        MESSAGE(lBackupErrorMes),
        MESSAGE(lRestoreSuccessMes),
        MESSAGE(lBackupSuccessMes),
        MESSAGE(lResetPointsConfirm),
        MESSAGE(lIndefiniteDeletion),
        MESSAGE(lEnterCustomerFirst),
        MESSAGE(lFuncInProcess),
        MESSAGE(lMoveCostomerHint),
        MESSAGE(lBonusCalcHint),
        MESSAGE(lFindCustomerHint),
        MESSAGE(lManyCataloquesHint),
        MESSAGE(lBackupHint),
        MESSAGE(lLevel),
        MESSAGE(lNewCustomerCaption),
        MESSAGE(lEditCustomerCaption),
        MESSAGE(lCustomerDeleteImpossibleMes),
        MESSAGE(lCustomerDeleteConfirm),
        MESSAGE(lProductAddingHint),
        MESSAGE(lAddOrderCustomerHint),
        MESSAGE(lDuplicateProductMes1),
        MESSAGE(lDuplicateProductMes2),
        MESSAGE(lNewCaption),
        MESSAGE(lEditCaption),
        MESSAGE(lIsSubordinateMes),
        MESSAGE(lCustomerIsTheSameMes),
        MESSAGE(lDeleteProductConfirm),
        MESSAGE(lFieldMustHaveValue),
        MESSAGE(lSaveChangesConfirm),
        MESSAGE(lPersonalPoints),
        MESSAGE(lGroupPoints),
        MESSAGE(lNetPoints),
        MESSAGE(lCoordinatorPoints),
        MESSAGE(lDirectorPoints),
        MESSAGE(lSuburdinateCustomerConfirm),
    };
    return table;
}

const std::vector<MessageEntry> &addedMessageTable()
{
    static const std::vector<MessageEntry> table{
        MESSAGE(lDuplicateValueMes),
        MESSAGE(lDuplicateRecordMes),
        MESSAGE(lMissingReferenceMes),
        MESSAGE(lStillReferencedMes),
        MESSAGE(lRefusedValueMes),
        MESSAGE(lRefusedRecordMes),
        MESSAGE(lDiskFullMes),
        MESSAGE(lReadOnlyWriteMes),
        MESSAGE(lReadOnlyFileMes),
        MESSAGE(lReadOnlyFolderMes),
        MESSAGE(lDatabaseInUseMes),
        MESSAGE(lNotAFiniteNumber),
        MESSAGE(lFileKeptAsItIs),
        MESSAGE(lNoCatalogDate),
        MESSAGE(lPageNumberMes),
        MESSAGE(lReportFileErrorMes),
        MESSAGE(lCellTooLongMes),
        MESSAGE(lSheetTooLargeMes),
        MESSAGE(lReserveNotNumber),
    };
#undef MESSAGE
    return table;
}

QString FormatMessage(const QString &pattern, const QStringList &values)
{
    QString result;
    result.reserve(pattern.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size()) {
            const QChar kind = pattern[i + 1];
            if (kind == u'%') {
                result += u'%';
                ++i;
                continue;
            }
            if (kind == u's' || kind == u'd') {
                if (next < values.size())
                    result += values[next];
                ++next;
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

QString PlainFailureText(db::FailureKind kind, const QStringList &fieldLabels)
{
    using db::FailureKind;
    const TMessages &m = Messages();
    const QString fields = fieldLabels.join(QStringLiteral(", "));
    // With no field named, a sentence about the record as a whole.
    const auto naming = [&fields](const QString &withField, const QString &withoutField) {
        return fields.isEmpty() ? withoutField : FormatMessage(withField, {fields});
    };
    switch (kind) {
    case FailureKind::Duplicate:
        return naming(m.lDuplicateValueMes, m.lDuplicateRecordMes);
    case FailureKind::MissingValue:
        return naming(m.lFieldMustHaveValue, QString());
    case FailureKind::MissingReference:
        return m.lMissingReferenceMes;
    case FailureKind::StillReferenced:
        return m.lStillReferencedMes;
    case FailureKind::RefusedValue:
        return naming(m.lRefusedValueMes, m.lRefusedRecordMes);
    case FailureKind::DiskFull:
        return m.lDiskFullMes;
    case FailureKind::ReadOnly:
        return m.lReadOnlyWriteMes;
    case FailureKind::ReadOnlyFile:
        return FormatMessage(m.lReadOnlyFileMes, {fields});
    case FailureKind::ReadOnlyFolder:
        return FormatMessage(m.lReadOnlyFolderMes, {fields});
    case FailureKind::InUse:
        return FormatMessage(m.lDatabaseInUseMes, {fields});
    case FailureKind::Other:
        break;
    }
    return QString();
}
