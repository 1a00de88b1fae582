#include "ftpsession.h"

#include "curllibrary.h"

#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace quelta::base::connection::chamberconnection {

FtpSession::FtpSession(QObject *parent)
    : QObject(parent)
    , m_curl(CurlLibrary::instance())
    , m_multi(m_curl ? m_curl->multiInit() : nullptr)
    , m_timer(this)
    , m_sweepTimer(this)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
    m_sweepTimer.setInterval(SweepInterval);
    connect(&m_sweepTimer, &QTimer::timeout, this, &FtpSession::sweep);
    if (!m_multi)
        return;
    m_curl->multiSetopt(m_multi, CURLMOPT_SOCKETFUNCTION, &FtpSession::onSocketRequest);
    m_curl->multiSetopt(m_multi, CURLMOPT_SOCKETDATA, this);
    m_curl->multiSetopt(m_multi, CURLMOPT_TIMERFUNCTION, &FtpSession::onTimerRequest);
    m_curl->multiSetopt(m_multi, CURLMOPT_TIMERDATA, this);
}

FtpSession::~FtpSession()
{
    const QHash<CURL *, Completion> transfers = std::exchange(m_transfers, {});
    for (auto it = transfers.cbegin(); it != transfers.cend(); ++it) {
        m_curl->multiRemoveHandle(m_multi, it.key());
        it.value()(CURLE_ABORTED_BY_CALLBACK);
    }
    for (const curl_socket_t socket : qAsConst(m_openSockets))
        ::shutdown(socket, SHUT_RDWR);
    if (m_multi)
        m_curl->multiCleanup(m_multi);
}

bool FtpSession::start(CURL *transfer, Completion completion)
{
    if (!m_multi)
        return false;
    m_curl->easySetopt(transfer, CURLOPT_OPENSOCKETFUNCTION, &FtpSession::openSocket);
    m_curl->easySetopt(transfer, CURLOPT_OPENSOCKETDATA, this);
    m_curl->easySetopt(transfer, CURLOPT_CLOSESOCKETFUNCTION, &FtpSession::closeSocket);
    m_curl->easySetopt(transfer, CURLOPT_CLOSESOCKETDATA, this);
    if (m_curl->multiAddHandle(m_multi, transfer) != CURLM_OK)
        return false;
    m_transfers.insert(transfer, std::move(completion));
    m_sweepTimer.start();
    return true;
}

void FtpSession::cancel(CURL *transfer)
{
    if (!m_transfers.remove(transfer))
        return;
    m_curl->multiRemoveHandle(m_multi, transfer);
    if (m_transfers.isEmpty()) {
        m_sweepTimer.stop();
        Q_EMIT drained();
    }
}

void FtpSession::setWorkingDirectory(const QString &server, const QByteArray &directory)
{
    m_workingDirectories.insert(server, directory);
}

int FtpSession::onSocketRequest(CURL *, curl_socket_t socket, int what, void *session, void *)
{
    static_cast<FtpSession *>(session)->watch(socket, what);
    return 0;
}

int FtpSession::onTimerRequest(CURLM *, long milliseconds, void *session)
{
    QTimer &timer = static_cast<FtpSession *>(session)->m_timer;
    if (milliseconds < 0)
        timer.stop();
    else
        timer.start(int(milliseconds));
    return 0;
}

curl_socket_t FtpSession::openSocket(void *session, curlsocktype, curl_sockaddr *address)
{
    const curl_socket_t socket = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (socket != CURL_SOCKET_BAD)
        static_cast<FtpSession *>(session)->m_openSockets.insert(socket);
    return socket;
}

int FtpSession::closeSocket(void *session, curl_socket_t socket)
{
    static_cast<FtpSession *>(session)->m_openSockets.remove(socket);
    return ::close(socket);
}

void FtpSession::watch(curl_socket_t socket, int what)
{
    SocketWatch &watch = m_watches[socket];
    setWatching(watch.read, socket, QSocketNotifier::Read, what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    setWatching(watch.write, socket, QSocketNotifier::Write, what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
    if (what != CURL_POLL_REMOVE)
        return;
    // curl may drop a socket while its notifier is being delivered.
    for (QSocketNotifier *notifier : {watch.read, watch.write}) {
        if (notifier)
            notifier->deleteLater();
    }
    m_watches.remove(socket);
}

void FtpSession::setWatching(QSocketNotifier *&notifier, curl_socket_t socket, QSocketNotifier::Type type, bool on)
{
    if (on && !notifier) {
        notifier = new QSocketNotifier(socket, type, this);
        const int event = type == QSocketNotifier::Read ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
        connect(notifier, &QSocketNotifier::activated, this, [this, socket, event] { act(socket, event); });
    }
    if (notifier)
        notifier->setEnabled(on);
}

void FtpSession::act(curl_socket_t socket, int events)
{
    int running = 0;
    m_curl->multiSocketAction(m_multi, socket, events, &running);
    completeFinishedTransfers();
}

void FtpSession::sweep()
{
    int running = 0;
    m_curl->multiSocketAll(m_multi, &running);
    completeFinishedTransfers();
}

void FtpSession::completeFinishedTransfers()
{
    bool completed = false;
    int queued = 0;
    while (const CURLMsg *message = m_curl->multiInfoRead(m_multi, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL *const transfer = message->easy_handle;
        const CURLcode result = message->data.result;
        const Completion completion = m_transfers.take(transfer);
        m_curl->multiRemoveHandle(m_multi, transfer);
        completed = true;
        if (completion)
            completion(result);
    }
    if (completed && m_transfers.isEmpty()) {
        m_sweepTimer.stop();
        Q_EMIT drained();
    }
}

} // namespace quelta::base::connection::chamberconnection
