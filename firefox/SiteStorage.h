// What web sites stored in a Firefox profile: a folder per origin below
// storage\default and storage\temporary (named after the origin, so the name
// alone shows a visited site) with the quota manager's rows of those origins
// in storage.sqlite, the local-storage rows of the archive that today's
// Firefox keeps and of the database of older versions, and the service
// workers that sites registered (serviceworker.txt). Add-ons store theirs the
// same way under moz-extension origins: those stay.
#pragma once

#include "cleaning/FolderFileDeleter.h"
#include "cleaning/StatusLine.h"

#include <optional>
#include <string>

namespace SiteStorage {

inline constexpr char StorageFolder[] = "storage";
inline constexpr const char* OriginFolders[] = {"default", "temporary"};
// storage\ls-archive.sqlite, and webappsstore.sqlite in the profile.
inline constexpr char LocalStorageArchive[] = "ls-archive.sqlite";
inline constexpr char OldLocalStorage[] = "webappsstore.sqlite";
// In the profile: the quota manager's list of origins with stored data.
inline constexpr char QuotaDatabase[] = "storage.sqlite";
inline constexpr char ServiceWorkers[] = "serviceworker.txt";
// The notifications sites showed and that are still open, per origin:
// {"<origin>": {"<id>": {...}}, ...}.
inline constexpr char Notifications[] = "notificationstore.json";

// Whether a storage folder name is that of a web origin: http, https or file,
// with or without attributes after "^" ("https+++example.com^userContextId=1").
bool IsWebOriginFolder(const std::string& name);

// serviceworker.txt without the registrations of web origins: a version
// line, then one registration after another, each ending in a line "#", its
// second line the scope it serves. nullopt when the text is not of that form;
// `text` itself when no registration is a web origin's.
std::optional<std::string> WithoutWebRegistrations(const std::string& text);

// notificationstore.json without the notifications of web origins (an
// origin may carry attributes after "^"); nullopt when the text is not a JSON
// object; `text` itself when no origin is a web site's.
std::optional<std::string> WithoutWebNotifications(const std::string& text);

// Erases the storage of every web origin of the profile.
void EraseWebSites(const FolderFileDeleter& profile, StatusLine& status);

}  // namespace SiteStorage
