#include "platform/core/RtfWords.h"

#include <unordered_map>

#include "platform/core/RtfReader.h"

namespace kiv::rtfwords {

namespace {

const std::unordered_map<std::string_view, WordEntry>& Words() {
    static const std::unordered_map<std::string_view, WordEntry> words = [] {
        std::unordered_map<std::string_view, WordEntry> m;
        auto add = [&](std::string_view w, W id, char32_t v = 0) {
            m.emplace(w, WordEntry{id, v});
        };
        add("fonttbl", W::FontTbl);
        add("colortbl", W::ColorTbl);
        add("pict", W::Pict);
        add("object", W::Object);
        add("pntext", W::PnText);
        add("listtext", W::ListText);
        add("pn", W::Pn);
        add("pntxtb", W::PnTxtB);
        add("pntxta", W::PnTxtA);
        add("upr", W::Upr);
        add("ud", W::Ud);
        for (auto w : {"shppict", "field", "fldrslt", "result"}) add(w, W::Transparent);
        for (auto w : {"stylesheet",
                       "info",
                       "header",
                       "headerl",
                       "headerr",
                       "headerf",
                       "footer",
                       "footerl",
                       "footerr",
                       "footerf",
                       "footnote",
                       "ftnsep",
                       "ftnsepc",
                       "ftncn",
                       "aftnsep",
                       "aftnsepc",
                       "aftncn",
                       "xe",
                       "tc",
                       "txe",
                       "rxe",
                       "fldinst",
                       "nonshppict",
                       "listtable",
                       "listoverridetable",
                       "revtbl",
                       "rsidtbl",
                       "filetbl",
                       "template",
                       "pnseclvl",
                       "bkmkstart",
                       "bkmkend",
                       "annotation",
                       "atnid",
                       "atnauthor",
                       "comment",
                       "author",
                       "operator",
                       "title",
                       "subject",
                       "keywords",
                       "doccomm",
                       "generator",
                       "themedata",
                       "colorschememapping",
                       "datastore",
                       "latentstyles",
                       "pgdsctbl",
                       "xmlnstbl",
                       "mmathPr",
                       "docvar",
                       "userprops",
                       "private",
                       "fchars",
                       "lchars",
                       "shpinst",
                       "do",
                       "falt",
                       "panose",
                       "fname",
                       "objdata",
                       "objclass",
                       "picprop",
                       "blipuid",
                       "datafield",
                       "formfield",
                       "passwordhash",
                       "wgrffmtfilter",
                       "ftnalt"})
            add(w, W::Skip);
        add("ansi", W::Ansi);
        add("mac", W::Mac);
        add("pc", W::Pc);
        add("pca", W::Pca);
        add("ansicpg", W::AnsiCpg);
        add("deff", W::Deff);
        add("uc", W::Uc);
        add("u", W::U);
        for (auto w : {"par", "sect", "page"}) add(w, W::Par);
        add("line", W::Line);
        add("tab", W::Tab);
        for (auto w : {"cell", "nestcell"}) add(w, W::Cell);
        for (auto w : {"row", "nestrow"}) add(w, W::Row);
        add("pard", W::Pard);
        add("ql", W::Ql);
        add("qc", W::Qc);
        add("qr", W::Qr);
        add("qj", W::Qj);
        add("qd", W::Qj);
        add("li", W::Li);
        add("ri", W::Ri);
        add("fi", W::Fi);
        add("sb", W::Sb);
        add("sa", W::Sa);
        add("plain", W::Plain);
        add("f", W::F);
        add("fs", W::Fs);
        add("cf", W::Cf);
        add("b", W::B);
        add("i", W::I);
        for (auto w : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash",
                       "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash",
                       "ululdbwave", "ulw", "ulwave"})
            add(w, W::Ul);
        add("ulnone", W::UlNone);
        add("strike", W::Strike);
        add("striked", W::StrikeD);
        add("emdash", W::Special, 0x2014);
        add("endash", W::Special, 0x2013);
        add("bullet", W::Special, 0x2022);
        add("lquote", W::Special, 0x2018);
        add("rquote", W::Special, 0x2019);
        add("ldblquote", W::Special, 0x201C);
        add("rdblquote", W::Special, 0x201D);
        add("emspace", W::Special, 0x2003);
        add("enspace", W::Special, 0x2002);
        add("qmspace", W::Special, 0x2005);
        add("zwj", W::Special, 0x200D);
        add("zwnj", W::Special, 0x200C);
        add("zwbo", W::Special, 0x200B);
        add("ltrmark", W::Special, 0x200E);
        add("rtlmark", W::Special, 0x200F);
        add("fcharset", W::FCharset);
        add("fprq", W::FPrq);
        add("cpg", W::Cpg);
        for (auto w :
             {"fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor", "ftech", "fbidi"})
            add(w, W::FFamily);
        add("red", W::Red);
        add("green", W::Green);
        add("blue", W::Blue);
        add("pnlvlblt", W::PnLvlBlt);
        add("pnlvlbody", W::PnLvlBody);
        add("pnlvlcont", W::PnLvlCont);
        add("pnlvl", W::PnLvl);
        add("pndec", W::PnStyle, char32_t(RtfListKind::Decimal));
        add("pnucltr", W::PnStyle, char32_t(RtfListKind::UpperAlpha));
        add("pnlcltr", W::PnStyle, char32_t(RtfListKind::LowerAlpha));
        add("pnucrm", W::PnStyle, char32_t(RtfListKind::UpperRoman));
        add("pnlcrm", W::PnStyle, char32_t(RtfListKind::LowerRoman));
        add("pnstart", W::PnStart);
        return m;
    }();
    return words;
}

}  // namespace

const WordEntry* Find(std::string_view word) {
    auto it = Words().find(word);
    return it == Words().end() ? nullptr : &it->second;
}

}  // namespace kiv::rtfwords
