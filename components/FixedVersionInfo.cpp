#include "components/FixedVersionInfo.h"

#include "components/FileInfo.h"

namespace kiv {

namespace {
constexpr uint32_t kTypeApplication = 1, kTypeLibrary = 2;
}

TFixedVersionInfo::TFixedVersionInfo(const QString& FileName) {
    FixedFileInfo fixed;
    if (TFileInfo(FileName).GetFixedFileInfo(fixed)) *this = TFixedVersionInfo(fixed);
}

TFixedVersionInfo::TFixedVersionInfo(const FixedFileInfo& fixed)
    : IsApplication(fixed.FileType == kTypeApplication),
      IsLibrary(fixed.FileType == kTypeLibrary),
      IsDebug(VersionFlag(fixed, vsDebug)),
      IsPreRelease(VersionFlag(fixed, vsPreRelease)),
      IsSpecial(VersionFlag(fixed, vsSpecialBuild)),
      IsPrivate(VersionFlag(fixed, vsPrivateBuild)),
      Major(uint16_t(fixed.FileVersionMS >> 16)),
      Minor(uint16_t(fixed.FileVersionMS & 0xFFFF)),
      Release(uint16_t(fixed.FileVersionLS >> 16)),
      Build(uint16_t(fixed.FileVersionLS & 0xFFFF)) {}

QString VersionText(const TFixedVersionInfo& v, bool buildStyle) {
    return buildStyle ? QStringLiteral("%1.%2 (Build %3.%4)")
                            .arg(v.Major)
                            .arg(v.Minor)
                            .arg(v.Release)
                            .arg(v.Build)
                      : QStringLiteral("%1.%2.%3.%4")
                            .arg(v.Major)
                            .arg(v.Minor)
                            .arg(v.Release)
                            .arg(v.Build);
}

QString FlaggedVersionText(const TFixedVersionInfo& v, bool buildStyle) {
    QString words;
    if (v.IsPreRelease) words += QStringLiteral(" Pre-Release");
    if (v.IsDebug) words += QStringLiteral(" Debug");
    if (v.IsSpecial) words += QStringLiteral(" Special");
    if (v.IsPrivate) words += QStringLiteral(" Private");
    const QString text = VersionText(v, buildStyle);
    if (words.isEmpty()) return text;
    return text + QStringLiteral(" (") + words.trimmed() +
           (buildStyle ? QStringLiteral(")") : QStringLiteral(" build)"));
}

QString FileVersionText(const QString& fileName, bool buildStyle) {
    return VersionText(TFixedVersionInfo(fileName), buildStyle);
}
QString FileFlaggedVersionText(const QString& fileName, bool buildStyle) {
    return FlaggedVersionText(TFixedVersionInfo(fileName), buildStyle);
}
bool FileIsDebug(const QString& fileName) { return TFixedVersionInfo(fileName).IsDebug; }
bool FileIsPreRelease(const QString& fileName) { return TFixedVersionInfo(fileName).IsPreRelease; }
bool FileIsSpecial(const QString& fileName) { return TFixedVersionInfo(fileName).IsSpecial; }
bool FileIsPrivate(const QString& fileName) { return TFixedVersionInfo(fileName).IsPrivate; }

}  // namespace kiv
