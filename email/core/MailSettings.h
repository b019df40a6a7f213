#pragma once
// The mail settings in "userset.ini", section [MailSettings]: the sender, the SMTP server
// and its login. The password is stored as typed, in plain text (the file is made readable
// by its owner alone). "SendMe" is read and never written.
#include <string>

namespace kiv {

class IniFile;

inline constexpr const char* kMailSection = "MailSettings";

struct TMailSettings {
    std::string From;  // sender's address
    std::string Name;  // sender's name
    std::string SMTP;  // server
    std::string Port = "25";
    std::string UserID;
    std::string Password;
    bool SendMe = true;
    bool operator==(const TMailSettings&) const = default;
};

TMailSettings ReadMailSettings(const IniFile& ini);
// From, Name, SMTP, Port, UserID, Password, in that order, as typed; one replace of the
// file. A file that does not exist yet is made first with mode 0600. Raises EFileError.
void WriteMailSettings(IniFile& ini, const TMailSettings& s);

// Makes the file, empty and with mode 0600, when it does not exist. Raises EFileError.
void CreatePrivateFile(const std::string& path);

}  // namespace kiv
