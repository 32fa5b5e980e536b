#pragma once
// Support of the dialog skinning tests: wrapper factories that record what they were asked to
// make, an in-memory dialog template of child windows, stand-ins for the window classes Wine does
// not have, and the table of child windows with the wrapper each gets. A wrapper family that is
// built keeps its row here and checks its own class in its own tests.
#include "skin_wrappers_test_base.h"

#include "acDials.h"

#include <commctrl.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A wrapper made by a recording factory: what the dispatch asked for.
class TRecordedWrapper : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TRecordedWrapper"; }
    TacWrapperKind Kind = TacWrapperKind::Count;
    UnicodeString Section;
    bool Repaint = false;
    bool DlgModeWhileMade = false;
    TControl* Control = nullptr;
    TacSkinParams Params;
};

// Told of every recorded wrapper right after it was made.
inline std::function<void(TRecordedWrapper&)>& OnRecordedWrapper()
{
    static std::function<void(TRecordedWrapper&)> handler;
    return handler;
}
// The kinds in the order they were made.
inline std::vector<std::pair<TacWrapperKind, HWND>>& RecordedOrder()
{
    static std::vector<std::pair<TacWrapperKind, HWND>> order;
    return order;
}

template <int K>
TacMainWnd* RecordingFactory(HWND wnd, TsCommonData* data, TsSkinManager* manager, const TacSkinParams& params, bool repaint)
{
    auto* w = CreateWrapper<TRecordedWrapper>(wnd, data, manager, params, repaint);
    w->Kind = static_cast<TacWrapperKind>(K);
    w->Section = params.SkinSection;
    w->Repaint = repaint;
    w->DlgModeWhileMade = acDlgMode;
    w->Control = params.Control;
    w->Params = params;
    RecordedOrder().emplace_back(w->Kind, wnd);
    if (OnRecordedWrapper()) OnRecordedWrapper()(*w);
    return w;
}

// Every wrapper kind records while this lives; the factories in place before come back after.
class RecordingFactories {
public:
    RecordingFactories() : RecordingFactories(std::make_integer_sequence<int, acWrapperKindCount>{}) {}
    ~RecordingFactories()
    {
        for (int k = 0; k < acWrapperKindCount; ++k) acSetWrapperFactory(static_cast<TacWrapperKind>(k), previous_[k]);
        OnRecordedWrapper() = nullptr;
        RecordedOrder().clear();
    }
    RecordingFactories(const RecordingFactories&) = delete;
    RecordingFactories& operator=(const RecordingFactories&) = delete;

private:
    template <int... K>
    explicit RecordingFactories(std::integer_sequence<int, K...>)
    {
        ((previous_[K] = acSetWrapperFactory(static_cast<TacWrapperKind>(K), &RecordingFactory<K>)), ...);
        RecordedOrder().clear();
    }
    std::array<TacWrapperFactory, acWrapperKindCount> previous_{};
};

// The recorded wrapper of a window, asked as any library part asks (command 12); null if none.
inline TRecordedWrapper* RecordedWrapperOf(HWND wnd)
{
    return dynamic_cast<TRecordedWrapper*>(reinterpret_cast<TacMainWnd*>(Command(wnd, AC_GETSCROLLWND)));
}

// Window classes of other programs and of the shell, registered in this module with the default
// procedure unless the system has them.
inline void RegisterStandInClasses()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_USEREX_CLASSES |
                                              ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&icc);
    static const wchar_t* const names[] = {
        L"DirectUIHWND",     L"CtrlNotifySink",      L"NativeHWNDHost",     L"DUIViewWndClassName", L"TButton",
        L"TPanel",           L"TSilentPaintPanel",   L"TRavelBand",         L"Link Window",         L"SysLink",
        L"SHBrowseForFolder", L"UniversalSearchBand", L"Address Band Root", L"WorkerW",             L"Search Box",
        L"Breadcrumb Parent", L"MarlindoOtherClass",
    };
    const HINSTANCE module = GetModuleHandleW(nullptr);
    for (const wchar_t* name : names) {
        WNDCLASSW existing{};
        if (GetClassInfoW(module, name, &existing) || GetClassInfoW(nullptr, name, &existing)) continue;
        WNDCLASSW wc{};
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = module;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
}

