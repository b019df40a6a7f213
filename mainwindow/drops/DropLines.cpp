#include "mainwindow/drops/DropLines.h"

#include "engine/core/LinkLines.h"
#include "platform/core/KivStrings.h"

namespace kiv {

TDropContent OneThing(const TDropContent& drop) {
    TDropContent one;
    if (!drop.Files.empty()) {
        one.Files = drop.Files;
    } else if (!drop.URL.empty()) {
        one.URL = drop.URL;
        one.Title = drop.Title;
    } else {
        one.Text = drop.Text;
    }
    return one;
}

std::string BuildLinkLines(const TDropContent& drop, bool titleFallBack) {
    std::string lines;
    if (!drop.Files.empty()) {
        for (const std::string& file : drop.Files) {
            std::string name = LinkFileName(file);
            if (name.empty() && titleFallBack) name = file;
            lines += MakeLinkLine(file, name) + "\r\n";
        }
    } else if (!drop.URL.empty()) {
        lines =
            MakeLinkLine(drop.URL, drop.Title.empty() && titleFallBack ? drop.URL : drop.Title) +
            "\r\n";
    }
    return lines;
}

std::vector<std::string> LaunchBinLines(const TDropContent& drop) {
    std::vector<std::string> lines;
    if (drop.Files.empty()) {
        if (!drop.URL.empty())
            lines.push_back(MakeLinkLine(drop.URL, drop.Title.empty() ? drop.URL : drop.Title));
        return lines;
    }
    lines.reserve(drop.Files.size());
    for (const std::string& file : drop.Files) {
        const std::string name = LinkFileName(file);
        lines.push_back(MakeLinkLine(file, name.empty() ? file : name));
    }
    return lines;
}

std::string TextBinAppendix(std::string_view text) {
    std::string s = "\r\n\r\n" + std::string(28, '=') + "\r\n";
    s += text;
    return s;
}

bool IsGraphicFile(std::string_view path) {
    const std::string name = LinkFileName(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string ext = UpperCase(name.substr(dot));
    for (const char* known : {".GIF", ".JPG", ".JPEG", ".BMP", ".ICO", ".WMF", ".EMF"})
        if (ext == known) return true;
    return false;
}

bool HasGraphicFile(const std::vector<std::string>& files) {
    for (const std::string& f : files)
        if (IsGraphicFile(f)) return true;
    return false;
}

}  // namespace kiv
