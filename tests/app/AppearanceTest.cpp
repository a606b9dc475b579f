#include "app/Appearance.h"
#include "app/BuiltInSkinEngine.h"
#include "app/Location.h"
#include "app/SkinFile.h"
#include "FormFixture.h"
#include "system/ErrorReport.h"
#include "system/Failure.h"
#include "system/Path.h"
#include "system/ProgramLocation.h"
#include "system/ScreenDpi.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The skin folder beside the program, which may sit at a drive root (the test
// prefix's X: is the build tree).
std::string SkinFolder() {
    return Path::Join(ProgramLocation::Folder(), "x");
}

// Stands in for the skin component: records each dispatch call with its
// arguments and answers the one property read.
class RecordingComponent final : public IDispatch {
public:
    std::vector<std::string> calls;
    DISPID failOn = -1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override {
        std::string call = std::to_string(member);
        call += flags == DISPATCH_METHOD ? " call" : (flags == DISPATCH_PROPERTYGET ? " get" : " put");
        if (flags == DISPATCH_PROPERTYPUT &&
            (parameters->cNamedArgs != 1 || parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
            call += " (not named as a property value)";
        for (UINT i = parameters->cArgs; i-- > 0;) call += " " + Describe(parameters->rgvarg[i]);
        calls.push_back(call);
        if (member == failOn) {
            exception->bstrDescription = ::SysAllocString(L"The skin could not be loaded");
            return DISP_E_EXCEPTION;
        }
        if (flags == DISPATCH_PROPERTYGET) {
            result->vt = VT_I4;
            result->lVal = 6;
        }
        return S_OK;
    }

private:
    static std::string Describe(const VARIANT& v) {
        switch (v.vt) {
        case VT_BSTR: {
            char text[MAX_PATH] = {};
            ::WideCharToMultiByte(CP_ACP, 0, v.bstrVal, -1, text, sizeof(text), nullptr, nullptr);
            return "'" + std::string(text) + "'";
        }
        case VT_I4: return std::to_string(v.lVal);
        case VT_BOOL: return v.boolVal == VARIANT_TRUE ? "True" : "False";
        default: return "vt" + std::to_string(v.vt);
        }
    }
    ULONG references_ = 1;
};

constexpr char SampleSkin[] =
    "; a test skin\r\n"
    "[Vorlane Skin]\r\n"
    "Window=#203040\r\n"
    "Face=#DDEEFF\r\n"
    "Text=#102030\r\n"
    "\r\n"
    "Button=#406080\r\n"
    "ButtonText=#FFFFFF\r\n"
    "List=#F0F8FF\r\n"
    "ListText=#000080\r\n"
    "Font=Tahoma\r\n"
    "FontSize=10\r\n"
    "Shadow=#000000\r\n";

class AppearanceTest : public FormFixture {
protected:
    AppearanceTest() : skinFolder_(SkinFolder()) { Fixtures::DeleteTree(skinFolder_); }
    ~AppearanceTest() override {
        Fixtures::DeleteTree(skinFolder_);
    }

    std::string SkinFile() const { return skinFolder_ + "\\o.cjs"; }
    void PlaceSkin(const std::string& text = SampleSkin, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        Fixtures::WriteFile(SkinFile(), text, attributes);
    }
    void UseRecordingEngine() {
        platform->component = &recording_;
    }

    // The colour a window paints its background with at a point (client pixels).
    static COLORREF ErasedColour(HWND window, int x, int y) {
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 1200, 1000);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        ::SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const COLORREF colour = ::GetPixel(dc, x, y);
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        ::ReleaseDC(nullptr, screen);
        return colour;
    }
    // The background colour the window gives a check box.
    static COLORREF CheckBoxBack(Form1& form) {
        HDC dc = ::CreateCompatibleDC(nullptr);
        ::SendMessageA(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(Control(form, CleaningBoxes::Id("chkIEHist"))));
        const COLORREF colour = ::GetBkColor(dc);
        ::DeleteDC(dc);
        return colour;
    }
    // A point inside Frame1 below its check boxes, in the frame's client pixels.
    static POINT InsideFrame1() {
        return {::MulDiv(3500, ScreenDpi(), 1440), ::MulDiv(2100, ScreenDpi(), 1440)};
    }

    RecordingComponent recording_;

private:
    std::string skinFolder_;
};

}  // namespace

