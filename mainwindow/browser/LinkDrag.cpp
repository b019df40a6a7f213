#include "mainwindow/browser/LinkDrag.h"

#include "dragdrop/ComboTarget.h"

namespace kiv {

void DragBrowserLink(const std::string& url, const std::string& title) {
    if (url.empty()) return;
    TDropURLSource source;
    source.SetURL(url);
    source.SetTitle(title);
    source.Execute();
}

}  // namespace kiv
