#include "cleaning/SitesToKeep.h"

#include "cleaning/PublicSuffix.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t LongestHost = 253;
constexpr std::size_t LongestLabel = 63;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// "1" to "65535"; 0 for anything else.
int PortNumber(std::string_view text) {
    if (!IsDigits(text) || text.size() > 5) return 0;
    const int port = std::stoi(std::string(text));
    return port <= 65535 ? port : 0;
}

// The four numbers of a dotted IPv4 address, each 0 to 255 written without
// leading zeros; `last` may be "*" when `range` is allowed.
bool IsIpv4(std::string_view host, bool allowRange = false) {
    int parts = 0;
    for (std::size_t start = 0; start <= host.size(); ++parts) {
        const std::size_t end = std::min(host.find('.', start), host.size());
        const std::string_view part = host.substr(start, end - start);
        const bool last = end == host.size();
        if (!(last && allowRange && part == "*")) {
            if (!IsDigits(part) || part.size() > 3 || (part.size() > 1 && part[0] == '0') || std::stoi(std::string(part)) > 255)
                return false;
        }
        if (last) break;
        start = end + 1;
    }
    return parts == 3;
}

bool IsIpv6(std::string_view host) {
    return host.find(':') != std::string_view::npos && host.size() <= 45 &&
           std::all_of(host.begin(), host.end(), [](unsigned char c) { return std::isxdigit(c) || c == ':' || c == '.'; });
}

// Letters, digits and hyphens, 1 to 63 of them, no hyphen at either end.
bool IsHostName(std::string_view host) {
    if (host.empty() || host.size() > LongestHost) return false;
    for (std::size_t start = 0; start <= host.size();) {
        const std::size_t end = std::min(host.find('.', start), host.size());
        const std::string_view label = host.substr(start, end - start);
        if (label.empty() || label.size() > LongestLabel || label.front() == '-' || label.back() == '-') return false;
        if (!std::all_of(label.begin(), label.end(), [](unsigned char c) { return std::isalnum(c) || c == '-'; })) return false;
        if (end == host.size()) break;
        start = end + 1;
    }
    return true;
}

// A host name in lowercase ASCII: an internationalised one through the
// system's IDNA conversion ("bücher.example" gives "xn--bcher-kva.example").
// "" when the system refuses it.
std::string AsciiHost(std::string_view host) {
    const bool ascii = std::all_of(host.begin(), host.end(), [](unsigned char c) { return c < 0x80; });
    if (ascii) return Lower(host);
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, host.data(), static_cast<int>(host.size()), nullptr, 0);
    if (length <= 0) return "";
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, host.data(), static_cast<int>(host.size()), wide.data(), length);
    wchar_t converted[LongestHost + 1] = {};
    const int written = ::IdnToAscii(0, wide.c_str(), length, converted, static_cast<int>(std::size(converted)));
    if (written <= 0) return "";
    std::string result;
    for (int i = 0; i < written; ++i) {
        if (converted[i] >= 0x80) return "";
        result += static_cast<char>(converted[i]);
    }
    return Lower(result);
}

// `host` with the marks stores and users add around it taken off: a
// cookie's leading dot, a trailing dot, an IPv6 address's brackets.
std::string_view BareHost(std::string_view host) {
    if (!host.empty() && host.front() == '.') host.remove_prefix(1);
    if (!host.empty() && host.back() == '.') host.remove_suffix(1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    return host;
}

// Splits "host:port" (and "[v6]:port"); `port` 0 without one, -1 when it is malformed.
std::string_view SplitPort(std::string_view text, int& port) {
    port = 0;
    std::size_t colon = std::string_view::npos;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos && close + 1 < text.size() && text[close + 1] == ':') colon = close + 1;
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        colon = text.find(':');
    }
    if (colon == std::string_view::npos) return text;
    port = PortNumber(text.substr(colon + 1));
    if (port == 0) port = -1;
    return text.substr(0, colon);
}

// `host` as a site: its registrable domain, worked out once for all the
// entries it is held against.
class HostSite {
public:
    explicit HostSite(std::string_view host) : host_(host) {}
    const std::string& Domain() {
        if (!domain_) domain_ = PublicSuffix::RegistrableDomain(std::string(host_));
        return *domain_;
    }

private:
    std::string_view host_;
    std::optional<std::string> domain_;
};

// A host belongs to a kept site when its registrable domain is that site:
// "bucket.s3.amazonaws.com" is a site of its own, not one of "amazonaws.com".
bool Matches(const SitesToKeep::Site& site, std::string_view host, HostSite& hostSite, int port) {
    const bool portMatches = site.port == 0 || port == 0 || site.port == port;
    switch (site.kind) {
    case SitesToKeep::Site::Kind::Domain: return hostSite.Domain() == site.host;
    case SitesToKeep::Site::Kind::Address: return portMatches && host == site.host;
    case SitesToKeep::Site::Kind::Range: return portMatches && IsIpv4(host) && host.rfind(site.host, 0) == 0;
    }
    return false;
}

}  // namespace

