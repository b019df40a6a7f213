#pragma once
// Byte layouts of web addresses, shell item lists and device-independent bitmaps. As with
// the other codecs, every offset and length read from a block is checked against it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kiv::ClipCodec {

// --- shell item ID lists. An item is {u16 size including the size field, data}; a list
// ends with a u16 zero. A path's list holds one item per path segment, from the root.

// The length of the list at the start of the block, its terminator included; 0 when the
// list runs past the block or an item is shorter than its size field.
size_t ItemIdListLength(std::string_view block);
// The list of an absolute path; "" for anything else.
std::string PathToPIDL(std::string_view path);
// The path of an absolute list; false when it is not one.
bool PIDLToPath(std::string_view pidl, std::string& path);
// A parent list (without its terminator) followed by a relative list.
std::string JoinPIDLs(std::string_view parent, std::string_view child);

// "Shell IDList Array" (CIDA): u32 n, n + 1 u32 offsets from the block start (the parent
// first), then the lists. Refused unless the offsets fit and every list lies inside.
bool ReadCIDA(std::string_view block, std::vector<std::string>& lists);
std::string CIDABytes(const std::vector<std::string>& lists);

// --- "Netscape Bookmark": the URL from offset 0 and the title from offset 1024, each
// zero-terminated; 1024 bytes without a title, 2048 with one.
void ReadNetscapeBookmark(std::string_view block, std::string& url, std::string& title);
size_t NetscapeBookmarkSize(std::string_view url, std::string_view title);
void WriteNetscapeBookmark(char* block, size_t size, std::string_view url, std::string_view title);

// --- "Netscape Image Format": a 44-byte header (two u32 values at 8 and 12, the offsets of
// the second string, the title, the URL and the fifth string at 28, 32, 36 and 40, 0 when
// absent) and the first string inline at 44.
struct NetscapeImage {
    uint32_t value8 = 0, value12 = 0;
    std::string first, second, title, url, fifth;
};
bool ReadNetscapeImage(std::string_view block, NetscapeImage& image);
size_t NetscapeImageSize(const NetscapeImage& image);
bool WriteNetscapeImage(char* block, size_t size, const NetscapeImage& image);

// --- internet shortcuts (".url" files): the "URL=" line of the "[InternetShortcut]" section.
bool ShortcutURL(std::string_view text, std::string& url);
std::string ShortcutText(std::string_view url);
// A file name for a shortcut to a web address or titled after its title.
std::string URLToShortcutFilename(std::string_view text);

// --- vCard lines as "name=value" and back.
std::string VCardToLines(std::string_view block);
std::string LinesToVCard(std::string_view text);

// --- CF_DIB: a BITMAPINFO and its bits; a BMP file is the same behind a 14-byte header.
// The header's bits offset counts the info header's own size and its colour table.
bool DIBToBMP(std::string_view dib, std::string& bmp);
bool BMPToDIB(std::string_view bmp, std::string& dib);

}  // namespace kiv::ClipCodec
