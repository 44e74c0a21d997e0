// The per-user instance lock: first and refused starts, holders that end in
// any order, a holder killed outright, programs it starts, where the lock lives.
#include "InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestInstanceLock : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    std::unique_ptr<InstanceLock> take(const QString &name = QStringLiteral("ZORVEL"))
    {
        return std::make_unique<InstanceLock>(name, m_dir.path());
    }

private slots:
    void heldByEveryCopyUntilTheLastEnds()
    {
        auto first = take();
        QVERIFY(first->Held());
        QVERIFY(!first->AlreadyExisted());

        auto refused = take();
        QVERIFY(refused->Held());
        QVERIFY(refused->AlreadyExisted());

        // The first copy ends while the refused one still runs: the lock lives on.
        first.reset();
        auto third = take();
        QVERIFY(third->AlreadyExisted());

        refused.reset();
        third.reset();
        QVERIFY(!take()->AlreadyExisted());
    }

    void otherNamesAreOtherLocks()
    {
        auto zorvel = take(QStringLiteral("ZORVEL"));
        QVERIFY(!take(QStringLiteral("ZORBAR"))->AlreadyExisted());
        QVERIFY(!take(QStringLiteral("ZORVEL.BIN"))->AlreadyExisted());
        QVERIFY(take(QStringLiteral("ZORVEL"))->AlreadyExisted());
    }

    void killedHolderLeavesNothingBehind()
    {
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(ready[0]);
            InstanceLock lock(QStringLiteral("ZORVEL"), m_dir.path());
            const char held = lock.Held() ? '1' : '0';
            if (::write(ready[1], &held, 1) != 1)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char held = 0;
        QCOMPARE(::read(ready[0], &held, 1), ssize_t(1));
        ::close(ready[0]);
        QCOMPARE(held, '1');
        const bool seenWhileRunning = take()->AlreadyExisted();
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(seenWhileRunning);
        QVERIFY(!take()->AlreadyExisted());
    }

    void ofCopiesStartedTogetherExactlyOneIsFirst()
    {
        // Each child waits at the start line, takes the lock, reports, and holds
        // it until the parent closes the finish line.
        constexpr int copies = 10;
        int start[2], report[2], finish[2];
        QCOMPARE(::pipe(start), 0);
        QCOMPARE(::pipe(report), 0);
        QCOMPARE(::pipe(finish), 0);
        std::vector<pid_t> children;
        for (int i = 0; i < copies; ++i) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                ::close(start[1]);
                ::close(report[0]);
                ::close(finish[1]);
                char byte;
                while (::read(start[0], &byte, 1) > 0) {
                }
                InstanceLock lock(QStringLiteral("ZORVEL"), m_dir.path());
                const char result = !lock.Held() ? 'x' : lock.AlreadyExisted() ? 'r' : 'f';
                if (::write(report[1], &result, 1) != 1)
                    ::_exit(1);
                while (::read(finish[0], &byte, 1) > 0) {
                }
                ::_exit(0);
            }
            children.push_back(child);
        }
        ::close(start[0]);
        ::close(report[1]);
        ::close(finish[0]);
        ::close(start[1]); // all go
        QByteArray results;
        char byte;
        while (results.size() < copies && ::read(report[0], &byte, 1) == 1)
            results += byte;
        ::close(report[0]);
        ::close(finish[1]);
        for (pid_t child : children)
            ::waitpid(child, nullptr, 0);
        QCOMPARE(results.size(), copies);
        QCOMPARE(results.count('f'), 1);
        QCOMPARE(results.count('r'), copies - 1);
    }

    void programsStartedByAHolderDoNotHoldIt()
    {
        // The updater outlives a copy that started it; it must not keep the lock.
        auto lock = take();
        QProcess updater;
        updater.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("read line")});
        QVERIFY(updater.waitForStarted());
        lock.reset();
        const bool existed = take()->AlreadyExisted();
        updater.closeWriteChannel();
        QVERIFY(updater.waitForFinished());
        QVERIFY(!existed);
    }

    void anUnusableFolderCountsAsAFirstStart()
    {
        InstanceLock nowhere(QStringLiteral("ZORVEL"), m_dir.filePath(QStringLiteral("missing")));
        QVERIFY(!nowhere.Held());
        QVERIFY(!nowhere.AlreadyExisted());
        InstanceLock unnamed(QString(), m_dir.path());
        QVERIFY(!unnamed.Held());
    }

    void livesInTheRuntimeFolderOrAPrivateOneUnderTmp_data()
    {
        QTest::addColumn<QByteArray>("runtime");
        QTest::addColumn<bool>("usesRuntime");
        QTest::newRow("runtime folder") << m_dir.path().toLocal8Bit() << true;
        QTest::newRow("unset") << QByteArray() << false;
        QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("gone")).toLocal8Bit() << false;
        QTest::newRow("relative") << QByteArray("run") << false;
    }

    void livesInTheRuntimeFolderOrAPrivateOneUnderTmp()
    {
        QFETCH(QByteArray, runtime);
        QFETCH(bool, usesRuntime);
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        if (runtime.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtime);
        const QString directory = InstanceLock::DefaultDirectory();
        if (wasSet)
            qputenv("XDG_RUNTIME_DIR", saved);
        else
            qunsetenv("XDG_RUNTIME_DIR");

        if (usesRuntime) {
            QCOMPARE(directory, QString::fromLocal8Bit(runtime));
            return;
        }
        QCOMPARE(directory, QStringLiteral("/tmp/zorvel-runtime-%1").arg(::getuid()));
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(directory).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_uid, ::getuid());
        QCOMPARE(info.st_mode & 077, 0u);
    }
};

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "test_instance_lock.moc"
