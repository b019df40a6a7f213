#include "email/core/MailSettings.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/IniFile.h"
#include "platform/core/KivError.h"

namespace kiv {

TMailSettings ReadMailSettings(const IniFile& ini) {
    TMailSettings s;
    s.From = ini.ReadString(kMailSection, "From", "");
    s.Name = ini.ReadString(kMailSection, "Name", "");
    s.SMTP = ini.ReadString(kMailSection, "SMTP", "");
    s.Port = ini.ReadString(kMailSection, "Port", "25");
    s.UserID = ini.ReadString(kMailSection, "UserID", "");
    s.Password = ini.ReadString(kMailSection, "Password", "");
    s.SendMe = ini.ReadBool(kMailSection, "SendMe", true);
    return s;
}

void WriteMailSettings(IniFile& ini, const TMailSettings& s) {
    // The password is stored here: a new file is nobody else's to read. A file that exists
    // keeps its mode (the ini file's replace carries it over).
    CreatePrivateFile(ini.FileName());
    IniFile::Batch batch(ini);
    ini.WriteString(kMailSection, "From", s.From);
    ini.WriteString(kMailSection, "Name", s.Name);
    ini.WriteString(kMailSection, "SMTP", s.SMTP);
    ini.WriteString(kMailSection, "Port", s.Port);
    ini.WriteString(kMailSection, "UserID", s.UserID);
    ini.WriteString(kMailSection, "Password", s.Password);
    batch.Commit();
}

void CreatePrivateFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) return;
        throw EFileError("Cannot create file", path, errno);
    }
    ::close(fd);
}

}  // namespace kiv
