#include "IniFile.h"
#include "engine/Errors.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::ProgramFolder;

namespace {

TEST(IniFile, MissingFile_ReadsDefaultsAndFirstWriteCreatesIt)
{
    ProgramFolder folder;
    IniFile ini(folder.file(QStringLiteral("quorvel.ini")));
    EXPECT_EQ(ini.readString(QStringLiteral("MiscSettings"), QStringLiteral("ProductIDMask"),
                             QStringLiteral("AAA-AA;1;_")),
              QStringLiteral("AAA-AA;1;_"));
    EXPECT_FALSE(ini.hasKey(QStringLiteral("MiscSettings"), QStringLiteral("ShowHints")));
    EXPECT_TRUE(ini.readBool(QStringLiteral("MiscSettings"), QStringLiteral("ShowHints"), true));
    EXPECT_TRUE(ini.sections().isEmpty());

    ini.writeBool(QStringLiteral("MiscSettings"), QStringLiteral("ShowHints"), true);
    EXPECT_EQ(testing_support::readFileBytes(ini.path()), QByteArray("[MiscSettings]\r\nShowHints=1\r\n"));
}

TEST(IniFile, ReadBool_IntegersDecideOtherTextGivesDefault)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("b.ini"));
    testing_support::writeFileBytes(path, "[S]\nyes=yes\ntwo=2\nhex=0x1\nHEX=0X1F\nzero=0\nhexzero=0x0\nabc=abc\n"
                     "empty=\nneg=-1\nquoted='1'\nblanks=  3  \ntrailing=12abc\nbarehex=0x\n");
    const IniFile ini(path);
    const auto read = [&](const char *key, bool def) {
        return ini.readBool(QStringLiteral("S"), QString::fromLatin1(key), def);
    };
    EXPECT_FALSE(read("yes", false));
    EXPECT_TRUE(read("yes", true));
    EXPECT_TRUE(read("two", false));
    EXPECT_TRUE(read("hex", false));
    EXPECT_TRUE(read("HEX_", true)); // absent: default
    EXPECT_TRUE(read("neg", false));
    EXPECT_TRUE(read("quoted", false));
    EXPECT_TRUE(read("blanks", false));
    EXPECT_FALSE(read("zero", true));
    EXPECT_FALSE(read("hexzero", true));
    EXPECT_TRUE(read("abc", true));
    EXPECT_FALSE(read("abc", false));
    EXPECT_TRUE(read("empty", true));
    EXPECT_TRUE(read("trailing", true));
    EXPECT_FALSE(read("trailing", false));
    EXPECT_TRUE(read("barehex", true));
}

TEST(IniFile, Names_CompareWithoutLetterCase)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("c.ini"));
    testing_support::writeFileBytes(path, "[MiscSettings]\r\nShowHints=1\r\n");
    IniFile ini(path);
    EXPECT_TRUE(ini.hasKey(QStringLiteral("miscsettings"), QStringLiteral("SHOWHINTS")));
    EXPECT_EQ(ini.readString(QStringLiteral("MISCSETTINGS"), QStringLiteral("showhints")),
              QStringLiteral("1"));

    // Rewriting under another spelling changes the one line, adds nothing.
    ini.writeString(QStringLiteral("MISCSETTINGS"), QStringLiteral("showhints"), QStringLiteral("0"));
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("[MiscSettings]\r\nShowHints=0\r\n"));
}

TEST(IniFile, NewKey_GoesToEndOfItsSectionAndNewSectionToEndOfFile)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("loc"));
    testing_support::writeFileBytes(path, "[Controls]\r\na=1\r\n\r\n[Consts]\r\nb=2\r\n");
    IniFile ini(path);
    ini.writeString(QStringLiteral("controls"), QStringLiteral("c"), QStringLiteral("3"));
    ini.writeString(QStringLiteral("Errors"), QStringLiteral("Caption"), QStringLiteral("x"));
    ini.writeString(QStringLiteral("Consts"), QStringLiteral("d"), QStringLiteral("4"));
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("[Controls]\r\na=1\r\nc=3\r\n\r\n"
                                          "[Consts]\r\nb=2\r\nd=4\r\n\r\n"
                                          "[Errors]\r\nCaption=x\r\n"));
}

