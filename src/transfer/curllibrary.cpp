#include "curllibrary.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

#include <QtCore/QLibrary>

#include <optional>

namespace quelta::base::connection::chamberconnection {

namespace {

// libcurl's ABI, the soname's number, has not changed since curl 7.16.
constexpr int CurlAbiVersion = 4;

template<typename Function>
bool resolve(QLibrary &library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    if (!function)
        qCCritical(lcChamberConnection, "(FTP) libcurl lacks %s: %s", name, qUtf8Printable(library.errorString()));
    return function != nullptr;
}

std::optional<CurlLibrary> load()
{
    // Never unloaded: QLibrary leaves a library loaded when it goes.
    QLibrary library(QStringLiteral("curl"), CurlAbiVersion);
    if (!library.load()) {
        qCCritical(lcChamberConnection, "(FTP) libcurl could not be loaded: %s", qUtf8Printable(library.errorString()));
        return std::nullopt;
    }
    CurlLibrary curl;
    decltype(&curl_global_init) globalInit = nullptr;
    const bool resolved = resolve(library, "curl_global_init", globalInit)
        && resolve(library, "curl_easy_init", curl.easyInit)
        && resolve(library, "curl_easy_cleanup", curl.easyCleanup)
        && resolve(library, "curl_easy_setopt", curl.easySetopt)
        && resolve(library, "curl_easy_getinfo", curl.easyGetinfo)
        && resolve(library, "curl_easy_strerror", curl.easyStrerror)
        && resolve(library, "curl_multi_init", curl.multiInit)
        && resolve(library, "curl_multi_cleanup", curl.multiCleanup)
        && resolve(library, "curl_multi_setopt", curl.multiSetopt)
        && resolve(library, "curl_multi_add_handle", curl.multiAddHandle)
        && resolve(library, "curl_multi_remove_handle", curl.multiRemoveHandle)
        && resolve(library, "curl_multi_socket_action", curl.multiSocketAction)
        && resolve(library, "curl_multi_info_read", curl.multiInfoRead)
        && resolve(library, "curl_multi_socket_all", curl.multiSocketAll)
        && resolve(library, "curl_slist_append", curl.slistAppend)
        && resolve(library, "curl_slist_free_all", curl.slistFreeAll);
    if (!resolved)
        return std::nullopt;
    const CURLcode initialized = globalInit(CURL_GLOBAL_DEFAULT);
    if (initialized != CURLE_OK) {
        qCCritical(lcChamberConnection, "(FTP) libcurl could not be initialised: %s",
                   curl.easyStrerror(initialized));
        return std::nullopt;
    }
    return curl;
}

} // namespace

const CurlLibrary *CurlLibrary::instance()
{
    static const std::optional<CurlLibrary> library = load();
    return library ? &*library : nullptr;
}

} // namespace quelta::base::connection::chamberconnection
