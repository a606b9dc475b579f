// Copies of a store's files in a fresh folder under TEMP, deleted with the
// object: a preview runs a database's real change on them, so that what it
// counts is exactly what the change would do, and the originals stay byte for
// byte as they were.
#pragma once

#include <string>
#include <vector>

class ScratchCopy {
public:
    // Copies each of `names` that is a file directly in `folder`; with no
    // names, every file directly in it. Raises a Failure when a file that is
    // there cannot be copied.
    ScratchCopy(const std::string& folder, const std::vector<std::string>& names);
    ~ScratchCopy();
    ScratchCopy(const ScratchCopy&) = delete;
    ScratchCopy& operator=(const ScratchCopy&) = delete;

    const std::string& Folder() const { return folder_; }

private:
    void Copy(const std::string& from, const std::string& name);
    void Remove();

    std::string folder_;
};
