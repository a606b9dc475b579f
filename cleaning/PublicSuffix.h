// Sites as the user names them: a host's registrable domain by the Public
// Suffix List ("example.com" for "mail.example.com", "example.co.uk" for
// "www.example.co.uk", "alice.github.io" for "www.alice.github.io"). The list
// is compiled in, made at build time from Debian's publicsuffix package.
#pragma once

#include <string>
#include <string_view>

namespace PublicSuffix {

// The registrable domain of `host` (lowercase ASCII, internationalised labels
// in their "xn--" form, no trailing dot): the public suffix the list's
// prevailing rule gives and one label more. "" when the host is itself a
// public suffix ("co.uk", "github.io", a name of one label).
std::string RegistrableDomain(std::string_view host);

}  // namespace PublicSuffix
