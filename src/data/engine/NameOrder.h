#pragma once
// How names compare: the NOCASE collation of the connection, and every
// in-memory order that must agree with "order by sname".
//
// Two names are equal when their case-folded texts are (simple case folding,
// code point by code point). They are ordered first by their sort keys, in
// which every UTF-16 unit of the folded text is given its place in the
// alphabet: code point order, except that the Cyrillic letters follow the
// Russian and Ukrainian alphabets (ґ after г, є after е, і and ї after и, ў
// after у) and ё has the place of е. Names whose keys are equal (they differ
// only in е and ё) are then ordered by their folded texts, so е comes first.

#include <QString>
#include <QStringView>

#include <string_view>
#include <vector>

namespace db {

/// <0, 0 or >0 as `a` comes before, equals or comes after `b`.
int compareNames(QStringView a, QStringView b);

/// The same for UTF-8 texts (the collation's own input); a text that is not
/// valid UTF-8 is read as QString::fromUtf8 reads it.
int compareNamesUtf8(std::string_view a, std::string_view b);

/// Appends the sort key of `name` to `key`, one unit per UTF-16 unit of the
/// name: comparing two keys unit by unit orders the names as compareNames
/// does up to its last step (compareFoldedNames), which decides between
/// names with equal keys.
void appendNameKey(QStringView name, std::vector<char16_t> &key);

/// The last step of compareNames: the folded texts in code point order.
int compareFoldedNames(QStringView a, QStringView b);

} // namespace db
