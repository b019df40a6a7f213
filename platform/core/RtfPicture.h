#pragma once
// What is inside the picture and object groups that the reader hands over whole: the
// picture's kind, sizes and bytes, so that a viewer can show it while the group itself
// is written back unchanged.
#include <cstdint>
#include <string>
#include <string_view>

namespace kiv {

enum class RtfPictureType : uint8_t { Unknown, Png, Jpeg, Dib, Bitmap, Wmf, Emf, Mac };

struct RtfPicture {
    RtfPictureType type = RtfPictureType::Unknown;
    int32_t width = 0, height = 0;          // \picw \pich: pixels, or 0.01 mm for metafiles
    int32_t goalWidth = 0, goalHeight = 0;  // \picwgoal \pichgoal, twips
    int32_t scaleX = 100, scaleY = 100;     // \picscalex \picscaley, percent
    std::string data;                       // the picture's bytes (hex or \bin)
};

// Reads a {\pict ...} group; false when the group holds no \pict.
bool ReadPictureGroup(std::string_view group, RtfPicture& out);

struct RtfObject {
    int32_t width = 0, height = 0;  // \objw \objh, twips
    bool hasPicture = false;        // the picture of its \result
    RtfPicture picture;
};

// Reads an {\object ...} group; false when it is not one.
bool ReadObjectGroup(std::string_view group, RtfObject& out);

// The size the picture is shown at, in twips (0 when nothing says).
void RtfPictureSizeTwips(const RtfPicture& p, int32_t& width, int32_t& height);

}  // namespace kiv
