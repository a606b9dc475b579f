#include "firefox/SiteStorage.h"

#include "cleaning/BrowserFiles.h"
#include "database/SqliteFile.h"
#include "system/Failure.h"
#include "system/FileGuard.h"
#include "system/JsonText.h"
#include "system/Path.h"

#include <nlohmann/json.hpp>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <vector>

namespace SiteStorage {

namespace {

// Firefox names an origin's folder after the origin with ":" and "/" as "+".
constexpr const char* WebSchemeFolders[] = {"http+++", "https+++", "file+++"};


// "%28https%2Cexample.com%29" as "(https,example.com)".
std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            decoded += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

}  // namespace

// "(https,other.org,8080)" gives "https://other.org:8080".
std::string PartitionSite(std::string_view attributes) {
    constexpr std::string_view Key = "partitionKey=";
    const std::size_t at = attributes.find(Key);
    if (at == std::string_view::npos) return "";
    std::string value = PercentDecoded(attributes.substr(at + Key.size(), attributes.find('&', at) - at - Key.size()));
    if (value.size() < 2 || value.front() != '(' || value.back() != ')') return value;
    value = value.substr(1, value.size() - 2);
    const std::size_t scheme = value.find(',');
    if (scheme == std::string::npos) return value;
    std::string site = value.substr(0, scheme) + "://" + value.substr(scheme + 1);
    const std::size_t port = site.find(',', scheme + 3);
    if (port != std::string::npos) site[port] = ':';
    return site;
}

namespace {

// A local-storage row's origin from its reversed key ("tset.elpmaxe.:https:443"
// is "https://example.test:443") and its attributes.
std::string RowOrigin(const std::string& originKey, const std::string& attributes) {
    const std::size_t first = originKey.find(':');
    if (first == std::string::npos) return "";
    std::string host = originKey.substr(0, first);
    std::reverse(host.begin(), host.end());
    if (!host.empty() && host.front() == '.') host.erase(0, 1);
    const std::string rest = originKey.substr(first + 1);
    const std::size_t second = rest.find(':');
    const std::string scheme = rest.substr(0, second);
    const std::string port = second == std::string::npos ? "" : rest.substr(second + 1);
    return scheme + "://" + host + (port.empty() ? "" : ":" + port) + attributes;
}

// Erases the rows of a local-storage database in `folder` whose origins `erases` chooses.
void EraseWebOriginRows(const FolderFileDeleter& folder, const std::string& name, StatusLine& status,
                        const OriginFilter& erases) {
    BrowserFiles::ChangeFile(folder, name, status, [&](const std::string& path, StoreChange& run) {
        return SqliteFile::Change(
                   path,
                   [&](SqliteDatabase& db) {
                       if (!db.HasTable("webappsstore2") || !db.HasColumn("webappsstore2", "originKey")) return false;
                       const bool attributes = db.HasColumn("webappsstore2", "originAttributes");
                       db.DeleteRowsWhere(
                           "webappsstore2", attributes ? std::vector<std::string>{"originKey", "originAttributes"} : std::vector<std::string>{"originKey"},
                           [&](const std::vector<std::string>& row) { return erases(RowOrigin(row[0], attributes ? row[1] : "")); });
                       return true;
                   },
                   run) == SqliteFile::Outcome::Changed;
    });
}

// The quota manager's rows of web origins. Firefox also keeps a summary of
// the usage of every origin there: it is marked out of date, so Firefox
// counts the origin folders again at its next start.
void EraseQuotaRows(const FolderFileDeleter& profile, StatusLine& status, const OriginFilter& erases) {
    BrowserFiles::ChangeFile(profile, QuotaDatabase, status, [&](const std::string& path, StoreChange& run) {
        return SqliteFile::Change(
                   path,
                   [&](SqliteDatabase& db) {
                       if (!db.HasTable("origin") || !db.HasColumn("origin", "origin")) return false;
                       db.DeleteRowsWhere("origin", {"origin"}, [&](const std::vector<std::string>& row) { return erases(row[0]); });
                       if (db.HasTable("cache") && db.HasColumn("cache", "valid"))
                           db.Execute("UPDATE cache SET valid = 0");
                       return true;
                   },
                   run) == SqliteFile::Outcome::Changed;
    });
}

// Rewrites the text file `name` of the profile as `without` answers (the new
// text beside it, then swapped in); a file `without` cannot read is left
// whole and said.
void RewriteFile(const FolderFileDeleter& profile, const char* name, StatusLine& status,
                 const std::function<std::optional<std::string>(const std::string& text)>& without) {
    BrowserFiles::ChangeFile(profile, name, status, [&](const std::string& path, StoreChange& run) {
        try {
            const std::string text = Path::ReadAll(path);
            const std::optional<std::string> kept = without(text);
            if (!kept) return false;
            if (*kept != text && run.preview) FileGuard::CheckReplaceable(path);
            else if (*kept != text) FileGuard::ReplaceFile(path, *kept);
            return true;
        } catch (const Failure&) {
            return false;
        }
    });
}

}  // namespace

bool IsWebOrigin(std::string_view origin) {
    for (const char* scheme : {"http://", "https://", "file://"}) {
        if (origin.rfind(scheme, 0) == 0) return true;
    }
    return false;
}

OriginFilter ErasedOrigins(StatusLine& status) {
    return [&status](std::string_view origin) {
        if (!IsWebOrigin(origin)) return false;
        const std::size_t attributes = origin.find('^');
        const std::string within = attributes == std::string_view::npos ? "" : PartitionSite(origin.substr(attributes));
        return ErasesSite(status, origin.substr(0, attributes), within);
    };
}

std::string FolderOrigin(const std::string& name) {
    const std::size_t scheme = name.find("+++");
    if (scheme == std::string::npos) return "";
    const std::size_t attributes = std::min(name.find('^'), name.size());
    std::string address = name.substr(scheme + 3, attributes - scheme - 3);
    // An IPv6 address had its colons written as "+" too: "[++1]+8080".
    const std::size_t close = !address.empty() && address.front() == '[' ? address.find(']') : std::string::npos;
    if (close != std::string::npos) std::replace(address.begin(), address.begin() + static_cast<std::ptrdiff_t>(close), '+', ':');
    const std::size_t port = address.find('+', close == std::string::npos ? 0 : close);
    if (port != std::string::npos) address[port] = ':';
    std::string origin = name.substr(0, scheme);
    std::transform(origin.begin(), origin.end(), origin.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return origin + "://" + address + name.substr(attributes);
}

bool IsWebOriginFolder(const std::string& name) {
    for (const char* prefix : WebSchemeFolders) {
        const std::size_t length = std::char_traits<char>::length(prefix);
        if (name.size() > length && ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(),
                                                     static_cast<int>(length), prefix,
                                                     static_cast<int>(length)) == CSTR_EQUAL)
            return true;
    }
    return false;
}

std::optional<std::string> WithoutWebRegistrations(const std::string& text, const OriginFilter& erases) {
    const auto withoutLineEnd = [](std::string_view line) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        return line;
    };
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        lines.push_back(std::string_view(text).substr(start, end - start));
        start = end;
    }
    if (lines.empty()) return std::nullopt;
    std::string kept(lines.front());
    std::vector<std::string_view> registration;
    bool removed = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        registration.push_back(lines[i]);
        if (withoutLineEnd(lines[i]) != "#") continue;
        // The first line holds the registration's attributes, the second its scope.
        if (registration.size() > 1 && erases(std::string(withoutLineEnd(registration[1])) + std::string(withoutLineEnd(registration[0])))) {
            removed = true;
        } else {
            for (const std::string_view line : registration) kept += line;
        }
        registration.clear();
    }
    if (!registration.empty()) return std::nullopt;  // a registration without its end
    return removed ? kept : text;
}

