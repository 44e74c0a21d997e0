// config.ini as the bar sees it: where it lives, how each value text reads,
// and the load and save sequences with a fake bar.
#include "BarSettings.h"
#include "ConfigStore.h"
#include "ErrorReporter.h"
#include "LoadSaveSettings.h"
#include "SettingsTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <limits>

#include <sys/stat.h>

namespace {

class FakeBar : public BarSettings {
public:
    int Width() const override { return width; }
    void SetWidth(int value) override { width = value, log << QStringLiteral("Width %1").arg(value); }
    int Height() const override { return height; }
    void SetHeight(int value) override { height = value, log << QStringLiteral("Height %1").arg(value); }
    std::int32_t Sensitivity() const override
    {
        if (onSensitivityRead)
            onSensitivityRead();
        return sensitivity;
    }
    void SetSensitivity(std::int32_t value) override
    {
        sensitivity = value, log << QStringLiteral("Sensitivity %1").arg(value);
    }
    std::int32_t TopPos() const override { return topPos; }
    void SetTopPos(std::int32_t value) override { topPos = value, log << QStringLiteral("TopPos %1").arg(value); }

    int width = 0, height = 0;
    std::int32_t sensitivity = 0, topPos = 0;
    QStringList log;
    std::function<void()> onSensitivityRead;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray fixture(const char *name)
{
    return readAll(QStringLiteral(ZORVEL_SETTINGS_FIXTURES "/") + QLatin1String(name));
}

} // namespace

class TestConfigStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pathFollowsTheXdgRule_data();
    void pathFollowsTheXdgRule();

    void readsValueTexts_data();
    void readsValueTexts();

    void loadsInOrderWithDefaultsAndWritesNothing();
    void badKeyTakesItsDefaultAlone();
    void firstSaveWritesFiveLines();
    void saveKeepsEverythingElse_data();
    void saveKeepsEverythingElse();
    void readOnlyFileFailsWithItsPath();
    void failingWriteEndsTheSequence();
    void unwritableFolderFailsWithThePath();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestConfigStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    m_path = m_dir->path() + QStringLiteral("/zorvel/config.ini");
}

void TestConfigStore::cleanup()
{
    // The read-only cases leave files QTemporaryDir can still remove; make sure.
    if (QFile::exists(m_path))
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    m_dir.reset();
}

void TestConfigStore::pathFollowsTheXdgRule_data()
{
    QTest::addColumn<QByteArray>("xdg");
    QTest::addColumn<QString>("expected");
    QTest::newRow("absolute") << QByteArray("/cfg/here") << "/cfg/here/zorvel/config.ini";
    QTest::newRow("trailing slash") << QByteArray("/cfg/here/") << "/cfg/here/zorvel/config.ini";
    QTest::newRow("empty") << QByteArray("") << "/home/someone/.config/zorvel/config.ini";
    QTest::newRow("relative is ignored") << QByteArray("cfg/here") << "/home/someone/.config/zorvel/config.ini";
    QTest::newRow("unset") << QByteArray() << "/home/someone/.config/zorvel/config.ini";
}

void TestConfigStore::pathFollowsTheXdgRule()
{
    QFETCH(QByteArray, xdg);
    QFETCH(QString, expected);
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", "/home/someone");
    if (xdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", xdg);
    const QString path = configFilePath();
    qputenv("HOME", home);
    QCOMPARE(path, expected);
}

void TestConfigStore::readsValueTexts_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("expected");
    const int min = std::numeric_limits<std::int32_t>::min();
    // Each line stands in [Config]; the key read is Height, default 62.
    QTest::newRow("0x400") << QByteArray("Height=0x400") << 1024;
    QTest::newRow("$400") << QByteArray("Height=$400") << 1024;
    QTest::newRow("x400") << QByteArray("Height=x400") << 1024;
    QTest::newRow("0X400") << QByteArray("Height=0X400") << 1024;
    QTest::newRow("blanks after equals") << QByteArray("Height= 80") << 80;
    QTest::newRow("blanks everywhere") << QByteArray("  Height \t=\t 80 \t") << 80;
    QTest::newRow("62px") << QByteArray("Height=62px") << 62;
    QTest::newRow("6 2") << QByteArray("Height=6 2") << 62;
    QTest::newRow("1.5") << QByteArray("Height=1.5") << 62;
    QTest::newRow("-0x10") << QByteArray("Height=-0x10") << 62;
    QTest::newRow("0x") << QByteArray("Height=0x") << 62;
    QTest::newRow("0X") << QByteArray("Height=0X") << 62;
    QTest::newRow("0x then non-hex") << QByteArray("Height=0xG") << 62;
    QTest::newRow("2147483648") << QByteArray("Height=2147483648") << 62;
    QTest::newRow("-2147483648") << QByteArray("Height=-2147483648") << min;
    QTest::newRow("0XFFFFFFFF") << QByteArray("Height=0XFFFFFFFF") << -1;
    QTest::newRow("0x1FFFFFFFF") << QByteArray("Height=0x1FFFFFFFF") << 62;
    QTest::newRow("0x000000001") << QByteArray("Height=0x000000001") << 1;
    QTest::newRow("00x10") << QByteArray("Height=00x10") << 62;
    QTest::newRow("leading zeros") << QByteArray("Height=0080") << 80;
    QTest::newRow("plus sign") << QByteArray("Height=+80") << 80;
    QTest::newRow("quoted") << QByteArray("Height=\"0x400\"") << 1024;
    QTest::newRow("quoted with blanks inside") << QByteArray("Height=\" 80\"") << 80;
    QTest::newRow("quoted trailing blank") << QByteArray("Height=\"80 \"") << 62;
    QTest::newRow("key in capitals") << QByteArray("HEIGHT=90") << 90;
    QTest::newRow("empty") << QByteArray("Height=") << 62;
    QTest::newRow("no equals") << QByteArray("Height") << 62;
    QTest::newRow("commented") << QByteArray(";Height=90") << 62;
    QTest::newRow("value beyond the buffer") << QByteArray("Height=" + QByteArray(2046, '0') + "90") << 9;
    QTest::newRow("value filling the buffer") << QByteArray("Height=" + QByteArray(2045, '0') + "90") << 90;
}

