#include "platform/qt/KeyRepeat.h"

#include <QGuiApplication>

#if __has_include(<X11/XKBlib.h>) && QT_CONFIG(xcb)
#define KIV_X11_KEYS 1
#include <X11/XKBlib.h>
#endif

namespace kiv {

bool UseDetectableAutoRepeat() {
#ifdef KIV_X11_KEYS
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return false;
    Bool supported = False;
    // Per client: it changes nothing for the other programs on the display.
    return XkbSetDetectableAutoRepeat(display, True, &supported) && supported;
#else
    return false;
#endif
}

}  // namespace kiv
