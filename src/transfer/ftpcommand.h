#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QCoreApplication>
#include <QtCore/QString>
#include <QtNetwork/QNetworkAccessManager>

class QUrl;

namespace quelta::base::connection::chamberconnection {

// What one request asks of an FTP server, in the terms of a curl URL: the
// request's path resolved against the session's working directory, and the
// command that is sent once curl has changed into the URL's directory.
//
// A path that starts with "//" is absolute on the server; any other path is
// relative to the directory that the last successful "cd" made current, or
// to the login directory before the first one. Working directories are kept
// as the part of a curl URL's path after its first slash, percent-encoded and
// without a trailing slash: "" is the login directory, "a/b" lies below it,
// "/a/b" is absolute.
class FtpCommand
{
    Q_DECLARE_TR_FUNCTIONS(FtpCommand)
public:
    enum class Kind { Invalid, Download, Upload, List, ChangeDirectory, Quote };

    // The port of a URL that names none.
    static constexpr int DefaultPort = 21;

    // operation and verb as QNetworkAccessManager::createRequest receives
    // them; the verbs "ls", "cd", "mkdir" and "rmdir" belong to custom requests.
    static FtpCommand create(QNetworkAccessManager::Operation operation, const QByteArray &verb,
                             const QUrl &url, const QByteArray &workingDirectory);

    Kind kind() const { return m_kind; }
    // Scheme, host, port and resolved path; never user information.
    QByteArray curlUrl() const { return m_curlUrl; }
    // The request's URL resolved against the working directory, without
    // user information, for messages.
    QByteArray resolvedUrl() const { return m_resolvedUrl; }
    // Quote: "DELE", "MKD" or "RMD" with the decoded name.
    QByteArray quote() const { return m_quote; }
    // ChangeDirectory: the working directory once the server has accepted it.
    QByteArray directory() const { return m_directory; }
    // Invalid: why the request cannot be sent.
    QString errorText() const { return m_errorText; }

private:
    static FtpCommand invalid(const QString &errorText, const QByteArray &resolvedUrl);

    Kind m_kind = Kind::Invalid;
    QByteArray m_curlUrl;
    QByteArray m_resolvedUrl;
    QByteArray m_quote;
    QByteArray m_directory;
    QString m_errorText;
};

} // namespace quelta::base::connection::chamberconnection
