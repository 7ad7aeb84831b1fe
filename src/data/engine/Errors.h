#pragma once
// The two failure kinds that travel through every layer.

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace db {

/// What an engine failure was about, so that it can be told in plain words.
/// Failures of other kinds keep the engine's own words.
enum class FailureKind {
    Other,            ///< told in the engine's own words
    Duplicate,        ///< a value that must be unique is taken already
    MissingValue,     ///< a column that must have a value has none
    MissingReference, ///< the row refers to a row that does not exist
    StillReferenced,  ///< the row to delete is referred to by other rows
    RefusedValue,     ///< a value the table's own check refuses
    DiskFull,         ///< the disk (or the file's size limit) is full
    ReadOnly,         ///< the file or its folder refuses the write
    // Refusals of a connect, told with the database file's path:
    ReadOnlyFile,     ///< the database file is read-only
    ReadOnlyFolder,   ///< the database's folder allows no changes (no journal, no lock)
    InUse,            ///< another copy of the program has the database open
};

/// Tells a failure of `kind` in plain words, naming the fields it concerns by
/// their display labels (empty when the engine named none; the database
/// file's path for a refused connect). An empty result keeps the engine's
/// own words.
using FailureWording = std::function<QString(FailureKind kind, const QStringList &fieldLabels)>;

/// A failure with a text meant for the user: the engine's own text for database
/// failures, or a rule's text. Shown once by the application's error guard.
class DataError : public std::runtime_error
{
public:
    explicit DataError(const QString &text) : DataError(text, FailureKind::Other, text) {}
    /// A failure of `kind` told as `text`; `engineText` keeps the engine's own words.
    DataError(const QString &text, FailureKind kind, const QString &engineText)
        : std::runtime_error(text.toStdString()), m_text(text), m_engineText(engineText), m_kind(kind) {}

    const QString &text() const { return m_text; }
    FailureKind kind() const { return m_kind; }
    /// The engine's own words; the same as text() unless the failure was retold.
    const QString &engineText() const { return m_engineText; }

private:
    QString m_text;
    QString m_engineText;
    FailureKind m_kind;
};

/// Stops an operation silently: a rule that already told the user why (or had
/// nothing to say) throws it, and every layer lets it pass without a message.
class AbortError : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

} // namespace db
