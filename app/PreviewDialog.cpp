#include "app/PreviewDialog.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdint>

namespace PreviewDialog {
namespace {

constexpr int IdList = 100;

// "3 files" / "1 file": the count and its noun.
std::string Counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string ItemsText(const TallyRow& row) {
    if (!row.leftAlone.empty()) return row.leftAlone;
    std::string text;
    auto add = [&](std::int64_t count, const char* one, const char* many) {
        if (count == 0) return;
        text += (text.empty() ? "" : ", ") + Counted(count, one, many);
    };
    add(row.files, "file", "files");
    add(row.rows, "row", "rows");
    add(row.registryValues, "registry value", "registry values");
    add(row.cacheEntries, "cache entry", "cache entries");
    return text.empty() ? "0" : text;
}

// The files' size as Explorer writes it ("1.20 MB"); "-" where no file counts.
std::string SizeText(const TallyRow& row) {
    if (row.files == 0) return "-";
    char text[64] = {};
    ::StrFormatByteSize64A(row.bytes, text, sizeof(text));
    return text;
}

// ---------------------------------------------------------------- the dialog's template

// A dialog template built in memory: the header, then each control,
// DWORD-aligned, with its window class and caption in UTF-16.
class Template {
public:
    Template(const char* caption, short width, short height) {
        AddDword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
        AddDword(0);
        countAt_ = words_.size();
        words_.push_back(0);  // the number of controls, counted as they come
        for (short n : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(n));
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard dialog class
        AddText(caption);
        words_.push_back(8);
        AddText("MS Shell Dlg");
    }

    void Add(const char* windowClass, const char* caption, DWORD style, int id, short x, short y, short cx,
             short cy) {
        if (words_.size() % 2 != 0) words_.push_back(0);
        AddDword(style | WS_CHILD | WS_VISIBLE);
        AddDword(0);
        for (short n : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(n));
        words_.push_back(static_cast<WORD>(id));
        AddText(windowClass);
        AddText(caption);
        words_.push_back(0);  // no creation data
        ++words_[countAt_];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void AddDword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void AddText(const char* text) {
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
        words_.insert(words_.end(), wide.begin(), wide.end());  // with its terminating zero
    }

    std::vector<WORD> words_;
    std::size_t countAt_;
};

void FillList(HWND list, const std::vector<Line>& lines) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    const char* headers[] = {"Browser", "Box", "Items", "Size"};
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(headers[i]);
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
    for (std::size_t row = 0; row < lines.size(); ++row) {
        const Line& line = lines[row];
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<char*>(line.browser.c_str());
        const int at = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        const std::string* cells[] = {&line.box, &line.items, &line.size};
        for (int column = 1; column < 4; ++column)
            ListView_SetItemText(list, at, column, const_cast<char*>(cells[column - 1]->c_str()));
    }
    // Each column as wide as its widest text or its header, whichever is wider.
    for (int i = 0; i < 4; ++i) {
        ListView_SetColumnWidth(list, i, LVSCW_AUTOSIZE);
        const int header = ListView_GetStringWidth(list, headers[i]) + 2 * ::GetSystemMetrics(SM_CXEDGE) + 12;
        if (ListView_GetColumnWidth(list, i) < header) ListView_SetColumnWidth(list, i, header);
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillList(::GetDlgItem(dialog, IdList), *reinterpret_cast<const std::vector<Line>*>(lParam));
        ::SetFocus(::GetDlgItem(dialog, IDCANCEL));
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == DeleteNowId || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, LOWORD(wParam) == DeleteNowId ? DeleteNowId : IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

std::vector<Line> Lines(const PassTally& tally, const std::vector<DeletionPass::Step>& steps) {
    const std::vector<TallyRow> rows = tally.Rows();
    if (rows.empty()) return {{PreviewTexts::NoBoxTicked, "", "", ""}};
    std::vector<Line> lines;
    for (const TallyRow& row : rows)
        lines.push_back({row.browser, row.box < steps.size() ? steps[row.box].box : "", ItemsText(row), SizeText(row)});
    const TallyRow total = tally.Total();
    lines.push_back({PreviewTexts::Total, "", ItemsText(total), SizeText(total)});
    return lines;
}

bool Show(HWND owner, const std::vector<Line>& lines) {
    Template dialog(PreviewTexts::Caption, 380, 200);
    dialog.Add(WC_LISTVIEWA, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER |
                                     LVS_SHOWSELALWAYS, IdList, 7, 7, 366, 162);
    dialog.Add("BUTTON", PreviewTexts::DeleteNow, WS_TABSTOP | BS_PUSHBUTTON, DeleteNowId, 216, 177, 75, 16);
    dialog.Add("BUTTON", PreviewTexts::Close, WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL, 298, 177, 75, 16);
    const INT_PTR answer = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialog.Get(), owner, DialogProc,
                                                     reinterpret_cast<LPARAM>(&lines));
    return answer == DeleteNowId;
}

}  // namespace PreviewDialog
