// The private-profile reader and writer: the rules on the bytes, then the file
// itself (atomic replacement, permissions, read-only, odd and huge files).
#include "PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestPrivateProfile : public QObject {
    Q_OBJECT

private slots:
    void init();

    void readsByTheRules_data();
    void readsByTheRules();
    void cutsToTheBuffer();

    void editsOnlyTheValue_data();
    void editsOnlyTheValue();
    void refusesWhatALineCannotHold_data();
    void refusesWhatALineCannotHold();

    void createsFolderAndFile();
    void replacesAtomicallyKeepingPermissions();
    void rootKeepsTheOwner();
    void readOnlyFileIsLeftAlone();
    void notAFileIsNeverRead();
    void binaryFileReadsAsMissing();
    void hugeFileIsReadOnlyUpToTheCap();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestPrivateProfile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("zorvel/config.ini"));
}

void TestPrivateProfile::readsByTheRules_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "<default>" when not found

    QTest::newRow("plain") << QByteArray("[Config]\nWidth=5\n") << "Width" << "5";
    QTest::newRow("section in other case") << QByteArray("[config]\nWidth=5\n") << "Width" << "5";
    QTest::newRow("key in other case") << QByteArray("[Config]\nSENSITIVITY=5\n") << "Sensitivity" << "5";
    QTest::newRow("blanks around everything") << QByteArray("  [ Config ]  \n \t Width \t = \t 5 \t \n") << "Width"
                                              << "5";
    QTest::newRow("CR LF") << QByteArray("[Config]\r\nWidth=5\r\n") << "Width" << "5";
    QTest::newRow("no final line end") << QByteArray("[Config]\nWidth=5") << "Width" << "5";
    QTest::newRow("double quotes removed") << QByteArray("[Config]\nWidth=\" 5 \"\n") << "Width" << " 5 ";
    QTest::newRow("single quotes removed") << QByteArray("[Config]\nWidth='5'\n") << "Width" << "5";
    QTest::newRow("one pair only") << QByteArray("[Config]\nWidth=\"\"5\"\"\n") << "Width" << "\"5\"";
    QTest::newRow("unpaired quote kept") << QByteArray("[Config]\nWidth=\"5\n") << "Width" << "\"5";
    QTest::newRow("mixed quotes kept") << QByteArray("[Config]\nWidth=\"5'\n") << "Width" << "\"5'";
    QTest::newRow("lone quote kept") << QByteArray("[Config]\nWidth=\"\n") << "Width" << "\"";
    QTest::newRow("empty value") << QByteArray("[Config]\nWidth=   \n") << "Width" << "";
    QTest::newRow("value keeps later equals") << QByteArray("[Config]\nWidth=a=b\n") << "Width" << "a=b";
    QTest::newRow("text after the header") << QByteArray("[Config] ; ours\nWidth=5\n") << "Width" << "5";
    QTest::newRow("first key wins") << QByteArray("[Config]\nWidth=5\nwidth=6\n") << "Width" << "5";
    QTest::newRow("first section wins") << QByteArray("[Config]\nHeight=1\n[Config]\nWidth=6\n") << "Width"
                                        << "<default>";
    QTest::newRow("key in another section") << QByteArray("[Window]\nWidth=5\n[Config]\n") << "Width"
                                            << "<default>";
    QTest::newRow("key before any section") << QByteArray("Width=5\n[Config]\n") << "Width" << "<default>";
    QTest::newRow("commented out") << QByteArray("[Config]\n;Width=5\n") << "Width" << "<default>";
    QTest::newRow("no equals sign") << QByteArray("[Config]\nWidth\n") << "Width" << "<default>";
    QTest::newRow("longer key name") << QByteArray("[Config]\nWidths=5\n") << "Width" << "<default>";
    QTest::newRow("header without bracket") << QByteArray("[Other]\n[Config\nWidth=5\n") << "Width"
                                            << "<default>";
    QTest::newRow("missing section") << QByteArray("[Other]\nWidth=5\n") << "Width" << "<default>";
    QTest::newRow("empty file") << QByteArray() << "Width" << "<default>";
    QTest::newRow("UTF-8 value") << QByteArray("[Config]\nWidth=\xc3\xa9t\xc3\xa9\n") << "Width"
                                 << QStringLiteral("\u00e9t\u00e9");
    QTest::newRow("Latin-1 value") << QByteArray("[Config]\nWidth=\xe9t\xe9\n") << "Width"
                                   << QStringLiteral("\u00e9t\u00e9");
    QTest::newRow("NUL inside a value") << QByteArray("[Config]\nWidth=5\0" "6\n", 18) << "Width"
                                        << QString::fromLatin1("5\0" "6", 3);
}

