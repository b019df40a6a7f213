#pragma once
// The bytes of one e-mail message (RFC 5322 with MIME), built by us and handed to the SMTP
// session as they stand: CRLF line ends, headers with RFC 2047 encoded words where the text
// is not plain ASCII, Date and Message-ID, a text/plain body, and each attachment as a
// base64 part of a multipart/mixed message. Dot-stuffing is the session's business.
//
// All text is UTF-8. Nothing here knows Qt, files or sockets.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace kiv::mail {

struct TMailAddress {
    std::string Name;     // display name, may be empty
    std::string Address;  // addr-spec, without angle brackets
    bool operator==(const TMailAddress&) const = default;
};

// A recipient text cut into pieces at every ";" and "," that stands outside double quotes
// and angle brackets; each piece trimmed, empty pieces dropped.
std::vector<std::string> SplitRecipientText(std::string_view text);

// One piece as an address item reads it: "Name <addr>", "\"Doe, Jane\" <addr>", "<addr>"
// or a bare "addr". The name comes back without its quotes.
TMailAddress ParseMailbox(std::string_view piece);

// The text form the recipient lists show: name + " <" + address + ">", the name in double
// quotes when it holds a separator or a quote, so that SplitRecipientText gives it back
// whole. A bare address without a name.
std::string MailboxText(std::string_view name, std::string_view address);

// Every piece of the text, parsed; pieces without an address are dropped.
std::vector<TMailAddress> ParseRecipients(std::string_view text);

// ---- encodings ----
std::string Base64(std::string_view bytes, size_t lineLength = 0);  // 0: one line
// Quoted-printable of text whose lines end in CRLF, lines of at most 76 characters.
std::string QuotedPrintable(std::string_view crlfText);
// Unstructured header text: as it is when it is printable ASCII, else RFC 2047 encoded
// words (UTF-8, base64), each at most 75 characters, folded onto continuation lines.
// Line breaks and other control characters become blanks first.
std::string EncodeHeaderText(std::string_view utf8);
// A display name as a header phrase: atoms as they are, a quoted string for other ASCII,
// encoded words for the rest.
std::string EncodePhrase(std::string_view utf8);
// Bare LF and CR become CRLF.
std::string ToCrLf(std::string_view text);

// "Fri, 11 Dec 2026 02:03:04 +0100", in the local zone, English names whatever the locale.
std::string MailDate(std::time_t t);
// "<random.time@domain>", the domain taken from the sender's address.
std::string NewMessageId(std::string_view fromAddress);

struct TMailAttachment {
    std::string FileName;     // shown name, UTF-8, without folder
    std::string ContentType;  // "application/octet-stream" when empty
    std::string Bytes;
};

struct TMailMessage {
    TMailAddress From;
    std::vector<TMailAddress> To;
    std::vector<TMailAddress> Cc;
    std::string Subject;
    std::string Body;  // any line ends
    std::vector<TMailAttachment> Attachments;
    std::string Mailer = "KIV";
    std::time_t Date = 0;   // 0: now
    std::string MessageId;  // empty: a new one
    std::string Boundary;   // empty: a new one
};

// The whole message, ready for the DATA command (without the final "." line).
std::string BuildMessage(const TMailMessage& m);

}  // namespace kiv::mail
