#pragma once
// State of the open datastructure and of the main window that other windows read.
#include <QString>
#include <memory>

#include "engine/core/Navigation.h"
#include "platform/core/IniFile.h"
#include "platform/qt/Colors.h"
#include "platform/qt/Fonts.h"

class QTextEdit;

namespace kiv {

// "kiv.ini" and "userset.ini" in the program folder, from the main window's creation to
// its destruction; KivIni() raises EKivError outside that time.
IniFile& KivIni();
bool KivIniOpen();
void OpenKivIni(const std::string& path);
void CloseKivIni();
IniFile* UserIni();
void OpenUserIni(const std::string& path);
void CloseUserIni();

// The default text-card font.
extern QString DefaultFontName;
extern int DefaultFontSize;
extern TColor DefaultFontColor;
extern TFontStyles DefaultFontStyle;

// The text bin's editor (it moves between the main window and the text bin window).
extern QTextEdit* TextBinEditor;

}  // namespace kiv
