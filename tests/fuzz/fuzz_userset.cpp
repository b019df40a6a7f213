// Any bytes as "userset.ini": the mail settings read without failing, and written into a
// file of their own they read back as the file's code keeps them.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "email/core/MailSettings.h"
#include "platform/core/BlockFile.h"
#include "platform/core/IniFile.h"
#include "platform/core/LegacyText.h"
#include "tests/fuzz/FuzzFolder.h"

namespace {
const std::string& Folder() {
    static const std::string dir = kiv::fuzz::MakeFuzzFolder("userset");
    return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "userset.ini", copy = Folder() + "copy.ini";
    kiv::WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size));
    kiv::TMailSettings s;
    {
        kiv::IniFile ini(path);
        s = kiv::ReadMailSettings(ini);
    }
    ::unlink(copy.c_str());
    {
        kiv::IniFile out(copy);
        kiv::WriteMailSettings(out, s);
    }
    kiv::IniFile in(copy);
    kiv::TMailSettings back = kiv::ReadMailSettings(in);
    // Each value as the file's code gives it back (a text whose Windows-1252 bytes are
    // UTF-8 reads as that UTF-8); "SendMe" is read, never written.
    auto coded = [](const std::string& v) {
        return kiv::LegacyText::Decode(kiv::LegacyText::Encode(v));
    };
    kiv::TMailSettings want{coded(s.From),   coded(s.Name),     coded(s.SMTP), coded(s.Port),
                            coded(s.UserID), coded(s.Password), back.SendMe};
    if (!(back == want)) __builtin_trap();
    ::unlink(path.c_str());
    ::unlink(copy.c_str());
    return 0;
}
