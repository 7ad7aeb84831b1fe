#pragma once
// The row filter texts the windows set: conditions joined by " and ", each a
// column compared with "=", "<", ">=" (also ">", "<=", "<>") to a text in
// apostrophes (an apostrophe inside written twice), a number, 0/1 for yes/no,
// or a date in the locale's general date format; or "column like 'abc*'"
// (or '%'), matching every value that starts with the text.

#include <QString>
#include <QVariant>
#include <vector>

namespace db {

class Dataset;

class FilterText
{
public:
    /// Parses `text` against the fields of `dataset`; throws DataError.
    FilterText(const QString &text, const Dataset &dataset);
    /// True when the dataset's active row meets every condition.
    bool accepts(const Dataset &dataset) const;

private:
    enum class Op { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, Like };
    struct Condition
    {
        QString field;
        Op op;
        QVariant operand;   // text, number or date-time
        bool isPattern = false;
        QString prefix;     // for like: folded text before the trailing wildcard
        bool exact = false; // like without a trailing wildcard
    };
    std::vector<Condition> m_conditions;
};

} // namespace db
