#include "ftpcommand.h"

#include <QtCore/QUrl>

#include <algorithm>

namespace quelta::base::connection::chamberconnection {

namespace {

// curl takes ";type=" in an FTP path as a transfer mode, so a semicolon of a
// file name travels encoded.
QByteArray encodedPath(const QUrl &url)
{
    return url.path(QUrl::FullyEncoded).toLatin1().replace(';', "%3B");
}

QByteArray resolve(const QByteArray &path, const QByteArray &workingDirectory)
{
    if (path.startsWith("//"))
        return path.mid(1);
    const QByteArray relative = path.startsWith('/') ? path.mid(1) : path;
    if (workingDirectory.isEmpty() || relative.isEmpty())
        return workingDirectory + relative;
    return workingDirectory.endsWith('/') ? workingDirectory + relative : workingDirectory + '/' + relative;
}

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QByteArray asDirectory(const QByteArray &path)
{
    return path.isEmpty() || path.endsWith('/') ? path : path + '/';
}

// A name goes into a command line of its own; a line break in it would start
// another command.
bool hasControlCharacters(const QByteArray &name)
{
    return std::any_of(name.cbegin(), name.cend(), [](char c) { return uchar(c) < 0x20 || uchar(c) == 0x7f; });
}

QByteArray quoteCommand(QNetworkAccessManager::Operation operation, const QByteArray &verb)
{
    if (operation == QNetworkAccessManager::DeleteOperation)
        return QByteArrayLiteral("DELE");
    if (operation != QNetworkAccessManager::CustomOperation)
        return QByteArray();
    if (verb == "mkdir")
        return QByteArrayLiteral("MKD");
    if (verb == "rmdir")
        return QByteArrayLiteral("RMD");
    return QByteArray();
}

} // namespace

FtpCommand FtpCommand::create(QNetworkAccessManager::Operation operation, const QByteArray &verb, const QUrl &url,
                              const QByteArray &workingDirectory)
{
    if (url.host().isEmpty())
        return invalid(tr("the URL names no server"), QByteArray());
    QUrl server = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
    server.setPort(url.port(DefaultPort));
    const QByteArray root = server.toEncoded() + '/';
    const QByteArray path = resolve(encodedPath(url), workingDirectory);

    FtpCommand command;
    command.m_resolvedUrl = root + path;
    if (operation == QNetworkAccessManager::CustomOperation && (verb == "ls" || verb == "cd")) {
        command.m_kind = verb == "ls" ? Kind::List : Kind::ChangeDirectory;
        command.m_curlUrl = root + asDirectory(path);
        if (command.m_kind == Kind::ChangeDirectory)
            command.m_directory = withoutTrailingSlashes(path);
        return command;
    }
    if (operation == QNetworkAccessManager::GetOperation || operation == QNetworkAccessManager::PutOperation) {
        if (path.isEmpty() || path.endsWith('/'))
            return invalid(tr("the path names no file"), command.m_resolvedUrl);
        command.m_kind = operation == QNetworkAccessManager::GetOperation ? Kind::Download : Kind::Upload;
        command.m_curlUrl = root + path;
        return command;
    }
    const QByteArray quote = quoteCommand(operation, verb);
    if (quote.isEmpty())
        return invalid(tr("the operation is not supported on FTP"), command.m_resolvedUrl);
    const QByteArray target = quote == "DELE" ? path : withoutTrailingSlashes(path);
    const int slash = target.lastIndexOf('/');
    const QByteArray name = QByteArray::fromPercentEncoding(target.mid(slash + 1));
    if (name.isEmpty())
        return invalid(tr("the path names no file or directory"), command.m_resolvedUrl);
    if (hasControlCharacters(name))
        return invalid(tr("the name holds control characters"), command.m_resolvedUrl);
    command.m_kind = Kind::Quote;
    command.m_curlUrl = root + target.left(slash + 1);
    command.m_quote = quote + ' ' + name;
    return command;
}

FtpCommand FtpCommand::invalid(const QString &errorText, const QByteArray &resolvedUrl)
{
    FtpCommand command;
    command.m_resolvedUrl = resolvedUrl;
    command.m_errorText = errorText;
    return command;
}

} // namespace quelta::base::connection::chamberconnection