void TestConfigStore::readsValueTexts()
{
    QFETCH(QByteArray, line);
    QFETCH(int, expected);
    QVERIFY(writeAll(m_path, "[config]\r\n" + line + "\r\n"));
    QCOMPARE(ReadSetting("Config", "Height", 62), expected);
}

void TestConfigStore::loadsInOrderWithDefaultsAndWritesNothing()
{
    FakeBar bar;
    LoadSettings(bar);
    QCOMPARE(bar.log, QStringList({"Width 810", "Height 62", "Sensitivity 50", "TopPos 1"}));
    QVERIFY(!QFileInfo::exists(m_path));
    QVERIFY(!QFileInfo::exists(QFileInfo(m_path).absolutePath()));
}

void TestConfigStore::badKeyTakesItsDefaultAlone()
{
    QVERIFY(writeAll(m_path, "[CONFIG]\nwidth=0x400\nHeight=62px\nSENSITIVITY=-3\nTopPos=0XFFFFFFFF\n"));
    FakeBar bar;
    LoadSettings(bar);
    QCOMPARE(bar.log, QStringList({"Width 1024", "Height 62", "Sensitivity -3", "TopPos -1"}));
}

void TestConfigStore::firstSaveWritesFiveLines()
{
    FakeBar bar;
    LoadSettings(bar);
    SaveSettings(bar);
    QCOMPARE(readAll(m_path), QByteArray("[Config]\nWidth=810\nHeight=62\nSensitivity=50\nTopPos=1\n"));

    // Any 32-bit value goes in as plain decimal and comes back unchanged.
    bar.width = -5;
    bar.height = 0;
    bar.sensitivity = std::numeric_limits<std::int32_t>::min();
    bar.topPos = std::numeric_limits<std::int32_t>::max();
    SaveSettings(bar);
    QCOMPARE(readAll(m_path),
             QByteArray("[Config]\nWidth=-5\nHeight=0\nSensitivity=-2147483648\nTopPos=2147483647\n"));
    FakeBar again;
    LoadSettings(again);
    QCOMPARE(again.log, QStringList({"Width -5", "Height 0", "Sensitivity -2147483648", "TopPos 2147483647"}));
}

void TestConfigStore::saveKeepsEverythingElse_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("loaded");
    QTest::newRow("CR LF, other sections, case, quotes")
        << "other_sections" << QStringList({"Width 810", "Height 70", "Sensitivity 20", "TopPos 1"});
    QTest::newRow("LF, no final line end")
        << "no_final_line_end" << QStringList({"Width 1024", "Height 62", "Sensitivity 50", "TopPos 2"});
}

void TestConfigStore::saveKeepsEverythingElse()
{
    QFETCH(QString, name);
    QFETCH(QStringList, loaded);
    QVERIFY(writeAll(m_path, fixture(qPrintable(name + ".ini"))));
    FakeBar bar;
    LoadSettings(bar);
    QCOMPARE(bar.log, loaded);

    bar.width = 1024;
    bar.height = 80;
    bar.sensitivity = 30;
    bar.topPos = 0;
    SaveSettings(bar);
    QCOMPARE(readAll(m_path), fixture(qPrintable(name + ".saved.ini")));
}

void TestConfigStore::readOnlyFileFailsWithItsPath()
{
    // Made read-only by its mode alone: the store honours that even for root,
    // who could write the file anyway.
    const QByteArray content = fixture("other_sections.ini");
    QVERIFY(writeAll(m_path, content));
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    FakeBar bar;
    bar.width = 1024;
    try {
        SaveSettings(bar);
        QFAIL("no error raised");
    } catch (const ZorvelError &error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + m_path);
    }
    QCOMPARE(readAll(m_path), content);
}

void TestConfigStore::failingWriteEndsTheSequence()
{
    FakeBar bar;
    bar.width = 1000;
    bar.height = 70;
    bar.sensitivity = 20;
    bar.topPos = 2;
    // The file turns read-only between the Height and the Sensitivity write.
    bar.onSensitivityRead = [this] { QFile::setPermissions(m_path, QFile::ReadOwner); };
    QVERIFY_THROWS_EXCEPTION(ZorvelError, SaveSettings(bar));
    QCOMPARE(readAll(m_path), QByteArray("[Config]\nWidth=1000\nHeight=70\n"));
}

void TestConfigStore::unwritableFolderFailsWithThePath()
{
    // A file where the zorvel folder should be: nothing can be created there.
    QVERIFY(writeAll(m_dir->filePath("zorvel"), "not a folder"));
    QCOMPARE(ReadSetting("Config", "Width", 810), 810);
    try {
        WriteSetting("Config", "Width", 810);
        QFAIL("no error raised");
    } catch (const ZorvelError &error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + m_path);
    }
    QCOMPARE(readAll(m_dir->filePath("zorvel")), QByteArray("not a folder"));
}

QTEST_APPLESS_MAIN(TestConfigStore)
#include "test_config_store.moc"
