#include <winsock2.h>  // before windows.h

#include "support/UrlCacheHelpers.h"

#include "system/UniqueHandle.h"

#include <thread>

namespace UrlCache {

namespace {

// Calls `visit` with each entry the cache enumerates.
template <class Visit>
void ForEachEntry(Visit&& visit) {
    std::vector<char> buffer(4096);
    DWORD size = static_cast<DWORD>(buffer.size());
    auto info = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()); };
    UniqueUrlCacheFind search(::FindFirstUrlCacheEntryA(nullptr, info(), &size));
    if (!search && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        search.Reset(::FindFirstUrlCacheEntryA(nullptr, info(), &size));
    }
    if (!search) return;
    for (;;) {
        visit(*info());
        size = static_cast<DWORD>(buffer.size());
        if (::FindNextUrlCacheEntryA(search.Get(), info(), &size)) continue;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
        buffer.resize(size);
        if (!::FindNextUrlCacheEntryA(search.Get(), info(), &size)) return;
    }
}

}  // namespace

std::vector<std::string> Names() {
    std::vector<std::string> names;
    ForEachEntry([&](const INTERNET_CACHE_ENTRY_INFOA& entry) {
        if (entry.lpszSourceUrlName) names.emplace_back(entry.lpszSourceUrlName);
    });
    return names;
}

void Clear() {
    for (const std::string& name : Names()) ::DeleteUrlCacheEntryA(name.c_str());
}

bool Commit(const std::string& url, DWORD type) {
    FILETIME never = {};
    return ::CommitUrlCacheEntryA(url.c_str(), nullptr, never, never, type, nullptr, 0, nullptr,
                                  nullptr) != FALSE;
}

bool Exists(const std::string& url) {
    DWORD size = 0;
    if (::GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size)) return true;
    return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

namespace {

constexpr char Response[] =
    "HTTP/1.1 200 OK\r\n"
    "Content-Type: text/plain\r\n"
    "Content-Length: 5\r\n"
    "Set-Cookie: vorlane=1; expires=Fri, 01 Jan 2038 00:00:00 GMT; path=/\r\n"
    "Connection: close\r\n"
    "\r\n"
    "hello";

struct WinsockScope {
    WinsockScope() {
        WSADATA data;
        ok = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockScope() {
        if (ok) ::WSACleanup();
    }
    bool ok = false;
};

// Answers every request on the listening socket with the one page until the
// socket is closed.
void Serve(SOCKET listener) {
    for (;;) {
        SOCKET client = ::accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        std::string request;
        char chunk[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int got = ::recv(client, chunk, sizeof(chunk), 0);
            if (got <= 0) break;
            request.append(chunk, got);
        }
        ::send(client, Response, sizeof(Response) - 1, 0);
        ::shutdown(client, SD_SEND);
        ::closesocket(client);
    }
}

std::string Fetch(const std::string& url) {
    UniqueInternet session(::InternetOpenA("Vorlane tests", INTERNET_OPEN_TYPE_DIRECT, nullptr,
                                           nullptr, 0));
    if (!session) return "";
    UniqueInternet request(::InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0,
                                              INTERNET_FLAG_RELOAD, 0));
    if (!request) return "";
    std::string body;
    char chunk[256];
    DWORD got = 0;
    while (::InternetReadFile(request.Get(), chunk, sizeof(chunk), &got) && got > 0)
        body.append(chunk, got);
    return body;
}

}  // namespace

std::string DownloadPageWithCookie() {
    WinsockScope winsock;
    if (!winsock.ok) return "";
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener, 4) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::closesocket(listener);
        return "";
    }
    std::thread server(Serve, listener);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/page";
    const std::string body = Fetch(url);
    ::closesocket(listener);
    server.join();
    return body == "hello" ? url : "";
}

}  // namespace UrlCache
