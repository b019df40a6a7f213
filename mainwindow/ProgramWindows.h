#pragma once
// The program's windows, made in the start-up's order and alive for the whole run: the
// collector first (the window a later start finds), the main window (its creation reads
// the settings and opens the start datastructure), then the secondary windows. Showing
// the collector shows the main window.
#include <memory>
#include <string>
#include <vector>

namespace kiv {

class TForm1;
class TfrmSwallow;
class TfrmTextBin;

struct TProgramWindows {
    TProgramWindows();
    ~TProgramWindows();

    // args: the command-line arguments after the program's name. A failure in the main
    // window's creation is reported; the windows are made all the same.
    void Create(const std::vector<std::string>& args);
    // The collector is shown; its show shows the main window, which gets the focus.
    void Show();
    // The windows go in the reverse order; the main window's shut-down runs first.
    void Destroy();

    std::unique_ptr<TfrmSwallow> Swallow;
    std::unique_ptr<TForm1> Form;
    std::unique_ptr<TfrmTextBin> TextBin;
};

}  // namespace kiv
