#pragma once
// Windows code pages for the bytes of RTF text (\'hh and raw 8-bit bytes). Windows-1252
// comes from our own table; other code pages go through the C library's iconv. A byte
// or sequence the code page has no character for becomes U+FFFD.
#include <cstdint>
#include <memory>
#include <string>

namespace kiv {

constexpr char32_t kReplacementChar = 0xFFFD;

// The code page of a font's \fcharset; 0 for DEFAULT_CHARSET (1) and unknown sets, which
// read through the document's \ansicpg. The symbol set reads as Windows-1252, so that its
// bytes keep their codes.
int RtfCharsetCodePage(int charset);
// The \fcharset that a writer gives a font whose text is in this code page (0 when
// unknown).
int RtfCodePageCharset(int codePage);

class RtfCodePageDecoder {
public:
    explicit RtfCodePageDecoder(int codePage);
    ~RtfCodePageDecoder();
    RtfCodePageDecoder(const RtfCodePageDecoder&) = delete;
    RtfCodePageDecoder& operator=(const RtfCodePageDecoder&) = delete;

    int CodePage() const { return codePage_; }
    // Bytes of the sequence that begins with this byte: 1 in single-byte code pages, 2 for
    // a lead byte of a double-byte one, up to 4 in UTF-8.
    int SequenceLength(uint8_t lead) const;
    // One whole sequence of SequenceLength(bytes[0]) bytes (fewer when it was cut short).
    char32_t Decode(const uint8_t* bytes, int n) const;

private:
    int codePage_;
    enum class Kind : uint8_t { Windows1252, SingleByte, DoubleByte, Utf8 } kind_;
    char32_t single_[256];
    bool lead_[256] = {};
    void* iconv_ = nullptr;  // iconv_t for double-byte pairs
};

}  // namespace kiv