std::optional<WebOrigin> WebOrigin::Parse(std::string_view origin) {
    static constexpr struct {
        std::string_view scheme;
        int port;
    } Schemes[] = {{"http", 80}, {"https", 443}, {"file", 0}};
    const std::size_t separator = origin.find("://");
    if (separator == std::string_view::npos) return std::nullopt;
    const std::string scheme = Lower(origin.substr(0, separator));
    for (const auto& known : Schemes) {
        if (scheme != known.scheme) continue;
        std::string_view rest = origin.substr(separator + 3);
        rest = rest.substr(0, rest.find_first_of("/?#^"));
        int port = 0;
        const std::string_view host = SplitPort(rest, port);
        if (port < 0) return std::nullopt;
        return WebOrigin{scheme, Lower(BareHost(host)), port == 0 ? known.port : port};
    }
    return std::nullopt;
}

std::optional<SitesToKeep::Site> SitesToKeep::Parse(std::string_view entry) {
    while (!entry.empty() && std::isspace(static_cast<unsigned char>(entry.front()))) entry.remove_prefix(1);
    while (!entry.empty() && std::isspace(static_cast<unsigned char>(entry.back()))) entry.remove_suffix(1);
    // No site is named by more than a host name may hold.
    if (entry.size() > LongestHost) return std::nullopt;
    if (const std::size_t scheme = entry.find("://"); scheme != std::string_view::npos) entry.remove_prefix(scheme + 3);
    entry = entry.substr(0, entry.find('/'));
    int port = 0;
    const std::string_view typed = SplitPort(entry, port);
    if (port < 0) return std::nullopt;
    std::string host(BareHost(typed));
    Site site;
    site.port = port;
    const std::string withPort = port ? ":" + std::to_string(port) : "";
    if (IsIpv4(host, true) && host.back() == '*') {
        site.kind = Site::Kind::Range;
        site.host = host.substr(0, host.size() - 1);
        site.text = host + withPort;
        return site;
    }
    host = Lower(host);
    if (host == "localhost" || IsIpv4(host) || IsIpv6(host)) {
        site.kind = Site::Kind::Address;
        site.host = host;
        site.text = (IsIpv6(host) && port ? "[" + host + "]" : host) + withPort;
        return site;
    }
    if (port != 0) return std::nullopt;              // a port is an address's, a site has every port
    if (host.rfind("*.", 0) == 0) host.erase(0, 2);  // "*.example.com": a site has every host below it anyway
    host = AsciiHost(host);
    // A name ending in a number is a mistyped address, never a site.
    if (!IsHostName(host) || IsDigits(host.substr(host.rfind('.') + 1))) return std::nullopt;
    site.host = PublicSuffix::RegistrableDomain(host);
    if (site.host.empty()) return std::nullopt;
    site.text = site.host;
    return site;
}

SitesToKeep::SitesToKeep(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        const std::optional<Site> site = Parse(entry);
        if (!site) {
            invalid_.push_back(entry);
            continue;
        }
        const bool listed = std::any_of(sites_.begin(), sites_.end(), [&](const Site& s) { return s.text == site->text; });
        if (!listed) sites_.push_back(*site);
    }
}

SitesToKeep SitesToKeep::Everything() {
    SitesToKeep everything;
    everything.everything_ = true;
    return everything;
}

std::string SitesToKeep::Keeping(std::string_view host, int port) const {
    const std::string bare = Lower(BareHost(host));
    if (everything_) {
        if (bare == "localhost" || IsIpv4(bare) || IsIpv6(bare)) return bare;
        const std::string site = PublicSuffix::RegistrableDomain(bare);
        return site.empty() ? bare : site;
    }
    HostSite hostSite(bare);
    for (const Site& site : sites_)
        if (Matches(site, bare, hostSite, port)) return site.text;
    return "";
}

std::string SitesToKeep::KeepingOrigin(std::string_view origin) const {
    const std::optional<WebOrigin> web = WebOrigin::Parse(origin);
    if (!web || web->scheme == "file") return "";
    return Keeping(web->host, web->port);
}

std::string SitesToKeep::KeepingBoth(std::string_view origin, std::string_view topSite) const {
    const std::string kept = origin.find("://") != std::string_view::npos ? KeepingOrigin(origin) : Keeping(origin);
    if (kept.empty() || topSite.empty()) return kept;
    const bool topKept = topSite.find("://") != std::string_view::npos ? !KeepingOrigin(topSite).empty()
                                                                       : !Keeping(topSite).empty();
    return topKept ? kept : "";
}
