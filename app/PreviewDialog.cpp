#include "app/PreviewDialog.h"

#include "app/DialogTemplate.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "system/UniqueHandle.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace PreviewDialog {
namespace {

constexpr int IdList = 100;

// "3 files" / "1 file": the count and its noun.
std::string Counted(std::int64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// In the user's words: files, entries (database rows and stored keys),
// registry values, URL-cache entries.
std::string ItemsText(const TallyRow& row) {
    if (!row.leftAlone.empty()) return row.leftAlone;
    std::string text;
    auto add = [&](std::int64_t count, const char* one, const char* many) {
        if (count == 0) return;
        text += (text.empty() ? "" : ", ") + Counted(count, one, many);
    };
    add(row.files, "file", "files");
    add(row.rows, "entry", "entries");
    add(row.registryValues, "registry value", "registry values");
    add(row.cacheEntries, "URL-cache entry", "URL-cache entries");
    return text.empty() ? PreviewTexts::NothingToDelete : text;
}

// "-" where no file counts.
std::string SizeOf(const TallyRow& row) { return row.files == 0 ? "-" : SizeText(row.bytes); }

// The browser, and what of it stays by its name: a profile's folder name.
std::string BrowserText(const TallyRow& row) {
    if (row.where.empty()) return row.browser;
    const std::string name = row.where.substr(row.where.find_last_of('\\') + 1);
    return row.browser + " (" + (name.empty() ? row.where : name) + ")";
}

// "a.example, b.example": the sites a row kept.
std::string SiteList(const std::vector<std::string>& sites) {
    std::string text;
    for (const std::string& site : sites) text += (text.empty() ? "" : ", ") + site;
    return text;
}

constexpr int Columns = static_cast<int>(std::size(PreviewTexts::Headers));
// Where the list itself starts a cell's text, and the room it wants around it.
constexpr int TextIndent = 4;
constexpr int CellPadding = 12;

// The list's font in bold, for the total: made once.
HFONT BoldFont(HWND list) {
    static UniqueFont bold;
    if (!bold) {
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0)), sizeof(font), &font);
        font.lfWeight = FW_BOLD;
        bold.Reset(::CreateFontIndirectA(&font));
    }
    return bold.Get();
}

// The width `text` takes in bold, with the margins the list gives a cell.
int BoldWidth(HWND list, const std::string& text) {
    HDC dc = ::GetDC(list);
    const HGDIOBJ previous = ::SelectObject(dc, BoldFont(list));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(list, dc);
    return size.cx + CellPadding;
}

void FillList(HWND list, const std::vector<Line>& lines) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < Columns; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(PreviewTexts::Headers[i]);
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
        const std::string* cells[] = {&line.box, &line.items, &line.size, &line.where};
        for (int column = 1; column < Columns; ++column)
            ListView_SetItemText(list, at, column, const_cast<char*>(cells[column - 1]->c_str()));
    }
    // Each column as wide as its widest text, the bold total's or its header,
    // whichever is wider.
    const Line& total = lines.back();
    const std::string* totals[] = {&total.browser, &total.box, &total.items, &total.size, &total.where};
    for (int i = 0; i < Columns; ++i) {
        ListView_SetColumnWidth(list, i, LVSCW_AUTOSIZE);
        const int header =
            ListView_GetStringWidth(list, PreviewTexts::Headers[i]) + 2 * ::GetSystemMetrics(SM_CXEDGE) + CellPadding;
        const int widest = std::max(header, BoldWidth(list, *totals[i]));
        if (ListView_GetColumnWidth(list, i) < widest) ListView_SetColumnWidth(list, i, widest);
    }
}

// The total's row, drawn by hand in bold: a list may choose its own font for
// each cell after asking (Wine's does), so a font handed back is not enough.
void DrawTotal(HWND list, const NMLVCUSTOMDRAW& draw) {
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    const bool selected = ListView_GetItemState(list, row, LVIS_SELECTED) != 0;
    RECT bounds{};
    ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
    ::FillRect(draw.nmcd.hdc, &bounds, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const HGDIOBJ previous = ::SelectObject(draw.nmcd.hdc, BoldFont(list));
    ::SetBkMode(draw.nmcd.hdc, TRANSPARENT);
    ::SetTextColor(draw.nmcd.hdc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    for (int column = 0; column < Columns; ++column) {
        char text[256] = {};
        ListView_GetItemText(list, row, column, text, sizeof(text));
        RECT cell{};
        ListView_GetSubItemRect(list, row, column, column == 0 ? LVIR_LABEL : LVIR_BOUNDS, &cell);
        cell.left += TextIndent;
        ::DrawTextA(draw.nmcd.hdc, text, -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    ::SelectObject(draw.nmcd.hdc, previous);
}

LRESULT DrawRow(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        HWND list = draw.nmcd.hdr.hwndFrom;
        if (static_cast<int>(draw.nmcd.dwItemSpec) != ListView_GetItemCount(list) - 1) return CDRF_DODEFAULT;
        DrawTotal(list, draw);
        return CDRF_SKIPDEFAULT;
    }
    default: return CDRF_DODEFAULT;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillList(::GetDlgItem(dialog, IdList), *reinterpret_cast<const std::vector<Line>*>(lParam));
        ::SetFocus(::GetDlgItem(dialog, IDCANCEL));
        return FALSE;  // the focus is set
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != IdList || header->code != NM_CUSTOMDRAW) return FALSE;
        ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, DrawRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
        return TRUE;
    }
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
    if (rows.empty()) return {{PreviewTexts::NoBoxTicked, "", "", "", ""}};
    std::vector<Line> lines;
    for (const TallyRow& row : rows) {
        const char* box = row.box < steps.size() ? steps[row.box].box : "";
        lines.push_back({BrowserText(row), box, ItemsText(row), SizeOf(row), row.where});
        if (!row.keptSites.empty()) lines.push_back({BrowserText(row), box, PreviewTexts::Kept, "-", SiteList(row.keptSites)});
    }
    const TallyRow total = tally.Total();
    lines.push_back({PreviewTexts::Total, "", ItemsText(total), SizeOf(total), ""});
    return lines;
}

bool Show(HWND owner, const std::vector<Line>& lines) {
    DialogTemplate dialog(PreviewTexts::Caption, 480, 200);
    dialog.Add(WC_LISTVIEWA, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS,
               IdList, 7, 7, 466, 162);
    dialog.Add("BUTTON", PreviewTexts::DeleteNow, WS_TABSTOP | BS_PUSHBUTTON, DeleteNowId, 316, 177, 75, 16);
    dialog.Add("BUTTON", PreviewTexts::Close, WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL, 398, 177, 75, 16);
    const INT_PTR answer = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialog.Get(), owner, DialogProc,
                                                     reinterpret_cast<LPARAM>(&lines));
    return answer == DeleteNowId;
}

}  // namespace PreviewDialog
