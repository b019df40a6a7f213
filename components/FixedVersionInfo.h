#pragma once
// A file's fixed version record (file version, flags, type), read once when made, and the
// version texts built from it. A file without one reads as 0.0.0.0 with no flags.
#include <QString>
#include <cstdint>

#include "platform/core/PeVersion.h"

namespace kiv {

struct TFixedVersionInfo {
    uint8_t IsApplication = 0;
    uint8_t IsLibrary = 0;
    uint8_t IsDebug = 0;
    uint8_t IsPreRelease = 0;
    uint8_t IsSpecial = 0;
    uint8_t IsPrivate = 0;
    uint16_t Major = 0;
    uint16_t Minor = 0;
    uint16_t Release = 0;
    uint16_t Build = 0;

    TFixedVersionInfo() = default;
    explicit TFixedVersionInfo(const QString& FileName);
    explicit TFixedVersionInfo(const FixedFileInfo& fixed);
};

// "2.0.3.17", or in build style "2.0 (Build 3.17)".
QString VersionText(const TFixedVersionInfo& info, bool buildStyle);
// The version text and the set flags, in the order Pre-Release, Debug, Special, Private:
// "2.0.3.17 (Pre-Release Debug build)", "2.0 (Build 3.17) (Pre-Release Debug)"; no
// bracket when no flag is set.
QString FlaggedVersionText(const TFixedVersionInfo& info, bool buildStyle);

// The same for a file.
QString FileVersionText(const QString& fileName, bool buildStyle);
QString FileFlaggedVersionText(const QString& fileName, bool buildStyle);
bool FileIsDebug(const QString& fileName);
bool FileIsPreRelease(const QString& fileName);
bool FileIsSpecial(const QString& fileName);
bool FileIsPrivate(const QString& fileName);

}  // namespace kiv
