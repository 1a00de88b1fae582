#pragma once

#include <curl/curl.h>

namespace quelta::base::connection::chamberconnection {

// The functions of libcurl that FTP uses, resolved from the library loaded
// at run time. Only FTP to TJV controllers needs curl, and curl brings TLS,
// SSH, LDAP and Kerberos libraries along: linked with the program, they
// would all be loaded and initialised at every start. The library is loaded,
// and curl's global state set up, when FTP first needs them, and both are
// kept for the life of the process: the transfers of replies may outlive
// every session.
struct CurlLibrary
{
    // The loaded library; null when it cannot be loaded or lacks a function
    // (logged once). Safe to call from any thread.
    static const CurlLibrary *instance();

    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_strerror) easyStrerror = nullptr;
    decltype(&curl_multi_init) multiInit = nullptr;
    decltype(&curl_multi_cleanup) multiCleanup = nullptr;
    decltype(&curl_multi_setopt) multiSetopt = nullptr;
    decltype(&curl_multi_add_handle) multiAddHandle = nullptr;
    decltype(&curl_multi_remove_handle) multiRemoveHandle = nullptr;
    decltype(&curl_multi_socket_action) multiSocketAction = nullptr;
    decltype(&curl_multi_info_read) multiInfoRead = nullptr;
    // The one call that runs every transfer and updates its sockets; it has
    // no successor in the socket interface.
    CURLMcode (*multiSocketAll)(CURLM *multi, int *running) = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;
};

} // namespace quelta::base::connection::chamberconnection
