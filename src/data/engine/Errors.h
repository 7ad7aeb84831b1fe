#pragma once
// The two failure kinds that travel through every layer.

#include <QString>
#include <stdexcept>

namespace db {

/// A failure with a text meant for the user: the engine's own text for database
/// failures, or a rule's text. Shown once by the application's error guard.
class DataError : public std::runtime_error
{
public:
    explicit DataError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

/// Stops an operation silently: a rule that already told the user why (or had
/// nothing to say) throws it, and every layer lets it pass without a message.
class AbortError : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

} // namespace db
