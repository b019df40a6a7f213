#include "platform/core/RtfCodePage.h"

#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/core/LegacyText.h"

namespace kiv {

namespace {

struct CharsetEntry {
    int charset;
    int codePage;
};

constexpr CharsetEntry kCharsets[] = {
    {0, 1252},   {2, 1252},   {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},
    {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
    {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850},
};

// The iconv name of a Windows code page.
std::string IconvName(int cp) {
    switch (cp) {
    case 10000: return "MACINTOSH";
    case 10007: return "MAC-CYRILLIC";
    case 1361: return "JOHAB";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 54936: return "GB18030";
    case 20932: return "EUC-JP";
    case 51949: return "EUC-KR";
    default: break;
    }
    if (cp >= 28591 && cp <= 28606) return "ISO-8859-" + std::to_string(cp - 28590);
    return "CP" + std::to_string(cp);
}

// Converts bytes with iconv; returns the first code point, -1 for an incomplete
// sequence, -2 for an invalid one.
int64_t Convert(iconv_t cd, const uint8_t* bytes, size_t n) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[8];
    for (size_t i = 0; i < n && i < sizeof in; ++i) in[i] = char(bytes[i]);
    char out[32];
    char* inp = in;
    size_t inLeft = n;
    char* outp = out;
    size_t outLeft = sizeof out;
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    if (r == size_t(-1) && outp == out) return errno == EINVAL ? -1 : -2;
    if (outp - out < 4) return -2;
    auto* u = reinterpret_cast<unsigned char*>(out);
    uint32_t cp =
        uint32_t(u[0]) | uint32_t(u[1]) << 8 | uint32_t(u[2]) << 16 | uint32_t(u[3]) << 24;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -2;
    return cp;
}

}  // namespace

int RtfCharsetCodePage(int charset) {
    for (const auto& e : kCharsets)
        if (e.charset == charset) return e.codePage;
    return 0;
}

int RtfCodePageCharset(int codePage) {
    for (const auto& e : kCharsets)
        if (e.codePage == codePage && e.charset != 2) return e.charset;
    return 0;
}

RtfCodePageDecoder::RtfCodePageDecoder(int codePage) : codePage_(codePage) {
    if (codePage == 1252 || codePage <= 0) {
        kind_ = Kind::Windows1252;
        for (int b = 0; b < 256; ++b) single_[b] = LegacyText::Cp1252ToUnicode(uint8_t(b));
        return;
    }
    if (codePage == 65001) {
        kind_ = Kind::Utf8;
        for (int b = 0; b < 256; ++b) single_[b] = b < 0x80 ? char32_t(b) : kReplacementChar;
        return;
    }
    kind_ = Kind::SingleByte;
    iconv_t cd = iconv_open("UTF-32LE", IconvName(codePage).c_str());
    if (cd == iconv_t(-1)) {
        // A code page this system cannot convert: ASCII stays, the rest is unknown.
        for (int b = 0; b < 256; ++b) single_[b] = b < 0x80 ? char32_t(b) : kReplacementChar;
        return;
    }
    bool anyLead = false;
    for (int b = 0; b < 256; ++b) {
        const uint8_t byte = uint8_t(b);
        int64_t r = Convert(cd, &byte, 1);
        if (r == -1) {
            lead_[b] = true;
            anyLead = true;
            single_[b] = kReplacementChar;
        } else {
            single_[b] = r < 0 ? kReplacementChar : char32_t(r);
        }
    }
    if (anyLead) {
        kind_ = Kind::DoubleByte;
        iconv_ = cd;
    } else {
        iconv_close(cd);
    }
}

RtfCodePageDecoder::~RtfCodePageDecoder() {
    if (iconv_) iconv_close(iconv_t(iconv_));
}

int RtfCodePageDecoder::SequenceLength(uint8_t lead) const {
    switch (kind_) {
    case Kind::DoubleByte: return lead_[lead] ? 2 : 1;
    case Kind::Utf8:
        if (lead >= 0xC2 && lead <= 0xDF) return 2;
        if (lead >= 0xE0 && lead <= 0xEF) return 3;
        if (lead >= 0xF0 && lead <= 0xF4) return 4;
        return 1;
    default: return 1;
    }
}

char32_t RtfCodePageDecoder::Decode(const uint8_t* bytes, int n) const {
    if (n <= 0) return kReplacementChar;
    if (n == 1) return single_[bytes[0]];
    if (kind_ == Kind::Utf8) {
        std::string_view s(reinterpret_cast<const char*>(bytes), size_t(n));
        size_t i = 0;
        int32_t cp = LegacyText::NextUtf8(s, i);
        return cp < 0 || i != s.size() ? kReplacementChar : char32_t(cp);
    }
    if (kind_ != Kind::DoubleByte || !iconv_) return kReplacementChar;
    int64_t r = Convert(iconv_t(iconv_), bytes, size_t(n));
    return r < 0 ? kReplacementChar : char32_t(r);
}

}  // namespace kiv
