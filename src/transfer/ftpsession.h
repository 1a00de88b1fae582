#pragma once

#include <QtCore/QHash>
#include <QtCore/QObject>
#include <QtCore/QSet>
#include <QtCore/QSocketNotifier>
#include <QtCore/QTimer>

#include <curl/curl.h>

#include <chrono>
#include <functional>

namespace quelta::base::connection::chamberconnection {

struct CurlLibrary;

// One generation of FTP control connections: a curl multi handle run by the
// event loop of the thread that owns the session, the logged-in connections
// it keeps for reuse, and the directory that "cd" made current on each
// server. Destroying the session closes every connection it keeps.
//
// curl names the sockets to watch and the time of its next call; socket
// notifiers and one timer turn them into curl_multi_socket_action calls, so
// the thread never waits on the network. The one wait curl makes on its own
// is at clean-up, where it sends QUIT on every kept connection and waits up
// to two minutes for each answer. The session therefore opens its sockets
// itself and shuts the open ones down first: QUIT then fails at once, also on
// a server that has gone silent.
//
// curl 7.88 can leave an FTP transfer waiting on neither a socket nor a
// timer: when the answer to EPSV arrives within the step that sent it, the
// data connection is not opened until curl looks at the transfer again. While
// transfers run, the session therefore also sweeps over all of them at a
// short interval.
class FtpSession : public QObject
{
    Q_OBJECT
public:
    // Called once when a started transfer ends, from the event loop and after
    // the transfer has left the session. It must not destroy the session.
    using Completion = std::function<void(CURLcode result)>;

    static constexpr std::chrono::milliseconds SweepInterval{20};

    // Loads libcurl the first time; without it, no transfer starts.
    explicit FtpSession(QObject *parent = nullptr);
    // Transfers still running complete with CURLE_ABORTED_BY_CALLBACK.
    ~FtpSession() override;

    [[nodiscard]] bool start(CURL *transfer, Completion completion);
    // Takes a running transfer out without completing it.
    void cancel(CURL *transfer);
    bool isIdle() const { return m_transfers.isEmpty(); }

    // server as FtpNetworkAccessManager names it; "" before the first "cd".
    QByteArray workingDirectory(const QString &server) const { return m_workingDirectories.value(server); }
    void setWorkingDirectory(const QString &server, const QByteArray &directory);

Q_SIGNALS:
    // The last running transfer has left the session.
    void drained();

private:
    struct SocketWatch
    {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    static int onSocketRequest(CURL *transfer, curl_socket_t socket, int what, void *session, void *socketData);
    static int onTimerRequest(CURLM *multi, long milliseconds, void *session);
    static curl_socket_t openSocket(void *session, curlsocktype purpose, curl_sockaddr *address);
    static int closeSocket(void *session, curl_socket_t socket);

    void watch(curl_socket_t socket, int what);
    void setWatching(QSocketNotifier *&notifier, curl_socket_t socket, QSocketNotifier::Type type, bool on);
    void act(curl_socket_t socket, int events);
    void sweep();
    void completeFinishedTransfers();

    const CurlLibrary *const m_curl;
    CURLM *const m_multi;
    QTimer m_timer;
    QTimer m_sweepTimer;
    QHash<curl_socket_t, SocketWatch> m_watches;
    QSet<curl_socket_t> m_openSockets;
    QHash<CURL *, Completion> m_transfers;
    QHash<QString, QByteArray> m_workingDirectories;
};

} // namespace quelta::base::connection::chamberconnection
