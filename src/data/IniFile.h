#pragma once
// Sectioned key=value text files (the settings file and the localization
// file) with the classic profile-file rules.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

/// A profile file on disk. Section and key names compare without regard to
/// letter case; a new key goes to the end of its section, a new section to
/// the end of the file, and of duplicate keys the first wins.
///
/// The file is parsed once and parsed again only when it changed on disk, so
/// edits made by hand are seen at once. Each write rewrites the file under a
/// short lock beside it, merging into what the file holds by then, so two
/// copies of the program never lose each other's keys; writes made inside a
/// Batch are written in one rewrite, with the same result as one by one.
///
/// A file without a byte-order mark is read as UTF-8 and every line the
/// program does not change is written back byte for byte; a file with a
/// UTF-8, UTF-16 or UTF-32 mark is read in that encoding and written back in
/// it. A file whose text that encoding cannot carry back unchanged is never
/// written (writeProblem() says why).
class IniFile
{
public:
    /// Values longer than this are cut when read.
    static constexpr qsizetype MaxValueLength = 2047;

    /// Works on the file at `path`; the file need not exist yet.
    explicit IniFile(const QString &path);
    ~IniFile();
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

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
    /// Throws db::DataError when the file cannot be read back or written (also
    /// when it cannot be written in its own encoding), or when a name or the
    /// value holds a line break; the file is then unchanged. Inside a Batch
    /// the names are checked at once and the file written when it commits.
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

    /// Why the file cannot be written back (a text in an encoding that does
    /// not carry it back unchanged); empty when it can.
    QString writeProblem() const;

    /// Removes one pair of matching quotes (' or ") around `value`, if any.
    static QString unquote(const QString &value);

    /// Keeps the writes made while it lives and writes them in one rewrite on
    /// commit(); without a commit they are dropped. A batch opened inside
    /// another joins it: the outermost one writes.
    class Batch
    {
    public:
        explicit Batch(IniFile &file);
        ~Batch();
        /// Writes the batch's keys. Throws like writeString; the file is then
        /// unchanged and the writes are dropped.
        void commit();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        IniFile &m_file;
        bool m_outermost;
        bool m_done = false;
    };

private:
    struct Content;
    struct Write
    {
        QString section;
        QString key;
        QString value;
    };

    /// The file as last read; read again when it changed on disk (not while
    /// a batch is open: the commit reads it afresh anyway).
    const Content &content() const;
    /// The latest pending write of `key` in `section`, if any.
    const Write *pendingWrite(const QString &section, const QString &key) const;
    std::optional<QString> rawValue(const QString &section, const QString &key) const;
    /// Writes `writes` into the file as it is now, under the file's lock.
    void save(const std::vector<Write> &writes);

    QString m_path;
    mutable std::unique_ptr<Content> m_content;
    std::vector<Write> m_pending;
    int m_batchDepth = 0;
};
