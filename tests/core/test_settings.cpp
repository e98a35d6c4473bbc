#include "app/DurableFile.h"
#include "app/IniFile.h"
#include "app/KVError.h"
#include "app/SettingsStore.h"

#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Sets the default locale for one test and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& l) : m_old(QLocale()) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(m_old); }

private:
    QLocale m_old;
};

const QLocale kDutch(QLocale::Dutch, QLocale::Netherlands);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// One value under [S]/k, read back through a fresh IniFile.
IniFile iniWith(const TempDocs& docs, const QByteArray& value)
{
    docs.WriteFile("v.ini", "[S]\nk=" + value + "\n");
    return IniFile(docs.file("v.ini"));
}

int fileMode(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}

// Lines of the file that hold this key, whatever the case of its spelling.
QStringList linesOfKey(const QByteArray& file, const QString& key)
{
    const QRegularExpression re(QStringLiteral("^%1=").arg(key), QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (const QString& line : QString::fromUtf8(file).split(QLatin1Char('\n')))
        if (re.match(line).hasMatch())
            found << line;
    return found;
}
} // namespace

// ---- value rules ----

TEST(IniFile, IntegerAndBooleanValues)
{
    struct Case {
        QByteArray value;
        int integer;  // read with default -7
        bool boolean; // read with default true
    };
    const Case cases[] = {
        {"16", 16, true},
        {"0", 0, false},
        {"-12", -12, true},
        {"+7", 7, true},
        {"0x10", 16, true},
        {"0X1f", 31, true},
        {"0xFFFFFFFF", -1, true},
        {"0x0", 0, false},
        {"0x", -7, true},            // two characters only: not hexadecimal, and no decimal number
        {"0xG1", -7, true},
        {"0x100000000", -7, true},   // more than 32 bits
        {"2147483647", 2147483647, true},
        {"-2147483648", -2147483647 - 1, true},
        {"2147483648", -7, true},
        {"12a", -7, true},
        {"1.5", -7, true},
        {"1 2", -7, true},
        {"", -7, true},
        {"-", -7, true},
        {"true", -7, true},
        {"  42  ", 42, true},        // the file's own spacing around a value is not part of it
    };
    TempDocs docs;
    for (const Case& c : cases) {
        const IniFile ini = iniWith(docs, c.value);
        EXPECT_EQ(ini.ReadInteger("S", "k", -7), c.integer) << c.value.constData();
        EXPECT_EQ(ini.ReadBool("S", "k", true), c.boolean) << c.value.constData();
    }
    // An invalid boolean reads as the default, whichever it is.
    EXPECT_FALSE(iniWith(docs, "yes").ReadBool("S", "k", false));
    // Missing file, section or key.
    EXPECT_EQ(IniFile(docs.file("none.ini")).ReadInteger("S", "k", 5), 5);
    EXPECT_EQ(iniWith(docs, "1").ReadInteger("T", "k", 5), 5);
    EXPECT_EQ(iniWith(docs, "1").ReadInteger("S", "j", 5), 5);
}

TEST(IniFile, FloatValuesFollowTheLocale)
{
    TempDocs docs;
    {
        LocaleScope dutch(kDutch);
        const std::pair<QByteArray, double> reads[] = {
            {"37,5", 37.5}, {"-0,25", -0.25}, {"21", 21}, {"1,5e2", 150},
            {"37.5", -1},    // the dot is no decimal separator here
            {"1.234,5", -1}, // nor are group separators accepted
            {"", -1}, {"abc", -1}, {"nan", -1}, {"inf", -1},
        };
        for (const auto& [text, expected] : reads)
            EXPECT_DOUBLE_EQ(iniWith(docs, text).ReadFloat("S", "k", -1), expected) << text.constData();

        const std::pair<double, const char*> writes[] = {
            {37.5, "37,5"}, {1234.5, "1234,5"}, {21, "21"}, {0.1, "0,1"},
            {1.0 / 3, "0,333333333333333"}, {-2.75, "-2,75"}, {0, "0"},
        };
        IniFile ini(docs.file("w.ini"));
        for (const auto& [value, text] : writes) {
            ini.WriteFloat("S", "k", value);
            const IniFile back(docs.file("w.ini"));
            EXPECT_EQ(back.ReadString("S", "k", {}), text);
            EXPECT_NEAR(back.ReadFloat("S", "k", -1), value, 1e-14) << text;
        }
        ini.WriteFloat("S", "big", 1e20);
        EXPECT_DOUBLE_EQ(IniFile(docs.file("w.ini")).ReadFloat("S", "big", 0), 1e20);
        ini.WriteFloat("S", "k", 37.5);
    }
    LocaleScope english(kEnglish);
    IniFile ini(docs.file("w.ini"));
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "k", 8), 8) << "37,5 is no number under English";
    EXPECT_DOUBLE_EQ(iniWith(docs, "37.5").ReadFloat("S", "k", 8), 37.5);
}

