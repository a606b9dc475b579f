#include "app/PassLock.h"

#include "system/Failure.h"
#include "system/MessagePump.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

namespace {

// The SID of the user the process runs as, in its "S-1-5-21-..." form.
std::string UserSid() {
    UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) throw Failure::FromLastError();
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size))
        throw Failure::FromLastError();
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
        throw Failure::FromLastError();
    const std::wstring wide(text);
    const std::string sid(wide.begin(), wide.end());  // digits, letters and dashes
    ::LocalFree(text);
    return sid;
}

}  // namespace

std::string PassLock::Name() { return "Global\\Vorlane.OnePass." + UserSid(); }

UniqueKernelHandle PassLock::Open() {
    const std::string narrow = Name();
    const std::wstring name(narrow.begin(), narrow.end());  // ASCII
    UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex) throw Failure::FromLastError();
    return mutex;
}

std::optional<PassLock> PassLock::TryTake() {
    UniqueKernelHandle mutex = Open();
    const DWORD taken = ::WaitForSingleObject(mutex.Get(), 0);
    if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) return PassLock(std::move(mutex));
    if (taken == WAIT_TIMEOUT) return std::nullopt;
    throw Failure::FromLastError();
}

PassLock PassLock::Take(StatusLine& status) {
    UniqueKernelHandle mutex;
    try {
        mutex = Open();
    } catch (const Failure&) {
        return PassLock();
    }
    const DWORD taken = ::WaitForSingleObject(mutex.Get(), 0);
    if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) return PassLock(std::move(mutex));
    if (taken != WAIT_TIMEOUT) return PassLock();
    status.SetStatus(PassLockTexts::Waiting);
    if (!MessagePump::WaitForObjectWhileMessagesRun(mutex.Get())) return PassLock();
    status.SetStatus("");
    return PassLock(std::move(mutex));
}

PassLock::~PassLock() {
    if (mutex_) ::ReleaseMutex(mutex_.Get());
}
