#pragma once
// One member of a department: a customer of the downline with the figures the
// department computation gives it. A plain record; Department owns them.

#include <QString>
#include <QtGlobal>

enum class TDepStatus : quint8 {
    Ordinary = 0,
    Coordinator = 1,
    Director = 2,
};

/// The figures of one member that the bonus rules read, as the last bonus
/// computation found them.
struct TDepBonusFigures
{
    double PersonalPoints = 0;
    double GroupPoints = 0;
    qint32 ActiveCount = 0;
    qint32 CoordinatorCount = 0;
    TDepStatus Status = TDepStatus::Ordinary;
};

struct TDepMember
{
    QString Id;               ///< the customer's `id`, trimmed
    QString SponsorId;        ///< the customer's `id_customer`, trimmed
    QString Name;             ///< the customer's `sname`, trimmed
    qint32 ActiveCount = 0;   ///< direct members with personal points above zero
    double PersonalPoints = 0;
    double GroupPoints = 0;   ///< personal points plus the group points of the direct members
    qint32 Level = 0;         ///< 1 for the head, the sponsor's level + 1 below it
    double Bonus = 0;
    TDepMember *Parent = nullptr; ///< the sponsor's record; none for the head
    double Reserve = 0;
    qint32 Row = 0;           ///< grid row showing the member (its position in the list + 1)
    TDepStatus Status = TDepStatus::Ordinary;
    qint32 CoordinatorCount = 0; ///< direct members with status Coordinator
    qint32 DirectorCount = 0;    ///< direct members with status Director
    // The explanation of the bonus is written on demand (Department::Detail)
    // from these figures, kept by CalcBonus and cleared by ResetBonus, so it
    // explains the Bonus shown even while the points have changed since.
    TDepBonusFigures BonusFigures;
};