TEST(IniFile, TextValues)
{
    TempDocs docs;
    EXPECT_EQ(iniWith(docs, "\xE2\x82\xAC \xC3\xAB\xC3\xBC\xC3\x9F").ReadString("S", "k", {}), QString::fromUtf8("€ ëüß"));
    EXPECT_EQ(iniWith(docs, "a=b").ReadString("S", "k", {}), "a=b");
    EXPECT_EQ(iniWith(docs, "").ReadString("S", "k", "def"), "");

    const QByteArray longText(3000, 'x');
    EXPECT_EQ(iniWith(docs, longText).ReadString("S", "k", {}).size(), 2047);
    EXPECT_EQ(iniWith(docs, QByteArray(2047, 'y')).ReadString("S", "k", {}), QString(2047, 'y'));
    // A character outside the basic plane is kept whole or dropped whole at the limit.
    const QString cut = iniWith(docs, QByteArray(2046, 'z') + "\xF0\x9F\x94\xA7").ReadString("S", "k", {});
    EXPECT_EQ(cut, QString(2046, 'z'));

    // Written text is one line of the file: a line break cannot start a key or a section.
    IniFile ini(docs.file("w.ini"));
    ini.WriteString("S", "k", "a\r\nb\n[X]\ny=1");
    const IniFile back(docs.file("w.ini"));
    EXPECT_EQ(back.ReadString("S", "k", {}), "a b [X] y=1");
    EXPECT_EQ(back.ReadString("X", "y", "none"), "none");
}

// ---- writing ----

TEST(IniFile, KeysIgnoreCaseAndAWriteKeepsTheRestOfTheFile)
{
    TempDocs docs;
    docs.WriteFile("kvrn.ini",
                   "; written by hand\n"
                   "[mail]\n"
                   "smtp=mail.example.org\n"
                   "std=0\n"
                   "\n"
                   "[Other]\n"
                   "x=1\n");
    const QString path = docs.file("kvrn.ini");
    EXPECT_FALSE(IniFile(path).ReadBool("MAIL", "Std", true));
    EXPECT_EQ(IniFile(path).ReadString("Mail", "SMTP", {}), "mail.example.org");

    IniFile(path).WriteBool("MAIL", "Std", true);
    IniFile(path).WriteString("other", "New", "n");
    // Comments, keys, their spelling and their order stay; only the blank lines are laid out anew.
    EXPECT_EQ(QString::fromUtf8(docs.ReadFile("kvrn.ini")).split('\n', Qt::SkipEmptyParts),
              QStringList({"; written by hand", "[mail]", "smtp=mail.example.org", "std=1", "[Other]", "x=1", "New=n"}));
}

TEST(IniFile, WriteReplacesTheFileAtOnceReadableByOwnerOnly)
{
    TempDocs docs;
    const QString path = docs.file("kvrn.ini");

    IniFile(path).WriteInteger("INST", "bon", 1);
    EXPECT_EQ(fileMode(path), 0600) << "a new file";

    docs.WriteFile("kvrn.ini", "[INST]\nbon=5\nmonteur=Jan\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(docs.file("old.ini")).constData()), 0);

    IniFile ini(path);
    ini.WriteInteger("INST", "bon", 6);
    // The old file was not rewritten in place: a new one took its name.
    EXPECT_EQ(docs.ReadFile("old.ini"), "[INST]\nbon=5\nmonteur=Jan\n");
    EXPECT_EQ(docs.ReadFile("kvrn.ini"), "[INST]\nbon=6\nmonteur=Jan\n");
    EXPECT_EQ(fileMode(path), 0600) << "an existing file";
    EXPECT_EQ(QDir(docs.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"kvrn.ini", "old.ini"}));
    EXPECT_EQ(ini.ReadInteger("INST", "bon", 0), 6) << "the writer's own reads see its write";
}

TEST(IniFile, RefusedWriteThrows)
{
    TempDocs docs;
    docs.WriteFile("notafolder", "x");
    const QString path = docs.file("notafolder/kvrn.ini");
    try {
        IniFile(path).WriteString("INST", "monteur", "Jan");
        FAIL() << "no error";
    } catch (const KVError& e) {
        EXPECT_EQ(e.text(), "Unable to write to " + path);
    }

    // The settings writers tell the user and end the action.
    KVGlobal g(Edition::Dutch, docs.file("notafolder"));
    SeamRecorder rec;
    rec.Attach(g);
    for (auto writer : {WriteMainSettings, WriteRegionalSettings, WriteCompanySettings, WriteSyncSettings, WriteTicketCounter}) {
        rec.messages.clear();
        EXPECT_THROW(writer(g), KVAbort);
        ASSERT_EQ(rec.messages.size(), 1);
        EXPECT_TRUE(rec.messages[0].startsWith("De instellingen zijn niet opgeslagen: " + g.SettingsPath() + " (Not a directory)"))
            << rec.messages[0].toStdString();
    }
    g.jargon.SetLanguageCode("us");
    EXPECT_THROW(WriteTicketCounter(g), KVAbort);
    EXPECT_EQ(rec.messages.last(),
              "The settings were not saved: " + g.SettingsPath() + " (Not a directory). The settings file is unchanged.");
}

