#include "MasterLink_p.h"

#include "Dataset.h"
#include "KeyText.h"

namespace db {

QVariantList MasterLink::values() const
{
    QVariantList values;
    const bool onRow = m_master->isActive() && m_master->currentIndex() >= 0;
    for (const auto &link : m_links)
        values << (onRow ? m_master->field(link.second)->value() : QVariant());
    return values;
}

bool MasterLink::keyChanged() const
{
    return compositeKey(values()) != m_readFor;
}

void MasterLink::applyTo(Params &params)
{
    const QVariantList current = values();
    for (int i = 0; i < m_links.size(); ++i)
        params.byName(m_links[i].first).setValue(current[i]);
    m_readFor = compositeKey(current);
}

} // namespace db
