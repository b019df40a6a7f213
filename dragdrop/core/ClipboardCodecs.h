#pragma once
// Byte layouts of the Windows clipboard formats and of their Linux twins. Every reader
// stays inside the block it is given: offsets, counts and names that point past its end
// are cut or refused, never followed.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kiv::ClipCodec {

// UTF-8 <-> UTF-16. Bytes that are not UTF-8 are taken as Windows-1252, the program's
// storage codec; lone surrogates become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// UTF-16 little-endian bytes of a string (no terminator added) and back. Reading stops at
// the first zero unit and takes the whole block only when there is none; an odd last byte
// is ignored.
std::string Utf16ToBytes(std::u16string_view s);
std::u16string BytesToUtf16(std::string_view block);

// An 8-bit string cut at its first zero byte (the whole block when there is none).
std::string_view CutAtZero(std::string_view block);

// A 32-bit little-endian value: false for blocks under 4 bytes.
bool ReadDWord(std::string_view block, uint32_t& value);
std::string DWordBytes(uint32_t value);

// A list of zero-terminated names closed by an empty name (FileNameMap, the names of a
// DROPFILES block). Reading ends at the empty name or at the block's end; a last name
// without its zero is taken as far as the block holds it.
std::vector<std::string> ReadNameList(std::string_view block);
std::vector<std::string> ReadNameListW(std::string_view block);  // UTF-16 names, as UTF-8
std::string NameListBytes(const std::vector<std::string>& names);
std::string NameListBytesW(const std::vector<std::string>& names);

// CF_HDROP: a 20-byte DROPFILES header {u32 offset of the names, i32 x, i32 y, u32 non-client,
// u32 wide} and the names. A block under 21 bytes is refused; the wide flag selects UTF-16
// names. Written with offset 20 and 8-bit names.
constexpr size_t kDropFilesHeader = 20;
bool ReadDropFiles(std::string_view block, std::vector<std::string>& files);
std::string DropFilesBytes(const std::vector<std::string>& files);

// FILEDESCRIPTORA (332 bytes) and FILEDESCRIPTORW (592 bytes): 72 bytes of flags, class id,
// sizes, attributes, times and file size, then a 260-character name field.
constexpr size_t kDescriptorA = 332;
constexpr size_t kDescriptorW = 592;
constexpr size_t kDescriptorNameOffset = 72;
constexpr size_t kMaxPath = 260;
constexpr uint32_t FD_LINKUI = 0x8000;
// A zeroed record carrying flags and name; the name is cut so that its zero still fits.
std::string FileDescriptorA(std::string_view name, uint32_t flags = 0);
std::string FileDescriptorW(std::string_view name, uint32_t flags = 0);
// The name of a record, read inside the record's own name field (at most 260 characters).
std::string DescriptorNameA(std::string_view record);
std::string DescriptorNameW(std::string_view record);
uint32_t DescriptorFlags(std::string_view record);
// A file group descriptor: u32 count, then count records. Read only when
// (size - 4) / record size equals the count.
std::string FileGroupBytes(const std::vector<std::string>& records);
bool ReadFileGroup(std::string_view block, size_t recordSize, std::vector<std::string>& records);

// text/uri-list: lines of URLs ending in CR LF, "#" lines are comments. Reading keeps the
// local files only ("file:" URLs of no host or "localhost"), percent-decoded; writing
// percent-encodes each path.
std::vector<std::string> ReadUriListFiles(std::string_view block);
std::string UriListBytes(const std::vector<std::string>& files);

}  // namespace kiv::ClipCodec
