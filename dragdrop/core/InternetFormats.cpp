#include "dragdrop/core/InternetFormats.h"

#include <cstring>

#include "dragdrop/core/ClipboardCodecs.h"
#include "dragdrop/core/FileFormats.h"
#include "dragdrop/core/ShellCodecs.h"
#include "platform/core/MiskPro.h"
#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

// The name without folder and extension, when the extension is ".url".
bool ShortcutTitle(const std::string& path, std::string& title) {
    const std::string name = path.substr(path.find_last_of("/\\") + 1);
    if (name.size() < 4 || !EndsText(".url", name)) return false;
    title = name.substr(0, name.size() - 4);
    return true;
}

}  // namespace

bool TextIsOneAddress(std::string_view text) {
    // A text that merely mentions an address (a note, a list of points) is text: taken
    // whole it would be a link to nowhere, and its lines broken links.
    const std::string s = Trim(text);
    const size_t pos = s.find("://");
    if (pos == std::string::npos || pos < 1) return false;
    for (unsigned char c : s)
        if (c <= 0x20) return false;
    return true;
}

// --- URL data format: read in the map's order, each part taken only while still empty.

bool TURLDataFormat::Assign(TClipboardFormat& source) {
    if (auto* b = ClipboardFormatAs<TURLTitleClipboardFormat>(source)) {
        if (url_.empty()) url_ = b->URL;
        if (title_.empty()) title_ = b->Title;
        return true;
    }
    if (auto* u = ClipboardFormatAs<TURLClipboardFormat>(source)) {
        if (!url_.empty()) return false;
        url_ = u->GetString();
        return true;
    }
    if (auto* g = ClipboardFormatAs<TFileGroupDescritorClipboardFormat>(source)) {
        std::string title;
        if (!title_.empty() || g->Records().empty() || !ShortcutTitle(g->FileName(0), title))
            return false;
        title_ = title;
        return true;
    }
    if (auto* c = ClipboardFormatAs<TFileContentsClipboardFormat>(source)) {
        return url_.empty() && ClipCodec::ShortcutURL(c->GetString(), url_);
    }
    if (auto* t = ClipboardFormatAs<TTextValueClipboardFormat>(source)) {
        if (!url_.empty() || !TextIsOneAddress(t->GetString())) return false;
        url_ = Trim(t->GetString());
        return true;
    }
    if (auto* f = ClipboardFormatAs<TFileClipboardFormat>(source)) {
        std::string title;
        if (!url_.empty() || f->Names().empty() || !ShortcutTitle(f->Names()[0], title))
            return false;
        if (!ClipCodec::ShortcutURL(ReadFileToString(f->Names()[0]), url_)) return false;
        if (title_.empty()) title_ = title;
        return true;
    }
    return TCustomDataFormat::Assign(source);
}

bool TURLDataFormat::AssignTo(TClipboardFormat& dest) {
    if (auto* b = ClipboardFormatAs<TURLTitleClipboardFormat>(dest)) {
        b->URL = url_;
        b->Title = title_;
        return !url_.empty();
    }
    if (auto* u = ClipboardFormatAs<TURLClipboardFormat>(dest)) {
        u->SetString(url_);
        return !url_.empty();
    }
    if (auto* t = ClipboardFormatAs<TTextValueClipboardFormat>(dest)) {
        t->SetString(url_);
        return !url_.empty();
    }
    if (auto* c = ClipboardFormatAs<TFileContentsClipboardFormat>(dest)) {
        c->SetString(ClipCodec::ShortcutText(url_));
        return !url_.empty();
    }
    if (auto* g = ClipboardFormatAs<TFileGroupDescritorClipboardFormat>(dest)) {
        g->Records() = {ClipCodec::FileDescriptorA(ClipCodec::URLToShortcutFilename(
                                                       title_.empty() ? url_ : title_),
                                                   ClipCodec::FD_LINKUI)};
        return !url_.empty();
    }
    return TCustomDataFormat::AssignTo(dest);
}

void TURLDataFormat::Clear() {
    Changing();
    url_.clear();
    title_.clear();
}

bool THTMLDataFormat::Assign(TClipboardFormat& source) {
    auto* h = ClipboardFormatAs<THTMLClipboardFormat>(source);
    if (!h) return TCustomDataFormat::Assign(source);
    html_ = h->Lines();
    return true;
}

