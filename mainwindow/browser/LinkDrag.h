#pragma once
// The page's address dragged out of the link image, with its title. Apart from the
// browser's other code: the drag-and-drop headers and the grid headers do not meet.
#include <string>

namespace kiv {

void DragBrowserLink(const std::string& url, const std::string& title);

}  // namespace kiv
