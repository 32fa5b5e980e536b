// The class-name dispatch of a dialog's child windows: the first row that matches a child's
// lower-case class name and condition says which wrapper it gets, with which section and which
// extras. A row whose wrapper kind has no factory yet wraps nothing.
#include "acDials.h"

#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "acSBUtilsSpin.h"
#include "sCommonData.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <array>

namespace {

// What the rows test of a child window.
struct TacChild {
    HWND Wnd;
    UnicodeString Class; // lower case
    DWORD Style;
    DWORD ExStyle;
    bool Visible;
};

using TacRowTest = bool (*)(const TacChild&);
// Class-specific settings of a new wrapper (for a wrapper class that has fields of its own).
using TacRowSetup = void (*)(TacMainWnd* Wrapper);

// Extras of a row.
enum : unsigned {
    xDlgMode = 1,         // the wrapper's DlgMode is set
    xRepaintByCache = 2,  // repaint only when the dialog's cache bitmap is not empty
    xAllowPaint = 4,      // the dialog's FWMPaintForbidden is cleared (also without a wrapper)
    xOwnerControl = 8,    // the parameters' control is the window's framework control
    xPanelChildren = 16,  // labels transparent, windowed children wrapped, global colour
    xTaggedPanel = 32,    // the control gets Tag 999 first; afterwards an empty caption
};

struct TacRow {
    std::array<const wchar_t*, 7> Classes; // unused slots null
    TacRowTest Test;       // null: every window of the classes
    TacWrapperKind Kind;   // Count: none
    const wchar_t* Section;
    unsigned Extras;
    TacRowSetup Setup;     // null: none
};

constexpr TacWrapperKind kNone = TacWrapperKind::Count;

DWORD StaticType(const TacChild& c) { return c.Style & SS_TYPEMASK; }
bool ImageStatic(const TacChild& c) { return StaticType(c) == SS_ICON || StaticType(c) == SS_BITMAP; }
bool EdgedImageStatic(const TacChild& c) { return ImageStatic(c) && (c.ExStyle & WS_EX_STATICEDGE); }
// Types a static text wrapper would paint wrongly: drawn by the owner or by an enhanced
// metafile, and the grey and white rectangles.
bool UnwrappedStatic(const TacChild& c)
{
    const DWORD type = StaticType(c);
    return type == SS_OWNERDRAW || type == SS_ENHMETAFILE || type == SS_GRAYRECT || type == SS_WHITERECT;
}

DWORD ButtonType(const TacChild& c) { return c.Style & BS_TYPEMASK; }
// Owner-drawn buttons and default command links of the system class stay as they are.
bool UnwrappedButton(const TacChild& c)
{
    return c.Class == L"button" && (ButtonType(c) == BS_OWNERDRAW || ButtonType(c) == BS_DEFCOMMANDLINK);
}
bool CheckButton(const TacChild& c)
{
    switch (ButtonType(c)) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_AUTORADIOBUTTON:
        return true;
    default:
        return false;
    }
}
bool GroupButton(const TacChild& c) { return ButtonType(c) == BS_GROUPBOX; }
bool SplitButton(const TacChild& c) { return ButtonType(c) >= BS_SPLITBUTTON && ButtonType(c) <= BS_DEFCOMMANDLINK; }

bool Visible(const TacChild& c) { return c.Visible; }
// The list of a simple combo box is wrapped by the combo box's own wrapper.
bool ListOfComboBox(const TacChild& c)
{
    const HWND parent = GetParent(c.Wnd);
    return parent && LowerCase(GetWndClassName(parent)) == L"combobox";
}
bool SizeGrip(const TacChild& c) { return (c.Style & SBS_SIZEGRIP) != 0; }
bool NotOwnerDrawnTabs(const TacChild& c) { return (c.Style & TCS_OWNERDRAWFIXED) == 0; }
bool WrapableToolBar(const TacChild& c) { return (c.Style & TBSTYLE_WRAPABLE) != 0; }
// A dialog's up-down leaves two columns at its left to the buddy's border.
void SpinBesideBuddy(TacMainWnd* wrapper)
{
    if (auto* spin = dynamic_cast<TacSpinWnd*>(wrapper)) spin->lOffset = 2;
}
bool SearchBoxHeight(const TacChild& c)
{
    RECT r{};
    return GetWindowRect(c.Wnd, &r) && r.bottom - r.top == 24;
}

