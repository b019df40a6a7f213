#include "platform/core/RtfPicture.h"

#include <algorithm>
#include <vector>

#include "platform/core/RtfTokenizer.h"
#include "platform/core/KivStrings.h"

namespace kiv {

namespace {

constexpr size_t kMaxTrackedDepth = 64;
constexpr int64_t kMaxTwips = 31680 * 4;

// The group that starts at offset, whole (closed or to the end of the input).
std::string_view GroupAt(std::string_view data, size_t offset) {
    RtfTokenizer t(data, offset);
    t.Next();  // the '{'
    t.SkipGroup();
    return data.substr(offset, t.Position() - offset);
}

}  // namespace

bool ReadPictureGroup(std::string_view group, RtfPicture& out) {
    out = RtfPicture{};
    RtfTokenizer tok(group);
    size_t depth = 0;
    bool seen = false;
    int nibble = -1;
    for (;;) {
        RtfToken t = tok.Next();
        if (t.kind == RtfTokenKind::End) break;
        if (t.kind == RtfTokenKind::GroupOpen) {
            if (depth == 0) {
                depth = 1;
                continue;
            }
            // {\*\picprop ...}, {\*\blipuid ...}: nothing we show.
            tok.SkipGroup();
            continue;
        }
        if (t.kind == RtfTokenKind::GroupClose) break;
        if (depth == 0) return false;
        if (t.kind == RtfTokenKind::ControlWord) {
            const std::string_view w = t.word;
            const int32_t p = t.param;
            if (w == "pict") seen = true;
            else if (w == "pngblip") out.type = RtfPictureType::Png;
            else if (w == "jpegblip") out.type = RtfPictureType::Jpeg;
            else if (w == "dibitmap") out.type = RtfPictureType::Dib;
            else if (w == "wbitmap") out.type = RtfPictureType::Bitmap;
            else if (w == "wmetafile") out.type = RtfPictureType::Wmf;
            else if (w == "emfblip") out.type = RtfPictureType::Emf;
            else if (w == "macpict") out.type = RtfPictureType::Mac;
            else if (w == "picw") out.width = std::max(p, 0);
            else if (w == "pich") out.height = std::max(p, 0);
            else if (w == "picwgoal") out.goalWidth = std::max(p, 0);
            else if (w == "pichgoal") out.goalHeight = std::max(p, 0);
            else if (w == "picscalex") out.scaleX = std::clamp(p, 1, 10000);
            else if (w == "picscaley") out.scaleY = std::clamp(p, 1, 10000);
        } else if (t.kind == RtfTokenKind::Binary) {
            out.data.append(t.text);
        } else if (t.kind == RtfTokenKind::Text) {
            for (char c : t.text) {
                const int v = HexDigitValue(c);
                if (v < 0) continue;
                if (nibble < 0) {
                    nibble = v;
                } else {
                    out.data += char(nibble * 16 + v);
                    nibble = -1;
                }
            }
        }
    }
    return seen;
}

bool ReadObjectGroup(std::string_view group, RtfObject& out) {
    out = RtfObject{};
    RtfTokenizer tok(group);
    std::vector<size_t> opens;  // where each open group starts
    size_t depth = 0;
    size_t resultDepth = 0;  // depth of the \result group, 0 when not inside one
    bool seen = false;
    for (;;) {
        RtfToken t = tok.Next();
        if (t.kind == RtfTokenKind::End) break;
        if (t.kind == RtfTokenKind::GroupOpen) {
            ++depth;
            if (opens.size() < kMaxTrackedDepth) opens.push_back(t.offset);
            continue;
        }
        if (t.kind == RtfTokenKind::GroupClose) {
            if (depth == resultDepth) resultDepth = 0;
            if (opens.size() == depth && !opens.empty()) opens.pop_back();
            if (--depth == 0) break;
            continue;
        }
        if (depth == 0) return false;
        if (t.kind != RtfTokenKind::ControlWord) continue;
        const std::string_view w = t.word;
        if (w == "object" && depth == 1) {
            seen = true;
        } else if (w == "objw" && depth == 1) {
            out.width = std::max(t.param, 0);
        } else if (w == "objh" && depth == 1) {
            out.height = std::max(t.param, 0);
        } else if (w == "objdata") {
            // The object's own data is large and of no use for showing it.
            tok.SkipGroup();
            if (opens.size() == depth && !opens.empty()) opens.pop_back();
            --depth;
        } else if (w == "result") {
            resultDepth = depth;
        } else if (w == "pict" && resultDepth > 0 && !out.hasPicture && opens.size() == depth) {
            out.hasPicture = ReadPictureGroup(GroupAt(group, opens.back()), out.picture);
        }
    }
    return seen;
}

void RtfPictureSizeTwips(const RtfPicture& p, int32_t& width, int32_t& height) {
    int64_t w = p.goalWidth, h = p.goalHeight;
    const bool metafile = p.type == RtfPictureType::Wmf || p.type == RtfPictureType::Emf;
    // \picw and \pich are pixels at 96 dpi for bitmaps, hundredths of a millimetre for metafiles.
    if (w <= 0) w = metafile ? int64_t(p.width) * 1440 / 2540 : int64_t(p.width) * 15;
    if (h <= 0) h = metafile ? int64_t(p.height) * 1440 / 2540 : int64_t(p.height) * 15;
    w = w * p.scaleX / 100;
    h = h * p.scaleY / 100;
    width = int32_t(std::clamp<int64_t>(w, 0, kMaxTwips));
    height = int32_t(std::clamp<int64_t>(h, 0, kMaxTwips));
}

}  // namespace kiv
