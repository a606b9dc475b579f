// The sites the user keeps: the "Clear Cookies" boxes leave their cookies and
// site data. An entry is a site as the user would name one (the registrable
// domain by the Public Suffix List: "example.com", "example.co.uk"), an IP
// address or "localhost" with or without a port ("192.168.1.20:8080"), or the
// range of an IPv4 address's last number ("192.168.1.*", with or without a
// port).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class SitesToKeep {
public:
    // One entry of the list.
    struct Site {
        enum class Kind {
            Domain,   // every host whose registrable domain is this site
            Address,  // one IP address or "localhost"
            Range,    // "192.168.1.*": every address from .0 to .255
        };
        Kind kind = Kind::Domain;
        std::string host;  // the registrable domain, the address, or the range's "192.168.1."
        int port = 0;      // 0: every port
        std::string text;  // as the list shows and stores it
    };

    // The site `entry` names, as typed or stored: upper case, a trailing dot,
    // a scheme ("https://"), a path and a leading "*." are taken off, a host below a site
    // stands for the site, an internationalised name is kept in its "xn--"
    // form. Nothing when it names no site: a public suffix alone ("co.uk"),
    // a name of one label, a malformed address or port, an entry longer than
    // a host name may be (253 characters).
    static std::optional<Site> Parse(std::string_view entry);

    SitesToKeep() = default;
    // The valid entries of `entries`, each once; the others are kept aside
    // in Invalid(), in their order.
    explicit SitesToKeep(const std::vector<std::string>& entries);
    // A list that keeps every site, and answers each by its own name (its
    // registrable domain, or its address, whatever the port): what a look at
    // the stores that changes nothing asks, to find every site.
    static SitesToKeep Everything();

    bool Empty() const { return sites_.empty() && !everything_; }
    const std::vector<Site>& Sites() const { return sites_; }
    const std::vector<std::string>& Invalid() const { return invalid_; }

    // The entry that keeps `host` (a host name, a cookie's domain with its
    // leading dot, or an address; IPv6 in brackets or not) at `port` (0 where
    // the store records none, as for cookies, which a browser sends to every
    // port of their host): its text, or "" when no entry keeps it.
    std::string Keeping(std::string_view host, int port = 0) const;

    // The same for a web origin, "https://mail.example.com:8443" (a path
    // after it is allowed); "" for any other origin and address.
    std::string KeepingOrigin(std::string_view origin) const;

    // The same for what `origin` (a web origin or a host) stored inside
    // `topSite` (partitioned storage, a third-party frame; a web origin or a
    // host): kept only when both are. An empty `topSite` is the first-party
    // case.
    std::string KeepingBoth(std::string_view origin, std::string_view topSite) const;

private:
    bool everything_ = false;
    std::vector<Site> sites_;
    std::vector<std::string> invalid_;
};

// A web origin taken apart: "https://[::1]:8080/path" gives "https", "::1", 8080.
struct WebOrigin {
    std::string scheme;
    std::string host;
    int port = 0;  // the scheme's default (80, 443) when the origin gives none; 0 for file
    // Nothing for an origin that is not http, https or file.
    static std::optional<WebOrigin> Parse(std::string_view origin);
};
