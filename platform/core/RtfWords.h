#pragma once
// The control words the RTF reader knows, by what it does with them. Internal to the
// reader.
#include <cstdint>
#include <string_view>

namespace kiv::rtfwords {

enum class W : uint8_t {
    // destinations
    FontTbl,
    ColorTbl,
    Pict,
    Object,
    PnText,
    ListText,
    Pn,
    PnTxtB,
    PnTxtA,
    Upr,
    Ud,
    Transparent,  // destinations whose text is document text
    Skip,         // destinations whose text is never shown
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    Uc,
    U,
    // paragraphs
    Par,
    Line,
    Tab,
    Cell,
    Row,
    Pard,
    Ql,
    Qc,
    Qr,
    Qj,
    Li,
    Ri,
    Fi,
    Sb,
    Sa,
    // characters
    Plain,
    F,
    Fs,
    Cf,
    B,
    I,
    Ul,
    UlNone,
    Strike,
    StrikeD,
    // specials
    Special,
    // font table
    FCharset,
    FPrq,
    Cpg,
    FFamily,
    // colour table
    Red,
    Green,
    Blue,
    // numbering
    PnLvlBlt,
    PnLvlBody,
    PnLvlCont,
    PnLvl,
    PnStyle,
    PnStart,
};

struct WordEntry {
    W id;
    char32_t value = 0;  // Special: the character; PnStyle: the list kind
};

// The entry of a control word, or null for one we do not know.
const WordEntry* Find(std::string_view word);

}  // namespace kiv::rtfwords
