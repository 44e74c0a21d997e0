#pragma once
#include "Clock.h"
#include "ManifestSource.h"
#include "UpdateReporter.h"

#include <QStringList>

class FakeClock : public Clock {
public:
    QDateTime time = QDateTime(QDate(2024, 5, 1), QTime(9, 0), Qt::UTC);
    QDateTime now() const override { return time; }
    void advance(qint64 seconds) { time = time.addSecs(seconds); }
};

class FakeManifestSource : public ManifestSource {
public:
    FetchResult answer{true, R"({"version":"1.0.0.0","download":"https://zorvel.example.org/get"})", {}};
    QList<QUrl> asked;
    FetchResult fetch(const QUrl &address) override
    {
        asked << address;
        return answer;
    }
    void serve(const QByteArray &body) { answer = {true, body, {}}; }
    void fail(const QString &error) { answer = {false, {}, error}; }
};

class FakeReporter : public UpdateReporter {
public:
    bool canAnnounce = true;
    QStringList announced; // "summary | body"
    QStringList results;   // "warning: text" or "information: text"
    bool announce(const QString &summary, const QString &body) override
    {
        if (canAnnounce)
            announced << summary + " | " + body;
        return canAnnounce;
    }
    void showResult(const QString &text, bool failed) override
    {
        results << QString(failed ? "warning: " : "information: ") + text;
    }
};
