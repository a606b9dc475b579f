#include "app/SitesToKeepDialog.h"

#include "app/CleaningBoxes.h"
#include "app/DialogTemplate.h"
#include "app/Main.h"
#include "chromium/Chromium.h"
#include "cleaning/SiteSurvey.h"
#include "cleaning/SitesToKeepSetting.h"
#include "firefox/Firefox.h"
#include "system/Failure.h"
#include "system/Path.h"
#include "system/Seams.h"
#include "system/Utf8.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

namespace SitesToKeepDialog {
namespace {

// What the dialog shows and changes.
struct State {
    const std::vector<FoundSite>& found;
    std::vector<std::string> kept;
};

// The keep list is UTF-8 whatever the system's code page: what the user
// typed is read as UTF-16 and converted once.
std::wstring TextOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max(::GetWindowTextW(control, text.data(), length + 1), 0)));
    return text;
}

void ShowKept(HWND dialog, const State& state) {
    HWND list = ::GetDlgItem(dialog, IdKept);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& site : state.kept)
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8::ToWide(site).c_str()));
}

void AddKept(State& state, const std::string& site) {
    if (std::find(state.kept.begin(), state.kept.end(), site) == state.kept.end()) state.kept.push_back(site);
}

void FillFound(HWND list, const std::vector<FoundSite>& found) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(SitesToKeepTexts::Headers[i]);
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
    for (std::size_t row = 0; row < found.size(); ++row) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<char*>(found[row].site.c_str());
        const int at = static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        ListView_SetItemText(list, at, 1, const_cast<char*>(found[row].browsers.c_str()));
    }
    for (int i = 0; i < 2; ++i) ListView_SetColumnWidth(list, i, LVSCW_AUTOSIZE_USEHEADER);
}

// "Keep": the selected found sites join the list.
void KeepSelected(HWND dialog, State& state) {
    HWND list = ::GetDlgItem(dialog, IdFound);
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0; row = ListView_GetNextItem(list, row, LVNI_SELECTED))
        AddKept(state, state.found[static_cast<std::size_t>(row)].site);
    ShowKept(dialog, state);
}

// "Remove": the selected kept sites leave the list.
void RemoveSelected(HWND dialog, State& state) {
    HWND list = ::GetDlgItem(dialog, IdKept);
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < state.kept.size(); ++i)
        if (::SendMessageA(list, LB_GETSEL, i, 0) <= 0) kept.push_back(state.kept[i]);
    state.kept = std::move(kept);
    ShowKept(dialog, state);
}

// "Add": the typed site joins the list, as the list writes it; an entry that
// names no site is said and stays in the box to be corrected.
void AddTyped(HWND dialog, State& state) {
    HWND entry = ::GetDlgItem(dialog, IdEntry);
    const std::wstring typed = TextOf(entry);
    const std::optional<SitesToKeep::Site> site = SitesToKeep::Parse(Utf8::FromWide(typed));
    if (!site) {
        // Said in the system's code page, as every message box of the program.
        Seams::Current().ShowMessage("\"" + Path::FromSystem(typed) + "\"" + SitesToKeepTexts::NotASite, Main::AppTitle(),
                                     MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    AddKept(state, site->text);
    ::SetWindowTextA(entry, "");
    ShowKept(dialog, state);
}

// "OK": the list is stored; a refused write is said and the dialog stays.
void Save(HWND dialog, const State& state) {
    try {
        SitesToKeepSetting::Write(state.kept);
        ::EndDialog(dialog, IDOK);
    } catch (const Failure& failure) {
        Seams::Current().ShowMessage(failure.Description(), Main::AppTitle(), MB_OK | MB_ICONEXCLAMATION);
    }
}

bool Command(HWND dialog, State& state, int id) {
    switch (id) {
    case IdKeep: KeepSelected(dialog, state); return true;
    case IdRemove: RemoveSelected(dialog, state); return true;
    case IdAdd: AddTyped(dialog, state); return true;
    case IdSuggest:
        for (const std::string& site : SuggestedSites(state.found)) AddKept(state, site);
        ShowKept(dialog, state);
        return true;
    case IDOK: Save(dialog, state); return true;
    case IDCANCEL: ::EndDialog(dialog, IDCANCEL); return true;
    default: return false;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* state = reinterpret_cast<State*>(lParam);
        FillFound(::GetDlgItem(dialog, IdFound), state->found);
        ShowKept(dialog, *state);
        return TRUE;
    }
    auto* state = reinterpret_cast<State*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_COMMAND && state && HIWORD(wParam) == BN_CLICKED) return Command(dialog, *state, LOWORD(wParam));
    return FALSE;
}

}  // namespace

