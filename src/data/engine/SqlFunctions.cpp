#include "SqlFunctions_p.h"

#include "Errors.h"
#include "NameOrder.h"

#include <QString>
#include <sqlite3.h>

namespace db {

namespace {

QString argText(sqlite3_value *value)
{
    const auto *chars = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return chars ? QString::fromUtf8(chars, sqlite3_value_bytes(value)) : QString();
}

void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    QString pattern = argText(argv[0]);
    if (argc == 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL) {
        // An escape character makes the next pattern character literal; we
        // express that by doubling nothing and matching it through a marker.
        const QString escape = argText(argv[2]);
        if (escape.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        QString literal;
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            if (pattern[i] == escape[0] && i + 1 < pattern.size()) {
                ++i;
                literal += QChar(0xE000); // private-use marker: next char is literal
            }
            literal += pattern[i];
        }
        pattern = literal;
    }
    sqlite3_result_int(context, likeMatches(pattern, argText(argv[1])) ? 1 : 0);
}

void lenFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int64(context, argText(argv[0]).size());
}

int nocaseCollation(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    return compareNamesUtf8(std::string_view(static_cast<const char *>(a), std::size_t(lengthA)),
                            std::string_view(static_cast<const char *>(b), std::size_t(lengthB)));
}

} // namespace

bool likeMatches(const QString &rawPattern, const QString &rawValue)
{
    const QString pattern = rawPattern.toCaseFolded();
    const QString value = rawValue.toCaseFolded();
    // Iterative wildcard matching with one backtrack point: linear in practice.
    qsizetype p = 0, v = 0, starP = -1, starV = 0;
    while (v < value.size()) {
        bool literal = false;
        qsizetype pc = p;
        if (pc < pattern.size() && pattern[pc] == QChar(0xE000)) {
            literal = true;
            ++pc;
        }
        if (pc < pattern.size() && !literal && pattern[pc] == u'%') {
            starP = pc++;
            starV = v;
            p = pc;
        } else if (pc < pattern.size() && ((!literal && pattern[pc] == u'_') || pattern[pc] == value[v])) {
            p = pc + 1;
            ++v;
        } else if (starP >= 0) {
            p = starP + 1;
            v = ++starV;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'%')
        ++p;
    return p == pattern.size();
}

void registerSqlFunctions(sqlite3 *handle)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function(handle, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr) != SQLITE_OK
        || sqlite3_create_function(handle, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr) != SQLITE_OK
        || sqlite3_create_function(handle, "len", 1, flags, nullptr, lenFunction, nullptr, nullptr) != SQLITE_OK
        || sqlite3_create_collation(handle, "NOCASE", SQLITE_UTF8, nullptr, nocaseCollation) != SQLITE_OK)
        throw DataError(QString::fromUtf8(sqlite3_errmsg(handle)));
}

} // namespace db
