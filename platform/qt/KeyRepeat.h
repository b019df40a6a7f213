#pragma once
// A held key as the X server reports it. Without help the server repeats a held key as a
// release and a press with one timestamp, and Qt does not always see the pair as one; with
// detectable auto-repeat (the X keyboard extension) it sends the presses alone.

namespace kiv {

// Asks the X server for repeated presses without releases on the program's own
// connection. True when the server does so from now on; false off X11 or where the server
// cannot (the release and press pair then comes as before).
bool UseDetectableAutoRepeat();

}  // namespace kiv