// An in-memory dialog template: a pop-up dialog and its items (class by name, sizes in dialog
// units), item i with the control ID 100 + i.
class DialogTemplate {
public:
    explicit DialogTemplate(DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, short cx = 400, short cy = 300)
    {
        DLGTEMPLATE head{};
        head.style = style;
        head.cx = cx;
        head.cy = cy;
        Put(&head, sizeof(head));
        Word(0); // no menu
        Word(0); // the dialog class
        Text(L"Template dialog");
        if (style & DS_SETFONT) {
            Word(8);
            Text(L"MS Shell Dlg");
        }
        countAt_ = offsetof(DLGTEMPLATE, cdit);
    }

    void Add(const wchar_t* className, DWORD style, DWORD exStyle, short x, short y, short cx, short cy)
    {
        Align();
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD;
        item.dwExtendedStyle = exStyle;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = static_cast<WORD>(100 + count_);
        Put(&item, sizeof(item));
        Text(className);
        Text(L"item");
        Word(0); // no creation data
        ++count_;
        std::memcpy(bytes_.data() + countAt_, &count_, sizeof(WORD));
    }

    // A modeless dialog of the template (owned by owner).
    HWND Create(HWND owner = nullptr) const
    {
        return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()),
                                          owner, &Proc, 0);
    }
    const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

    static INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

