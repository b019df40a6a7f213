#include "email/core/AddressBookText.h"

#include "platform/core/KivStrings.h"
#include "platform/core/LegacyText.h"

namespace kiv {

std::vector<TAddressLine> ParseAddressBook(std::string_view bytes, int columns) {
    std::vector<TAddressLine> out;
    const std::vector<std::string> lines = SplitLines(bytes);
    for (size_t i = 0; i < lines.size(); ++i) {
        TAddressLine line{int(i), {}};
        std::string_view rest = lines[i];
        for (size_t tab; (tab = rest.find('\t')) != std::string_view::npos;
             rest.remove_prefix(tab + 1))
            line.Fields.push_back(LegacyText::Decode(rest.substr(0, tab)));
        if (int(line.Fields.size()) == columns) out.push_back(std::move(line));
    }
    return out;
}

std::string FormatAddressBook(const std::vector<std::vector<std::string>>& rows) {
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::string cell : row) {
            for (char& c : cell)
                if (c == '\t' || c == '\r' || c == '\n') c = ' ';
            line += cell + "\t";
        }
        out += LegacyText::Encode(line) + "\r\n";
    }
    return out;
}

}  // namespace kiv