// A value reads back with every character it was written with; files of earlier versions,
// which kept no blanks at the ends of a value, read as they always did.
TEST(IniFile, ValuesKeepTheirBlanksAndOldFilesReadTheSame)
{
    TempDocs docs;
    const QString values[] = {"  geheim ", " a", "b ", "   ", "\t", "\"x\"", "\"\"", "\"", "\"a", " \"q\" ",
                              "\"\" x\"\"", "a \" b", "=", ";x", "#", "[X]", QString(QChar(0)) + "z"};
    IniFile ini(docs.file("w.ini"));
    for (const QString& v : values) {
        ini.WriteString("S", "k", v);
        EXPECT_EQ(IniFile(docs.file("w.ini")).ReadString("S", "k", "none"), v) << v.toStdString();
    }
    EXPECT_EQ(linesOfKey(docs.ReadFile("w.ini"), "k"), QStringList({QStringLiteral("k=\"") + QChar(0) + "z\""}));
    ini.WriteString("S", "k", "  geheim ");
    EXPECT_EQ(linesOfKey(docs.ReadFile("w.ini"), "k"), QStringList({"k=\"  geheim \""}));

    const std::pair<QByteArray, const char*> old[] = {
        {"k=  geheim \n", "geheim"},       // the blanks an earlier version wrote unquoted were never read
        {"k = spaced\n", "spaced"},        // written by hand
        {"k=\"abc\"\n", "\"abc\""},        // quotes around a plain text are part of it
        {"k=\"\"\n", "\"\""},
        {"k=a b\r\n", "a b"},
    };
    for (const auto& [line, value] : old) {
        docs.WriteFile("old.ini", "[S]\n" + line);
        EXPECT_EQ(IniFile(docs.file("old.ini")).ReadString("S", "k", "none"), value) << line.constData();
    }
}

// Damage that a crash, a full disk or a hand edit leaves: reading goes on past it, and a write
// changes the lines it writes and nothing else.
TEST(IniFile, DamagedFilesReadPastTheDamageAndAWriteKeepsEveryKey)
{
    TempDocs docs;
    const QByteArray damaged = QByteArray("[INST]\nmonteur=Jan\nbon=7\n")
                             + QByteArray(4096, '\0') + "[CLOUD]\nUser=acme\nWW=pw\n"
                             + "[MAIL]\nsmtp=mail\xFF\xFE.example\nstray line without a value\n[broken\nww=s" + QByteArray(1, '\0')
                             + "cret\nuser=u"; // no line break at the end
    docs.WriteFile("kvrn.ini", damaged);
    const QString path = docs.file("kvrn.ini");
    {
        const IniFile ini(path);
        EXPECT_EQ(ini.ReadString("INST", "monteur", {}), "Jan");
        EXPECT_EQ(ini.ReadString("CLOUD", "User", {}), "acme") << "a block of NUL bytes ends nothing";
        EXPECT_EQ(ini.ReadString("CLOUD", "WW", {}), "pw");
        EXPECT_EQ(ini.ReadString("MAIL", "ww", {}), QStringLiteral("s") + QChar(0) + "cret");
        EXPECT_EQ(ini.ReadString("MAIL", "user", {}), "u");
        EXPECT_EQ(ini.KeyCount("MAIL"), 3);
    }

    // One key written: every other byte stays, the damage included.
    IniFile(path).WriteInteger("INST", "bon", 8);
    QByteArray expected = damaged;
    expected.replace("bon=7", "bon=8");
    EXPECT_EQ(docs.ReadFile("kvrn.ini"), expected);

    // New keys go to the end of their section, in the order written; a new section at the end.
    IniEdit edit(path);
    edit.WriteString("MAIL", "reply", "r");
    edit.WriteString("NIEUW", "a", "1");
    edit.WriteString("mail", "port", "25");
    edit.WriteString("MAIL", "REPLY", "r2"); // the same key again: its last value, its first place
    edit.Save();
    const IniFile back(path);
    EXPECT_EQ(back.ReadString("MAIL", "reply", {}), "r2");
    EXPECT_EQ(back.ReadString("CLOUD", "User", {}), "acme");
    EXPECT_TRUE(docs.ReadFile("kvrn.ini").endsWith("user=u\nreply=r2\nport=25\n\n[NIEUW]\na=1\n"));
    EXPECT_TRUE(docs.ReadFile("kvrn.ini").startsWith(expected.left(expected.indexOf("user=u"))));
}

TEST(IniFile, AFileThatCannotBeReadWholeIsNeverWrittenOver)
{
    TempDocs docs;
    // A folder in the file's place stands for a file that cannot be read.
    ASSERT_TRUE(QDir(docs.path()).mkdir("kvrn.ini"));
    const QString path = docs.file("kvrn.ini");
    EXPECT_EQ(IniFile(path).ReadInteger("INST", "bon", 5), 5);
    EXPECT_THROW(IniFile(path).WriteInteger("INST", "bon", 6), FileWriteError);
    EXPECT_TRUE(QFileInfo(path).isDir());
}

// ---- a full or failing disk ----

namespace {
// The folder's file names, temporary files included; the sound files a test app installs left out.
QStringList namesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    names.removeIf([](const QString& n) { return n.endsWith(QLatin1String(".mp3")); });
    return names;
}

// A settings file with a key in every section the writers write.
const QByteArray kSettings = "[INST]\nunit=3\nbon=20210005\nmonteur=Jan\n[MAIL]\nww=geheim\n[CLOUD]\nUser=acme\nWW=pw\n"
                             "[SYNC]\nDEV1=Bus\n[BRANCHE]\ntaal=4\n[mailtekst]\ncount=1\nregel0=Beste klant\n";
} // namespace

