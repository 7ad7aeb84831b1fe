#pragma once
// A detail dataset's link to its master: which of its parameters take which
// of the master's fields, and the master key its rows were read for.

#include "Param.h"

#include <QList>
#include <QPair>

namespace db {

class Dataset;

class MasterLink
{
public:
    MasterLink(Dataset *master, const QList<QPair<QString, QString>> &paramToMasterField)
        : m_master(master), m_links(paramToMasterField) {}

    Dataset *master() const { return m_master; }
    /// The master's values of the linked fields in its current row; nulls
    /// when it is closed or has no row.
    QVariantList values() const;
    /// Whether the master's current row has another key than the one the
    /// detail's rows were read for.
    bool keyChanged() const;
    /// Sets the detail's parameters to the master's current values and
    /// remembers them as the key the rows are read for.
    void applyTo(Params &params);

private:
    Dataset *m_master;
    QList<QPair<QString, QString>> m_links;
    QString m_readFor;
};

} // namespace db
