#pragma once
// Values compared as keys: by lookups, locate, the master link and the
// stale-row check, so that every one of them calls the same values equal.

#include <QString>
#include <QVariant>

namespace db {

/// The text by which two values are the same key: date-times by their
/// storage reading, whole doubles without a fraction, booleans as 0/1, null
/// as a text no value has.
QString keyText(const QVariant &value);

/// The key of several values together (a composite key), each by keyText.
QString compositeKey(const QVariantList &values);

} // namespace db
