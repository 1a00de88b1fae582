#include "ftpreply.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "curllibrary.h"
#include "ftpsession.h"

#include <QtCore/QUrl>

#include <cstring>
#include <utility>

namespace quelta::base::connection::chamberconnection {

namespace {

QNetworkReply::NetworkError networkError(CURLcode result, long responseCode)
{
    switch (result) {
    case CURLE_OK:
        return QNetworkReply::NoError;
    case CURLE_COULDNT_RESOLVE_HOST:
        return QNetworkReply::HostNotFoundError;
    case CURLE_COULDNT_CONNECT:
        return QNetworkReply::ConnectionRefusedError;
    case CURLE_OPERATION_TIMEDOUT:
        return QNetworkReply::TimeoutError;
    case CURLE_ABORTED_BY_CALLBACK:
        return QNetworkReply::OperationCanceledError;
    case CURLE_LOGIN_DENIED:
        return QNetworkReply::AuthenticationRequiredError;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return QNetworkReply::RemoteHostClosedError;
    default:
        break;
    }
    if (responseCode == 530)
        return QNetworkReply::AuthenticationRequiredError;
    if (responseCode == 550 || result == CURLE_REMOTE_FILE_NOT_FOUND)
        return QNetworkReply::ContentNotFoundError;
    if (responseCode >= 400)
        return QNetworkReply::ContentOperationNotPermittedError;
    return QNetworkReply::ProtocolFailure;
}

// The name list of NLST, one name a line, as the names joined by ";".
QByteArray joinedNames(const QByteArray &listing)
{
    QByteArrayList names;
    for (const QByteArray &line : listing.split('\n')) {
        const QByteArray name = line.endsWith('\r') ? line.chopped(1) : line;
        if (!name.isEmpty())
            names.append(name);
    }
    return names.join(';');
}

void logDialogue(const char *direction, QByteArray line)
{
    if (line.startsWith("PASS "))
        line = QByteArrayLiteral("PASS ****");
    qCDebug(lcChamberConnection).noquote() << "(FTP)" << direction << line.trimmed();
}

} // namespace

FtpReply::FtpReply(const FtpCommand &command, QNetworkAccessManager::Operation operation,
                   const QNetworkRequest &request, QIODevice *outgoingData, FtpSession *session,
                   const QString &server, std::chrono::milliseconds timeout, QObject *parent)
    : QNetworkReply(parent)
    , m_command(command)
    , m_curl(CurlLibrary::instance())
    , m_session(session)
    , m_server(server)
    , m_silenceTimer(this)
{
    setOperation(operation);
    setRequest(request);
    setUrl(request.url());
    open(QIODevice::ReadOnly);
    m_silenceTimer.setSingleShot(true);
    m_silenceTimer.setInterval(timeout);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] {
        finish(TimeoutError, tr("the server sent nothing for %1 ms").arg(m_silenceTimer.interval()));
    });

    if (m_command.kind() == FtpCommand::Kind::Invalid) {
        finishLater(ProtocolInvalidOperationError, m_command.errorText());
        return;
    }
    if (m_command.kind() == FtpCommand::Kind::Upload) {
        if (!outgoingData || !outgoingData->isReadable()) {
            finishLater(ProtocolInvalidOperationError, tr("there is no readable data to upload"));
            return;
        }
        m_upload = outgoingData->readAll();
    }
    if (!startTransfer(request.url())) {
        finishLater(UnknownNetworkError, tr("the transfer could not be started"));
        return;
    }
    if (timeout.count() > 0)
        m_silenceTimer.start();
}

FtpReply::~FtpReply()
{
    stopTransfer();
    if (!m_curl)
        return;
    m_curl->easyCleanup(m_transfer);
    m_curl->slistFreeAll(m_quote);
}

void FtpReply::abort()
{
    finish(OperationCanceledError, tr("the request was aborted"));
}

qint64 FtpReply::bytesAvailable() const
{
    return QNetworkReply::bytesAvailable() + m_received.size() - m_readPosition;
}

