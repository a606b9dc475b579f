// A small console program that the end-to-end driver runs inside the test prefix
// to look at what a user would see and at what Windows keeps: the top-level
// windows, the texts and states of a window's controls, the processes, and the
// WinINet URL cache. It can also fetch a URL through WinINet, the way a browser
// of the platform fills the URL cache, and start a program as a scheduled task
// starts it. It never clicks or types: the driver does that with the X
// server's mouse and keyboard.
//
// It knows the main window's control table (app/Form1Layout.h), so it reports
// each of that window's controls by its name next to its place on screen, and
// prints the table itself for the check that the window follows it.
//
// Every command prints one JSON document on standard output.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Form1Layout.h"

namespace {

constexpr char MainWindowClass[] = "VorlaneForm1";

// A JSON string of UTF-8 text: every character beyond ASCII as its UTF-16 code
// units ("\\u0416", a pair for one beyond the first 65,536).
std::string Json(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(std::max(
        0, ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                 static_cast<int>(wide.size())))));
    std::string out = "\"";
    for (const wchar_t c : wide) {
        switch (c) {
        case L'"': out += "\\\""; break;
        case L'\\': out += "\\\\"; break;
        case L'\r': out += "\\r"; break;
        case L'\n': out += "\\n"; break;
        case L'\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x80) {
                char escaped[8];
                std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string Rect(const RECT& r) {
    char text[96];
    std::snprintf(text, sizeof(text), "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right, r.bottom);
    return text;
}

std::string Hex(HWND hwnd) {
    char text[32];
    std::snprintf(text, sizeof(text), "\"0x%lx\"", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(hwnd)));
    return text;
}

HWND ParseHwnd(const char* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(text, nullptr, 0)));
}

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

// A message to a window of another process, given up after a while: a busy
// program must make the probe report, never hang.
LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, 3000, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

// The text the window manager keeps for the window (its caption), read without
// a message, so it works for windows of a busy program too.
std::string TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    const int length = ::GetWindowTextW(hwnd, text, 1024);
    std::string utf8(static_cast<std::size_t>(length) * 4, '\0');
    utf8.resize(static_cast<std::size_t>(
        std::max(0, ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), static_cast<int>(utf8.size()),
                                          nullptr, nullptr))));
    return utf8;
}

// Memory inside the window's own process, for list-view messages that carry
// pointers (those are not marshalled between processes).
class RemoteBuffer {
public:
    RemoteBuffer(HWND hwnd, SIZE_T size) : size_(size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_ != nullptr)
            address_ = static_cast<char*>(::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBuffer() {
        if (address_ != nullptr) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_ != nullptr) ::CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return address_ != nullptr; }
    char* Address() const { return address_; }
    void Write(SIZE_T offset, const void* data, SIZE_T size) {
        ::WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
    }
    void Read(SIZE_T offset, void* data, SIZE_T size) const {
        ::ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
    SIZE_T size_;
};

constexpr SIZE_T TextSize = 512;

std::string ListItemText(HWND list, RemoteBuffer& remote, int index, int column = 0) {
    LVITEMA item{};
    item.iSubItem = column;
    item.cchTextMax = TextSize;
    item.pszText = remote.Address() + sizeof(LVITEMA);
    remote.Write(0, &item, sizeof(item));
    Ask(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.Address()));
    char text[TextSize] = {};
    remote.Read(sizeof(LVITEMA), text, TextSize - 1);
    return text;
}

std::string ListHeaderText(HWND list, RemoteBuffer& remote) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.cchTextMax = TextSize;
    column.pszText = remote.Address() + sizeof(LVCOLUMNA);
    remote.Write(0, &column, sizeof(column));
    if (!Ask(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(remote.Address()))) return "";
    char text[TextSize] = {};
    remote.Read(sizeof(LVCOLUMNA), text, TextSize - 1);
    return text;
}

