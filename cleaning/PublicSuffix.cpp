#include "cleaning/PublicSuffix.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace PublicSuffix {
namespace {

// The list's rules, sorted: "com", "co.uk", "*.ck" (every name one label
// below), "!www.ck" (an exception to a wildcard).
constexpr std::string_view Rules[] = {
#include "PublicSuffixTable.inc"
};

bool IsRule(std::string_view rule) { return std::binary_search(std::begin(Rules), std::end(Rules), rule); }

// The offsets where each label of `host` starts, the first label first.
std::vector<std::size_t> LabelStarts(std::string_view host) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < host.size(); ++i)
        if (host[i] == '.') starts.push_back(i + 1);
    return starts;
}

// How many labels the public suffix of `host` has: the exception rule when
// one matches (its labels but the first), else the longest matching rule,
// else the one label of the implicit rule "*".
std::size_t SuffixLabels(std::string_view host, const std::vector<std::size_t>& starts) {
    const std::size_t labels = starts.size();
    for (std::size_t i = 0; i < labels; ++i) {
        if (IsRule("!" + std::string(host.substr(starts[i])))) return labels - i - 1;
    }
    for (std::size_t i = 0; i < labels; ++i) {
        const std::string_view name = host.substr(starts[i]);
        if (IsRule(name)) return labels - i;
        if (i + 1 < labels && IsRule("*." + std::string(host.substr(starts[i + 1])))) return labels - i;
    }
    return 1;
}

}  // namespace

std::string RegistrableDomain(std::string_view host) {
    if (host.empty() || host.front() == '.' || host.back() == '.') return "";
    const std::vector<std::size_t> starts = LabelStarts(host);
    const std::size_t suffix = SuffixLabels(host, starts);
    if (suffix >= starts.size()) return "";
    return std::string(host.substr(starts[starts.size() - suffix - 1]));
}

}  // namespace PublicSuffix
