#pragma once
// The localized labels of the bonus explanation entries.

#include <QString>

struct DepLabels
{
    QString lPersonalPoints = QStringLiteral("Personal");
    QString lGroupPoints = QStringLiteral("Group");
    QString lNetPoints = QStringLiteral("Net");
    QString lCoordinatorPoints = QStringLiteral("Coordinator");
    QString lDirectorPoints = QStringLiteral("Director");

    /// The labels as the message table currently holds them (localized once
    /// the localization file is loaded).
    static DepLabels fromMessages();
};
