#pragma once
// Embeds a program file's four version numbers in the file itself, where
// readFileVersion finds them without running the program. Use once, in the
// executable's entry file.
#define ZORVEL_STAMP_TEXT_(x) #x
#define ZORVEL_STAMP_TEXT(x) ZORVEL_STAMP_TEXT_(x)
#define ZORVEL_FILE_VERSION_STAMP(major, minor, release, build)                                  \
    extern "C" [[gnu::used, gnu::section(".zorvel_version")]] const char zorvel_file_version[] = \
        "ZORVEL-FILE-VERSION=" ZORVEL_STAMP_TEXT(major) "." ZORVEL_STAMP_TEXT(minor) "."          \
        ZORVEL_STAMP_TEXT(release) "." ZORVEL_STAMP_TEXT(build) ";";
