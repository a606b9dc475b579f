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
#include <optional>
#include <string_view>
#include <vector>

namespace SiteStorage {

namespace {

// Firefox names an origin's folder after the origin with ":" and "/" as "+".
constexpr const char* WebSchemeFolders[] = {"http+++", "https+++", "file+++"};

// A local-storage row's originKey is the reversed host, then the scheme and
// the port: "tset.elpmaxe.:https:443". The scheme is what follows the first colon.
constexpr char RowScheme[] =
    "CASE WHEN instr(substr(originKey, instr(originKey, ':') + 1), ':') > 0"
    " THEN substr(substr(originKey, instr(originKey, ':') + 1), 1,"
    " instr(substr(originKey, instr(originKey, ':') + 1), ':') - 1)"
    " ELSE substr(originKey, instr(originKey, ':') + 1) END";

bool IsWebOrigin(const std::string& origin) {
    for (const char* scheme : {"http://", "https://", "file://"}) {
        if (origin.rfind(scheme, 0) == 0) return true;
    }
    return false;
}

// Erases the web origins' rows of a local-storage database in `folder`.
void EraseWebOriginRows(const FolderFileDeleter& folder, const std::string& name, StatusLine& status) {
    BrowserFiles::ChangeFile(folder, name, status, [](const std::string& path, StoreChange& run) {
        return SqliteFile::Change(
                   path,
                   [](SqliteDatabase& db) {
                       if (!db.HasTable("webappsstore2") || !db.HasColumn("webappsstore2", "originKey")) return false;
                       db.Execute(std::string("DELETE FROM webappsstore2 WHERE lower(") + RowScheme +
                                  ") IN ('http', 'https', 'file')");
                       return true;
                   },
                   run) == SqliteFile::Outcome::Changed;
    });
}

// The quota manager's rows of web origins. Firefox also keeps a summary of
// the usage of every origin there: it is marked out of date, so Firefox
// counts the origin folders again at its next start.
void EraseQuotaRows(const FolderFileDeleter& profile, StatusLine& status) {
    BrowserFiles::ChangeFile(profile, QuotaDatabase, status, [](const std::string& path, StoreChange& run) {
        return SqliteFile::Change(
                   path,
                   [](SqliteDatabase& db) {
                       if (!db.HasTable("origin") || !db.HasColumn("origin", "origin")) return false;
                       db.Execute(
                           "DELETE FROM origin WHERE origin LIKE 'http://%' OR origin LIKE 'https://%'"
                           " OR origin LIKE 'file://%'");
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
                 std::optional<std::string> (*without)(const std::string& text)) {
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

std::optional<std::string> WithoutWebRegistrations(const std::string& text) {
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
        if (registration.size() > 1 && IsWebOrigin(std::string(withoutLineEnd(registration[1])))) {
            removed = true;
        } else {
            for (const std::string_view line : registration) kept += line;
        }
        registration.clear();
    }
    if (!registration.empty()) return std::nullopt;  // a registration without its end
    return removed ? kept : text;
}

std::optional<std::string> WithoutWebNotifications(const std::string& text) {
    nlohmann::json store = JsonText::Parse(text);
    if (store.is_discarded() || !store.is_object()) return std::nullopt;
    bool removed = false;
    for (auto origin = store.begin(); origin != store.end();) {
        if (IsWebOrigin(origin.key())) {
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
    EraseWebOriginRows(profile, OldLocalStorage, status);
    EraseQuotaRows(profile, status);
    RewriteFile(profile, ServiceWorkers, status, WithoutWebRegistrations);
    RewriteFile(profile, Notifications, status, WithoutWebNotifications);
    const std::optional<FolderFileDeleter> storage = BrowserFiles::Subfolder(profile, StorageFolder, status);
    if (!storage) return;
    for (const char* kind : OriginFolders) {
        const std::optional<FolderFileDeleter> origins = BrowserFiles::Subfolder(*storage, kind, status);
        if (!origins) continue;
        for (const std::string& name : Path::Subfolders(origins->Folder())) {
            if (IsWebOriginFolder(name))
                BrowserFiles::DeleteFolderTree(Path::Join(origins->Folder(), name), origins->ResolvedFolder(), status);
        }
    }
    EraseWebOriginRows(*storage, LocalStorageArchive, status);
}

}  // namespace SiteStorage