std::string ListViewDetails(HWND list) {
    const int count = static_cast<int>(Ask(list, LVM_GETITEMCOUNT, 0, 0));
    const int selected = static_cast<int>(Ask(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    RemoteBuffer remote(list, sizeof(LVITEMA) + sizeof(LVCOLUMNA) + TextSize);
    std::string out = ", \"selected\": " + std::to_string(selected) + ", \"items\": [";
    if (remote.Ok()) {
        for (int i = 0; i < count; ++i) out += (i ? ", " : "") + Json(ListItemText(list, remote, i));
    }
    // Every column of every row, for lists of more than one column.
    const HWND header = reinterpret_cast<HWND>(Ask(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(Ask(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    out += "], \"rows\": [";
    for (int i = 0; i < count && remote.Ok(); ++i) {
        out += i ? ", [" : "[";
        for (int c = 0; c < columns; ++c) out += (c ? ", " : "") + Json(ListItemText(list, remote, i, c));
        out += "]";
    }
    out += "], \"header\": " + Json(remote.Ok() ? ListHeaderText(list, remote) : "");
    // Item rectangles in screen pixels, so the driver can click an item where it is drawn.
    out += ", \"item_rects\": [";
    for (int i = 0; i < count && remote.Ok(); ++i) {
        RECT r{};
        r.left = LVIR_BOUNDS;
        remote.Write(0, &r, sizeof(r));
        Ask(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote.Address()));
        remote.Read(0, &r, sizeof(r));
        ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        out += (i ? ", " : "") + Rect(r);
    }
    return out + "]";
}

// The name the main window's control table gives this control id, or null.
std::string ControlName(int id) {
    for (const ControlLayout& layout : Form1Layout::Controls()) {
        if (layout.id == id) return Json(layout.name);
    }
    return "null";
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
    return TRUE;
}

// Whether the window and every control in it have painted all they were asked
// to: none has a part left to draw.
bool Painted(HWND hwnd) {
    std::vector<HWND> windows{hwnd};
    ::EnumChildWindows(hwnd, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return std::none_of(windows.begin(), windows.end(), [](HWND w) { return ::GetUpdateRect(w, nullptr, FALSE); });
}

std::string Describe(HWND hwnd, bool topLevel, bool inMainWindow = false) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    const std::string cls = ClassOf(hwnd);
    std::string out = "{\"hwnd\": " + Hex(hwnd) + ", \"id\": " + std::to_string(::GetDlgCtrlID(hwnd)) +
                      ", \"class\": " + Json(cls) + ", \"text\": " + Json(TextOf(hwnd)) +
                      ", \"visible\": " + (::IsWindowVisible(hwnd) ? "true" : "false") +
                      ", \"enabled\": " + (::IsWindowEnabled(hwnd) ? "true" : "false") +
                      ", \"iconic\": " + (::IsIconic(hwnd) ? "true" : "false") +
                      ", \"pid\": " + std::to_string(pid) + ", \"rect\": " + Rect(r);
    if (inMainWindow) out += ", \"name\": " + ControlName(::GetDlgCtrlID(hwnd));
    if (topLevel) {
        // Whether the window's thread answers messages now (a busy program does not).
        DWORD_PTR ignored = 0;
        const bool answers = ::SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &ignored);
        out += std::string(", \"responding\": ") + (answers ? "true" : "false") +
               ", \"painted\": " + (Painted(hwnd) ? "true" : "false");
    }
    if (cls == "Button") {
        const LONG style = ::GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
        if (style == BS_CHECKBOX || style == BS_AUTOCHECKBOX)
            out += ", \"checked\": " + std::to_string(Ask(hwnd, BM_GETCHECK, 0, 0));
    } else if (cls == WC_LISTVIEWA) {
        out += ListViewDetails(hwnd);
    } else if (cls == PROGRESS_CLASSA) {
        out += ", \"position\": " + std::to_string(Ask(hwnd, PBM_GETPOS, 0, 0)) +
               ", \"maximum\": " + std::to_string(Ask(hwnd, PBM_GETRANGE, FALSE, 0));
    }
    return out + "}";
}


// All top-level windows, visible or not: the driver filters.
int ListWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    std::string out = "[";
    for (std::size_t i = 0; i < windows.size(); ++i) out += (i ? ",\n " : "") + Describe(windows[i], true);
    std::printf("%s]\n", out.c_str());
    return 0;
}

// One window with its client area and every descendant control.
int ShowWindowDetails(HWND hwnd) {
    if (!::IsWindow(hwnd)) {
        std::printf("null\n");
        return 1;
    }
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    std::vector<HWND> children;
    ::EnumChildWindows(hwnd, CollectWindow, reinterpret_cast<LPARAM>(&children));
    const bool mainWindow = ClassOf(hwnd) == MainWindowClass;

    std::string out = "{\"window\": " + Describe(hwnd, true) + ",\n \"client_origin\": [" + std::to_string(origin.x) +
                      ", " + std::to_string(origin.y) + "], \"client_size\": [" + std::to_string(client.right) +
                      ", " + std::to_string(client.bottom) + "], \"dpi\": " + std::to_string(dpi) +
                      ", \"foreground\": " + Hex(::GetForegroundWindow()) + ",\n \"controls\": [";
    for (std::size_t i = 0; i < children.size(); ++i) out += (i ? ",\n  " : "") + Describe(children[i], false, mainWindow);
    std::printf("%s]}\n", out.c_str());
    return 0;
}

// Where the caption's buttons are, as the window itself answers hit tests along
// its top edge (the caption is drawn by Wine, not by the X server).
int CaptionButtons(HWND hwnd) {
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    RECT minimize{0, 0, 0, 0}, close{0, 0, 0, 0};
    const int captionHeight = ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYFRAME) + 4;
    // The buttons sit at the right end of the caption.
    const int scanWidth = 6 * ::GetSystemMetrics(SM_CXSIZE);
    for (int y = r.top; y < r.top + captionHeight; ++y) {
        for (int x = std::max(r.left, r.right - scanWidth); x < r.right; ++x) {
            const LRESULT hit = Ask(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y));
            RECT* target = hit == HTMINBUTTON ? &minimize : (hit == HTCLOSE ? &close : nullptr);
            if (target == nullptr) continue;
            if (target->right == 0) *target = RECT{x, y, x + 1, y + 1};
            target->left = std::min(target->left, static_cast<LONG>(x));
            target->top = std::min(target->top, static_cast<LONG>(y));
            target->right = std::max(target->right, static_cast<LONG>(x + 1));
            target->bottom = std::max(target->bottom, static_cast<LONG>(y + 1));
        }
    }
    std::printf("{\"minimize\": %s, \"close\": %s}\n", Rect(minimize).c_str(), Rect(close).c_str());
    return 0;
}

const char* KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Frame: return "Frame";
    case ControlKind::CheckBox: return "CheckBox";
    case ControlKind::PushButton: return "PushButton";
    case ControlKind::ListView: return "ListView";
    case ControlKind::ProgressBar: return "ProgressBar";
    case ControlKind::RichText: return "RichText";
    case ControlKind::Label: return "Label";
    }
    return "";
}

