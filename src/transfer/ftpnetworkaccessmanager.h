#pragma once

#include <QtNetwork/QNetworkAccessManager>

#include <chrono>

namespace quelta::base::connection::chamberconnection {

class FtpSession;

// A network access manager that carries out "ftp" URLs itself, through
// libcurl, and hands every other scheme to Qt. Besides get, put and
// deleteResource it takes the custom verbs "ls" (the names in a directory,
// joined by ";"), "cd", "mkdir" and "rmdir" of sendCustomRequest.
//
// Requests of one manager share a session: logged-in control connections
// are kept and reused, and a successful "cd" makes its directory current for
// the account on that server, so that a later relative path lands in it. A
// path that starts with "//" is absolute. Replies finish from the event loop,
// never inside the call that made them, and every request gets one. A server
// that sends nothing for transferTimeout() ends its request with
// QNetworkReply::TimeoutError; a request's own transferTimeout() comes first.
//
// curl runs as a multi handle on this thread's event loop (see FtpSession)
// rather than on a worker thread of its own: replies, their upload devices
// and the session then live on the manager's thread, as Qt's replies do, and
// need no lock and no copying between threads.
class FtpNetworkAccessManager : public QNetworkAccessManager
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultTransferTimeout{30000};

    explicit FtpNetworkAccessManager(QObject *parent = nullptr);
    ~FtpNetworkAccessManager() override;

    // Clears Qt's cache and ends the FTP session: later requests log in on
    // new control connections and start in the login directory, requests
    // still running finish on the old ones. QNetworkAccessManager's function
    // is not virtual, so this one is reached only through this class.
    void clearConnectionCache();

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request,
                                 QIODevice *outgoingData = nullptr) override;

private:
    FtpSession *m_session;
};

} // namespace quelta::base::connection::chamberconnection