private:
    void Put(const void* data, size_t size)
    {
        const auto* p = static_cast<const char*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void Word(WORD w) { Put(&w, sizeof(w)); }
    void Text(const wchar_t* s) { Put(s, (wcslen(s) + 1) * sizeof(wchar_t)); }
    void Align()
    {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    std::vector<char> bytes_;
    size_t countAt_ = 0;
    WORD count_ = 0;
};

// One child window of the dispatch table and what it gets.
struct DialsCase {
    const char* Name;
    const wchar_t* Class;
    DWORD Style;
    DWORD ExStyle;
    TacWrapperKind Kind; // Count: no wrapper
    const wchar_t* Section;
    int PixelHeight = 0;  // made exactly this high before the dialog shows (0: as laid out)
};

inline constexpr TacWrapperKind kNoWrapper = TacWrapperKind::Count;
inline constexpr DWORD kVis = WS_VISIBLE;

// Every class and style of the dispatch; the first-row-wins order is what the cases pin down.
inline const std::vector<DialsCase>& DialsCases()
{
    using K = TacWrapperKind;
    static const std::vector<DialsCase> cases{
        {"text static", L"Static", kVis | SS_LEFT, 0, K::Static, L""},
        {"simple static", L"Static", kVis | SS_SIMPLE, 0, K::Static, L""},
        {"black frame static", L"Static", kVis | SS_BLACKFRAME, 0, K::Static, L""},
        {"etched frame static", L"Static", kVis | SS_ETCHEDFRAME, 0, K::Static, L""},
        {"icon static", L"Static", kVis | SS_ICON, 0, K::Icon, L""},
        {"bitmap static with edge", L"Static", kVis | SS_BITMAP, WS_EX_STATICEDGE, K::Edge, L"EDIT"},
        {"owner-drawn static", L"Static", kVis | SS_OWNERDRAW, 0, kNoWrapper, L""},
        {"grey rectangle static", L"Static", kVis | SS_GRAYRECT, 0, kNoWrapper, L""},
        {"metafile static", L"Static", kVis | SS_ENHMETAFILE, 0, kNoWrapper, L""},
        {"child dialog", L"#32770", kVis | DS_CONTROL, 0, K::TransPanel, L""},
        {"panel", L"TPanel", kVis, 0, K::Panel, L"TRANSPARENT"},
        {"silent paint panel", L"TSilentPaintPanel", kVis, 0, K::Panel, L"GROUPBOX"},
        {"rebar band", L"TRavelBand", kVis, 0, K::Panel, L"TRANSPARENT"},
        {"edit", L"Edit", kVis | WS_BORDER, 0, K::Edit, L"EDIT"},
        {"hidden edit", L"Edit", WS_BORDER, 0, kNoWrapper, L""},
        {"push button", L"Button", kVis | BS_PUSHBUTTON, 0, K::Btn, L""},
        {"default push button", L"Button", kVis | BS_DEFPUSHBUTTON, 0, K::Btn, L""},
        {"check box text left", L"Button", kVis | BS_CHECKBOX | BS_LEFTTEXT, 0, K::CheckBox, L""},
        {"auto three-state", L"Button", kVis | BS_AUTO3STATE, 0, K::CheckBox, L""},
        {"radio button", L"Button", kVis | BS_AUTORADIOBUTTON, 0, K::CheckBox, L""},
        {"group box", L"Button", kVis | BS_GROUPBOX, 0, K::GroupBox, L"GROUPBOX"},
        {"split button", L"Button", kVis | BS_SPLITBUTTON, 0, K::SplitBtn, L""},
        {"command link", L"Button", kVis | BS_COMMANDLINK, 0, K::SplitBtn, L""},
        {"owner-drawn button", L"Button", kVis | BS_OWNERDRAW, 0, kNoWrapper, L""},
        {"default command link", L"Button", kVis | BS_DEFCOMMANDLINK, 0, kNoWrapper, L""},
        {"owner-drawn framework button", L"TButton", kVis | BS_OWNERDRAW, 0, K::Btn, L""},
        {"framework check box", L"TButton", kVis | BS_AUTOCHECKBOX, 0, K::CheckBox, L""},
        {"drop-down list", L"ComboBox", kVis | CBS_DROPDOWNLIST, 0, K::ComboBox, L"COMBOBOX"},
        {"simple combo box", L"ComboBox", kVis | CBS_SIMPLE, 0, K::ComboBox, L"COMBOBOX"},
        {"extended combo box", L"ComboBoxEx32", kVis | CBS_DROPDOWN, 0, K::ComboBox, L"COMBOBOX"},
        {"size grip", L"ScrollBar", kVis | SBS_SIZEGRIP, 0, K::Sizer, L""},
        {"scroll bar", L"ScrollBar", kVis | SBS_VERT, 0, kNoWrapper, L""},
        {"tab control", L"SysTabControl32", kVis, 0, K::TabControl, L"PAGECONTROL"},
        {"owner-drawn tab control", L"SysTabControl32", kVis | TCS_OWNERDRAWFIXED, 0, kNoWrapper, L""},
        {"list view", L"SysListView32", kVis | LVS_REPORT, 0, K::ListView, L"EDIT"},
        {"tree view", L"SysTreeView32", kVis, 0, K::TreeView, L"EDIT"},
        {"up-down", L"msctls_updown32", kVis, 0, K::Spin, L"SPEEDBUTTON_SMALL"},
        {"track bar", L"msctls_trackbar32", kVis, 0, K::Track, L"TRACKBAR"},
        {"list box", L"ListBox", kVis | WS_BORDER, 0, K::Edit, L"EDIT"},
        {"link window", L"Link Window", kVis, 0, K::Link, L""},
        {"system link", L"SysLink", kVis, 0, K::Link, L""},
        {"wrapable tool bar", L"ToolbarWindow32", kVis | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_WRAPABLE, 0, K::ToolBar, L"BAR"},
        {"tool bar", L"ToolbarWindow32", kVis | CCS_NORESIZE | CCS_NOPARENTALIGN, 0, K::ToolBar, L"TRANSPARENT"},
        {"folder browser", L"SHBrowseForFolder", kVis, 0, K::TransPanel, L""},
        {"rebar", L"ReBarWindow32", kVis | CCS_NORESIZE | CCS_NOPARENTALIGN, 0, K::Container, L""},
        {"progress bar", L"msctls_progress32", kVis, 0, K::Container, L""},
        {"hidden progress bar", L"msctls_progress32", 0, 0, kNoWrapper, L""},
        {"search band", L"UniversalSearchBand", kVis, 0, K::Container, L""},
        {"address band", L"Address Band Root", kVis, 0, K::Container, L""},
        {"worker window", L"WorkerW", kVis, 0, K::Container, L""},
        {"search box", L"Search Box", kVis, 0, K::Container, L""},
        {"breadcrumb", L"Breadcrumb Parent", kVis, 0, K::Container, L""},
        {"search field 24 px", L"DirectUIHWND", kVis, 0, K::Search, L"", 24},
        {"direct UI 25 px", L"DirectUIHWND", kVis, 0, kNoWrapper, L"", 25},
        {"notify sink", L"CtrlNotifySink", kVis, 0, kNoWrapper, L""},
        {"unknown class", L"MarlindoOtherClass", kVis, 0, kNoWrapper, L""},
    };
    return cases;
}

// The template of every case, each item at its own place.
inline DialogTemplate DialsTemplate(DWORD dialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_NOFAILCREATE)
{
    DialogTemplate t(dialogStyle, 420, 320);
    const auto& cases = DialsCases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        t.Add(c.Class, c.Style, c.ExStyle, static_cast<short>(4 + (i % 6) * 68), static_cast<short>(4 + (i / 6) * 30),
              64, 26);
    }
    return t;
}
