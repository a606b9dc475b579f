// Which hosts, origins and partitioned entries a keep list keeps, and which
// typed entries it refuses: one table, read against the compiled Public
// Suffix List and the system's own IDNA conversion.
#include "cleaning/SitesToKeep.h"
#include "cleaning/SitesToKeepSetting.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* keep;    // the list's entries, separated by spaces
    const char* what;    // an origin ("scheme://host[:port]") or a host as a store holds it
    const char* within;  // the site it was stored inside, "" when first-party
    const char* kept;    // the entry that keeps it, "" when none; nullptr: the entry is refused
};

const Case Cases[] = {
    // a site and every host below it, and nothing beside it
    {"example.com", "mail.example.com", "", "example.com"},
    {"example.com", ".example.com", "", "example.com"},
    {"mail.example.com", "https://www.example.com", "", "example.com"},
    {"*.example.com", "https://www.example.com", "", "example.com"},
    {"example.com", "notexample.com", "", ""},
    {"example.com", "example.com.evil.net", "", ""},
    {".example.com", "mail.example.com", "", "example.com"},
    {"-example.com", "", "", nullptr},
    // a registrable domain under a two-part suffix
    {"www.example.co.uk", "shop.example.co.uk", "", "example.co.uk"},
    {"example.co.uk", "https://other.co.uk", "", ""},
    {"co.uk", "", "", nullptr},
    // a private suffix the list names: each user's site is a site of its own
    {"www.alice.github.io", "https://alice.github.io", "", "alice.github.io"},
    {"alice.github.io", "https://bob.github.io", "", ""},
    {"github.io", "", "", nullptr},
    // a host belongs to a site when its registrable domain is that site, not
    // when it is below it: the suffixes under a domain make sites of their own
    {"amazonaws.com", "bucket1.s3.amazonaws.com", "", ""},
    {"amazonaws.com", "https://amazonaws.com", "", "amazonaws.com"},
    {"kawasaki.jp", "a.b.kawasaki.jp", "", ""},
    // a wildcard rule ("*.ck": every name below ck is a suffix) and its exception ("!www.ck")
    {"a.example.ck", "https://b.example.ck", "", ""},
    {"a.example.ck", "https://x.a.example.ck", "", "a.example.ck"},
    {"example.ck", "", "", nullptr},
    {"www.ck", "https://shop.www.ck", "", "www.ck"},
    // IP addresses with and without a port
    {"192.168.1.20", "http://192.168.1.20:8080", "", "192.168.1.20"},
    {"192.168.1.20:8080", "http://192.168.1.20:8080/login", "", "192.168.1.20:8080"},
    {"192.168.1.20:8080", "http://192.168.1.20", "", ""},
    {"192.168.1.20:8080", "192.168.1.20", "", "192.168.1.20:8080"},
    {"192.168.1.20", "192.168.1.21", "", ""},
    {"[::1]:8080", "http://[::1]:8080", "", "[::1]:8080"},
    {"192.168.1.20:443", "https://192.168.1.20", "", "192.168.1.20:443"},
    {"::1", "http://[::1]:8080", "", "::1"},
    {"192.168.1.300", "", "", nullptr},
    {"192.168.01.20", "", "", nullptr},
    {"1.2.3.4.5", "", "", nullptr},
    {"example.com:8080", "", "", nullptr},
    {"example.com:http", "", "", nullptr},
    // a range of the last number
    {"192.168.1.*", "http://192.168.1.77:5000", "", "192.168.1.*"},
    {"192.168.1.*", "192.168.10.1", "", ""},
    {"192.168.1.*:5000", "http://192.168.1.77:5001", "", ""},
    {"192.168.1.*", "https://192.168.1.5.nip.io", "", ""},
    // localhost
    {"localhost", "http://localhost:3000", "", "localhost"},
    {"localhost:3000", "http://localhost:4000", "", ""},
    {"nas", "", "", nullptr},
    // partitioned storage and third-party frames: kept when both sites are
    {"example.com other.org", "https://example.com", "https://other.org", "example.com"},
    {"example.com other.org", "https://example.com", "other.org", "example.com"},
    {"example.com", "https://example.com", "https://tracker.net", ""},
    {"example.com", "https://ads.net", "https://example.com", ""},
    // upper case and a trailing dot, in the entry and in what is kept
    {"Mail.EXAMPLE.com.", "https://WWW.Example.COM.", "", "example.com"},
    // an internationalised name in Unicode and in its xn-- form
    {"bücher.de", "shop.xn--bcher-kva.de", "", "xn--bcher-kva.de"},
    {"BÜCHER.DE", "https://xn--bcher-kva.de", "", "xn--bcher-kva.de"},
    {"xn--bcher-kva.de", "https://www.xn--bcher-kva.de:8443", "", "xn--bcher-kva.de"},
    // what is no web site is never kept
    {"example.com", "chrome-extension://example.com", "", ""},
    {"example.com", "file:///C:/example.com/index.html", "", ""},
};

std::vector<std::string> Entries(const char* keep) {
    std::istringstream words(keep);
    std::vector<std::string> entries;
    for (std::string word; words >> word;) entries.push_back(word);
    return entries;
}

TEST(SitesToKeepTest, KeepsTheListedSitesTheirHostsAndAddressesAndRefusesWhatIsNoSite) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(std::string(c.keep) + " / " + c.what + " / " + c.within);
        const SitesToKeep keep(Entries(c.keep));
        if (!c.kept) {
            EXPECT_TRUE(keep.Empty());
            EXPECT_EQ(keep.Invalid(), Entries(c.keep));
            continue;
        }
        EXPECT_TRUE(keep.Invalid().empty());
        const std::string what = c.what;
        const std::string kept = what.find("://") != std::string::npos ? keep.KeepingBoth(what, c.within) : keep.Keeping(what);
        EXPECT_EQ(kept, c.kept);
    }
    // Nothing longer than a host name may be names a site, and the log names
    // such an entry by its beginning.
    const std::string longEntry = "https://example.com/" + std::string(240, 'p');
    EXPECT_FALSE(SitesToKeep::Parse(longEntry));
    EXPECT_EQ(SitesToKeepSetting::NotASite(longEntry),
              "The keep list's entry \"" + longEntry.substr(0, 60) + "...\" names no site, address or range: it was not used");
}

}  // namespace