const TacRow kRows[] = {
    {{L"static"}, &EdgedImageStatic, TacWrapperKind::Edge, L"EDIT", 0, nullptr},
    {{L"static"}, &ImageStatic, TacWrapperKind::Icon, L"", 0, nullptr},
    {{L"static"}, &UnwrappedStatic, kNone, L"", 0, nullptr},
    {{L"static"}, nullptr, TacWrapperKind::Static, L"", 0, nullptr},
    {{L"#32770"}, nullptr, TacWrapperKind::TransPanel, L"", 0, nullptr},
    {{L"tpanel"}, nullptr, TacWrapperKind::Panel, L"TRANSPARENT", xOwnerControl | xPanelChildren, nullptr},
    // TacPanelWnd's Panel takes the control: its setup comes with the panel wrapper.
    {{L"tsilentpaintpanel"}, nullptr, TacWrapperKind::Panel, L"GROUPBOX", xOwnerControl | xTaggedPanel, nullptr},
    {{L"travelband"}, nullptr, TacWrapperKind::Panel, L"TRANSPARENT", xOwnerControl | xTaggedPanel, nullptr},
    {{L"edit"}, &Visible, TacWrapperKind::Edit, L"EDIT", xRepaintByCache | xDlgMode | xAllowPaint, nullptr},
    {{L"edit"}, nullptr, kNone, L"", xAllowPaint, nullptr},
    {{L"button"}, &UnwrappedButton, kNone, L"", 0, nullptr},
    {{L"button", L"tbutton"}, &CheckButton, TacWrapperKind::CheckBox, L"", 0, nullptr},
    {{L"button", L"tbutton"}, &GroupButton, TacWrapperKind::GroupBox, L"GROUPBOX", 0, nullptr},
    {{L"button", L"tbutton"}, &SplitButton, TacWrapperKind::SplitBtn, L"", 0, nullptr},
    {{L"button", L"tbutton"}, nullptr, TacWrapperKind::Btn, L"", 0, nullptr},
    {{L"combobox"}, nullptr, TacWrapperKind::ComboBox, L"COMBOBOX", xRepaintByCache | xDlgMode | xAllowPaint, nullptr},
    {{L"combolbox"}, &ListOfComboBox, kNone, L"", 0, nullptr},
    {{L"combolbox"}, nullptr, TacWrapperKind::Edit, L"COMBOBOX", xAllowPaint, nullptr},
    {{L"comboboxex32"}, nullptr, TacWrapperKind::ComboBox, L"COMBOBOX", xAllowPaint, nullptr},
    {{L"scrollbar"}, &SizeGrip, TacWrapperKind::Sizer, L"", 0, nullptr},
    {{L"scrollbar"}, nullptr, kNone, L"", 0, nullptr},
    {{L"systabcontrol32"}, &NotOwnerDrawnTabs, TacWrapperKind::TabControl, L"PAGECONTROL", 0, nullptr},
    {{L"syslistview32"}, nullptr, TacWrapperKind::ListView, L"EDIT", xDlgMode, nullptr},
    {{L"systreeview32"}, nullptr, TacWrapperKind::TreeView, L"EDIT", xDlgMode, nullptr},
    {{L"msctls_updown32"}, nullptr, TacWrapperKind::Spin, L"SPEEDBUTTON_SMALL", 0, &SpinBesideBuddy},
    {{L"msctls_trackbar32"}, nullptr, TacWrapperKind::Track, L"TRACKBAR", 0, nullptr},
    {{L"listbox"}, nullptr, TacWrapperKind::Edit, L"EDIT", xDlgMode | xAllowPaint, nullptr},
    {{L"link window", L"syslink"}, nullptr, TacWrapperKind::Link, L"", 0, nullptr},
    {{L"toolbarwindow32"}, &WrapableToolBar, TacWrapperKind::ToolBar, L"BAR", 0, nullptr},
    {{L"toolbarwindow32"}, nullptr, TacWrapperKind::ToolBar, L"TRANSPARENT", 0, nullptr},
    {{L"shbrowseforfolder"}, nullptr, TacWrapperKind::TransPanel, L"", 0, nullptr},
    {{L"rebarwindow32", L"msctls_progress32", L"universalsearchband", L"address band root", L"workerw",
      L"search box", L"breadcrumb parent"},
     &Visible, TacWrapperKind::Container, L"", 0, nullptr},
    {{L"directuihwnd"}, &SearchBoxHeight, TacWrapperKind::Search, L"", 0, nullptr},
};

