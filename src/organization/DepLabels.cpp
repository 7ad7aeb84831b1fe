#include "DepLabels.h"

#include "Messages.h"

DepLabels DepLabels::fromMessages()
{
    const TMessages &messages = Messages();
    DepLabels labels;
    labels.lPersonalPoints = messages.lPersonalPoints;
    labels.lGroupPoints = messages.lGroupPoints;
    labels.lNetPoints = messages.lNetPoints;
    labels.lCoordinatorPoints = messages.lCoordinatorPoints;
    labels.lDirectorPoints = messages.lDirectorPoints;
    return labels;
}
