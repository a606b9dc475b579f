// Walking folder trees level by level and listing the files of one folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace AddFolder {

// Folder paths, each ending in a backslash, in walk order.
using FolderCollection = std::vector<std::string>;

// The files a listing found, at indexes 1 to UBound(); when nothing was found,
// the single index 0 holds an empty string (so a loop from 1 to UBound() does
// nothing). Each name carries the attributes and size the directory search
// reported.
class FileNameArray {
public:
    int UBound() const { return static_cast<int>(names_.size()); }
    // Index 0 of an empty array is the empty string.
    const std::string& operator[](int index) const;
    DWORD AttributesAt(int index) const;
    std::int64_t SizeAt(int index) const;

    void Add(std::string name, DWORD attributes, std::int64_t size);

private:
    std::vector<std::string> names_;
    std::vector<DWORD> attributes_;
    std::vector<std::int64_t> sizes_;
};

// Appends to `folders` every qualifying subfolder of its entries, level by level
// (all children, then all grandchildren...). Folders that cannot be listed for
// lack of access or because they are gone leave the collection, and so do
// entries that are directory links: nothing is ever reached through a link.
// Subfolders that are hidden and system at once, links, or whose names hold
// unusual characters are neither returned nor entered. Names and paths of any
// length are walked. With `files`, the files each listed folder holds are
// kept from the same listing, by folder in the program's form (without the
// walk's trailing backslash), so that nobody lists a walked folder again.
// With `links`, the subfolders passed over for being links are added there.
using FileListings = std::map<std::string, FileNameArray>;
void GetSubDirectories2016(FolderCollection& folders, bool recurse, FileListings* files = nullptr,
                           std::vector<std::string>* links = nullptr);

// What GetSubDirectories2016 leaves of a collection holding `top` alone,
// walked with recursion: the folders of the tree, parents before children,
// each in the program's form (without the walk's trailing backslash). With
// `links`, the subfolders it did not enter because they are links.
std::vector<std::string> FolderTree(const std::string& top, FileListings* files = nullptr,
                                    std::vector<std::string>* links = nullptr);

// Whether the walk lists the subfolders of a folder with these attributes: a
// drive root always; otherwise not when it is hidden and system and nothing
// else (22), nor when it is a reparse point (a junction, link or mount point).
bool MayEnter(const std::string& folder, DWORD attributes);

// Normal, hidden and system files directly in `folder` that match `pattern`,
// whatever their names (also those that end in a dot or a space) and length.


// True when the name holds a control character (below 32, or 127 to 159), a
// "?" (what a character the program's code page cannot spell becomes), or bytes
// that spell no character in it.
bool HasUnusualChars(const std::string& name);

}  // namespace AddFolder

// Where the folder walk says a failure happened.
namespace Location {
inline constexpr char GetSubDirectories2016[] = "in MorvathTitle2021/08/31.AddFolder.GetSubDirectories2016 ";
}  // namespace Location
