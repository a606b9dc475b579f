#include "firefox/SiteStorage.h"

#include "cleaning/BrowserFiles.h"
#include "database/SqliteFile.h"
#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace SiteStorage {

namespace {

// Firefox names an origin's folder after the origin with ":" and "/" as "+".
constexpr const char* WebSchemeFolders[] = {"http+++", "https+++", "file+++"};

// The subfolders of `folder` (no links) whose names are web origins.
std::vector<std::string> WebOriginFolders(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    UniqueFind find(::FindFirstFileA(Path::Join(folder, "*").c_str(), &data));
    if (!find) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsWebOriginFolder(data.cFileName))
            names.push_back(data.cFileName);
    } while (::FindNextFileA(find.Get(), &data));
    return names;
}

// A local-storage row's originKey is the reversed host, then the scheme and
// the port: "tset.elpmaxe.:https:443". The scheme is what follows the first colon.
constexpr char RowScheme[] =
    "CASE WHEN instr(substr(originKey, instr(originKey, ':') + 1), ':') > 0"
    " THEN substr(substr(originKey, instr(originKey, ':') + 1), 1,"
    " instr(substr(originKey, instr(originKey, ':') + 1), ':') - 1)"
    " ELSE substr(originKey, instr(originKey, ':') + 1) END";

// Erases the web origins' rows of a local-storage database in `folder`.
void EraseWebOriginRows(const FolderFileDeleter& folder, const std::string& name, StatusLine& status) {
    const std::string path = Path::Join(folder.Folder(), name);
    if (!Path::Exists(path)) return;
    SqliteFile::Outcome outcome = SqliteFile::Outcome::Failed;
    if (folder.IsPlainFileHere(name))
        outcome = SqliteFile::Change(path, [](SqliteDatabase& db) {
            if (!db.HasTable("webappsstore2") || !db.HasColumn("webappsstore2", "originKey")) return false;
            db.Execute(std::string("DELETE FROM webappsstore2 WHERE lower(") + RowScheme +
                       ") IN ('http', 'https', 'file')");
            return true;
        });
    if (outcome != SqliteFile::Outcome::Changed && outcome != SqliteFile::Outcome::Missing)
        status.LeaveAlone(path + BrowserFiles::NotChanged);
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

void EraseWebSites(const FolderFileDeleter& profile, StatusLine& status) {
    EraseWebOriginRows(profile, OldLocalStorage, status);
    const std::optional<FolderFileDeleter> storage = BrowserFiles::Subfolder(profile, StorageFolder, status);
    if (!storage) return;
    for (const char* kind : OriginFolders) {
        const std::optional<FolderFileDeleter> origins = BrowserFiles::Subfolder(*storage, kind, status);
        if (!origins) continue;
        for (const std::string& name : WebOriginFolders(origins->Folder()))
            BrowserFiles::DeleteFolderTree(Path::Join(origins->Folder(), name), origins->ResolvedFolder(), status);
    }
    EraseWebOriginRows(*storage, LocalStorageArchive, status);
}

}  // namespace SiteStorage
