#pragma once
#include <QByteArray>
#include <QString>
#include <QUrl>

struct FetchResult {
    bool ok = false;
    QByteArray body;
    QString error; // a sentence part such as "the update server at ... could not be reached: ..."
};

// Fetches the update manifest; waits for the answer (a few seconds at most).
class ManifestSource {
public:
    virtual ~ManifestSource() = default;
    virtual FetchResult fetch(const QUrl &address) = 0;
};