void TestPrivateProfile::readsByTheRules()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(privateProfileValue(content, QStringLiteral("Config"), key, QStringLiteral("<default>"), 2048),
             expected);

    // The same through a real file.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    writeAll(m_path, content);
    QCOMPARE(getPrivateProfileString(QStringLiteral("Config"), key, QStringLiteral("<default>"), 2048, m_path),
             expected);
}

void TestPrivateProfile::cutsToTheBuffer()
{
    const QByteArray content = "[Config]\nWidth=" + QByteArray(3000, '7') + "\n";
    const QString value = privateProfileValue(content, "Config", "Width", {}, 2048);
    QCOMPARE(value, QString(2047, u'7'));
    QCOMPARE(privateProfileValue(content, "Config", "Width", {}, 1), QString());
    QCOMPARE(privateProfileValue(content, "Config", "Width", {}, 0), QString());
    // A character outside the BMP is never cut in half.
    QCOMPARE(privateProfileValue("[Config]\nWidth=a\xf0\x9f\x98\x80\n", "Config", "Width", {}, 3), "a");
    // The default loses its trailing blanks and is cut the same way.
    QCOMPARE(privateProfileValue({}, "Config", "Width", " 12 \t ", 2048), " 12");
    QCOMPARE(privateProfileValue({}, "Config", "Width", "12345", 3), "12");
    // A missing file yields the default.
    QCOMPARE(getPrivateProfileString("Config", "Width", "dflt", 2048, m_path), "dflt");
}

void TestPrivateProfile::editsOnlyTheValue_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << "Width" << QByteArray("[Config]\nWidth=810\n");
    QTest::newRow("value replaced, spelling and blanks kept")
        << QByteArray("[config]\r\n  WIDTH = 5 \r\n") << "Width" << QByteArray("[config]\r\n  WIDTH = 810 \r\n");
    QTest::newRow("quoted value replaced") << QByteArray("[Config]\nWidth=\"5\"\n") << "Width"
                                           << QByteArray("[Config]\nWidth=810\n");
    QTest::newRow("empty value filled") << QByteArray("[Config]\nWidth=  \nX=1\n") << "Width"
                                        << QByteArray("[Config]\nWidth=810\nX=1\n");
    QTest::newRow("first of two keys replaced") << QByteArray("[Config]\nWidth=1\nWidth=2\n") << "Width"
                                                << QByteArray("[Config]\nWidth=810\nWidth=2\n");
    QTest::newRow("key added after the section's last line")
        << QByteArray("[Config]\r\nHeight=1\r\n\r\n; Other's notes\r\n[Other]\r\nWidth=2\r\n") << "Width"
        << QByteArray("[Config]\r\nHeight=1\r\nWidth=810\r\n\r\n; Other's notes\r\n[Other]\r\nWidth=2\r\n");
    QTest::newRow("key added to an empty section") << QByteArray("[Config]\n\n[Other]\n") << "Width"
                                                   << QByteArray("[Config]\nWidth=810\n\n[Other]\n");
    QTest::newRow("key added after a last line with no line end")
        << QByteArray("[Config]\nHeight=1") << "Width" << QByteArray("[Config]\nHeight=1\nWidth=810");
    QTest::newRow("a lone CR ends no line")
        << QByteArray("[Config]\nA=1\r") << "Width" << QByteArray("[Config]\nA=1\r\nWidth=810");
    QTest::newRow("section appended, file's line end used")
        << QByteArray("[Other]\r\nA=1") << "Width" << QByteArray("[Other]\r\nA=1\r\n[Config]\r\nWidth=810\r\n");
    QTest::newRow("section appended after comments")
        << QByteArray("; notes\n") << "Width" << QByteArray("; notes\n[Config]\nWidth=810\n");
    QTest::newRow("commented key is not ours") << QByteArray("[Config]\n;Width=5\n") << "Width"
                                               << QByteArray("[Config]\nWidth=810\n;Width=5\n");
}