TEST_F(AppearanceTest, WithoutASkinTheFramesAndBoxesAreWhiteOnButtonFace) {
    Form1& form = CreateForm();
    EXPECT_EQ(form.SkinFramework1(), nullptr);
    const POINT inside = InsideFrame1();
    EXPECT_EQ(ErasedColour(Control(form, IdFrame1), inside.x, inside.y), RGB(255, 255, 255));
    EXPECT_EQ(ErasedColour(form.Handle(), 2, 2), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(CheckBoxBack(form), RGB(255, 255, 255));
}

TEST_F(AppearanceTest, AHiddenOrSystemSkinFileCountsAsAbsent) {
    UseRecordingEngine();
    for (DWORD attributes : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        PlaceSkin(SampleSkin, attributes);
        Form1& form = CreateForm();
        EXPECT_TRUE(recording_.calls.empty()) << attributes;
        EXPECT_EQ(form.ControlBackColor(IdFrame2), RGB(255, 255, 255)) << attributes;
        Fixtures::DeleteTree(SkinFolder());
    }
}

TEST_F(AppearanceTest, TheSkinComponentGetsItsSixCallsInOrder) {
    PlaceSkin();
    UseRecordingEngine();
    Form1& form = CreateForm();
    const std::string window = std::to_string(reinterpret_cast<INT_PTR>(form.Handle()));
    EXPECT_EQ(recording_.calls, (std::vector<std::string>{
                                    "2 call '" + SkinFile() + "' ''",
                                    "1 get",
                                    "1 put 7",
                                    "5 put True",
                                    "10 put True",
                                    "3 call " + window,
                                }));
    EXPECT_EQ(ErasedColour(form.Handle(), 2, 2), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(form.ControlBackColor(IdFrame1), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(form.ControlBackColor(IdCheck8), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(platform->Reports().empty());
}

TEST_F(AppearanceTest, AFailingSkinCallIsReportedAtStep100AndStartUpGoesOn) {
    PlaceSkin();
    UseRecordingEngine();
    recording_.failOn = SkinEngine::LoadSkinMember;
    Form1& form = CreateForm();
    EXPECT_EQ(recording_.calls.size(), 1u);  // nothing after the failing call
    const auto reports = platform->Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, ErrorReport::BuildText("The skin could not be loaded", Location::Form_Load, 100));
    EXPECT_EQ(Text(form, IdPushButton13), "Turn On Auto Delete");
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(form.ControlBackColor(IdFrame1), ::GetSysColor(COLOR_BTNFACE));
}

TEST_F(AppearanceTest, TheBuiltInEnginePaintsTheWindowInTheSkinsColours) {
    PlaceSkin();
    Form1& form = CreateForm();
    ASSERT_NE(dynamic_cast<BuiltInSkinEngine*>(form.SkinFramework1()), nullptr);
    EXPECT_TRUE(platform->Reports().empty());
    const POINT inside = InsideFrame1();
    EXPECT_EQ(ErasedColour(Control(form, IdFrame1), inside.x, inside.y), RGB(0xDD, 0xEE, 0xFF));
    EXPECT_EQ(ErasedColour(form.Handle(), 2, 2), RGB(0x20, 0x30, 0x40));
    EXPECT_EQ(CheckBoxBack(form), RGB(0xDD, 0xEE, 0xFF));
    EXPECT_EQ(ListView_GetBkColor(Control(form, IdListView2)), RGB(0xF0, 0xF8, 0xFF));
    EXPECT_EQ(::GetWindowLongA(Control(form, IdPushButton12), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    // Still a working button.
    Click(IdPushButton11);
    EXPECT_EQ(platform->messages.size(), 1u);
}

TEST_F(AppearanceTest, ASkinFileOfAnotherFormatIsReportedAndTheWindowKeepsItsLook) {
    PlaceSkin(std::string("PK\x03\x04 not a skin of ours", 24));
    Form1& form = CreateForm();
    const auto reports = platform->Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, ErrorReport::BuildText("Error loading skin file: line 1 is not \"[Vorlane Skin]\"",
                                                      Location::Form_Load, 100));
    EXPECT_EQ(::GetWindowLongA(Control(form, IdPushButton12), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(form.ControlBackColor(IdFrame1), ::GetSysColor(COLOR_BTNFACE));
}

TEST(AppearanceTestSkinFile, ReadsColoursAndFontAndNamesTheFaultyLine) {
    const Skin skin = SkinFile::Parse(SampleSkin);
    EXPECT_EQ(skin.window, RGB(0x20, 0x30, 0x40));
    EXPECT_EQ(skin.buttonText, RGB(255, 255, 255));
    EXPECT_EQ(skin.listText, RGB(0, 0, 0x80));
    EXPECT_EQ(skin.font, "Tahoma");
    EXPECT_EQ(skin.fontSize, 10);
    EXPECT_TRUE(skin.fontBold);  // not given: the default

    auto failure = [](const std::string& text) {
        try {
            SkinFile::Parse(text);
        } catch (const Failure& f) {
            return f.Description();
        }
        return std::string("no failure");
    };
    EXPECT_EQ(failure(""), "Error loading skin file: the file is empty");
    EXPECT_EQ(failure("[Vorlane Skin]\nFace=#12345\n"), "Error loading skin file: line 2 is not a colour #RRGGBB");
    EXPECT_EQ(failure("[Vorlane Skin]\nText=#12345G\n"), "Error loading skin file: line 2 is not a colour #RRGGBB");
    EXPECT_EQ(failure("[Vorlane Skin]\n\nFontSize=99\n"),
              "Error loading skin file: line 3 is not a number from 6 to 24");
    EXPECT_EQ(failure("[Vorlane Skin]\nWindow\n"), "Error loading skin file: line 2 has no \"=\"");
}

// ---------------------------------------------------------------- pointer

class AppearanceTestPointer : public FormFixture {
protected:
    void MoveOver(HWND window) { ::SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2)); }
    static HCURSOR Arrow() { return ::LoadCursor(nullptr, IDC_ARROW); }
};

TEST_F(AppearanceTestPointer, TheHandShowsOverThePushButtonsAndTheArrowElsewhere) {
    Form1& form = CreateForm();
    for (ControlId button : {IdPushButton1, IdPushButton2, IdPushButton3, IdPushButton11, IdPushButton12,
                             IdPushButton13}) {
        MoveOver(form.Handle());
        MoveOver(Control(form, button));
        const HCURSOR hand = CursorOver(button);  // HAND-M.CUR beside the program
        EXPECT_NE(hand, nullptr) << button;
        EXPECT_NE(hand, Arrow()) << button;
    }

    MoveOver(Control(form, IdListView2));
    EXPECT_EQ(CursorOver(IdPushButton12), Arrow());
    MoveOver(Control(form, IdPushButton1));
    MoveOver(form.Handle());
    EXPECT_EQ(CursorOver(IdPushButton12), Arrow());

    // Check boxes have no hover rule: the pointer stays what it was.
    MoveOver(Control(form, IdPushButton1));
    const HCURSOR hand = CursorOver(IdPushButton1);
    MoveOver(Control(form, CleaningBoxes::Id("chkIEHist")));
    EXPECT_EQ(CursorOver(CleaningBoxes::Id("chkIEHist")), hand);
}

TEST_F(AppearanceTestPointer, TheHourglassStaysWhateverThePointerMovesOverDuringAPass) {
    Cleaners cleaners;
    std::vector<HCURSOR> seen;
    cleaners[CleaningBoxes::Index("chkIEHist")] = [&](StatusLine&) {
        for (HWND over : {Control(Form(), IdPushButton12), Control(Form(), IdListView2), Form().Handle()}) {
            MoveOver(over);
            seen.push_back(CursorOver(IdPushButton13));
        }
    };
    Form1& form = CreateForm(cleaners);
    Click(CleaningBoxes::Id("chkIEHist"));
    ClickListAt(1);  // a timed pass every 5 minutes: no pause after it
    Click(IdPushButton13);
    for (int second = 0; second < 300; ++second) Tick();
    EXPECT_EQ(seen, std::vector<HCURSOR>(3, Hourglass()));

    MoveOver(Control(form, IdPushButton13));  // the pass has ended
    EXPECT_NE(CursorOver(IdPushButton13), Hourglass());
    EXPECT_NE(CursorOver(IdPushButton13), Arrow());
}

// The chosen interval must stay plain to see once the focus leaves the list:
// its row is drawn in the system's highlight colour either way.
TEST_F(AppearanceTest, TheChosenIntervalIsDrawnHighlightedWithAndWithoutTheFocus) {
    Form1& form = CreateForm();
    HWND list = Control(form, IdListView2);
    RECT row;
    ListView_GetItemRect(list, 1, &row, LVIR_LABEL);
    for (ControlId focus : {IdListView2, IdPushButton12}) {
        ::SetFocus(Control(form, focus));
        ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = ::GetDC(list);
        int highlighted = 0;
        for (int x = row.left + 2; x < row.right - 2; ++x)
            highlighted += ::GetPixel(dc, x, (row.top + row.bottom) / 2) == ::GetSysColor(COLOR_HIGHLIGHT);
        ::ReleaseDC(list, dc);
        EXPECT_GT(highlighted, (row.right - row.left) / 2) << "focus on " << focus;
    }
}