// Every step of a replace that the disk can refuse: the writer reports it, the old file stays
// byte for byte, and no temporary file is left behind.
TEST(DurableWrite, AFailingStepLeavesTheOldFileAsItWas)
{
    struct Case {
        const char* step;
        std::function<void(FileCalls&)> fail;
        const char* reason;
    };
    const Case cases[] = {
        {"write refused", [](FileCalls& c) { c.write = [](int, const void*, size_t) -> ssize_t { errno = ENOSPC; return -1; }; },
         "No space left on device"},
        {"short writes, then nothing",
         [](FileCalls& c) {
             c.write = [calls = 0](int fd, const void* d, size_t) mutable -> ssize_t {
                 return ++calls == 1 ? ::write(fd, d, 3) : 0;
             };
         },
         "No space left on device"},
        {"sync refused", [](FileCalls& c) { c.fsync = [](int) { errno = EIO; return -1; }; }, "Input/output error"},
        {"close refused", [](FileCalls& c) { c.close = [](int fd) { ::close(fd); errno = EDQUOT; return -1; }; }, "Disk quota exceeded"},
        {"rename refused", [](FileCalls& c) { c.rename = [](const char*, const char*) { errno = EXDEV; return -1; }; },
         "Invalid cross-device link"},
    };
    for (const Case& c : cases) {
        TestApp app(Edition::Dutch, false);
        KVGlobal& g = *app.g;
        app.docs.WriteFile("kvrn.ini", kSettings);
        ReadSettings(g);
        c.fail(g.seams.files);
        g.settings.inst.monteur = "Piet";
        EXPECT_THROW(WriteMainSettings(g), KVAbort) << c.step;
        ASSERT_EQ(app.rec.messages.size(), 1) << c.step;
        EXPECT_EQ(app.rec.messages[0], "De instellingen zijn niet opgeslagen: " + g.SettingsPath() + " (" + c.reason
                                           + "). Het instellingenbestand is ongewijzigd.") << c.step;
        EXPECT_EQ(app.docs.ReadFile("kvrn.ini"), kSettings) << c.step;
        EXPECT_EQ(namesIn(app.docs.path()), QStringList({"kvrn.ini"})) << c.step;

        // The same for a single key and for the term file's writer.
        EXPECT_THROW(IniFile(g.SettingsPath(), g.seams.files).WriteInteger("INST", "bon", 1), FileWriteError) << c.step;
        EXPECT_EQ(app.docs.ReadFile("kvrn.ini"), kSettings) << c.step;
    }
}

TEST(DurableWrite, TheNewFileIsSyncedBeforeItTakesTheNameAndTheFolderAfter)
{
    TestApp app(Edition::Dutch, false);
    KVGlobal& g = *app.g;
    QStringList steps;
    FileCalls& f = g.seams.files;
    f.write = [&](int fd, const void* d, size_t n) { steps << "write"; return ::write(fd, d, n); };
    f.fsync = [&](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        steps << (S_ISDIR(st.st_mode) ? "sync folder" : "sync file");
        return ::fsync(fd);
    };
    f.close = [&](int fd) { steps << "close"; return ::close(fd); };
    f.rename = [&](const char* from, const char* to) {
        steps << "rename";
        EXPECT_TRUE(QString::fromLocal8Bit(from).startsWith(g.SettingsPath() + ".new-"));
        EXPECT_EQ(QString::fromLocal8Bit(to), g.SettingsPath());
        return ::rename(from, to);
    };
    // A group of keys is one save, however many there are.
    g.settings.mailtekst = QStringList(5000, "regel");
    WriteMainSettings(g);
    steps.removeDuplicates();
    EXPECT_EQ(steps, QStringList({"write", "sync file", "close", "rename", "sync folder"}));
    KVGlobal back(Edition::Dutch, app.docs.path());
    ReadSettings(back);
    EXPECT_EQ(back.settings.mailtekst.size(), 5000);
}

