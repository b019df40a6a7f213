#include "email/MailMessage.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>

#include "platform/core/KivStrings.h"

namespace kiv::mail {

namespace {

constexpr size_t kEncodedChunk = 42;  // UTF-8 bytes per encoded word: 56 base64 characters

bool IsPrintableAscii(unsigned char c) { return c >= 0x20 && c < 0x7F; }

bool AllPrintableAscii(std::string_view s) {
    for (unsigned char c : s)
        if (!IsPrintableAscii(c)) return false;
    return true;
}

// Line breaks and other control characters become blanks: nothing typed into a field may
// start a header of its own.
std::string HeaderSafe(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return out;
}

// Length of the UTF-8 sequence that starts with this byte (1 for anything else).
size_t SequenceLength(unsigned char c) {
    if (c >= 0xF0 && c < 0xF8) return 4;
    if (c >= 0xE0) return c < 0xF0 ? 3 : 1;
    if (c >= 0xC0) return 2;
    return 1;
}

// Encoded words of at most kEncodedChunk bytes each, never cutting a character in two.
std::string EncodedWords(std::string_view utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        size_t end = i;
        while (end < utf8.size()) {
            const size_t n =
                std::min(SequenceLength(static_cast<unsigned char>(utf8[end])), utf8.size() - end);
            if (end + n - i > kEncodedChunk && end > i) break;
            end += n;
        }
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" + Base64(utf8.substr(i, end - i)) + "?=";
        i = end;
    }
    return out;
}

bool IsAtext(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-/=?^_`{|}~").find(char(c)) != std::string_view::npos;
}

std::string Quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Unquoted(std::string_view s) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') return std::string(s);
    std::string out;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] == '\\' && i + 2 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

std::string Hex(uint64_t v, int digits) {
    static const char* d = "0123456789abcdef";
    std::string out(size_t(digits), '0');
    for (int i = digits - 1; i >= 0; --i, v >>= 4) out[size_t(i)] = d[v & 15];
    return out;
}

uint64_t RandomBits() {
    static std::atomic<uint64_t> counter{0};
    std::random_device rd;
    const uint64_t r = (uint64_t(rd()) << 32) ^ rd();
    const auto now = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    return r ^ (now * 0x9E3779B97F4A7C15ull) ^ ++counter;
}

std::string MailboxHeader(const TMailAddress& a) {
    const std::string address = HeaderSafe(a.Address);
    const std::string phrase = EncodePhrase(Trim(a.Name));
    return phrase.empty() ? address : phrase + " <" + address + ">";
}

// "Name: a, b, c", folded before an address that would pass the 76th column.
std::string AddressHeader(std::string_view name, const std::vector<TMailAddress>& list) {
    std::string out = std::string(name) + ":";
    size_t column = out.size();
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string item = MailboxHeader(list[i]);
        if (i) out += ",";
        const size_t firstLine = std::min(item.find('\r'), item.size());
        if (i && column + 2 + firstLine > 76) {
            out += "\r\n ";
            column = 1;
        } else {
            out += " ";
            ++column;
        }
        out += item;
        const size_t lastBreak = item.rfind('\n');
        column =
            lastBreak == std::string::npos ? column + item.size() : item.size() - lastBreak - 1;
    }
    return out + "\r\n";
}

// A MIME token (type, subtype): letters, digits and the few marks RFC 2045 allows.
bool IsContentType(std::string_view t) {
    const size_t slash = t.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == t.size()) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (i == slash) continue;
        if (!IsPrintableAscii(c) || c == ' ' ||
            std::string_view("()<>@,;:\\\"/[]?=").find(char(c)) != std::string_view::npos)
            return false;
    }
    return true;
}

// The file name as MIME parameters: plain for printable ASCII, else RFC 2231 for the
// disposition and an encoded word for the type's name.
struct FileNameParams {
    std::string TypeName, Disposition;
};

FileNameParams FileNameParameters(std::string_view utf8) {
    const std::string name = HeaderSafe(utf8);
    if (AllPrintableAscii(name)) return {"; name=" + Quoted(name), "; filename=" + Quoted(name)};
    std::string pct;
    for (unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            std::string_view("!#$&+-.^_`|~").find(char(c)) != std::string_view::npos) {
            pct += char(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            pct += buf;
        }
    }
    return {"; name=\"=?UTF-8?B?" + Base64(name) + "?=\"", "; filename*=utf-8''" + pct};
}

