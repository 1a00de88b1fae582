#pragma once

#include "ftpcommand.h"

#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtNetwork/QNetworkReply>

#include <curl/curl.h>

#include <chrono>

namespace quelta::base::connection::chamberconnection {

class FtpSession;
struct CurlLibrary;

// The reply of one FTP request of FtpNetworkAccessManager, carried out as a
// curl transfer of an FtpSession.
//
// It finishes exactly once, never before control has returned to the event
// loop: with the server's answer; with TimeoutError once neither side has
// sent a byte for the time-out; with OperationCanceledError on abort() or
// when its session is destroyed first; with ProtocolInvalidOperationError for
// a request that cannot be sent. A download can be read while it arrives; a
// listing ("ls") is handed over whole at the end, its names joined by ";". An
// upload reads its device from the current position to the end when the
// request is made. Error texts name the URL without user information.
class FtpReply : public QNetworkReply
{
    Q_OBJECT
public:
    // server names the account and host whose working directory a "cd"
    // sets; a timeout of zero waits on a silent server for ever.
    FtpReply(const FtpCommand &command, QNetworkAccessManager::Operation operation, const QNetworkRequest &request,
             QIODevice *outgoingData, FtpSession *session, const QString &server,
             std::chrono::milliseconds timeout, QObject *parent);
    ~FtpReply() override;

    void abort() override;
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;

private:
    static size_t onReceived(char *data, size_t size, size_t count, void *reply);
    static size_t onSending(char *buffer, size_t size, size_t count, void *reply);
    static int onDialogue(CURL *transfer, curl_infotype type, char *data, size_t size, void *reply);

    bool startTransfer(const QUrl &url);
    void stopTransfer();
    void onTransferDone(CURLcode result);
    void complete();
    void announceData();
    void finishLater(NetworkError error, const QString &detail);
    void finish(NetworkError error, const QString &detail);
    QString failureDetail(long responseCode) const;
    QString operationName() const;

    const FtpCommand m_command;
    const CurlLibrary *const m_curl;
    const QPointer<FtpSession> m_session;
    const QString m_server;
    CURL *m_transfer = nullptr;
    bool m_running = false;
    CURLcode m_result = CURLE_OK;
    curl_slist *m_quote = nullptr;
    char m_curlError[CURL_ERROR_SIZE] = {};
    QByteArray m_lastResponse;
    QByteArray m_upload;
    qint64 m_uploaded = 0;
    QByteArray m_listing;
    QByteArray m_received;
    qint64 m_readPosition = 0;
    bool m_readyReadPending = false;
    QTimer m_silenceTimer;
};

} // namespace quelta::base::connection::chamberconnection
