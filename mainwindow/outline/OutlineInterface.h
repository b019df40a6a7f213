#pragma once
// The outline commands as other rooms (the layouts, the keyboard map, the topic change in
// tree mode) reach them.
namespace kiv {

// The document view of panel 1 and the whitener, as they are stored.
struct TOutlineViewSettings {
    bool Circles = true;   // badges as circles ("DocViewNumber")
    bool Numbers = false;  // badges as numbers ("DocViewNumber2"); circles win
    bool TextPointer = false;
    bool LaunchImage = false;
    bool Sizer = false;
    bool Whitener = true;
};

class IOutline {
public:
    // Lines of caption per row: 1..3; 0 shows whole captions; anything else is 1.
    virtual void SetLinesPerRow(int n) = 0;
    // Tree mode: rows down to that level shown inline (0 every level).
    virtual void ExpandToLevel(int level) = 0;
    // The layout changed: the tree-mode and document-view commands follow it.
    virtual void LayoutChanged(int layout, bool outlinerShown) = 0;
    // The stored view settings applied (at start) / as the commands have left them.
    virtual void ApplyViewSettings(const TOutlineViewSettings& s) = 0;
    virtual TOutlineViewSettings ViewSettings() const = 0;

protected:
    ~IOutline() = default;
};

}  // namespace kiv