TEST(IniFile, ReadValue_BlanksAroundAndOnePairOfMatchingQuotesRemoved)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("v.ini"));
    testing_support::writeFileBytes(path, "[S]\n plain =  two words \t\norder=' Order '\ndouble=\" x \"\n"
                     "mixed='x\"\nempty=''\nlone='\nequals=a=b\nnested=''x''\n"
                     "utf8=\xd0\x97\xd0\xb0\xd0\xba\xd0\xb0\xd0\xb7\n");
    const IniFile ini(path);
    const auto read = [&](const char *key) {
        return ini.readString(QStringLiteral("S"), QString::fromLatin1(key), QStringLiteral("?"));
    };
    EXPECT_EQ(read("plain"), QStringLiteral("two words"));
    EXPECT_EQ(read("order"), QStringLiteral(" Order "));
    EXPECT_EQ(read("double"), QStringLiteral(" x "));
    EXPECT_EQ(read("mixed"), QStringLiteral("'x\""));
    EXPECT_EQ(read("empty"), QString());
    EXPECT_TRUE(ini.hasKey(QStringLiteral("S"), QStringLiteral("empty")));
    EXPECT_EQ(read("lone"), QStringLiteral("'"));
    EXPECT_EQ(read("equals"), QStringLiteral("a=b"));
    EXPECT_EQ(read("nested"), QStringLiteral("'x'"));
    EXPECT_EQ(read("utf8"), QString::fromUtf8("\xd0\x97\xd0\xb0\xd0\xba\xd0\xb0\xd0\xb7"));
    EXPECT_EQ(ini.readRawString(QStringLiteral("S"), QStringLiteral("order")),
              QStringLiteral("' Order '"));
}

TEST(IniFile, LongValue_CutAt2047Characters)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("long.ini"));
    const QByteArray value(5000, 'x');
    testing_support::writeFileBytes(path, "[S]\nk=" + value + "\nq='" + value + "'\n");
    const IniFile ini(path);
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("k")), QString(2047, u'x'));
    // Quotes go first, then the cut: no stray quote at the front.
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("q")), QString(2047, u'x'));
}

TEST(IniFile, OddContent_ReadsSensiblyAndRewritesOtherLinesUnchanged)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("odd.ini"));
    const QByteArray junk("\xff\xfe\x00\x01\x80garbage", 12);
    const QByteArray content = "\xef\xbb\xbforphan=1\n"
                               "[S]\r\n"
                               "dup=first\n"
                               + junk + "\n"
                               "no equals sign\n"
                               "=no key\n"
                               "[unclosed\n"
                               "dup=second\n"
                               + QByteArray(200000, 'z') + "\n"
                               "[s]\n"
                               "other=3\n"
                               "dup=third";
    testing_support::writeFileBytes(path, content);
    IniFile ini(path);

    EXPECT_EQ(ini.sections(), QStringList{QStringLiteral("S")});
    EXPECT_FALSE(ini.hasKey(QString(), QStringLiteral("orphan")));
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("dup")), QStringLiteral("first"));
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("other")), QStringLiteral("3"));
    EXPECT_FALSE(ini.hasKey(QStringLiteral("S"), QStringLiteral("no equals sign")));
    EXPECT_EQ(ini.keys(QStringLiteral("s")), (QStringList{QStringLiteral("dup"), QStringLiteral("other")}));

    ini.writeString(QStringLiteral("S"), QStringLiteral("dup"), QStringLiteral("new"));
    ini.writeString(QStringLiteral("S"), QStringLiteral("added"), QStringLiteral("4"));
    QByteArray expected = content;
    expected.replace("dup=first", "dup=new");
    expected.replace("\r\n", "\n").replace("\n", "\r\n");
    // The key joins the end of the first [S] block, before the next header.
    const qsizetype next = expected.indexOf("[s]\r\n");
    expected.insert(next, "added=4\r\n");
    expected += "\r\n";
    EXPECT_EQ(testing_support::readFileBytes(path), expected);
}

