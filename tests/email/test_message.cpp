// The message builder: recipient texts, encodings and the message's bytes.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <regex>
#include <set>

#include "email/MailMessage.h"

using namespace kiv::mail;

namespace {

TEST(Recipients, SplitsOutsideQuotesAndAngleBrackets) {
    struct Case {
        const char* text;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"a@x.org, b@y.org", {"a@x.org", "b@y.org"}},
        {"a@x.org;b@y.org", {"a@x.org", "b@y.org"}},
        {"a@x.org; ", {"a@x.org"}},
        {" ; ,, ", {}},
        {"\"Doe, Jane\" <j@x.org>; Bob <b@y.org>", {"\"Doe, Jane\" <j@x.org>", "Bob <b@y.org>"}},
        {"\"A; \\\"B\\\"\" <a@x.org>,c@z.org", {"\"A; \\\"B\\\"\" <a@x.org>", "c@z.org"}},
        {"Odd <a,b@x.org>, c@z.org", {"Odd <a,b@x.org>", "c@z.org"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitRecipientText(c.text), c.pieces) << c.text;
}

TEST(Recipients, MailboxTextRoundTrips) {
    struct Case {
        const char* name;
        const char* address;
        const char* text;
    };
    const Case cases[] = {
        {"Bob", "bob@x.org", "Bob <bob@x.org>"},
        {"Doe, Jane", "j@x.org", "\"Doe, Jane\" <j@x.org>"},
        {"A; \"B\"", "a@x.org", "\"A; \\\"B\\\"\" <a@x.org>"},
        {"", "c@z.org", "c@z.org"},
        {"bob@x.org", "bob@x.org", "bob@x.org <bob@x.org>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MailboxText(c.name, c.address), c.text);
        const auto pieces = SplitRecipientText(std::string(c.text) + "; z@z.org");
        ASSERT_EQ(pieces.size(), 2u) << c.text;
        EXPECT_EQ(ParseMailbox(pieces[0]), (TMailAddress{c.name, c.address})) << c.text;
    }
    EXPECT_EQ(ParseMailbox("  <a@x.org> "), (TMailAddress{"", "a@x.org"}));
    EXPECT_EQ(ParseRecipients("a@x.org, Bob <>, ;"), (std::vector<TMailAddress>{{"", "a@x.org"}}));
}

TEST(Encodings, Base64AndQuotedPrintable) {
    const std::pair<const char*, const char*> b64[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [in, out] : b64) EXPECT_EQ(Base64(in), out);
    const std::string wrapped = Base64(std::string(100, 'x'), 76);
    EXPECT_EQ(wrapped.find("\r\n"), 76u);
    EXPECT_EQ(QByteArray::fromBase64(QByteArray::fromStdString(wrapped)), QByteArray(100, 'x'));

    const std::pair<const char*, const char*> qp[] = {
        {"a=b", "a=3Db"},
        {"trail \r\nnext\t", "trail=20\r\nnext=09"},
        {"\xC3\xA9t\xC3\xA9", "=C3=A9t=C3=A9"},
        {"a b", "a b"},
    };
    for (const auto& [in, out] : qp) EXPECT_EQ(QuotedPrintable(in), out) << in;
    const std::string long_ =
        QuotedPrintable(std::string(200, '=') + "\r\n" + std::string(200, 'a'));
    size_t start = 0;
    while (start < long_.size()) {
        const size_t end = std::min(long_.find("\r\n", start), long_.size());
        EXPECT_LE(end - start, 76u);
        start = end + 2;
    }
    EXPECT_EQ(ToCrLf("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
}

TEST(Encodings, HeaderTextAndPhrases) {
    EXPECT_EQ(EncodeHeaderText("Plain subject"), "Plain subject");
    EXPECT_EQ(EncodeHeaderText("Gr\xC3\xBC\xC3\x9F"
                               "e"),
              "=?UTF-8?B?R3LDvMOfZQ==?=");
    // Nothing typed into a field starts a header line of its own.
    EXPECT_EQ(EncodeHeaderText("x\r\nBcc: evil@x.org"), "x  Bcc: evil@x.org");
    EXPECT_EQ(EncodeHeaderText("=?UTF-8?B?x?="), "=?UTF-8?B?PT9VVEYtOD9CP3g/PQ==?=");

    // Long text: words of at most 75 characters, each a whole run of characters.
    std::string text;
    for (int i = 0; i < 40; ++i) text += "\xE2\x82\xAC\xC3\xA4";  // "€ä"
    const std::string enc = EncodeHeaderText(text);
    std::string decoded;
    size_t start = 0;
    while (start < enc.size()) {
        size_t end = enc.find("\r\n ", start);
        if (end == std::string::npos) end = enc.size();
        const std::string word = enc.substr(start, end - start);
        EXPECT_LE(word.size(), 75u);
        ASSERT_EQ(word.substr(0, 10), "=?UTF-8?B?");
        const QByteArray bytes =
            QByteArray::fromBase64(QByteArray::fromStdString(word.substr(10, word.size() - 12)));
        EXPECT_EQ(QString::fromUtf8(bytes).toUtf8(), bytes) << "a character cut in two";
        decoded += bytes.toStdString();
        start = end + 3;
    }
    EXPECT_EQ(decoded, text);

    EXPECT_EQ(EncodePhrase("Bob Smith"), "Bob Smith");
    EXPECT_EQ(EncodePhrase("Doe, Jane"), "\"Doe, Jane\"");
    EXPECT_EQ(EncodePhrase("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(EncodePhrase("J\xC3\xB6rg"), "=?UTF-8?B?SsO2cmc=?=");
}

TEST(Message, DateAndMessageId) {
    const std::regex date(
        R"((Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4} \d\d:\d\d:\d\d [+-]\d{4})");
    EXPECT_TRUE(std::regex_match(MailDate(1765418400), date)) << MailDate(1765418400);
    std::set<std::string> ids;
    for (int i = 0; i < 100; ++i) ids.insert(NewMessageId("me@Mail.Example.org"));
    EXPECT_EQ(ids.size(), 100u);
    EXPECT_TRUE(std::regex_match(*ids.begin(),
                                 std::regex(R"(<[0-9a-f]{16}\.[0-9a-f]{11}@Mail\.Example\.org>)")));
    EXPECT_TRUE(NewMessageId("nobody").find("@kiv.localhost>") != std::string::npos);
}

std::string Header(const std::string& msg, const std::string& name) {
    const size_t at = msg.find("\r\n" + name + ": ");
    if (at == std::string::npos)
        return msg.compare(0, name.size() + 2, name + ": ") == 0
                   ? msg.substr(name.size() + 2, msg.find("\r\n") - name.size() - 2)
                   : "";
    const size_t from = at + name.size() + 4;
    return msg.substr(from, msg.find("\r\n", from) - from);
}

TEST(Message, BytesAreCrLfLinesWithTheHeadersAndParts) {
    TMailMessage m;
    m.From = {"J\xC3\xB6rg", "me@x.org"};
    m.To = {{"", "a@x.org"}, {"Doe, Jane", "j@y.org"}};
    m.Subject = "Hi\nthere";
    m.Body = "line one\nline two\n.dot\n";
    m.Attachments = {{"a.bin", "", std::string("\0\1\2\xFF", 4)},
                     {"\xC3\xA4.txt", "text/plain", "x"}};
    const std::string msg = BuildMessage(m);
    for (size_t i = 0; i < msg.size(); ++i)
        ASSERT_TRUE(msg[i] != '\n' || (i > 0 && msg[i - 1] == '\r')) << "bare LF at " << i;
    EXPECT_EQ(Header(msg, "From"), "=?UTF-8?B?SsO2cmc=?= <me@x.org>");
    EXPECT_EQ(Header(msg, "To"), "a@x.org, \"Doe, Jane\" <j@y.org>");
    EXPECT_EQ(Header(msg, "Subject"), "Hi there");
    EXPECT_EQ(Header(msg, "X-Mailer"), "KIV");
    EXPECT_EQ(Header(msg, "MIME-Version"), "1.0");
    EXPECT_NE(Header(msg, "Date"), "");
    EXPECT_NE(Header(msg, "Message-ID"), "");
    EXPECT_EQ(Header(msg, "Cc"), "");
    EXPECT_NE(msg.find("Content-Type: multipart/mixed; boundary=\""), std::string::npos);
    EXPECT_NE(msg.find("\r\n\r\nline one\r\nline two\r\n.dot\r\n"), std::string::npos);
    EXPECT_NE(
        msg.find(
            "Content-Type: application/octet-stream; name=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=\"a.bin\"\r\n\r\nAAEC/w==\r\n"),
        std::string::npos);
    EXPECT_NE(msg.find("filename*=utf-8''%C3%A4.txt"), std::string::npos);

    m.Attachments.clear();
    m.Body = "caf\xC3\xA9";
    const std::string plain = BuildMessage(m);
    EXPECT_NE(
        plain.find(
            "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\ncaf=C3=A9\r\n"),
        std::string::npos);
    EXPECT_EQ(plain.find("multipart"), std::string::npos);
}

}  // namespace