std::optional<std::string> WithoutWebNotifications(const std::string& text, const OriginFilter& erases) {
    nlohmann::json store = JsonText::Parse(text);
    if (store.is_discarded() || !store.is_object()) return std::nullopt;
    bool removed = false;
    for (auto origin = store.begin(); origin != store.end();) {
        if (erases(origin.key())) {
            origin = store.erase(origin);
            removed = true;
        } else {
            ++origin;
        }
    }
    // Strict: text that does not come back as valid UTF-8 is never written.
    return removed ? store.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict) : text;
}

void EraseWebSites(const FolderFileDeleter& profile, StatusLine& status) {
    const OriginFilter erases = ErasedOrigins(status);
    EraseWebOriginRows(profile, OldLocalStorage, status, erases);
    EraseQuotaRows(profile, status, erases);
    RewriteFile(profile, ServiceWorkers, status, [&](const std::string& text) { return WithoutWebRegistrations(text, erases); });
    RewriteFile(profile, Notifications, status, [&](const std::string& text) { return WithoutWebNotifications(text, erases); });
    const std::optional<FolderFileDeleter> storage = BrowserFiles::Subfolder(profile, StorageFolder, status);
    if (!storage) return;
    for (const char* kind : OriginFolders) {
        const std::optional<FolderFileDeleter> origins = BrowserFiles::Subfolder(*storage, kind, status);
        if (!origins) continue;
        for (const std::string& name : Path::Subfolders(origins->Folder())) {
            if (IsWebOriginFolder(name) && erases(FolderOrigin(name)))
                BrowserFiles::DeleteFolderTree(Path::Join(origins->Folder(), name), origins->ResolvedFolder(), status);
        }
    }
    EraseWebOriginRows(*storage, LocalStorageArchive, status, erases);
}

}  // namespace SiteStorage
