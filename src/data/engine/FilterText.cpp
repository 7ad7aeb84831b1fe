#include "FilterText_p.h"

#include "Dataset.h"
#include "Errors.h"
#include "Format.h"
#include "QuotedText.h"
#include "Storage_p.h"

#include <QLocale>

namespace db {

namespace {

[[noreturn]] void badFilter(const QString &text, const QString &why)
{
    throw DataError(QStringLiteral("Filter cannot be applied: %1 (%2)").arg(text, why));
}

// Splits at " and " outside apostrophes.
std::vector<QString> splitConditions(const QString &text)
{
    const std::vector<bool> inLiteral = quotedCharacters(text);
    std::vector<QString> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!inLiteral[std::size_t(i)] && text[i] == u' '
            && QStringView(text).mid(i, 5).compare(QLatin1String(" and "), Qt::CaseInsensitive) == 0) {
            parts.push_back(text.mid(start, i - start));
            start = i + 5;
            i += 4;
        }
    }
    parts.push_back(text.mid(start));
    return parts;
}

int compareValues(const QVariant &left, const QVariant &right)
{
    if (left.typeId() == QMetaType::QDateTime || right.typeId() == QMetaType::QDateTime) {
        const QDateTime a = wallClock(left.toDateTime()), b = wallClock(right.toDateTime());
        return a < b ? -1 : (b < a ? 1 : 0);
    }
    if (left.typeId() == QMetaType::QString || right.typeId() == QMetaType::QString) {
        bool okA = false, okB = false;
        const double a = left.toDouble(&okA), b = right.toDouble(&okB);
        if (okA && okB && left.typeId() != QMetaType::QString)
            return a < b ? -1 : (b < a ? 1 : 0);
        return QString::compare(left.toString(), right.toString(), Qt::CaseInsensitive);
    }
    const double a = left.toDouble(), b = right.toDouble();
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

FilterText::FilterText(const QString &text, const Dataset &dataset)
{
    if (text.trimmed().isEmpty())
        return;
    for (const QString &rawPart : splitConditions(text)) {
        const QString part = rawPart.trimmed();
        qsizetype i = 0;
        while (i < part.size() && (part[i].isLetterOrNumber() || part[i] == u'_'))
            ++i;
        Condition condition;
        condition.field = part.left(i);
        if (condition.field.isEmpty())
            badFilter(text, QStringLiteral("a column name is expected"));
        const Field *field = dataset.findField(condition.field);
        if (!field)
            badFilter(text, QStringLiteral("unknown column %1").arg(condition.field));

        QString rest = part.mid(i).trimmed();
        static const std::pair<const char *, Op> kOps[] = {
            {">=", Op::GreaterEqual}, {"<=", Op::LessEqual}, {"<>", Op::NotEqual},
            {"=", Op::Equal},         {"<", Op::Less},       {">", Op::Greater},
        };
        bool found = false;
        for (const auto &[symbol, op] : kOps) {
            if (rest.startsWith(QLatin1String(symbol))) {
                condition.op = op;
                rest = rest.mid(qsizetype(strlen(symbol))).trimmed();
                found = true;
                break;
            }
        }
        if (!found && rest.startsWith(QStringLiteral("like"), Qt::CaseInsensitive)
            && (rest.size() == 4 || rest[4].isSpace() || rest[4] == u'\'')) {
            condition.op = Op::Like;
            rest = rest.mid(4).trimmed();
            found = true;
        }
        if (!found)
            badFilter(text, QStringLiteral("an operator is expected after %1").arg(condition.field));
        if (rest.isEmpty())
            badFilter(text, QStringLiteral("a value is expected"));

        if (rest.startsWith(u'\'')) {
            const std::optional<QString> literal = unquoted(rest);
            if (!literal)
                badFilter(text, QStringLiteral("unterminated or malformed text"));
            const QString &value = *literal;
            if (condition.op == Op::Like) {
                condition.isPattern = true;
                if (value.endsWith(u'*') || value.endsWith(u'%'))
                    condition.prefix = value.chopped(1).toCaseFolded();
                else {
                    condition.prefix = value.toCaseFolded();
                    condition.exact = true;
                }
            } else if (field->type() == FieldType::DateTime) {
                const QDateTime dt = parseDateTimeDefault(value);
                if (!dt.isValid())
                    badFilter(text, QStringLiteral("not a date: %1").arg(value));
                condition.operand = dt;
            } else {
                condition.operand = value;
            }
        } else {
            if (condition.op == Op::Like)
                badFilter(text, QStringLiteral("like needs a text in apostrophes"));
            if (field->type() == FieldType::DateTime) {
                const QDateTime dt = parseDateTimeDefault(rest);
                if (!dt.isValid())
                    badFilter(text, QStringLiteral("not a date: %1").arg(rest));
                condition.operand = dt;
            } else {
                bool ok = false;
                double number = QLocale::c().toDouble(rest, &ok);
                if (!ok)
                    number = QLocale().toDouble(rest, &ok);
                if (!ok)
                    badFilter(text, QStringLiteral("not a value: %1").arg(rest));
                condition.operand = number;
            }
        }
        m_conditions.push_back(condition);
    }
}

bool FilterText::accepts(const Dataset &dataset) const
{
    for (const Condition &condition : m_conditions) {
        const Field *field = dataset.field(condition.field);
        const QVariant value = field->value();
        const bool isNull = !value.isValid() || value.isNull();
        if (condition.op == Op::Like) {
            if (isNull)
                return false;
            const QString folded = field->asString().toCaseFolded();
            if (condition.exact ? folded != condition.prefix : !folded.startsWith(condition.prefix))
                return false;
            continue;
        }
        if (isNull)
            return false;
        const QVariant left = field->type() == FieldType::Boolean ? QVariant(value.toBool() ? 1.0 : 0.0) : value;
        const int c = compareValues(left, condition.operand);
        bool ok = false;
        switch (condition.op) {
        case Op::Equal: ok = c == 0; break;
        case Op::NotEqual: ok = c != 0; break;
        case Op::Less: ok = c < 0; break;
        case Op::LessEqual: ok = c <= 0; break;
        case Op::Greater: ok = c > 0; break;
        case Op::GreaterEqual: ok = c >= 0; break;
        case Op::Like: break;
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace db
