#pragma once
// "address.lst", the address book's file: one line per grid row, the header ("Name",
// "email") first; every cell is followed by one TAB, the line ends with CR LF; text in the
// file's own code (LegacyText).
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

struct TAddressLine {
    int Index = 0;                    // the line's number in the file, from 0
    std::vector<std::string> Fields;  // UTF-8
};
// The lines that have exactly `columns` TAB-ended fields (text after the last TAB is
// ignored); the others are skipped but keep their numbers.
std::vector<TAddressLine> ParseAddressBook(std::string_view bytes, int columns);
// The file's bytes for the rows (each a row's cells, UTF-8): TAB, CR and LF inside a cell
// become blanks, so every row reads back as one line of the same fields.
std::string FormatAddressBook(const std::vector<std::vector<std::string>>& rows);

}  // namespace kiv
