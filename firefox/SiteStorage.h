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

#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

// Chooses the origins whose data goes, each as Firefox writes it with its
// attributes: "https://example.com:8443^partitionKey=%28https%2Cother.org%29".
using OriginFilter = std::function<bool(std::string_view origin)>;
bool IsWebOrigin(std::string_view origin);

// The web origins that the keep list on `status` does not keep; what one
// site stored inside another (its partitionKey) is kept only when both are.
// Each kept site is said on `status`.
OriginFilter ErasedOrigins(StatusLine& status);

// The site an origin's data was stored inside, from its attributes
// ("^partitionKey=%28https%2Cother.org%29"): "https://other.org"; "" when
// first-party.
std::string PartitionSite(std::string_view attributes);

// The origin a storage folder is named after, with its attributes:
// "https+++example.com+8443^userContextId=1" is
// "https://example.com:8443^userContextId=1".
std::string FolderOrigin(const std::string& name);

// serviceworker.txt without the registrations of web origins: a version
// line, then one registration after another, each ending in a line "#", its
// second line the scope it serves. nullopt when the text is not of that form;
// `text` itself when no registration is a web origin's.
std::optional<std::string> WithoutWebRegistrations(const std::string& text, const OriginFilter& erases = IsWebOrigin);

// notificationstore.json without the notifications of web origins (an
// origin may carry attributes after "^"); nullopt when the text is not a JSON
// object; `text` itself when no origin is a web site's.
std::optional<std::string> WithoutWebNotifications(const std::string& text, const OriginFilter& erases = IsWebOrigin);

// Erases the storage of every web origin of the profile but the sites the
// keep list on `status` keeps.
void EraseWebSites(const FolderFileDeleter& profile, StatusLine& status);

}  // namespace SiteStorage
