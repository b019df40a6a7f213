#pragma once
// One SMTP session through libcurl: connect, EHLO, STARTTLS when the server offers it,
// AUTH LOGIN when a password is given, MAIL FROM, one RCPT TO per recipient, DATA with the
// message bytes (libcurl does the dot-stuffing), QUIT. Blocking; runs on the send worker's
// thread. Nothing here knows Qt.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kiv::mail {

struct TSmtpRequest {
    std::string Host;
    int Port = 25;
    std::string UserId;
    std::string Password;  // empty: no authentication
    std::string MailFrom;  // envelope sender
    std::vector<std::string> Recipients;
    std::string Message;  // BuildMessage's bytes
    long ConnectTimeoutSeconds = 30;
    long ResponseTimeoutSeconds = 60;
};

enum class TSmtpOutcome {
    NotConnected,  // no greeting from the server (refused, unreachable, bad name)
    Failed,        // the server greeted, the message was not accepted
    Sent,          // the server accepted the message
    Stopped,       // TSmtpStopper::Stop ended it
};

struct TSmtpResult {
    TSmtpOutcome Outcome = TSmtpOutcome::NotConnected;
    std::string Detail;  // the server's error reply, else libcurl's reason
    bool Encrypted = false;
};

// Ends a running session from another thread at once: the session's socket is shut down,
// so a wait for the server returns, and every callback tells libcurl to give up.
class TSmtpStopper {
public:
    void Stop();
    bool Stopped() const { return stopped_.load(); }

    // For the session: the socket it opened and is about to close.
    bool Attach(int fd);
    void Detach(int fd);

private:
    std::atomic<bool> stopped_{false};
    std::mutex mutex_;
    std::vector<int> sockets_;
};

struct TSmtpEvents {
    // The server's greeting arrived.
    std::function<void()> OnConnected;
    // Known once the envelope starts: whether STARTTLS made the session encrypted.
    std::function<void(bool encrypted)> OnEncryption;
};

TSmtpResult SendSmtp(const TSmtpRequest& request, TSmtpStopper& stopper,
                     const TSmtpEvents& events = {});

}  // namespace kiv::mail
