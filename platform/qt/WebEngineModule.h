#pragma once
// The entry point of the module that holds the Qt WebEngine pane (kiv_webengine.so). The
// program loads it at the first use of the browser, so that neither the engine nor its
// OpenGL context is set up in a run that shows no page, and programs without a window do
// not link it at all.
#include <functional>

#include "platform/qt/BrowserPane.h"

class QPrinter;

namespace kiv {

// What the pane takes from the program: the module links none of the program's libraries
// (their singletons would be copies of their own).
struct TWebEngineHost {
    // The printer after the user's printer set-up; null when the set-up was cancelled.
    std::function<QPrinter*()> PrinterForPrint;
};

}  // namespace kiv

// A new pane in parent; raises std::exception with the reason when the engine cannot start.
using TMakeWebEnginePane = kiv::TBrowserPane* (*)(QWidget* parent, const kiv::TWebEngineHost& host);
#define KIV_WEBENGINE_ENTRY "KivMakeWebEnginePane"
