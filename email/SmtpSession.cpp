#include "email/SmtpSession.h"

#include <curl/curl.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

namespace kiv::mail {

void TSmtpStopper::Stop() {
    stopped_ = true;
    std::lock_guard<std::mutex> lock(mutex_);
    for (int fd : sockets_) ::shutdown(fd, SHUT_RDWR);
}

bool TSmtpStopper::Attach(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return false;
    sockets_.push_back(fd);
    return true;
}

void TSmtpStopper::Detach(int fd) {
    std::lock_guard<std::mutex> lock(mutex_);
    sockets_.erase(std::remove(sockets_.begin(), sockets_.end(), fd), sockets_.end());
}

namespace {

struct Session {
    Session(TSmtpStopper& st, const TSmtpEvents& ev, const std::string& msg)
        : stopper(st), events(ev), message(msg) {}
    TSmtpStopper& stopper;
    const TSmtpEvents& events;
    const std::string& message;
    size_t sent = 0;
    bool connected = false;
    bool encrypted = false;
    bool encryptionTold = false;
    std::string pending;    // reply bytes not yet ended by a line end
    std::string reply;      // the reply being read, its lines joined
    std::string lastError;  // the last 4xx or 5xx reply
};

bool IsReplyLine(const std::string& l) {
    return l.size() >= 3 && l[0] >= '1' && l[0] <= '5' && l[1] >= '0' && l[1] <= '9' &&
           l[2] >= '0' && l[2] <= '9';
}

void ReplyLine(Session& s, std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!s.connected) {
        s.connected = true;
        if (s.events.OnConnected) s.events.OnConnected();
    }
    if (!IsReplyLine(line)) return;
    // A reply of several lines ("550-...", "550 ...") is told as one.
    s.reply += (s.reply.empty() ? line : " " + line.substr(std::min<size_t>(4, line.size())));
    if (line.size() > 3 && line[3] == '-') return;
    if (s.reply[0] == '4' || s.reply[0] == '5') s.lastError = s.reply;
    s.reply.clear();
}

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    Session& s = *static_cast<Session*>(user);
    switch (type) {
    case CURLINFO_HEADER_IN: {
        s.pending.append(data, size);
        size_t nl;
        while ((nl = s.pending.find('\n')) != std::string::npos) {
            ReplyLine(s, s.pending.substr(0, nl));
            s.pending.erase(0, nl + 1);
        }
        break;
    }
    case CURLINFO_HEADER_OUT:
        if (!s.encryptionTold && size >= 9 && strncasecmp(data, "MAIL FROM", 9) == 0) {
            s.encryptionTold = true;
            if (s.events.OnEncryption) s.events.OnEncryption(s.encrypted);
        }
        break;
    case CURLINFO_SSL_DATA_IN:
    case CURLINFO_SSL_DATA_OUT: s.encrypted = true; break;
    default: break;
    }
    return 0;
}

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
    Session& s = *static_cast<Session*>(user);
    if (s.stopper.Stopped()) return CURL_READFUNC_ABORT;
    const size_t n = std::min(size * count, s.message.size() - s.sent);
    std::memcpy(buffer, s.message.data() + s.sent, n);
    s.sent += n;
    return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Session*>(user)->stopper.Stopped() ? 1 : 0;
}

curl_socket_t OnOpenSocket(void* user, curlsocktype, struct curl_sockaddr* address) {
    auto& stopper = *static_cast<TSmtpStopper*>(user);
    const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (fd < 0) return CURL_SOCKET_BAD;
    if (!stopper.Attach(fd)) {
        ::close(fd);
        return CURL_SOCKET_BAD;
    }
    return fd;
}

int OnCloseSocket(void* user, curl_socket_t fd) {
    static_cast<TSmtpStopper*>(user)->Detach(fd);
    return ::close(fd);
}

// Bytes that would end an SMTP command line, or the brackets around an address.
bool IsSafeAddress(const std::string& a) {
    if (a.empty()) return false;
    for (unsigned char c : a)
        if (c <= 0x20 || c == 0x7F || c == '<' || c == '>') return false;
    return true;
}

bool IsSafeHost(const std::string& h) {
    if (h.empty()) return false;
    for (unsigned char c : h)
        if (!(std::isalnum(c) || c == '.' || c == '-' || c == '_' || c == ':' || c >= 0x80))
            return false;
    return true;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

TSmtpResult SendSmtp(const TSmtpRequest& r, TSmtpStopper& stopper, const TSmtpEvents& events) {
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    TSmtpResult result;
    if (init != CURLE_OK) {
        result.Detail = curl_easy_strerror(init);
        return result;
    }
    if (!IsSafeHost(r.Host)) {
        result.Detail = "bad server name \"" + r.Host + "\"";
        return result;
    }
    if (!IsSafeAddress(r.MailFrom)) {
        result.Outcome = TSmtpOutcome::Failed;
        result.Detail = "bad sender address \"" + r.MailFrom + "\"";
        return result;
    }
    std::unique_ptr<curl_slist, SlistDeleter> rcpt;
    for (const std::string& a : r.Recipients) {
        if (!IsSafeAddress(a)) {
            result.Outcome = TSmtpOutcome::Failed;
            result.Detail = "bad recipient address \"" + a + "\"";
            return result;
        }
        curl_slist* next = curl_slist_append(rcpt.get(), ("<" + a + ">").c_str());
        if (!next) {
            result.Detail = "out of memory";
            return result;
        }
        rcpt.release();
        rcpt.reset(next);
    }
    if (!rcpt) {
        result.Outcome = TSmtpOutcome::Failed;
        result.Detail = "no recipient address";
        return result;
    }

    // The session outlives the handle: the handle's clean-up still reports the QUIT.
    Session s{stopper, events, r.Message};
    char error[CURL_ERROR_SIZE] = {};
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        result.Detail = "cannot start an SMTP session";
        return result;
    }
    const bool v6 = r.Host.find(':') != std::string::npos;
    const std::string url =
        "smtp://" + (v6 ? "[" + r.Host + "]" : r.Host) + ":" + std::to_string(r.Port);
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, r.ConnectTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, r.ResponseTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    if (!r.Password.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, r.UserId.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, r.Password.c_str());
        curl_easy_setopt(c, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
    }
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, ("<" + r.MailFrom + ">").c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(r.Message.size()));
    curl_easy_setopt(c, CURLOPT_READFUNCTION, OnRead);
    curl_easy_setopt(c, CURLOPT_READDATA, &s);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &s);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, OnOpenSocket);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, &stopper);
    curl_easy_setopt(c, CURLOPT_CLOSESOCKETFUNCTION, OnCloseSocket);
    curl_easy_setopt(c, CURLOPT_CLOSESOCKETDATA, &stopper);
    // The server's replies come through the debug stream: the greeting marks the
    // connection, error replies are what the user is told.
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, OnDebug);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &s);

    const CURLcode rc = curl_easy_perform(c);
    // QUIT goes with the handle; a stopped session's socket is already shut.
    curl.reset();
    result.Encrypted = s.encrypted;
    if (stopper.Stopped()) {
        result.Outcome = TSmtpOutcome::Stopped;
        return result;
    }
    if (rc == CURLE_OK) {
        result.Outcome = TSmtpOutcome::Sent;
        return result;
    }
    result.Outcome = s.connected ? TSmtpOutcome::Failed : TSmtpOutcome::NotConnected;
    result.Detail = !s.lastError.empty() ? s.lastError
                                         : (error[0] ? std::string(error) : curl_easy_strerror(rc));
    return result;
}

}  // namespace kiv::mail
