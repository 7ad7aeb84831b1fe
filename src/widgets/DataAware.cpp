#include "DataAware.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<DataAwareControl *> &controls()
{
    static std::vector<DataAwareControl *> all;
    return all;
}

} // namespace

DataAwareControl::DataAwareControl()
{
    controls().push_back(this);
}

DataAwareControl::~DataAwareControl()
{
    auto &all = controls();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void updateRecord(db::Dataset *dataset)
{
    if (!dataset)
        return;
    // A control's write can create or destroy controls (a rule opening a
    // dialog), so walk a copy and skip the ones that went away.
    const std::vector<DataAwareControl *> snapshot = controls();
    for (DataAwareControl *control : snapshot) {
        const auto &all = controls();
        if (std::find(all.begin(), all.end(), control) == all.end())
            continue;
        if (control->linkedDataset() == dataset)
            control->updateRecord();
    }
}