TEST(IniFile, WriteWithLineBreakOrBadName_ThrowsAndLeavesFile)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("w.ini"));
    testing_support::writeFileBytes(path, "[S]\r\nk=1\r\n");
    IniFile ini(path);
    EXPECT_THROW(ini.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("a\nb")),
                 db::DataError);
    EXPECT_THROW(ini.writeString(QStringLiteral("S"), QStringLiteral("a=b"), QStringLiteral("1")),
                 db::DataError);
    EXPECT_THROW(ini.writeString(QString(), QStringLiteral("k"), QStringLiteral("1")), db::DataError);
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("[S]\r\nk=1\r\n"));
}

TEST(IniFile, UnwritableLocation_ThrowsDataErrorNamingTheFile)
{
    ProgramFolder folder;
    IniFile missingFolder(folder.file(QStringLiteral("absent/settings.ini")));
    try {
        missingFolder.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1"));
        FAIL() << "no error";
    } catch (const db::DataError &error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("settings.ini"))) << error.text().toStdString();
    }

    // A path that exists but cannot be read must not be overwritten.
    ASSERT_TRUE(QDir(folder.folder()).mkdir(QStringLiteral("dir.ini")));
    IniFile directory(folder.file(QStringLiteral("dir.ini")));
    EXPECT_EQ(directory.readString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_THROW(directory.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1")),
                 db::DataError);
    EXPECT_TRUE(QFileInfo(folder.file(QStringLiteral("dir.ini"))).isDir());
}

/// Makes a folder in which no file can be made while the files in it stay
/// writable: read-only for an ordinary user, immutable for root (who ignores
/// permissions). `ok()` is false when neither could be arranged.
class LockedFolder
{
public:
    explicit LockedFolder(const QString &path) : m_path(path)
    {
        if (::geteuid() == 0) {
            m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags |= FS_IMMUTABLE_FL;
                m_immutable = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
            }
        } else {
            m_chmod = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        }
        QFile probe(QDir(path).filePath(QStringLiteral("probe")));
        m_ok = (m_immutable || m_chmod) && !probe.open(QIODevice::WriteOnly);
    }
    ~LockedFolder()
    {
        if (m_immutable) {
            int flags = 0;
            if (::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
            }
        }
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_chmod)
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool ok() const { return m_ok; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_immutable = false;
    bool m_chmod = false;
    bool m_ok = false;
};

TEST(IniFile, ReadOnlyFolder_WritableFileIsRewrittenInPlace)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("quorvel.ini"));
    testing_support::writeFileBytes(path, "; kept\n[SrvSettings]\nConnectOnStart=0\nADOConnectionString=a long connection string\n");
    LockedFolder locked(folder.folder());
    if (!locked.ok())
        GTEST_SKIP() << "cannot make a folder without write access here";
    IniFile ini(path);
    ini.writeBool(QStringLiteral("SrvSettings"), QStringLiteral("ConnectOnStart"), true);
    EXPECT_EQ(testing_support::readFileBytes(path),
              QByteArray("; kept\r\n[SrvSettings]\r\nConnectOnStart=1\r\nADOConnectionString=a long connection string\r\n"));
    // Shorter than before: nothing of the old text is left at the end.
    ini.writeString(QStringLiteral("SrvSettings"), QStringLiteral("ADOConnectionString"), QStringLiteral("b"));
    EXPECT_EQ(testing_support::readFileBytes(path), QByteArray("; kept\r\n[SrvSettings]\r\nConnectOnStart=1\r\nADOConnectionString=b\r\n"));

    // A file that is not there cannot be made in such a folder.
    IniFile absent(folder.file(QStringLiteral("other.ini")));
    EXPECT_THROW(absent.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1")), db::DataError);
}