// The main window's control table as the program is built with it: client size
// and, per control, its kind, container, caption, twips rectangle (relative to
// the container) and whether it starts visible.
int PrintLayout() {
    std::string out = "{\"client_twips\": [" + std::to_string(Form1Layout::ClientWidthTwips) + ", " +
                      std::to_string(Form1Layout::ClientHeightTwips) +
                      "], \"twips_per_inch\": " + std::to_string(Form1Layout::TwipsPerInch) + ",\n \"controls\": [";
    bool first = true;
    for (const ControlLayout& c : Form1Layout::Controls()) {
        char twips[96];
        std::snprintf(twips, sizeof(twips), "[%d, %d, %d, %d]", c.left, c.top, c.width, c.height);
        out += std::string(first ? "" : ",\n  ") + "{\"name\": " + Json(c.name) + ", \"kind\": \"" + KindName(c.kind) +
               "\", \"container\": " + ControlName(c.container) + ", \"caption\": " + Json(c.caption) +
               ", \"twips\": " + twips + ", \"visible\": " + (c.visible ? "true" : "false") + "}";
        first = false;
    }
    std::printf("%s]}\n", out.c_str());
    return 0;
}

int ListProcesses() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    std::string out = "[";
    bool first = true;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        out += (first ? "" : ", ") + Json(entry.szExeFile);
        first = false;
    }
    ::CloseHandle(snapshot);
    std::printf("%s]\n", out.c_str());
    return 0;
}