void TestPrivateProfile::editsOnlyTheValue()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    const auto edited = privateProfileWithValue(before, QStringLiteral("Config"), key, QStringLiteral("810"));
    QVERIFY(edited);
    QCOMPARE(*edited, after);
    QCOMPARE(privateProfileValue(*edited, "Config", key, {}, 2048), "810");
}

void TestPrivateProfile::refusesWhatALineCannotHold_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("line end in value") << "Config" << "Width" << "1\n[Evil]";
    QTest::newRow("CR in value") << "Config" << "Width" << "1\r";
    QTest::newRow("equals in key") << "Config" << "Wi=dth" << "1";
    QTest::newRow("key like a header") << "Config" << "[Width" << "1";
    QTest::newRow("key like a comment") << "Config" << ";Width" << "1";
    QTest::newRow("empty key") << "Config" << "" << "1";
    QTest::newRow("empty section") << "" << "Width" << "1";
    QTest::newRow("blank around the section") << " Config" << "Width" << "1";
    QTest::newRow("line end in section") << "Con\nfig" << "Width" << "1";
}

void TestPrivateProfile::refusesWhatALineCannotHold()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QVERIFY(!privateProfileWithValue("[Config]\nWidth=5\n", section, key, value));
    QVERIFY(!writePrivateProfileString(section, key, value, m_path));
    QVERIFY(!QFile::exists(m_path));
}

void TestPrivateProfile::createsFolderAndFile()
{
    QVERIFY(!QFileInfo::exists(QFileInfo(m_path).absolutePath()));
    QVERIFY(writePrivateProfileString("Config", "Width", "810", m_path));
    QVERIFY(writePrivateProfileString("Config", "Height", "62", m_path));
    QCOMPARE(readAll(m_path), QByteArray("[Config]\nWidth=810\nHeight=62\n"));
}

void TestPrivateProfile::replacesAtomicallyKeepingPermissions()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    writeAll(m_path, "[Config]\nWidth=5\n");
    QVERIFY(::chmod(QFile::encodeName(m_path).constData(), 0640) == 0);
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &before), 0);

    QVERIFY(writePrivateProfileString("Config", "Width", "810", m_path));

    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &after), 0);
    QCOMPARE(after.st_mode & 07777, 0640u);
    QVERIFY(after.st_ino != before.st_ino); // a new file renamed into place, not rewritten in place
    QCOMPARE(readAll(m_path), QByteArray("[Config]\nWidth=810\n"));
    QCOMPARE(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"config.ini"});

    // A config.ini linked from elsewhere stays a link; its target is replaced.
    const QString target = m_dir->filePath(QStringLiteral("kept.ini"));
    writeAll(target, "[Config]\nWidth=5\n");
    QVERIFY(QFile::remove(m_path));
    QVERIFY(QFile::link(target, m_path));
    QVERIFY(writePrivateProfileString("Config", "Width", "810", m_path));
    QVERIFY(QFileInfo(m_path).isSymLink());
    QCOMPARE(readAll(target), QByteArray("[Config]\nWidth=810\n"));
}

void TestPrivateProfile::rootKeepsTheOwner()
{
    if (::geteuid() != 0)
        QSKIP("only root can hand a file to another user");
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    writeAll(m_path, "[Config]\nWidth=5\n");
    QCOMPARE(::chown(QFile::encodeName(m_path).constData(), 4321, 4322), 0);
    QVERIFY(writePrivateProfileString("Config", "Width", "810", m_path));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &st), 0);
    QCOMPARE(st.st_uid, 4321u);
    QCOMPARE(st.st_gid, 4322u);
}