TEST(IniFile, ReadOnlyFolder_FailedRewriteLeavesTheOldTextByteForByte)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("quorvel.ini"));
    const QByteArray original("[SrvSettings]\nConnectOnStart=0\n");
    testing_support::writeFileBytes(path, original);
    LockedFolder locked(folder.folder());
    if (!locked.ok())
        GTEST_SKIP() << "cannot make a folder without write access here";
    IniFile ini(path);

    // The disk fills up as the file grows: no write beyond 64 bytes.
    struct sigaction ignore = {}, saved = {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &saved);
    rlimit limit = {}, savedLimit = {};
    ::getrlimit(RLIMIT_FSIZE, &savedLimit);
    limit.rlim_cur = 64;
    limit.rlim_max = savedLimit.rlim_max;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    bool threw = false;
    try {
        ini.writeString(QStringLiteral("SrvSettings"), QStringLiteral("ADOConnectionString"), QString(200, u'x'));
    } catch (const db::DataError &) {
        threw = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &savedLimit);
    ::sigaction(SIGXFSZ, &saved, nullptr);
    EXPECT_TRUE(threw);
    EXPECT_EQ(testing_support::readFileBytes(path), original);
}

TEST(IniFile, ReadOnlyFile_WriteThrowsAndContentStays)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("ro.ini"));
    testing_support::writeFileBytes(path, "[S]\r\nk=1\r\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
    if (QFileInfo(path).isWritable())
        GTEST_SKIP() << "file permissions are not enforced for this user";
    IniFile ini(path);
    EXPECT_THROW(ini.writeString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")),
                 db::DataError);
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("1"));
}

// A settings file saved as "Unicode" or with a mark by another editor.
TEST(IniFile, MarkedEncodings_ReadAndWrittenBackInTheirOwn)
{
    const QString text = QStringLiteral("[SrvSettings]\r\nConnectOnStart=1\r\n[Consts]\r\nlOrder=' Заказ '\r\n");
    const struct
    {
        const char *name;
        QStringConverter::Encoding encoding;
        QByteArray mark;
    } cases[] = {
        {"UTF-8", QStringConverter::Utf8, "\xEF\xBB\xBF"},
        {"UTF-16LE", QStringConverter::Utf16LE, "\xFF\xFE"},
        {"UTF-16BE", QStringConverter::Utf16BE, "\xFE\xFF"},
        {"UTF-32LE", QStringConverter::Utf32LE, QByteArray("\xFF\xFE\x00\x00", 4)},
    };
    for (const auto &c : cases) {
        ProgramFolder folder;
        const QString path = folder.file(QStringLiteral("quorvel.ini"));
        QStringEncoder encode(c.encoding);
        testing_support::writeFileBytes(path, c.mark + QByteArray(encode(text)));
        IniFile ini(path);
        EXPECT_TRUE(ini.readBool(QStringLiteral("SrvSettings"), QStringLiteral("ConnectOnStart"), false)) << c.name;
        EXPECT_EQ(ini.readString(QStringLiteral("Consts"), QStringLiteral("lOrder")), QStringLiteral(" Заказ "));

        ini.writeString(QStringLiteral("Consts"), QStringLiteral("lRefusal"), QStringLiteral("'Отказ'"));
        const QByteArray bytes = testing_support::readFileBytes(path);
        ASSERT_TRUE(bytes.startsWith(c.mark)) << c.name;
        QStringDecoder decode(c.encoding);
        EXPECT_EQ(QString(decode(bytes.mid(c.mark.size()))), text + QStringLiteral("lRefusal='Отказ'\r\n")) << c.name;
        EXPECT_FALSE(decode.hasError());
        EXPECT_EQ(IniFile(path).readString(QStringLiteral("Consts"), QStringLiteral("lRefusal")), QStringLiteral("Отказ"));
    }
}

