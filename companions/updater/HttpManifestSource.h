#pragma once
#include "ManifestSource.h"

// Fetches over http or https with short time limits; a manifest is small, so a
// longer answer is refused rather than read to its end.
class HttpManifestSource : public ManifestSource {
public:
    explicit HttpManifestSource(QString userAgent);
    FetchResult fetch(const QUrl &address) override;

    static constexpr int TransferTimeoutMs = 4000; // no byte for this long: give up
    static constexpr int TotalTimeoutMs = 8000;    // the whole exchange, redirects included
    static constexpr qint64 MaxManifestBytes = 64 * 1024;

private:
    QString m_userAgent;
};
