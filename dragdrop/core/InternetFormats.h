#pragma once
// Web addresses with their titles, the internet-shortcut file offered with them, the
// browser bookmark formats, vCards and HTML.
#include <string>
#include <string_view>
#include <vector>

#include "dragdrop/core/SimpleFormats.h"
#include "dragdrop/core/TextFormats.h"

namespace kiv {

// Whether a dropped text is one web address: "://" after its first character, and no
// blank or line break once the ends are trimmed.
bool TextIsOneAddress(std::string_view text);

class TURLDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(TURLDataFormat, TCustomDataFormat)
public:
    explicit TURLDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass())
        : TCustomDataFormat(owner, cls) {}
    const std::string& URL() const { return url_; }
    const std::string& Title() const { return title_; }
    void SetURL(std::string v) {
        Changing();
        url_ = std::move(v);
    }
    void SetTitle(std::string v) {
        Changing();
        title_ = std::move(v);
    }
    bool Assign(TClipboardFormat& source) override;
    bool AssignTo(TClipboardFormat& dest) override;
    void Clear() override;
    bool HasData() override { return !url_.empty() || !title_.empty(); }
    bool NeedsData() override { return url_.empty() || title_.empty(); }

private:
    std::string url_, title_;
};

class THTMLDataFormat : public TCustomDataFormat {
    KIV_DD_CLASS(THTMLDataFormat, TCustomDataFormat)
public:
    explicit THTMLDataFormat(TComponent* owner = nullptr, const TClassInfo& cls = StaticClass())
        : TCustomDataFormat(owner, cls) {}
    const std::vector<std::string>& HTML() const { return html_; }
    void SetHTML(std::vector<std::string> lines) {
        Changing();
        html_ = std::move(lines);
    }
    bool Assign(TClipboardFormat& source) override;
    bool AssignTo(TClipboardFormat& dest) override;
    void Clear() override { SetHTML({}); }
    bool HasData() override { return !html_.empty(); }

private:
    std::vector<std::string> html_;
};

// "UniformResourceLocator": the address as zero-terminated text.
class TURLClipboardFormat : public TCustomTextClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TURLClipboardFormat, TCustomTextClipboardFormat)
    KIV_NAMED_FORMAT("UniformResourceLocator")
};

// A URL and a title in one block.
class TURLTitleClipboardFormat : public TCustomSimpleClipboardFormat {
    KIV_DD_CLASS(TURLTitleClipboardFormat, TCustomSimpleClipboardFormat)
public:
    void Clear() override { URL.clear(), Title.clear(); }
    bool HasData() override { return !URL.empty(); }
    std::string URL, Title;

protected:
    // "URL\nTitle", the Linux form.
    std::string Joined() const { return Title.empty() ? URL : URL + "\n" + Title; }
};

class TNetscapeBookmarkClipboardFormat : public TURLTitleClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TNetscapeBookmarkClipboardFormat, TURLTitleClipboardFormat)
    KIV_NAMED_FORMAT("Netscape Bookmark")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override;
};

class TNetscapeImageClipboardFormat : public TURLTitleClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TNetscapeImageClipboardFormat, TURLTitleClipboardFormat)
    KIV_NAMED_FORMAT("Netscape Image Format")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override;
    void Clear() override;

private:
    uint32_t value8_ = 0, value12_ = 0;
    std::string first_, second_, fifth_;
};

// The Linux twins of a URL with its title: _NETSCAPE_URL ("URL\nTitle") and
// text/x-moz-url (the same in UTF-16).
class TNetscapeURLClipboardFormat : public TURLTitleClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TNetscapeURLClipboardFormat, TURLTitleClipboardFormat)
    KIV_NAMED_FORMAT("_NETSCAPE_URL")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override { return Joined().size(); }
};

// Siblings, not kin: a pair registered for one class would take over the other's entry.
class TMozURLClipboardFormat : public TURLTitleClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TMozURLClipboardFormat, TURLTitleClipboardFormat)
    KIV_NAMED_FORMAT("text/x-moz-url")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override;
};

// text/uri-list naming the link, for targets that take links as addresses (file managers,
// Qt's urls()): the URL and CR LF. A list of files has its own class; only sources use this.
class TURLUriListClipboardFormat : public TURLTitleClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TURLUriListClipboardFormat, TURLTitleClipboardFormat)
    KIV_NAMED_FORMAT("text/uri-list")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override { return URL.empty() ? 0 : URL.size() + 2; }
};

class TVCardClipboardFormat : public TCustomStringListClipboardFormat {
    KIV_CLIPFORMAT_CLASS(TVCardClipboardFormat, TCustomStringListClipboardFormat)
    KIV_NAMED_FORMAT("+//ISBN 1-887687-00-9::versit::PDI//vCard")
public:
    bool ReadData(std::string_view block) override;
    bool WriteData(char* buffer, size_t size) override;
    size_t GetSize() override;
};

}  // namespace kiv