// A real full disk: a small tmpfs that the test mounts and fills.
TEST(DurableWrite, AFullDiskKeepsTheSettingsAndTellsTheUser)
{
    TempDocs mountPoint;
    const QByteArray where = QFile::encodeName(mountPoint.path());
    if (::mount("kvtest", where.constData(), "tmpfs", 0, "size=64k,mode=0700") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << "); needs root";
    struct Unmount {
        QByteArray at;
        ~Unmount() { ::umount2(at.constData(), MNT_DETACH); }
    } unmount{where};

    KVGlobal g(Edition::Dutch, mountPoint.path());
    SeamRecorder rec;
    rec.Attach(g);
    mountPoint.WriteFile("kvrn.ini", kSettings);
    ReadSettings(g);
    // Fill the file system to the last byte.
    {
        QFile filler(mountPoint.file("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    g.settings.inst.monteur = "Piet";
    g.settings.mailtekst = QStringList(200, "Een regel van de standaard mailtekst die het bestand groter maakt");
    EXPECT_THROW(WriteMainSettings(g), KVAbort);
    ASSERT_EQ(rec.messages.size(), 1);
    EXPECT_TRUE(rec.messages[0].contains("(No space left on device)")) << rec.messages[0].toStdString();
    EXPECT_EQ(mountPoint.ReadFile("kvrn.ini"), kSettings);
    EXPECT_EQ(namesIn(mountPoint.path()), QStringList({"filler", "kvrn.ini"}));

    // Room again: the same write goes through.
    ASSERT_TRUE(QFile::remove(mountPoint.file("filler")));
    WriteMainSettings(g);
    KVGlobal back(Edition::Dutch, mountPoint.path());
    ReadSettings(back);
    EXPECT_EQ(back.settings.inst.monteur, "Piet");
    EXPECT_EQ(back.settings.cloud.user, "acme");
    EXPECT_EQ(back.settings.mailtekst.size(), 200);
}

TEST(DurableWrite, StartUpRemovesWhatKilledWritersLeftAndNothingElse)
{
    TestApp app(Edition::Dutch, false);
    const QStringList stale = {"kvrn.ini.new-a1B2c3", "jargon.ini.new-ZZ99zz", "kvrn.ini.Xy12ab"};
    const QStringList kept = {"kvrn.ini", "kvrn.ini.new-", "kvrn.ini.new-abc", "kvrn.ini.bak", "kvrn.ini.backup", "kvrn.ini.kopie-1",
                              "kolvarn.db3.new-a1B2c3", "notes.txt"};
    for (const QString& name : stale + kept)
        app.docs.WriteFile(name, "[MAIL]\nww=geheim\n");
    ReadSettings(*app.g);
    QStringList expected = kept;
    expected.sort();
    EXPECT_EQ(namesIn(app.docs.path()), expected);
}

// ---- the settings of the program ----

TEST(SettingsFile, FreshStartDefaultsOfBothEditions)
{
    struct Case {
        Edition edition;
        int taal;
        const char* footer1;
        const char* office;
        const char* clientPad;
        const char* mechanicPad;
        const char* distancePrice;
    };
    const Case cases[] = {
        {Edition::Dutch, 4, "Levering volgens algemene leveringsvoorwaarden zoals gedeponeerd...", "Kantoor",
         "Indien akkoord handtekening opdrachtgever", "Indien akkoord handtekening monteur", "Prijs per km"},
        {Edition::English, 1, "Delivery under terms and conditions as filed...", "Office",
         "If agreement signature client", "If agreement signature mechanic", "Price per km"},
    };
    for (const Case& c : cases) {
        TestApp app(c.edition, false);
        KVGlobal& g = *app.g;
        ReadSettings(g);
        const Settings& s = g.settings;
        EXPECT_EQ(s.inst.schaal, 0.0f);
        EXPECT_EQ(s.inst.unit, 1);
        EXPECT_EQ(s.inst.bon, 20200001);
        EXPECT_EQ(s.inst.btw, 21);
        EXPECT_TRUE(s.inst.autoComp);
        EXPECT_FALSE(s.inst.prijsinc);
        EXPECT_EQ(s.inst.maxgebruikt, 13);
        EXPECT_EQ(s.inst.maxnodig, 0);
        EXPECT_FALSE(s.inst.correctie);
        EXPECT_TRUE(s.mail.std);
        // TLS is used where offered, not required: older files keep working with any server.
        EXPECT_FALSE(s.mail.tlsRequired);
        EXPECT_FALSE(s.cloud.tlsRequired);
        EXPECT_TRUE(s.cloud.ca.isEmpty());
        EXPECT_EQ(s.branche.valuta, QString::fromUtf8("€"));
        EXPECT_EQ(s.branche.afstand, "Km");
        EXPECT_EQ(s.branche.taal, c.taal);
        EXPECT_EQ(s.cloud.server, EditionInfo::DefaultCloudHost());
        EXPECT_FALSE(g.CloudSyncEnabled);
        EXPECT_TRUE(s.mailtekst.isEmpty());
        EXPECT_EQ(g.bon.percob, 21);
        EXPECT_TRUE(g.bon.autocomp);
        EXPECT_FALSE(g.bon.prijsinc);
        EXPECT_EQ(g.ids.IdLocation + g.ids.IdMachine + g.ids.IdUser, "LMKV");
        for (int n = 1; n <= 10; ++n)
            EXPECT_FALSE(s.syncDevs[n].actief || !s.syncDevs[n].naam.isEmpty()) << n;

        g.jargon.SetLanguageCode(KVJargon::CodeForIndex(s.branche.taal));
        ReadFootersAndCaptions(g);
        EXPECT_EQ(s.pro.footer1, c.footer1);
        EXPECT_EQ(s.pro.footer2, EditionInfo::DefaultFooter(c.edition, 2));
        EXPECT_EQ(s.pro.footer3, EditionInfo::DefaultFooter(c.edition, 3));
        EXPECT_EQ(s.syncDevs[0].naam, c.office);
        EXPECT_TRUE(s.syncDevs[0].actief);
        EXPECT_EQ(g.jargon.Caption("TMSFMXSignatureCapture1"), c.clientPad);
        EXPECT_EQ(g.jargon.Caption("TMSFMXSignatureCapture2"), c.mechanicPad);
        EXPECT_EQ(g.jargon.Caption("ListBoxItemAfstand"), "Km");
        EXPECT_EQ(g.jargon.Caption("ListBoxItemAfstandPrijs"), c.distancePrice);
        EXPECT_FALSE(QFile::exists(g.SettingsPath())) << "reading creates no file";
    }
}

TEST(SettingsFile, ReadsAFileAsWrittenByHand)
{
    TestApp app(Edition::Dutch, false);
    app.docs.WriteFile("kvrn.ini",
                       "[inst]\nSCHAAL=1,25\nunit=3\nmonteur=J\xC3\xBCrgen\nemail=kantoor@example.org\nbon=0x10\n"
                       "werk=45,5\nover=60\nreis=30,25\nkm=0,35\nbtw=9\nauto=0\nprijsinc=2\nmaxgebruikt=8\nmaxnodig=5\ncorrectie=1\n"
                       "[MAIL]\nport=587\nsmtp=smtp.example.org\nuser=u\nww=p=w\nreply=r@example.org\nstd=0\n"
                       "[CLOUD]\nUser=qurimsa_acme\nWW=secret\nServer=db.example.org\n"
                       "[PRO]\nlogo=logokvpro.jpg\nbedrijf=Acme B.V.\nfooter2=Eigen voet\n"
                       "[BRANCHE]\ntaal=0\nvaluta=CHF\nafstand=MIJL\n"
                       "[SYNC]\nDEV0=Werkplaats\nACT0=0\nDEV3=Bus 3\nACT3=1\nACT4=x\n"
                       "[mailtekst]\ncount=2\nregel0=Beste klant,\nregel1=\nregel2=never read\n");
    KVGlobal& g = *app.g;
    int hookCalls = 0;
    ReadSettings(g, [&](KVGlobal& seen) {
        ++hookCalls;
        // The start-up connection runs last, with every setting in place.
        EXPECT_EQ(seen.settings.cloud.user, "acme");
        EXPECT_EQ(seen.ids.IdUser, "KV");
        EXPECT_EQ(seen.settings.mailtekst.size(), 2);
    });
    EXPECT_EQ(hookCalls, 1);

    const Settings& s = g.settings;
    EXPECT_EQ(s.inst.schaal, 1.25f);
    EXPECT_EQ(s.inst.unit, 3);
    EXPECT_EQ(s.inst.monteur, QString::fromUtf8("Jürgen"));
    EXPECT_EQ(s.inst.email, "kantoor@example.org");
    EXPECT_EQ(s.inst.bon, 16);
    EXPECT_EQ(s.inst.werk, 45.5);
    EXPECT_EQ(s.inst.over, 60);
    EXPECT_EQ(s.inst.reis, 30.25);
    EXPECT_EQ(s.inst.km, 0.35);
    EXPECT_EQ(s.inst.btw, 9);
    EXPECT_FALSE(s.inst.autoComp);
    EXPECT_TRUE(s.inst.prijsinc);
    EXPECT_EQ(s.inst.maxgebruikt, 8);
    EXPECT_EQ(s.inst.maxnodig, 5);
    EXPECT_TRUE(s.inst.correctie);
    EXPECT_EQ(g.bon.uurprijswerk, 45.5);
    EXPECT_EQ(g.bon.uurprijsover, 60);
    EXPECT_EQ(g.bon.uurprijsreis, 30.25);
    EXPECT_EQ(g.bon.kmprijs, 0.35);
    EXPECT_EQ(g.bon.percob, 9);
    EXPECT_FALSE(g.bon.autocomp);
    EXPECT_TRUE(g.bon.prijsinc);

    EXPECT_EQ(s.mail.port, 587);
    EXPECT_EQ(s.mail.smtp, "smtp.example.org");
    EXPECT_EQ(s.mail.user, "u");
    EXPECT_EQ(s.mail.ww, "p=w");
    EXPECT_EQ(s.mail.reply, "r@example.org");
    EXPECT_FALSE(s.mail.std);
    EXPECT_EQ(s.cloud.user, "acme");
    EXPECT_EQ(s.cloud.ww, "secret");
    EXPECT_EQ(s.cloud.server, "db.example.org");
    EXPECT_TRUE(g.CloudSyncEnabled);
    EXPECT_EQ(s.pro.logo, "logokvpro.jpg");
    EXPECT_EQ(s.pro.bedrijf, "Acme B.V.");
    EXPECT_EQ(s.branche.taal, 0);
    EXPECT_EQ(s.branche.valuta, "CHF");
    EXPECT_EQ(s.branche.afstand, "MIJL");
    EXPECT_EQ(s.syncDevs[3].naam, "Bus 3");
    EXPECT_TRUE(s.syncDevs[3].actief);
    EXPECT_FALSE(s.syncDevs[4].actief);
    EXPECT_EQ(s.mailtekst, QStringList({"Beste klant,", ""}));

    // Start-up goes on with the terms and the language before the footers and captions.
    app.docs.WriteFile("jargon.ini", "[Jargon]\nOpdrachtgever=Klant\nMonteur=Technieker\n");
    g.jargon.LoadTerms(g.TermsPath());
    g.jargon.SetLanguageCode(KVJargon::CodeForIndex(s.branche.taal));
    ReadFootersAndCaptions(g);
    EXPECT_EQ(s.pro.footer1, EditionInfo::DefaultFooter(Edition::Dutch, 1));
    EXPECT_EQ(s.pro.footer2, "Eigen voet");
    EXPECT_EQ(s.syncDevs[0].naam, "Werkplaats");
    EXPECT_TRUE(s.syncDevs[0].actief) << "the office slot is active whatever the file says";
    EXPECT_EQ(g.jargon.Caption("TMSFMXSignatureCapture1"), "Wenn einverstanden, Unterschrift klant");
    EXPECT_EQ(g.jargon.Caption("TMSFMXSignatureCapture2"), "Wenn einverstanden, Unterschrift technieker");
    EXPECT_EQ(g.jargon.Caption("ListBoxItemAfstand"), "Mijl");
    EXPECT_EQ(g.jargon.Caption("ListBoxItemAfstandPrijs"), "Preis pro mijl");
}

TEST(SettingsFile, CloudUserAndSyncEnabled)
{
    const std::pair<const char*, const char*> names[] = {
        {"qurimsa_acme", "acme"}, {"acme", "acme"}, {"kolvarnp_acme", "kolvarnp_acme"},
        {"xqurimsa_y", "xqurimsa_y"}, {"qurimsa_", ""}, {"", ""},
    };
    for (const auto& [in, out] : names)
        EXPECT_EQ(NormaliseCloudUser(in), out) << in;

    struct Case {
        QByteArray cloud;
        const char* user;
        bool enabled;
    };
    const Case cases[] = {
        {"User=acme\nWW=pw\n", "acme", true},
        {"User=acme\nWW=pw\nServer=\n", "acme", true}, // the server plays no part at start-up
        {"WW=pw\n", "", false},
        {"User=qurimsa_\nWW=pw\n", "", false},
        {"User=acme\n", "acme", false},
    };
    for (const Case& c : cases) {
        TestApp app(Edition::Dutch, false);
        app.docs.WriteFile("kvrn.ini", "[CLOUD]\n" + c.cloud);
        ReadSettings(*app.g);
        EXPECT_EQ(app.g->settings.cloud.user, c.user) << c.cloud.constData();
        EXPECT_EQ(app.g->CloudSyncEnabled, c.enabled) << c.cloud.constData();
    }
}

TEST(SettingsFile, MailTextLines)
{
    const std::pair<QByteArray, QStringList> cases[] = {
        {"count=2\nregel0=a\nregel1=b\nregel2=c\n", {"a", "b"}},
        {"count=3\nregel0=a\nregel2=c\n", {"a", "", "c"}},
        {"count=0\nregel0=a\n", {}},
        {"count=-1\nregel0=a\n", {}},
        {"count=twee\nregel0=a\n", {}},
        // A damaged count reads no further than the lines the file holds.
        {"count=2147483647\nregel0=a\nregel1=b\n", {"a", "b"}},
        {"count=2147483647\nregel0=a\nregel2000000000=z\n", {"a"}}, // not two thousand million lines
        {"count=3\nREGEL0=a\nregel01=x\nregel1=b\nregel1=c\n", {"a", "c"}},
    };
    for (const auto& [section, lines] : cases) {
        TestApp app(Edition::Dutch, false);
        app.docs.WriteFile("kvrn.ini", "[mailtekst]\n" + section);
        app.g->settings.mailtekst = QStringList({"stale"});
        ReadSettings(*app.g);
        EXPECT_EQ(app.g->settings.mailtekst, lines) << section.constData();
    }
}

TEST(SettingsFile, PartsLineMaximaStayWithinTheDocument)
{
    struct Case {
        QByteArray file;
        int used, needed;
    };
    const Case cases[] = {
        {"maxgebruikt=11\nmaxnodig=2\n", 11, 2},
        {"maxgebruikt=0\nmaxnodig=0\n", 0, 0},
        {"maxgebruikt=20\n", 13, 0},
        {"maxgebruikt=8\nmaxnodig=9\n", 8, 5},
        {"maxgebruikt=-3\nmaxnodig=4\n", 0, 4},
    };
    for (const Case& c : cases) {
        TestApp app(Edition::Dutch, false);
        app.docs.WriteFile("kvrn.ini", "[INST]\n" + c.file);
        ReadSettings(*app.g);
        EXPECT_EQ(app.g->MaxUsedRows(), c.used) << c.file.constData();
        EXPECT_EQ(app.g->MaxNeededRows(), c.needed) << c.file.constData();
    }
}

TEST(SettingsFile, WritersRoundTrip)
{
    TestApp app(Edition::English, false);
    KVGlobal& g = *app.g;
    Settings& s = g.settings;
    s.inst = {.schaal = 1.1f, .unit = 7, .monteur = QString::fromUtf8("Renée"), .email = "o@example.org",
              .bon = 70000012, .werk = 45.5, .over = 60.25, .reis = 30, .km = 0.19, .btw = 19,
              .autoComp = false, .prijsinc = true, .maxgebruikt = 9, .maxnodig = 4, .correctie = true};
    s.mail = {.port = 2525, .smtp = "smtp.example.org", .user = "user", .ww = QString::fromUtf8("wächter"),
              .reply = "reply@example.org", .std = false, .tlsRequired = true};
    s.cloud = {.user = "acme", .ww = "pw", .server = "db.example.org", .tlsRequired = true, .ca = "/etc/kv/ca.pem"};
    s.pro = {.logo = "logokvpro.jpg", .bedrijf = QString::fromUtf8("Müller & Zoon"), .footer1 = "f1", .footer2 = "f2",
             .footer3 = QString::fromUtf8("f3 €")};
    s.branche = {.taal = 3, .valuta = "$", .afstand = "mi"};
    for (int n = 0; n <= 10; ++n)
        s.syncDevs[n] = {QStringLiteral("Unit %1").arg(n), n % 2 == 1};
    s.mailtekst = QStringList({"Dear client,", "", QString::fromUtf8("Grüße")});

    WriteMainSettings(g);
    WriteRegionalSettings(g);
    WriteCompanySettings(g);
    WriteSyncSettings(g);
    const QByteArray file = app.docs.ReadFile("kvrn.ini");
    EXPECT_EQ(linesOfKey(file, "schaal"), QStringList({"schaal=1,1"})) << "the single's own shortest decimal";
    EXPECT_EQ(linesOfKey(file, "std"), QStringList({"Std=0"}));
    EXPECT_EQ(linesOfKey(file, "ACT0"), QStringList({"ACT0=0"}));

    KVGlobal back(Edition::English, app.docs.path());
    ReadSettings(back);
    ReadFootersAndCaptions(back);
    const Settings& r = back.settings;
    EXPECT_EQ(r.inst.schaal, 1.1f);
    EXPECT_EQ(r.inst.unit, 7);
    EXPECT_EQ(r.inst.monteur, s.inst.monteur);
    EXPECT_EQ(r.inst.email, s.inst.email);
    EXPECT_EQ(r.inst.bon, 70000012);
    EXPECT_EQ(r.inst.werk, 45.5);
    EXPECT_EQ(r.inst.over, 60.25);
    EXPECT_EQ(r.inst.reis, 30);
    EXPECT_EQ(r.inst.km, 0.19);
    EXPECT_EQ(r.inst.btw, 19);
    EXPECT_FALSE(r.inst.autoComp);
    EXPECT_TRUE(r.inst.prijsinc);
    EXPECT_EQ(r.inst.maxgebruikt, 9);
    EXPECT_EQ(r.inst.maxnodig, 4);
    EXPECT_TRUE(r.inst.correctie);
    EXPECT_EQ(r.mail.port, 2525);
    EXPECT_EQ(r.mail.smtp, s.mail.smtp);
    EXPECT_EQ(r.mail.user, s.mail.user);
    EXPECT_EQ(r.mail.ww, s.mail.ww);
    EXPECT_EQ(r.mail.reply, s.mail.reply);
    EXPECT_FALSE(r.mail.std);
    EXPECT_TRUE(r.mail.tlsRequired);
    EXPECT_EQ(r.cloud.user, "acme");
    EXPECT_EQ(r.cloud.ww, "pw");
    EXPECT_EQ(r.cloud.server, "db.example.org");
    EXPECT_TRUE(r.cloud.tlsRequired);
    EXPECT_EQ(r.cloud.ca, "/etc/kv/ca.pem");
    EXPECT_EQ(r.pro.logo, s.pro.logo);
    EXPECT_EQ(r.pro.bedrijf, s.pro.bedrijf);
    EXPECT_EQ(r.pro.footer1, "f1");
    EXPECT_EQ(r.pro.footer2, "f2");
    EXPECT_EQ(r.pro.footer3, s.pro.footer3);
    EXPECT_EQ(r.branche.taal, 3);
    EXPECT_EQ(r.branche.valuta, "$");
    EXPECT_EQ(r.branche.afstand, "mi");
    for (int n = 0; n <= 10; ++n) {
        EXPECT_EQ(r.syncDevs[n].naam, s.syncDevs[n].naam) << n;
        EXPECT_EQ(r.syncDevs[n].actief, n == 0 || s.syncDevs[n].actief) << n;
    }
    EXPECT_EQ(r.mailtekst, s.mailtekst);
}

TEST(SettingsFile, WritersUpdateTheKeysAlreadyThere)
{
    TestApp app(Edition::Dutch, false);
    app.docs.WriteFile("kvrn.ini",
                       "[MAIL]\nstd=0\n"
                       "[INST]\nbon=0x10\nmonteur=Jan\n"
                       "[mailtekst]\ncount=3\nregel0=a\nregel1=b\nregel2=c\n");
    KVGlobal& g = *app.g;
    ReadSettings(g);
    EXPECT_EQ(g.settings.inst.bon, 16);
    EXPECT_FALSE(g.settings.mail.std);

    // The ticket counter is written on its own.
    g.settings.inst.bon = 17;
    g.settings.inst.monteur = "Piet";
    WriteTicketCounter(g);
    EXPECT_EQ(IniFile(g.SettingsPath()).ReadInteger("INST", "bon", 0), 17);
    EXPECT_EQ(IniFile(g.SettingsPath()).ReadString("INST", "monteur", {}), "Jan");

    // "Std" updates the key spelled std; a shorter mail text leaves the old lines unread.
    g.settings.mail.std = true;
    g.settings.mailtekst = QStringList({"x"});
    WriteMainSettings(g);
    const QByteArray file = app.docs.ReadFile("kvrn.ini");
    EXPECT_EQ(linesOfKey(file, "std"), QStringList({"std=1"}));
    EXPECT_EQ(linesOfKey(file, "regel2"), QStringList({"regel2=c"}));
    KVGlobal back(Edition::Dutch, app.docs.path());
    ReadSettings(back);
    EXPECT_TRUE(back.settings.mail.std);
    EXPECT_EQ(back.settings.mailtekst, QStringList({"x"}));
    EXPECT_EQ(back.settings.inst.monteur, "Piet");
}