const TacRow* FindRow(const TacChild& child)
{
    for (const TacRow& row : kRows)
        for (const wchar_t* name : row.Classes)
            if (name && child.Class == name && (!row.Test || row.Test(child))) return &row;
    return nullptr;
}

// acDlgMode is set while a child is wrapped and back to what it was on every way out.
class TacDlgModeScope {
public:
    TacDlgModeScope() : previous_(acDlgMode) { acDlgMode = true; }
    ~TacDlgModeScope() { acDlgMode = previous_; }
    TacDlgModeScope(const TacDlgModeScope&) = delete;
    TacDlgModeScope& operator=(const TacDlgModeScope&) = delete;

private:
    bool previous_;
};

bool CacheNotEmpty(const TacDialogWnd* dialog)
{
    const TBitmap* cache = dialog && dialog->SkinData ? dialog->SkinData->FCacheBmp.get() : nullptr;
    return cache && cache->Width() > 0 && cache->Height() > 0;
}

} // namespace

bool TacProvider::AddControl(HWND Window)
{
    if (!Window) return false;
    if (WndIsSkinned(Window)) return true;
    TacDlgModeScope dlgMode;
    TacChild child{Window, LowerCase(GetWndClassName(Window)), static_cast<DWORD>(GetWindowLongW(Window, GWL_STYLE)),
                   static_cast<DWORD>(GetWindowLongW(Window, GWL_EXSTYLE)), IsWindowVisible(Window) != FALSE};
    if (child.Class == L"ctrlnotifysink") return true;
    const TacRow* row = FindRow(child);
    if (!row) return true;
    if ((row->Extras & xAllowPaint) && ListSW) ListSW->FWMPaintForbidden = false;
    if (row->Kind == kNone) return true;

    TacSkinParams params;
    params.SkinSection = row->Section;
    TWinControl* control = (row->Extras & xOwnerControl) ? FindControl(Window) : nullptr;
    params.Control = control;
    if ((row->Extras & xTaggedPanel) && control) control->SetTag(999);
    const bool repaint = !(row->Extras & xRepaintByCache) || CacheNotEmpty(ListSW.get());
    TsSkinManager* manager = ListSW && ListSW->SkinData ? ListSW->SkinData->GetSkinManager() : DefaultManager;

    TacMainWnd* made = CreateWrapperOfKind(row->Kind, Window, nullptr, manager, params, repaint);
    if (!made) return true;
    std::unique_ptr<TacMainWnd> wrapper(made);
    if (row->Extras & xDlgMode) wrapper->DlgMode = true;
    if (row->Setup) row->Setup(wrapper.get());
    TControl* owner = wrapper->SkinData ? wrapper->SkinData->FOwnerControl : nullptr;
    if ((row->Extras & xPanelChildren) && manager)
        if (auto* panel = dynamic_cast<TWinControl*>(owner)) {
            for (int i = 0; i < panel->ControlCount(); ++i)
                if (auto* label = dynamic_cast<TCustomLabel*>(panel->Controls(i))) {
                    label->Font()->SetColor(manager->GetGlobalFontColor());
                    label->SetTransparent(true);
                }
            for (int i = 0; i < panel->ControlCount(); ++i)
                if (auto* windowed = dynamic_cast<TWinControl*>(panel->Controls(i)); windowed && windowed->HandleAllocated())
                    AddControl(windowed->Handle());
            panel->SetColor(manager->GetGlobalColor());
        }
    if ((row->Extras & xTaggedPanel) && wrapper->SkinData) {
        if (owner) owner->SetCaption(L"");
        wrapper->SkinData->BGChanged = true;
    }
    InitCtrlData(Window, wrapper->ParentWnd, wrapper->WndRect, wrapper->ParentRect, wrapper->WndSize, wrapper->WndPos);
    if (wrapper->SkinData) wrapper->SkinData->FUpdating = false;
    acSkinnedCtrls.push_back(std::move(wrapper));
    return true;
}
