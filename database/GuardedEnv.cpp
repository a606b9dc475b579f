#include "database/GuardedEnv.h"

#include "system/Path.h"
#include "system/UniqueHandle.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace {

leveldb::Status Refused(const std::string& path) {
    return leveldb::Status::IOError(path, "not a plain file of the store's folder");
}

leveldb::Status Failed(const std::string& path) {
    const DWORD error = ::GetLastError();
    const std::string text = "Windows error " + std::to_string(error);
    return Path::IsGone(error) ? leveldb::Status::NotFound(path, text) : leveldb::Status::IOError(path, text);
}

// A file LevelDB writes, on a handle the guard checked. Appends are gathered
// and written in pieces of 64 KB, as LevelDB's own layer does.
class GuardedFile : public leveldb::WritableFile {
public:
    GuardedFile(UniqueFile file, std::string name, const GuardedEnv::BeforeChange& before)
        : file_(std::move(file)), name_(std::move(name)), before_(before) {}
    ~GuardedFile() override { Close(); }

    leveldb::Status Append(const leveldb::Slice& data) override {
        buffer_.append(data.data(), data.size());
        return buffer_.size() >= BufferSize ? Flush() : leveldb::Status::OK();
    }
    leveldb::Status Close() override {
        const leveldb::Status status = Flush();
        file_.Reset();
        return status;
    }
    leveldb::Status Flush() override {
        if (buffer_.empty()) return leveldb::Status::OK();
        if (!file_) return leveldb::Status::IOError(name_, "closed");
        if (before_) before_("write", name_);
        for (std::size_t done = 0; done < buffer_.size();) {
            DWORD wrote = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(buffer_.size() - done, 1u << 24));
            if (!::WriteFile(file_.Get(), buffer_.data() + done, chunk, &wrote, nullptr) || wrote == 0)
                return Failed(name_);
            done += wrote;
        }
        buffer_.clear();
        return leveldb::Status::OK();
    }
    leveldb::Status Sync() override {
        leveldb::Status status = Flush();
        if (!status.ok()) return status;
        if (before_) before_("sync", name_);
        return ::FlushFileBuffers(file_.Get()) ? leveldb::Status::OK() : Failed(name_);
    }

private:
    static constexpr std::size_t BufferSize = 65536;
    UniqueFile file_;
    std::string name_;
    const GuardedEnv::BeforeChange& before_;
    std::string buffer_;
};

class GuardedLock : public leveldb::FileLock {
public:
    explicit GuardedLock(UniqueFile file) : file_(std::move(file)) {}
    HANDLE Handle() const { return file_.Get(); }

private:
    UniqueFile file_;
};

}  // namespace

GuardedEnv::GuardedEnv(const std::string& folder, BeforeChange beforeChange)
    : leveldb::EnvWrapper(leveldb::Env::Default()), folder_(folder), beforeChange_(std::move(beforeChange)) {}

// LevelDB names a file of the folder as the folder, "/" and the name.
std::string GuardedEnv::NameOf(const std::string& path) const {
    const std::string& folder = folder_.Path();
    if (path.size() <= folder.size() + 1 || path.compare(0, folder.size(), folder) != 0) return "";
    if (path[folder.size()] != '/' && path[folder.size()] != '\\') return "";
    const std::string name = path.substr(folder.size() + 1);
    return name.find_first_of("\\/") == std::string::npos ? name : "";
}

void GuardedEnv::Before(const char* change, const std::string& name) const {
    if (beforeChange_) beforeChange_(change, name);
}

leveldb::Status GuardedEnv::Open(const std::string& path, bool append, leveldb::WritableFile** result) {
    *result = nullptr;
    const std::string name = NameOf(path);
    if (name.empty()) return Refused(path);
    Before(append ? "append" : "create", name);
    UniqueFile file = append ? folder_.Open(name, FILE_APPEND_DATA, true) : folder_.CreateNew(name, GENERIC_WRITE);
    if (!file) return Failed(path);
    *result = new GuardedFile(std::move(file), name, beforeChange_);
    return leveldb::Status::OK();
}

leveldb::Status GuardedEnv::NewWritableFile(const std::string& path, leveldb::WritableFile** result) {
    return Open(path, false, result);
}

leveldb::Status GuardedEnv::NewAppendableFile(const std::string& path, leveldb::WritableFile** result) {
    return Open(path, true, result);
}

leveldb::Status GuardedEnv::RemoveFile(const std::string& path) {
    const std::string name = NameOf(path);
    if (name.empty()) return Refused(path);
    if (folder_.Check(name) == FileGuard::Kind::Missing) return leveldb::Status::NotFound(path, "no such file");
    Before("remove", name);
    return folder_.Remove(name) ? leveldb::Status::OK() : Refused(path);
}

leveldb::Status GuardedEnv::RenameFile(const std::string& from, const std::string& to) {
    const std::string fromName = NameOf(from), toName = NameOf(to);
    if (fromName.empty() || toName.empty()) return Refused(fromName.empty() ? from : to);
    Before("rename", toName);
    return folder_.Rename(fromName, toName) ? leveldb::Status::OK() : Failed(from);
}

// The lock a browser takes on its store while it runs (LOCK, opened without
// sharing its writing, the whole file locked): held here the same way.
leveldb::Status GuardedEnv::LockFile(const std::string& path, leveldb::FileLock** lock) {
    *lock = nullptr;
    const std::string name = NameOf(path);
    if (name.empty()) return Refused(path);
    UniqueFile file = folder_.Open(name, GENERIC_READ | GENERIC_WRITE, true);
    if (!file) return Failed(path);
    if (!::LockFile(file.Get(), 0, 0, MAXDWORD, MAXDWORD)) return Failed("lock " + path);
    *lock = new GuardedLock(std::move(file));
    return leveldb::Status::OK();
}

leveldb::Status GuardedEnv::UnlockFile(leveldb::FileLock* lock) {
    auto* held = static_cast<GuardedLock*>(lock);
    ::UnlockFile(held->Handle(), 0, 0, MAXDWORD, MAXDWORD);
    delete held;
    return leveldb::Status::OK();
}
