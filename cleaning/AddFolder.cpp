#include "cleaning/AddFolder.h"

#include "system/Failure.h"
#include "system/MessagePump.h"
#include "system/Path.h"
#include "system/StepRunner.h"
#include "system/UniqueHandle.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace AddFolder {
namespace {

constexpr DWORD HiddenSystemFolder = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;  // 22

// One directory search, closed when the object goes, through the wide
// functions (every name, every length). The first entry is already there
// after a successful start.
class DirectorySearch {
public:
    DirectorySearch(const std::string& pattern, FINDEX_SEARCH_OPS op)
        : find_(::FindFirstFileExW(Path::ForSystem(pattern).c_str(), FindExInfoBasic, &data_, op, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH)),
          error_(find_ ? ERROR_SUCCESS : ::GetLastError()) {}

    // False when the search found nothing or could not start (see Error()).
    bool Started() const { return find_.Valid(); }
    DWORD Error() const { return error_; }
    std::string Name() const { return Path::FromSystem(data_.cFileName); }
    DWORD Attributes() const { return data_.dwFileAttributes; }
    std::int64_t Size() const {
        return static_cast<std::int64_t>(data_.nFileSizeHigh) << 32 | data_.nFileSizeLow;
    }
    bool IsDotName() const {
        const std::wstring_view name = data_.cFileName;
        return name == L"." || name == L"..";
    }

    // Moves to the next entry; false at the end. Raises on any other failure.
    bool Next() {
        if (::FindNextFileW(find_.Get(), &data_)) return true;
        const DWORD error = ::GetLastError();
        if (error == ERROR_NO_MORE_FILES) return false;
        throw Failure::FromWin32(error);
    }

private:
    WIN32_FIND_DATAW data_{};
    UniqueFind find_;
    DWORD error_;
};

// An empty folder (a drive root has no "." entry) is no failure.
bool IsEmptyResult(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES; }

// Whether a subfolder found in a listing joins the walk: a folder with an
// ordinary name that is neither a link nor hidden-and-system.
bool QualifiesAsSubfolder(const std::string& parent, const DirectorySearch& search) {
    if (!(search.Attributes() & FILE_ATTRIBUTE_DIRECTORY) || search.IsDotName()) return false;
    const std::string name = search.Name();
    return !HasUnusualChars(name) && MayEnter(Path::Join(parent, name), search.Attributes());  // also catches "?"
}

// Lists the subfolders of `item` into `found`, and with `files` its files
// too. Raises when the folder cannot be listed; what was found before a
// failure stays.
void ListSubfolders(const std::string& item, FolderCollection& found, FileNameArray* files,
                    std::vector<std::string>* links) {
    DirectorySearch search(Path::Join(item, "*"), files ? FindExSearchNameMatch : FindExSearchLimitToDirectories);
    if (!search.Started()) {
        if (IsEmptyResult(search.Error())) return;
        throw Failure::FromWin32(search.Error());
    }
    do {
        MessagePump::LetPendingMessagesRunThrottled();
        if (QualifiesAsSubfolder(item, search)) found.push_back(Path::WithBackslash(Path::Join(item, search.Name())));
        else if (links && (search.Attributes() & FILE_ATTRIBUTE_DIRECTORY) &&
                 (search.Attributes() & FILE_ATTRIBUTE_REPARSE_POINT) && !search.IsDotName())
            links->push_back(Path::Join(item, search.Name()));
        else if (files && !(search.Attributes() & FILE_ATTRIBUTE_DIRECTORY))
            files->Add(search.Name(), search.Attributes(), search.Size());
    } while (search.Next());
}

void RemoveFirst(FolderCollection& folders, const std::string& item) {
    const auto it = std::find(folders.begin(), folders.end(), item);
    if (it != folders.end()) folders.erase(it);
}

// Examines one entry of the collection and lists its subfolders. An entry
// that cannot be listed because access is denied or it is gone leaves the
// collection; so does a link, which must never lead the walk anywhere.
void WalkEntry(FolderCollection& folders, const std::string& item, FolderCollection& found, FileListings* files,
               std::vector<std::string>* links) {
    const DWORD attributes = Path::Attributes(Path::WithoutBackslash(item));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    MessagePump::LetPendingMessagesRunThrottled();
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !Path::IsDriveRoot(item)) {
        RemoveFirst(folders, item);
        return;
    }
    if (!MayEnter(item, attributes)) return;
    try {
        ListSubfolders(item, found, files ? &(*files)[Path::WithoutBackslash(item)] : nullptr, links);
    } catch (...) {
        // Any other failure only ends this folder's listing.
        const long number = CurrentFailure().Number();
        if (number == Failure::PermissionDenied || number == Failure::PathNotFound) RemoveFirst(folders, item);
    }
}

}  // namespace

const std::string& FileNameArray::operator[](int index) const {
    static const std::string empty;
    if (names_.empty() && index == 0) return empty;
    if (index < 1 || index > UBound()) throw std::out_of_range("file-name index");
    return names_[static_cast<std::size_t>(index - 1)];
}

DWORD FileNameArray::AttributesAt(int index) const {
    if (index < 1 || index > UBound()) throw std::out_of_range("file-name index");
    return attributes_[static_cast<std::size_t>(index - 1)];
}

std::int64_t FileNameArray::SizeAt(int index) const {
    if (index < 1 || index > UBound()) throw std::out_of_range("file-name index");
    return sizes_[static_cast<std::size_t>(index - 1)];
}

void FileNameArray::Add(std::string name, DWORD attributes, std::int64_t size) {
    names_.push_back(std::move(name));
    attributes_.push_back(attributes);
    sizes_.push_back(size);
}

bool MayEnter(const std::string& folder, DWORD attributes) {
    if (Path::IsDriveRoot(folder)) return true;
    return attributes != HiddenSystemFolder && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void GetSubDirectories2016(FolderCollection& folders, bool recurse, FileListings* files,
                           std::vector<std::string>* links) {
    StepRunner steps(Location::GetSubDirectories2016);
    FolderCollection found;
    steps.Run(104, [&] { found.reserve(folders.size()); });
    // Entries may leave `folders` while it is walked, so walk a copy. Failures
    // while one folder is examined are handled inside WalkEntry, silently.
    steps.Run(106, [&] {
        const FolderCollection items = folders;
        for (const std::string& item : items) WalkEntry(folders, item, found, files, links);
    });
    steps.Run(150, [&] {
        if (recurse && !found.empty()) GetSubDirectories2016(found, true, files, links);
    });
    // Every entry of `found` already qualified when it was listed. Moved, not
    // copied: in a tree n folders deep every level passes on all the levels
    // below it, and copying their paths would take time in n cubed.
    steps.Run(152, [&] {
        folders.insert(folders.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    });
}

std::vector<std::string> FolderTree(const std::string& top, FileListings* files, std::vector<std::string>* links) {
    FolderCollection folders{Path::WithBackslash(top)};
    GetSubDirectories2016(folders, true, files, links);
    for (std::string& folder : folders) folder = Path::WithoutBackslash(folder);
    return folders;
}

bool HasUnusualChars(const std::string& name) {
    if (name.find('?') != std::string::npos) return true;
    const int size = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()),
                                           nullptr, 0);
    if (size <= 0) return !name.empty();  // bytes that spell no character
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), size);
    return std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return c < 32 || (c >= 127 && c <= 159); });
}

}  // namespace AddFolder
