#include "mainwindow/Globals.h"

#include "platform/core/KivError.h"

namespace kiv {

QString DefaultFontName = QStringLiteral("Arial");
int DefaultFontSize = 12;
TColor DefaultFontColor = 0;
TFontStyles DefaultFontStyle = 0;
QTextEdit* TextBinEditor = nullptr;

namespace {
std::unique_ptr<IniFile> g_kivIni;
std::unique_ptr<IniFile> g_userIni;
}  // namespace

IniFile& KivIni() {
    if (!g_kivIni) throw EKivError("The settings file is not open");
    return *g_kivIni;
}
bool KivIniOpen() { return g_kivIni != nullptr; }
void OpenKivIni(const std::string& path) { g_kivIni = std::make_unique<IniFile>(path); }
void CloseKivIni() { g_kivIni.reset(); }
IniFile* UserIni() { return g_userIni.get(); }
void OpenUserIni(const std::string& path) { g_userIni = std::make_unique<IniFile>(path); }
void CloseUserIni() { g_userIni.reset(); }

}  // namespace kiv