// WinINet is loaded only by the commands that use it: its start-up work must not
// hold up the window commands while the program under test uses the URL cache.
struct WinInet {
    HMODULE module = ::LoadLibraryA("wininet.dll");
    template <typename F>
    F* Get(F*, const char* name) const {
        return reinterpret_cast<F*>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
#define VORLANE_WININET(name) decltype(&::name) name = Get(&::name, #name)
    VORLANE_WININET(FindFirstUrlCacheEntryA);
    VORLANE_WININET(FindNextUrlCacheEntryA);
    VORLANE_WININET(FindCloseUrlCache);
    VORLANE_WININET(InternetOpenA);
    VORLANE_WININET(InternetOpenUrlA);
    VORLANE_WININET(HttpQueryInfoA);
    VORLANE_WININET(InternetReadFile);
    VORLANE_WININET(InternetCloseHandle);
#undef VORLANE_WININET
};

// Every URL-cache entry: its name, its type bits and its local file (if any).
int ListUrlCache() {
    const WinInet net;
    std::string out = "[";
    bool first = true;
    DWORD size = 0;
    net.FindFirstUrlCacheEntryA(nullptr, nullptr, &size);
    std::vector<char> buffer(size > 0 ? size : 4096);
    size = static_cast<DWORD>(buffer.size());
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    HANDLE find = net.FindFirstUrlCacheEntryA(nullptr, entry, &size);
    if (find == nullptr && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        find = net.FindFirstUrlCacheEntryA(nullptr, entry, &size);
    }
    while (find != nullptr) {
        out += std::string(first ? "" : ",\n ") + "{\"name\": " + Json(entry->lpszSourceUrlName ? entry->lpszSourceUrlName : "") +
               ", \"type\": " + std::to_string(entry->CacheEntryType) +
               ", \"file\": " + Json(entry->lpszLocalFileName ? entry->lpszLocalFileName : "") + "}";
        first = false;
        size = static_cast<DWORD>(buffer.size());
        if (!net.FindNextUrlCacheEntryA(find, entry, &size)) {
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
            buffer.resize(size);
            entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
            if (!net.FindNextUrlCacheEntryA(find, entry, &size)) break;
        }
    }
    if (find != nullptr) net.FindCloseUrlCache(find);
    std::printf("%s]\n", out.c_str());
    return 0;
}

// Downloads a URL the way Internet Explorer would: the response goes into the
// URL cache and its cookies into the cookie store.
int Fetch(const char* url) {
    const WinInet net;
    HINTERNET session = net.InternetOpenA("Mozilla/4.0 (compatible; MSIE 8.0)", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (session == nullptr) {
        std::printf("{\"error\": %lu}\n", ::GetLastError());
        return 1;
    }
    HINTERNET request = net.InternetOpenUrlA(session, url, nullptr, 0, INTERNET_FLAG_RESYNCHRONIZE, 0);
    if (request == nullptr) {
        std::printf("{\"error\": %lu}\n", ::GetLastError());
        net.InternetCloseHandle(session);
        return 1;
    }
    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    net.HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusSize, nullptr);
    char chunk[4096];
    DWORD read = 0;
    std::size_t total = 0;
    while (net.InternetReadFile(request, chunk, sizeof(chunk), &read) && read > 0) total += read;
    net.InternetCloseHandle(request);
    net.InternetCloseHandle(session);
    std::printf("{\"status\": %lu, \"bytes\": %u}\n", status, static_cast<unsigned>(total));
    return 0;
}

// Starts a program the way the Task Scheduler starts a task: no console, no
// standard handles, the system folder as the current folder; and waits for
// its end.
int StartAsScheduled(int argc, char** argv) {
    std::string line;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool quoted = argument.find(' ') != std::string::npos;
        line += (i > 2 ? " " : "") + (quoted ? "\"" + argument + "\"" : argument);
    }
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, system, &startup,
                          &info)) {
        std::printf("{\"error\": %lu}\n", ::GetLastError());
        return 1;
    }
    ::WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    std::printf("{\"exit\": %lu}\n", code);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: vorlane_probe windows | window HWND | caption HWND | layout | processes | urlcache | fetch URL"
                 " | scheduled PROGRAM [ARGUMENT...]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "windows") return ListWindows();
    if (command == "window" && argc == 3) return ShowWindowDetails(ParseHwnd(argv[2]));
    if (command == "caption" && argc == 3) return CaptionButtons(ParseHwnd(argv[2]));
    if (command == "layout") return PrintLayout();
    if (command == "processes") return ListProcesses();
    if (command == "urlcache") return ListUrlCache();
    if (command == "fetch" && argc == 3) return Fetch(argv[2]);
    if (command == "scheduled" && argc >= 3) return StartAsScheduled(argc, argv);
    return Usage();
}