// The body part's headers and text.
std::string TextPart(std::string_view body) {
    std::string text = ToCrLf(body);
    if (text.empty() || text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
        text += "\r\n";
    bool plain = true;
    size_t lineLength = 0;
    for (unsigned char c : text) {
        if (c == '\n') lineLength = 0;
        else if (++lineLength > 998 || c >= 0x80 || (c < 0x20 && c != '\r' && c != '\t'))
            plain = false;
    }
    std::string out = "Content-Type: text/plain; charset=utf-8\r\n";
    if (plain) return out + "Content-Transfer-Encoding: 7bit\r\n\r\n" + text;
    return out + "Content-Transfer-Encoding: quoted-printable\r\n\r\n" + QuotedPrintable(text);
}

}  // namespace

std::vector<std::string> SplitRecipientText(std::string_view text) {
    std::vector<std::string> out;
    bool quoted = false;
    int angle = 0;
    size_t start = 0;
    const auto cut = [&](size_t end) {
        std::string piece = Trim(text.substr(start, end - start));
        if (!piece.empty()) out.push_back(std::move(piece));
        start = end + 1;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\') ++i;
            else if (c == '"') quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            ++angle;
        } else if (c == '>') {
            if (angle > 0) --angle;
        } else if ((c == ';' || c == ',') && angle == 0) {
            cut(i);
        }
    }
    cut(text.size());
    return out;
}

TMailAddress ParseMailbox(std::string_view piece) {
    const std::string p = Trim(piece);
    size_t lt = std::string::npos;
    bool quoted = false;
    for (size_t i = 0; i < p.size(); ++i) {
        if (quoted) {
            if (p[i] == '\\') ++i;
            else if (p[i] == '"') quoted = false;
        } else if (p[i] == '"') {
            quoted = true;
        } else if (p[i] == '<') {
            lt = i;
        }
    }
    if (lt == std::string::npos || p.empty() || p.back() != '>') return {"", p};
    return {Unquoted(Trim(std::string_view(p).substr(0, lt))),
            Trim(std::string_view(p).substr(lt + 1, p.size() - lt - 2))};
}

std::string MailboxText(std::string_view name, std::string_view address) {
    const std::string n = Trim(name);
    if (n.empty()) return std::string(address);
    const bool quote = n.find_first_of(",;\"<>\\") != std::string::npos;
    return (quote ? Quoted(n) : n) + " <" + std::string(address) + ">";
}

std::vector<TMailAddress> ParseRecipients(std::string_view text) {
    std::vector<TMailAddress> out;
    for (const std::string& piece : SplitRecipientText(text)) {
        TMailAddress a = ParseMailbox(piece);
        if (!a.Address.empty()) out.push_back(std::move(a));
    }
    return out;
}

std::string Base64(std::string_view bytes, size_t lineLength) {
    static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(bytes.size() / 3 * 4 + 4 + (lineLength ? bytes.size() / lineLength * 2 : 0));
    size_t column = 0;
    const auto put = [&](char c) {
        if (lineLength && column == lineLength) {
            out += "\r\n";
            column = 0;
        }
        out += c;
        ++column;
    };
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 |
                           uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
        put(t[v >> 18]);
        put(t[(v >> 12) & 63]);
        put(t[(v >> 6) & 63]);
        put(t[v & 63]);
    }
    if (i < bytes.size()) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (i + 1 < bytes.size()) v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        put(t[v >> 18]);
        put(t[(v >> 12) & 63]);
        put(i + 1 < bytes.size() ? t[(v >> 6) & 63] : '=');
        put('=');
    }
    return out;
}