void TestPrivateProfile::readOnlyFileIsLeftAlone()
{
    // Root may write any file; the store still refuses one whose owner's write
    // bit is clear, as the user asked for by making it read-only.
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    const QByteArray content = "[Config]\r\nWidth=5\r\n";
    writeAll(m_path, content);
    QVERIFY(::chmod(QFile::encodeName(m_path).constData(), 0444) == 0);

    QVERIFY(!writePrivateProfileString("Config", "Width", "810", m_path));
    QVERIFY(!writePrivateProfileString("Config", "Height", "62", m_path));
    QCOMPARE(readAll(m_path), content);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, 0444u);
    QCOMPARE(getPrivateProfileString("Config", "Width", {}, 2048, m_path), "5"); // still readable
}

void TestPrivateProfile::notAFileIsNeverRead()
{
    // A folder or a FIFO under the file's name reads as missing at once (a
    // FIFO must not block the bar's start) and is never replaced.
    QVERIFY(QDir().mkpath(m_path));
    QCOMPARE(getPrivateProfileString("Config", "Width", "d", 2048, m_path), "d");
    QVERIFY(!writePrivateProfileString("Config", "Width", "810", m_path));
    QVERIFY(QFileInfo(m_path).isDir());

    const QString fifo = m_dir->filePath(QStringLiteral("fifo.ini"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(getPrivateProfileString("Config", "Width", "d", 2048, fifo), "d");
    QVERIFY(!writePrivateProfileString("Config", "Width", "810", fifo));
}

void TestPrivateProfile::binaryFileReadsAsMissing()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    QRandomGenerator random(20240611);
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    for (char &byte : noise)
        byte = static_cast<char>(random.bounded(256));
    noise.replace('[', '('); // no section header by chance
    writeAll(m_path, noise);

    QCOMPARE(getPrivateProfileString("Config", "Width", "d", 2048, m_path), "d");
    QVERIFY(writePrivateProfileString("Config", "Width", "810", m_path));
    const QByteArray written = readAll(m_path);
    QVERIFY(written.startsWith(noise));
    QCOMPARE(getPrivateProfileString("Config", "Width", "d", 2048, m_path), "810");
}

void TestPrivateProfile::hugeFileIsReadOnlyUpToTheCap()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    // Height stands early; Width's line straddles the cap, so only "Width=1"
    // of it lies inside; TopPos lies beyond it.
    QByteArray content = "[Config]\nHeight=80\n";
    const QByteArray filler = ";" + QByteArray(98, 'f') + "\n";
    while (content.size() + filler.size() < kMaxProfileBytes - 8)
        content += filler;
    content += QByteArray(kMaxProfileBytes - 8 - content.size(), ';') + "\n";
    QCOMPARE(content.size(), kMaxProfileBytes - 7);
    content += "Width=1234567\nTopPos=2\n" + QByteArray(3 * kMaxProfileBytes, '\0');
    writeAll(m_path, content);

    QCOMPARE(getPrivateProfileString("Config", "Height", "d", 2048, m_path), "80");
    QCOMPARE(getPrivateProfileString("Config", "Width", "d", 2048, m_path), "d");
    QCOMPARE(getPrivateProfileString("Config", "TopPos", "d", 2048, m_path), "d");

    // A file too big to rewrite whole is refused and left as it was.
    QVERIFY(!writePrivateProfileString("Config", "Height", "62", m_path));
    QCOMPARE(readAll(m_path), content);

    // One long line with no line end at all.
    writeAll(m_path, "[Config]\nWidth=" + QByteArray(2 * kMaxProfileBytes, '7'));
    QCOMPARE(getPrivateProfileString("Config", "Width", "d", 2048, m_path), "d");
}

QTEST_APPLESS_MAIN(TestPrivateProfile)
#include "test_private_profile.moc"