TEST(IniFile, TextItsEncodingCannotCarryBack_FileLeftUntouchedWithTheReason)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("loc"));
    // UTF-16 with a lone surrogate: it would not come back as it was.
    const QByteArray content("\xFF\xFE[\x00S\x00]\x00\r\x00\n\x00k\x00=\x00\x00\xD8\r\x00\n\x00", 22);
    testing_support::writeFileBytes(path, content);
    IniFile ini(path);
    EXPECT_TRUE(ini.hasKey(QStringLiteral("S"), QStringLiteral("k")));
    EXPECT_FALSE(ini.writeProblem().isEmpty());
    EXPECT_THROW(ini.writeString(QStringLiteral("S"), QStringLiteral("x"), QStringLiteral("1")), db::DataError);
    EXPECT_EQ(testing_support::readFileBytes(path), content);
}

// Writes gathered in a batch give the file that writing them one by one gives.
TEST(IniFile, Batch_WritesTheFileKeyByKeyWritingWould)
{
    const QByteArray start = "; comment\r\n[A]\r\na1=1\r\n\r\n[b]\r\nb1=1\r\n\r\n\r\n[A]\r\na2=2\r\n";
    const QStringList sections{"A", "a", "B", "C", "d"};
    for (unsigned seed = 1; seed <= 8; ++seed) {
        ProgramFolder folder;
        const QString single = folder.file(QStringLiteral("single.ini")), batched = folder.file(QStringLiteral("batch.ini"));
        testing_support::writeFileBytes(single, start);
        testing_support::writeFileBytes(batched, start);
        IniFile one(single), many(batched);
        IniFile::Batch batch(many);
        std::srand(seed);
        for (int i = 0; i < 40; ++i) {
            const QString section = sections[std::rand() % sections.size()];
            const QString key = QStringLiteral("%1%2").arg(QChar(u'a' + std::rand() % 4)).arg(std::rand() % 5);
            const QString value = QString::number(i);
            one.writeString(section, key, value);
            many.writeString(section, key, value);
            ASSERT_EQ(many.readString(section, key), value);
        }
        EXPECT_EQ(many.keys(QStringLiteral("c")), one.keys(QStringLiteral("C")));
        batch.commit();
        ASSERT_EQ(testing_support::readFileBytes(batched), testing_support::readFileBytes(single)) << "seed " << seed;
    }
}

// Two copies of the program filling one localization file at once, as two
// processes: neither loses the other's keys.
TEST(IniFile, TwoProcessesWritingAtOnce_LoseNoKey)
{
    ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("loc"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const QString who = child == 0 ? QStringLiteral("child") : QStringLiteral("parent");
    {
        IniFile ini(path);
        for (int i = 0; i < 60; ++i) {
            if (i % 3 == 0) {
                IniFile::Batch batch(ini);
                ini.writeString(QStringLiteral("Controls"), QStringLiteral("%1_batch%2").arg(who).arg(i), QStringLiteral("x"));
                ini.writeString(QStringLiteral("Consts"), QStringLiteral("%1_%2").arg(who).arg(i), QStringLiteral("'y'"));
                batch.commit();
            } else {
                ini.writeString(QStringLiteral("Consts"), QStringLiteral("%1_%2").arg(who).arg(i), QStringLiteral("'y'"));
            }
        }
    }
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const IniFile ini(path);
    EXPECT_EQ(ini.keys(QStringLiteral("Consts")).size(), 120);
    EXPECT_EQ(ini.keys(QStringLiteral("Controls")).size(), 40);
    EXPECT_EQ(ini.sections().size(), 2);
}

} // namespace