std::string QuotedPrintable(std::string_view crlfText) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    size_t start = 0;
    while (true) {
        const size_t end = std::min(crlfText.find("\r\n", start), crlfText.size());
        const std::string_view line = crlfText.substr(start, end - start);
        size_t column = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            const bool last = i + 1 == line.size();
            std::string token;
            if ((c == ' ' || c == '\t') && !last) token = char(c);
            else if (c > 32 && c < 127 && c != '=') token = char(c);
            else token = {'=', hex[c >> 4], hex[c & 15]};
            if (column + token.size() > 75) {
                out += "=\r\n";
                column = 0;
            }
            out += token;
            column += token.size();
        }
        if (end == crlfText.size()) break;
        out += "\r\n";
        start = end + 2;
    }
    return out;
}

std::string EncodeHeaderText(std::string_view utf8) {
    const std::string s = HeaderSafe(utf8);
    if (AllPrintableAscii(s) && s.size() <= 900 && s.find("=?") == std::string::npos) return s;
    return EncodedWords(s);
}

std::string EncodePhrase(std::string_view utf8) {
    const std::string s = HeaderSafe(utf8);
    if (s.empty()) return s;
    if (!AllPrintableAscii(s) || s.size() > 900) return EncodedWords(s);
    bool atoms = s.find("=?") == std::string::npos;
    for (unsigned char c : s)
        if (c != ' ' && !IsAtext(c)) atoms = false;
    return atoms ? s : Quoted(s);
}

std::string ToCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string MailDate(std::time_t t) {
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm{};
    localtime_r(&t, &tm);
    const long offset = tm.tm_gmtoff / 60;
    const long a = offset < 0 ? -offset : offset;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  days[tm.tm_wday % 7], tm.tm_mday, months[tm.tm_mon % 12], tm.tm_year + 1900,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, offset < 0 ? '-' : '+', a / 60, a % 60);
    return buf;
}

std::string NewMessageId(std::string_view fromAddress) {
    std::string domain;
    const size_t at = fromAddress.rfind('@');
    if (at != std::string_view::npos)
        for (char c : fromAddress.substr(at + 1))
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                c == '.' || c == '-')
                domain += c;
    while (!domain.empty() && domain.front() == '.') domain.erase(0, 1);
    while (!domain.empty() && domain.back() == '.') domain.pop_back();
    if (domain.empty()) domain = "kiv.localhost";
    const auto ms = uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count());
    return "<" + Hex(RandomBits(), 16) + "." + Hex(ms, 11) + "@" + domain + ">";
}

std::string BuildMessage(const TMailMessage& m) {
    std::string out;
    out += "Date: " + MailDate(m.Date ? m.Date : std::time(nullptr)) + "\r\n";
    out += AddressHeader("From", {m.From});
    out += AddressHeader("To", m.To);
    if (!m.Cc.empty()) out += AddressHeader("Cc", m.Cc);
    const std::string subject = EncodeHeaderText(m.Subject);
    out += "Subject:" + (subject.empty() ? std::string() : " " + subject) + "\r\n";
    out += "Message-ID: " +
           (m.MessageId.empty() ? NewMessageId(m.From.Address) : HeaderSafe(m.MessageId)) + "\r\n";
    out += "X-Mailer: " + HeaderSafe(m.Mailer) + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    if (m.Attachments.empty()) return out + TextPart(m.Body);

    const std::string boundary =
        m.Boundary.empty() ? "=_kiv_" + Hex(RandomBits(), 16) + Hex(RandomBits(), 8) : m.Boundary;
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    out += "This is a multi-part message in MIME format.\r\n";
    out += "--" + boundary + "\r\n" + TextPart(m.Body);
    for (const TMailAttachment& a : m.Attachments) {
        const FileNameParams names = FileNameParameters(a.FileName);
        const std::string type =
            IsContentType(a.ContentType) ? a.ContentType : "application/octet-stream";
        out += "--" + boundary + "\r\n";
        out += "Content-Type: " + type + names.TypeName + "\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Disposition: attachment" + names.Disposition + "\r\n\r\n";
        out += Base64(a.Bytes, 76);
        out += "\r\n";
    }
    return out + "--" + boundary + "--\r\n";
}

}  // namespace kiv::mail
