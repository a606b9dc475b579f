// The real main window as a user meets it in the benchmarks: boxes ticked,
// "Delete Now (Test)" or "Preview" clicked and timed until the result shows,
// and the window's answers timed from another thread meanwhile.
#pragma once

#include "QuietPlatform.h"
#include "app/CleaningBoxes.h"
#include "app/Form1.h"
#include "app/PreviewDialog.h"
#include "cleaning/HistoryLog.h"
#include "system/MessagePump.h"
#include "system/Window.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

inline std::int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<std::int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()))];
}

template <class Body>
double Seconds(Body&& body) {
    const double start = MessagePump::MonotonicSeconds();
    body();
    return MessagePump::MonotonicSeconds() - start;
}

// The main window with only the boxes named (CleaningBoxes names) ticked.
class ClickedWindow {
public:
    explicit ClickedWindow(std::initializer_list<std::string_view> boxes) : form_(RealCleaners()) {
        form_.Create(true);
        RestPointerOffWindow(form_.Handle());
        for (std::size_t i = 0; i < CleaningBoxes::Count; ++i) {
            const bool ticked = std::find(boxes.begin(), boxes.end(), CleaningBoxes::Rows[i].name) != boxes.end();
            SetTicked(FindControl(form_.Handle(), CleaningBoxes::IdAt(i)), ticked);
        }
        MessagePump::LetPendingMessagesRun();
    }
    // The pass as the auto-delete timer runs it, without a click.
    void DeleteAll() { form_.DeleteAll(); }
    // A click on "Delete Now (Test)" until the history log has grown by the
    // pass's line, in seconds; the click returns after the pause that follows
    // the pass. Negative when the log did not grow.
    double ClickDeleteNow() {
        const std::string log = HistoryLog::LogPath();
        const std::int64_t before = FileSize(log);
        std::atomic<bool> returned{false};
        std::atomic<double> loggedAt{-1.0};
        std::thread watcher([&] {
            while (!returned) {
                if (FileSize(log) != before) {
                    loggedAt = MessagePump::MonotonicSeconds();
                    return;
                }
                ::Sleep(10);
            }
        });
        const double start = MessagePump::MonotonicSeconds();
        ::SendMessageA(FindControl(form_.Handle(), IdPushButton12), BM_CLICK, 0, 0);
        returned = true;
        watcher.join();
        return loggedAt < 0 ? -1.0 : loggedAt - start;
    }
    // A click on "Preview" until its dialog shows, in seconds; `total` gets
    // the dialog's last row ("Total": items and size). The dialog is closed.
    double ClickPreview(std::string& total) {
        std::atomic<double> shownAt{0.0};
        std::thread watcher([&] {
            HWND dialog = nullptr;
            HWND list = nullptr;
            while (!(dialog = ::FindWindowA(nullptr, PreviewTexts::Caption)) || !::IsWindowVisible(dialog) ||
                   !(list = ::FindWindowExA(dialog, nullptr, WC_LISTVIEWA, nullptr)) || ListView_GetItemCount(list) == 0)
                ::Sleep(1);
            shownAt = MessagePump::MonotonicSeconds();
            char items[128] = {}, size[64] = {};
            const int last = ListView_GetItemCount(list) - 1;
            ListView_GetItemText(list, last, 2, items, sizeof(items));
            ListView_GetItemText(list, last, 3, size, sizeof(size));
            total = std::string(items) + ", " + size;
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        const double start = MessagePump::MonotonicSeconds();
        ::SendMessageA(FindControl(form_.Handle(), IdPushButton14), BM_CLICK, 0, 0);
        watcher.join();
        return shownAt - start;
    }
    HWND Window() const { return form_.Handle(); }

private:
    Form1 form_;
};

// While `body` runs, sends the window a message every 20 ms from another
// thread and adds how long each took to be answered to `delays`.
template <class Body>
void WithResponseProbe(HWND window, std::vector<double>& delays, Body&& body) {
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::thread probe([&] {
        while (!stop) {
            const double start = MessagePump::MonotonicSeconds();
            DWORD_PTR result = 0;
            ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            delays.push_back(MessagePump::MonotonicSeconds() - start);
            ::Sleep(20);
        }
        done = true;
    });
    body();
    // The window's thread keeps answering until the probe has sent its last
    // message: joining at once would leave a message in flight unanswered.
    stop = true;
    while (!done) {
        MessagePump::LetPendingMessagesRun();
        ::Sleep(1);
    }
    probe.join();
}

// "window answers ...: median, 99th percentile, longest" for the benchmarks' output.
inline void PrintAnswers(const char* during, const std::vector<double>& delays) {
    std::printf("window answers during %s, %zu messages sent every 20 ms: median %.1f ms, 99th percentile %.1f ms, "
                "longest %.1f ms\n",
                during, delays.size(), Percentile(delays, 0.5) * 1000.0, Percentile(delays, 0.99) * 1000.0,
                Percentile(delays, 1.0) * 1000.0);
}
