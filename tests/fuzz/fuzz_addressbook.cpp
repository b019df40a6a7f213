// Any bytes as "address.lst" (the first byte chooses the columns): the lines taken have
// that many fields, in file order, and written back they are as many lines again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "email/core/AddressBookText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int columns = 1 + data[0] % 3;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<kiv::TAddressLine> lines = kiv::ParseAddressBook(bytes, columns);
    std::vector<std::vector<std::string>> rows;
    int last = -1;
    for (const kiv::TAddressLine& l : lines) {
        if (int(l.Fields.size()) != columns || l.Index <= last) __builtin_trap();
        last = l.Index;
        rows.push_back(l.Fields);
    }
    const std::string written = kiv::FormatAddressBook(rows);
    if (kiv::ParseAddressBook(written, columns).size() != rows.size()) __builtin_trap();
    return 0;
}