qint64 FtpReply::readData(char *data, qint64 maxSize)
{
    const qint64 length = qMin(maxSize, m_received.size() - m_readPosition);
    if (length == 0 && isFinished())
        return -1;
    std::memcpy(data, m_received.constData() + m_readPosition, size_t(length));
    m_readPosition += length;
    if (m_readPosition == m_received.size()) {
        m_received.clear();
        m_readPosition = 0;
    }
    return length;
}

bool FtpReply::startTransfer(const QUrl &url)
{
    if (!m_curl)
        return false;
    m_transfer = m_curl->easyInit();
    if (!m_transfer || !m_session)
        return false;
    m_curl->easySetopt(m_transfer, CURLOPT_URL, m_command.curlUrl().constData());
    m_curl->easySetopt(m_transfer, CURLOPT_PROTOCOLS_STR, "ftp");
    if (!url.userName().isEmpty()) {
        m_curl->easySetopt(m_transfer, CURLOPT_USERNAME, url.userName().toUtf8().constData());
        m_curl->easySetopt(m_transfer, CURLOPT_PASSWORD, url.password().toUtf8().constData());
    }
    m_curl->easySetopt(m_transfer, CURLOPT_NOSIGNAL, 1L);
    m_curl->easySetopt(m_transfer, CURLOPT_ERRORBUFFER, m_curlError);
    // The dialogue tells when the server last sent something, and its last
    // answer explains a failure.
    m_curl->easySetopt(m_transfer, CURLOPT_VERBOSE, 1L);
    m_curl->easySetopt(m_transfer, CURLOPT_DEBUGFUNCTION, &FtpReply::onDialogue);
    m_curl->easySetopt(m_transfer, CURLOPT_DEBUGDATA, this);
    m_curl->easySetopt(m_transfer, CURLOPT_WRITEFUNCTION, &FtpReply::onReceived);
    m_curl->easySetopt(m_transfer, CURLOPT_WRITEDATA, this);

    switch (m_command.kind()) {
    case FtpCommand::Kind::Upload:
        m_curl->easySetopt(m_transfer, CURLOPT_UPLOAD, 1L);
        m_curl->easySetopt(m_transfer, CURLOPT_READFUNCTION, &FtpReply::onSending);
        m_curl->easySetopt(m_transfer, CURLOPT_READDATA, this);
        m_curl->easySetopt(m_transfer, CURLOPT_INFILESIZE_LARGE, curl_off_t(m_upload.size()));
        break;
    case FtpCommand::Kind::List:
        m_curl->easySetopt(m_transfer, CURLOPT_DIRLISTONLY, 1L);
        break;
    case FtpCommand::Kind::Quote:
        m_quote = m_curl->slistAppend(nullptr, m_command.quote().constData());
        m_curl->easySetopt(m_transfer, CURLOPT_POSTQUOTE, m_quote);
        m_curl->easySetopt(m_transfer, CURLOPT_NOBODY, 1L);
        break;
    case FtpCommand::Kind::ChangeDirectory:
        m_curl->easySetopt(m_transfer, CURLOPT_NOBODY, 1L);
        break;
    case FtpCommand::Kind::Download:
    case FtpCommand::Kind::Invalid:
        break;
    }
    m_running = m_session->start(m_transfer, [this](CURLcode result) { onTransferDone(result); });
    return m_running;
}

void FtpReply::stopTransfer()
{
    m_silenceTimer.stop();
    if (!std::exchange(m_running, false))
        return;
    if (m_session)
        m_session->cancel(m_transfer);
}

void FtpReply::onTransferDone(CURLcode result)
{
    m_running = false;
    m_silenceTimer.stop();
    m_result = result;
    // Signals leave from the event loop, out of curl's and the session's way.
    QMetaObject::invokeMethod(this, &FtpReply::complete, Qt::QueuedConnection);
}

void FtpReply::complete()
{
    if (isFinished())
        return;
    long responseCode = 0;
    m_curl->easyGetinfo(m_transfer, CURLINFO_RESPONSE_CODE, &responseCode);
    const NetworkError error = networkError(m_result, responseCode);
    if (error != NoError) {
        finish(error, failureDetail(responseCode));
        return;
    }
    if (m_command.kind() == FtpCommand::Kind::List) {
        m_received = joinedNames(m_listing);
        m_readyReadPending = !m_received.isEmpty();
    }
    if (m_command.kind() == FtpCommand::Kind::ChangeDirectory && m_session)
        m_session->setWorkingDirectory(m_server, m_command.directory());
    finish(NoError, QString());
}

