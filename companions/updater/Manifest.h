#pragma once
#include "FileVersion.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

// What the update server publishes: the latest version and where to get it.
struct Manifest {
    FileVersion version{};
    QUrl download;
};

struct ManifestParse {
    std::optional<Manifest> manifest;
    QString error; // why the text is not a manifest, when manifest is empty
};

// Reads {"version":"A.B.C.D","download":"http(s)://..."}; other members are ignored.
ManifestParse parseManifest(const QByteArray &text);
