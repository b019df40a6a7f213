#pragma once
// What a drop of another program's material turns into, as plain text: the link lines a
// topic or the launch bin gets from dropped files or a web address, the text bin's
// appendix, and whether a drop holds a picture the graphic card takes.
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// What the window's drop target read from a drop.
struct TDropContent {
    std::vector<std::string> Files;  // possibly empty
    std::string Text;
    std::string URL;
    std::string Title;
};

// A drop is one thing, in the form the window prefers: the files, else the web address
// with its title, else the text. What other programs send beside it (a file list's
// addresses as text, a link's address as text) is a copy, not a second thing.
TDropContent OneThing(const TDropContent& drop);

// Link lines (target, character 1, title, CR LF), one per dropped file (titled with its
// file name), else one for the web address, else none. With titleFallBack an empty title
// becomes the whole target, as a topic row shows it; the launch card list keeps it empty.
std::string BuildLinkLines(const TDropContent& drop, bool titleFallBack);

// The launch bin's entries for a drop: one per file, else one for a non-empty web address;
// every entry titled, with the target when nothing else names it.
std::vector<std::string> LaunchBinLines(const TDropContent& drop);

// What a drop's text adds at the end of the text bin: a blank line, a rule of 28 "=" and
// the text.
std::string TextBinAppendix(std::string_view text);

// The extensions the graphic card shows, compared without regard to case.
bool IsGraphicFile(std::string_view path);
bool HasGraphicFile(const std::vector<std::string>& files);

}  // namespace kiv