void FtpReply::announceData()
{
    if (std::exchange(m_readyReadPending, false))
        Q_EMIT readyRead();
}

void FtpReply::finishLater(NetworkError error, const QString &detail)
{
    QMetaObject::invokeMethod(this, [this, error, detail] { finish(error, detail); }, Qt::QueuedConnection);
}

void FtpReply::finish(NetworkError error, const QString &detail)
{
    if (isFinished())
        return;
    stopTransfer();
    announceData();
    if (error != NoError) {
        const QString shownUrl = m_command.resolvedUrl().isEmpty()
                ? url().toDisplayString(QUrl::RemoveUserInfo)
                : QUrl::fromEncoded(m_command.resolvedUrl()).toDisplayString();
        setError(error, tr("FTP %1 of %2 failed: %3").arg(operationName(), shownUrl, detail));
    }
    setFinished(true);
    if (error != NoError)
        Q_EMIT errorOccurred(error);
    Q_EMIT finished();
}

QString FtpReply::failureDetail(long responseCode) const
{
    if (responseCode >= 400 && !m_lastResponse.isEmpty())
        return QString::fromUtf8(m_lastResponse);
    if (m_curlError[0] != '\0')
        return QString::fromUtf8(m_curlError);
    return QString::fromUtf8(m_curl->easyStrerror(m_result));
}

QString FtpReply::operationName() const
{
    switch (operation()) {
    case QNetworkAccessManager::GetOperation:
        return QStringLiteral("get");
    case QNetworkAccessManager::PutOperation:
        return QStringLiteral("put");
    case QNetworkAccessManager::DeleteOperation:
        return QStringLiteral("delete");
    case QNetworkAccessManager::HeadOperation:
        return QStringLiteral("head");
    case QNetworkAccessManager::PostOperation:
        return QStringLiteral("post");
    case QNetworkAccessManager::CustomOperation:
        return QString::fromUtf8(request().attribute(QNetworkRequest::CustomVerbAttribute).toByteArray());
    case QNetworkAccessManager::UnknownOperation:
        break;
    }
    return QStringLiteral("request");
}

size_t FtpReply::onReceived(char *data, size_t size, size_t count, void *reply)
{
    auto *const self = static_cast<FtpReply *>(reply);
    const size_t length = size * count;
    if (self->m_command.kind() == FtpCommand::Kind::List) {
        self->m_listing.append(data, int(length));
        return length;
    }
    self->m_received.append(data, int(length));
    if (!std::exchange(self->m_readyReadPending, true))
        QMetaObject::invokeMethod(self, &FtpReply::announceData, Qt::QueuedConnection);
    return length;
}

size_t FtpReply::onSending(char *buffer, size_t size, size_t count, void *reply)
{
    auto *const self = static_cast<FtpReply *>(reply);
    const qint64 length = qMin(qint64(size * count), self->m_upload.size() - self->m_uploaded);
    std::memcpy(buffer, self->m_upload.constData() + self->m_uploaded, size_t(length));
    self->m_uploaded += length;
    return size_t(length);
}

int FtpReply::onDialogue(CURL *, curl_infotype type, char *data, size_t size, void *reply)
{
    auto *const self = static_cast<FtpReply *>(reply);
    switch (type) {
    case CURLINFO_HEADER_IN:
        self->m_lastResponse = QByteArray(data, int(size)).trimmed();
        if (lcChamberConnection().isDebugEnabled())
            logDialogue("<", self->m_lastResponse);
        break;
    case CURLINFO_HEADER_OUT:
        if (lcChamberConnection().isDebugEnabled())
            logDialogue(">", QByteArray(data, int(size)));
        break;
    case CURLINFO_DATA_IN:
    case CURLINFO_DATA_OUT:
        break;
    default:
        // curl's own remarks; nothing went over the wire.
        return 0;
    }
    if (self->m_silenceTimer.isActive())
        self->m_silenceTimer.start();
    return 0;
}

} // namespace quelta::base::connection::chamberconnection
