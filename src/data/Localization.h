#pragma once
// The localization file "loc": every user-visible text can be replaced there,
// and every text looked up but missing is written back with its built-in form,
// so that after one run the file is a complete template for a translator.

#include "IniFile.h"

#include <QString>

/// Look-ups in the localization file. A failure never escapes: it is recorded
/// in section "Errors" (when even that fails it is dropped) and the text in
/// use stays what it was.
class LocCatalogue
{
public:
    /// The file's name in the program folder.
    static inline const QString FileName = QStringLiteral("loc");
    static inline const QString ControlsSection = QStringLiteral("Controls");
    static inline const QString ConstsSection = QStringLiteral("Consts");
    static inline const QString ErrorsSection = QStringLiteral("Errors");

    /// Works on the localization file at `path` (need not exist yet).
    explicit LocCatalogue(const QString &path);

    IniFile &file() { return m_file; }

    /// `variable` := the file's text for `key` in `section` when present;
    /// otherwise writes `variable`'s text there, quoted, and keeps it.
    void loadText(const QString &section, const QString &key, QString &variable);

    /// Gives every message its built-in text, then loads each key of the
    /// message table, in table order, from section "Consts".
    void loadMessages();

    /// The text of `owner`_`component` in section "Controls", or `currentText`
    /// (written to the file when the key is missing). A failure is recorded
    /// under `property` ("Caption" or "DisplayLabel") and gives `currentText`.
    QString localizeText(const QString &owner, const QString &component,
                         const QString &property, const QString &currentText);

    /// Keeps the texts written while it lives and writes them in one rewrite
    /// when it ends: localizing a window or loading the messages reads the
    /// file once and writes it at most once. A failure to write is dropped
    /// like any failure to record; the texts in use stay.
    class Batch
    {
    public:
        explicit Batch(LocCatalogue &catalogue) : m_batch(catalogue.m_file) {}
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        IniFile::Batch m_batch;
    };

    /// The file form of a text the program writes (see Localization.cpp).
    static QString encodeText(const QString &text);

    /// The text a value read from the file stands for; the inverse of encodeText.
    static QString decodeValue(const QString &rawValue);

private:
    QString readText(const QString &section, const QString &key) const;
    void recordError(const QString &key, const QString &text) noexcept;

    IniFile m_file;
};