bool THTMLDataFormat::AssignTo(TClipboardFormat& dest) {
    auto* h = ClipboardFormatAs<THTMLClipboardFormat>(dest);
    if (!h) return TCustomDataFormat::AssignTo(dest);
    h->SetText(JoinLines(html_));
    return true;
}

// --- bookmark formats

bool TNetscapeBookmarkClipboardFormat::ReadData(std::string_view block) {
    ClipCodec::ReadNetscapeBookmark(block, URL, Title);
    return true;
}

bool TNetscapeBookmarkClipboardFormat::WriteData(char* buffer, size_t size) {
    ClipCodec::WriteNetscapeBookmark(buffer, size, URL, Title);
    return true;
}

size_t TNetscapeBookmarkClipboardFormat::GetSize() {
    return ClipCodec::NetscapeBookmarkSize(URL, Title);
}

bool TNetscapeImageClipboardFormat::ReadData(std::string_view block) {
    ClipCodec::NetscapeImage image;
    if (!ClipCodec::ReadNetscapeImage(block, image)) return false;
    value8_ = image.value8, value12_ = image.value12;
    first_ = image.first, second_ = image.second, fifth_ = image.fifth;
    URL = image.url, Title = image.title;
    return true;
}

bool TNetscapeImageClipboardFormat::WriteData(char* buffer, size_t size) {
    return ClipCodec::WriteNetscapeImage(buffer, size,
                                         {value8_, value12_, first_, second_, Title, URL, fifth_});
}

size_t TNetscapeImageClipboardFormat::GetSize() {
    return ClipCodec::NetscapeImageSize({value8_, value12_, first_, second_, Title, URL, fifth_});
}

void TNetscapeImageClipboardFormat::Clear() {
    TURLTitleClipboardFormat::Clear();
    value8_ = value12_ = 0;
    first_.clear(), second_.clear(), fifth_.clear();
}

namespace {

void SplitURLTitle(std::string_view text, std::string& url, std::string& title) {
    const std::vector<std::string> lines = SplitLines(text);
    url = lines.size() > 0 ? Trim(lines[0]) : std::string();
    title = lines.size() > 1 ? lines[1] : std::string();
}

}  // namespace

bool TNetscapeURLClipboardFormat::ReadData(std::string_view block) {
    SplitURLTitle(ClipCodec::CutAtZero(block), URL, Title);
    return !URL.empty();
}

bool TNetscapeURLClipboardFormat::WriteData(char* buffer, size_t size) {
    const std::string s = Joined();
    if (size != s.size()) return false;
    std::memcpy(buffer, s.data(), size);
    return true;
}

bool TMozURLClipboardFormat::ReadData(std::string_view block) {
    SplitURLTitle(ClipCodec::Utf16ToUtf8(ClipCodec::BytesToUtf16(block)), URL, Title);
    return !URL.empty();
}

bool TMozURLClipboardFormat::WriteData(char* buffer, size_t size) {
    const std::string s = ClipCodec::Utf16ToBytes(ClipCodec::Utf8ToUtf16(Joined()));
    if (size != s.size()) return false;
    std::memcpy(buffer, s.data(), size);
    return true;
}

size_t TMozURLClipboardFormat::GetSize() { return ClipCodec::Utf8ToUtf16(Joined()).size() * 2; }

bool TURLUriListClipboardFormat::ReadData(std::string_view block) {
    URL.clear();
    Title.clear();
    for (const std::string& line : SplitLines(ClipCodec::CutAtZero(block))) {
        const std::string uri = Trim(line);
        if (uri.empty() || uri[0] == '#') continue;
        URL = uri;
        break;
    }
    return !URL.empty();
}

bool TURLUriListClipboardFormat::WriteData(char* buffer, size_t size) {
    const std::string s = URL + "\r\n";
    if (URL.empty() || size != s.size()) return false;
    std::memcpy(buffer, s.data(), size);
    return true;
}

bool TVCardClipboardFormat::ReadData(std::string_view block) {
    SetText(ClipCodec::VCardToLines(block));
    return true;
}

bool TVCardClipboardFormat::WriteData(char* buffer, size_t size) {
    const std::string s = ClipCodec::LinesToVCard(Text());
    if (size != s.size()) return false;
    std::memcpy(buffer, s.data(), size);
    return true;
}

size_t TVCardClipboardFormat::GetSize() { return ClipCodec::LinesToVCard(Text()).size(); }

}  // namespace kiv
