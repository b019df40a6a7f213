#include "engine/core/LinkLines.h"

#include "platform/core/MiskPro.h"
#include "platform/core/KivStrings.h"

namespace kiv {

std::string LinkTarget(std::string_view line) {
    const size_t p = line.find(kLinkSeparator);
    return p == std::string_view::npos ? std::string() : std::string(line.substr(0, p));
}

std::string LinkFileName(std::string_view target) {
    const size_t p = target.find_last_of("/\\");
    return std::string(p == std::string_view::npos ? target : target.substr(p + 1));
}

std::string LinkTitle(std::string_view line) {
    const size_t p = line.find(kLinkSeparator);
    std::string title = p == std::string_view::npos ? std::string() : Trim(line.substr(p + 1));
    return title.empty() ? LinkFileName(LinkTarget(line)) : title;
}

std::string MakeLinkLine(std::string_view target, std::string_view title) {
    std::string line(target);
    line += kLinkSeparator;
    line += title;
    return line;
}

bool IsWebAddress(std::string_view target) {
    const std::string t = Trim(target);
    if (t.empty() || t[0] == '/' || StartsText("||", t) || (t.size() > 1 && t[1] == ':'))
        return false;
    return IsURLText(t);
}

bool IsMailAddress(std::string_view target) { return StartsText("MAILTO:", target); }

}  // namespace kiv