std::vector<FoundSite> FindSites() {
    SiteSurvey survey(IEHistory::BrowserName);
    for (const std::size_t box :
         {CleaningBoxes::Index("chkIECookies"), CleaningBoxes::Index("chkCookies"), CleaningBoxes::Index("chkCrCookies")})
        CleaningBoxes::Rows[box].cleaner->clear(survey);
    std::vector<FoundSite> found;
    for (const auto& [site, browsers] : survey.Sites()) {
        std::string names;
        for (const std::string& browser : browsers) names += (names.empty() ? "" : ", ") + browser;
        found.push_back({site, names});
    }
    return found;
}

std::vector<std::string> SuggestedSites(const std::vector<FoundSite>& found) {
    std::vector<std::string> addresses = Chromium().SignInAddresses();
    for (const FirefoxNames::FirefoxPlace& place : FirefoxNames::Browsers) {
        const std::vector<std::string> more = Firefox(place).SignInAddresses();
        addresses.insert(addresses.end(), more.begin(), more.end());
    }
    const SitesToKeep everything = SitesToKeep::Everything();
    std::set<std::string> signedIn;
    for (const std::string& address : addresses) signedIn.insert(everything.KeepingOrigin(address));
    std::vector<std::string> suggested;
    for (const FoundSite& site : found)
        if (signedIn.count(site.site)) suggested.push_back(site.site);
    return suggested;
}

bool Show(HWND owner, const std::vector<FoundSite>& found) {
    State state{found, {}};
    const SitesToKeepSetting::Stored stored = SitesToKeepSetting::Read();
    for (const SitesToKeep::Site& site : stored.sites.Sites()) state.kept.push_back(site.text);
    DialogTemplate dialog(SitesToKeepTexts::Caption, 420, 240);
    dialog.Add("STATIC", SitesToKeepTexts::Found, 0, -1, 7, 7, 220, 10);
    dialog.Add(WC_LISTVIEWA, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, IdFound, 7, 19, 220, 170);
    dialog.Add("BUTTON", SitesToKeepTexts::Keep, WS_TABSTOP | BS_PUSHBUTTON, IdKeep, 233, 70, 50, 14);
    dialog.Add("BUTTON", SitesToKeepTexts::Remove, WS_TABSTOP | BS_PUSHBUTTON, IdRemove, 233, 90, 50, 14);
    dialog.Add("STATIC", SitesToKeepTexts::Kept, 0, -1, 289, 7, 124, 10);
    dialog.Add("LISTBOX", "", WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT, IdKept, 289, 19, 124, 150);
    dialog.Add("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, IdEntry, 289, 175, 88, 14);
    dialog.Add("BUTTON", SitesToKeepTexts::Add, WS_TABSTOP | BS_PUSHBUTTON, IdAdd, 381, 175, 32, 14);
    dialog.Add("BUTTON", SitesToKeepTexts::Suggest, WS_TABSTOP | BS_PUSHBUTTON, IdSuggest, 7, 196, 60, 14);
    dialog.Add("BUTTON", SitesToKeepTexts::Ok, WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 309, 219, 50, 14);
    dialog.Add("BUTTON", SitesToKeepTexts::Cancel, WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, 363, 219, 50, 14);
    return ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialog.Get(), owner, DialogProc,
                                     reinterpret_cast<LPARAM>(&state)) == IDOK;
}

}  // namespace SitesToKeepDialog
