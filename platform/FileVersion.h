#pragma once
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// Major, minor, release, build: the version stamped into a program file.
using FileVersion = std::array<std::uint16_t, 4>;

// Reads the stamp from the file at path; nothing when the file is missing or has none.
std::optional<FileVersion> readFileVersion(const QString &path);
