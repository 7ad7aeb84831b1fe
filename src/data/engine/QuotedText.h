#pragma once
// Texts in which apostrophes enclose literals: the filter texts the program
// sets ("sname like 'O''Br*'") and the locale's date and time formats
// ("h 'h' mm"). Every reader and writer of such texts goes through here, so
// that they agree on where a literal starts and ends.

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace db {

/// `text` between apostrophes with every apostrophe inside written twice
/// ('O''Brien').
QString quoted(QStringView text);

/// The text of the literal that is the whole of `literal` ("'O''Brien'" gives
/// O'Brien); nothing when it is not one (no opening or closing apostrophe, or
/// anything after the closing one).
std::optional<QString> unquoted(QStringView literal);

/// For each character of `text`, whether it belongs to a literal: the
/// apostrophes count, and so does a doubled apostrophe inside one.
std::vector<bool> quotedCharacters(QStringView text);

} // namespace db
