#pragma once
// Generated identifiers of customers and products: the highest one plus one,
// counting like an odometer over the text.

#include <QString>

namespace db { class Dataset; }

/// The identifier after `text`: blanks and control characters trimmed, then
/// the last character raised by one, carrying into the previous one past '9'
/// (letters count as nines that carry); a run of nines grows by one place up
/// to `width`, so 9 → 10, A9 → 100, 999999 → 000000, ABC-99 → ABC.00.
/// Empty text gives "0".
QString IncrementIdentifier(const QString &text, int width = 6);

/// IncrementIdentifier of the first column of `query` (closed first, given
/// the parameter values of `source` by position when there is one, opened,
/// and closed again in every case). Throws db::DataError from the query.
QString NextIdentifier(db::Dataset &query, db::Dataset *source = nullptr);
