#pragma once
// Sectioned key=value text files (the settings file and the localization
// file), read and written key by key with the classic profile-file rules.

#include <QString>
#include <QStringList>

/// A profile file on disk. Nothing is cached: every read reads the file and
/// every write rewrites it, so edits made by hand are seen at once.
/// Section and key names compare without regard to letter case.
class IniFile
{
public:
    /// Values longer than this are cut when read.
    static constexpr qsizetype MaxValueLength = 2047;

    /// Works on the file at `path`; the file need not exist yet.
    explicit IniFile(const QString &path);

    const QString &path() const { return m_path; }

    /// The value of `key` in `section`: blanks around it removed, then one pair
    /// of surrounding matching quotes (' or ") removed, cut to MaxValueLength.
    /// `defaultValue` when the key is absent or the file missing or unreadable.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;

    /// Like readString, but with the surrounding quotes kept and nothing cut,
    /// for readers that give the quote characters a meaning of their own.
    QString readRawString(const QString &section, const QString &key,
                          const QString &defaultValue = QString()) const;

    /// Sets `key` in `section` to `value` written as given (no quotes added).
    /// A new key goes to the end of its section, a new section to the end of
    /// the file. Throws db::DataError when the file cannot be read back or
    /// written, or when a name or the value holds a line break.
    void writeString(const QString &section, const QString &key, const QString &value);

    /// True when `section` holds `key` (with any value, empty included).
    bool hasKey(const QString &section, const QString &key) const;

    /// The value read as an integer (decimal, or hexadecimal after "0x"),
    /// nonzero meaning true; `defaultValue` when absent or not a number.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    /// Writes "1" or "0". Throws like writeString.
    void writeBool(const QString &section, const QString &key, bool value);

    /// Section names in file order, each once (first spelling wins).
    QStringList sections() const;

    /// Key names of `section` in file order, each once (first spelling wins).
    QStringList keys(const QString &section) const;

    /// Removes one pair of matching quotes (' or ") around `value`, if any.
    static QString unquote(const QString &value);

private:
    QString m_path;
};
