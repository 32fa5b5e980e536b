// The list-view wrapper's life, colours and window method: the list's colours set from the skin and
// given back, the header taken over and given back, thumb drags turned into LVM_SCROLL, and the
// header printed with the list.
#include "acSBUtilsListView.h"

#include "ComCtrls.h"
#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <commctrl.h>

#include <algorithm>

using namespace sCommonDataSection;

// ---------------------------------------------------------------------------------------------
// The header's procedure

class TacHeaderRelay : public TObject {
public:
    TacHeaderRelay(TacListViewWnd* owner, HWND header) : Owner(owner), Header(header)
    {
        Instance = MakeObjectInstance(TWndMethod(this, &TacHeaderRelay::Dispatch));
    }
    ~TacHeaderRelay() override { FreeObjectInstance(Instance); }
    TacHeaderRelay(const TacHeaderRelay&) = delete;
    TacHeaderRelay& operator=(const TacHeaderRelay&) = delete;
    UnicodeString ClassName() const override { return L"TacHeaderRelay"; }

    void Dispatch(TMessage& message)
    {
        if (Owner)
            Owner->HeaderWndProc(message);
        else
            message.Result = CallWindowProcW(Def, Header, message.Msg, message.WParam, message.LParam);
        if (message.Msg != WM_NCDESTROY) return;
        // The header is gone: nobody calls this relay again.
        if (Owner) {
            Owner->FhWndHeader = nullptr;
            Owner->FhDefHeaderProc = nullptr;
            Owner->FhHeaderProc = nullptr;
            Owner->headerRelay_ = nullptr;
        }
        delete this;
    }

    TacListViewWnd* Owner;
    HWND Header;
    WNDPROC Def = nullptr;
    WNDPROC Instance = nullptr;
};

namespace {

bool IsHeaderWindow(HWND wnd)
{
    wchar_t name[32] = {};
    return wnd && GetClassNameW(wnd, name, static_cast<int>(std::size(name))) > 0 && lstrcmpiW(name, WC_HEADERW) == 0;
}

TColor FromColorRef(LRESULT value) { return static_cast<TColor>(static_cast<COLORREF>(value)); }

void SetListColor(HWND wnd, UINT msg, UINT getMsg, TColor color)
{
    const auto rgb = static_cast<COLORREF>(ColorToRGB(color));
    if (getMsg && static_cast<COLORREF>(SendMessageW(wnd, getMsg, 0, 0)) == rgb) return;
    SendMessageW(wnd, msg, 0, static_cast<LPARAM>(rgb));
}

} // namespace

void TacListViewWnd::SubclassHeader(HWND Header)
{
    if (!IsHeaderWindow(Header)) return;
    if (FhWndHeader == Header && headerRelay_) return;
    GiveBackHeader();
    auto* relay = new TacHeaderRelay(this, Header);
    relay->Def = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Header, GWLP_WNDPROC));
    SetWindowLongPtrW(Header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(relay->Instance));
    headerRelay_ = relay;
    FhWndHeader = Header;
    FhDefHeaderProc = relay->Def;
    FhHeaderProc = relay->Instance;
    InvalidateRect(Header, nullptr, TRUE);
}

void TacListViewWnd::GiveBackHeader()
{
    TacHeaderRelay* relay = headerRelay_;
    headerRelay_ = nullptr;
    const HWND header = FhWndHeader;
    FhWndHeader = nullptr;
    FhDefHeaderProc = nullptr;
    FhHeaderProc = nullptr;
    HoverColIndex = FPressedColumn = -1;
    if (!relay) return;
    if (IsWindow(header) && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(header, GWLP_WNDPROC)) == relay->Instance) {
        SetWindowLongPtrW(header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(relay->Def));
        delete relay;
        InvalidateRect(header, nullptr, TRUE);
    } else if (IsWindow(header)) {
        // Someone chained to our procedure: it stays as a pass-through until the header goes.
        relay->Owner = nullptr;
    } else {
        delete relay;
    }
}

TacListViewWnd::~TacListViewWnd() { GiveBackHeader(); }

// ---------------------------------------------------------------------------------------------
// Life and colours

void TacListViewWnd::AfterCreation()
{
    if (SkinData) SkinData->COC = 10;
    TacEditWnd::AfterCreation();
    HoverColIndex = FPressedColumn = -1;
    if (!FhWndHeader) SubclassHeader(FindWindowExW(CtrlHandle, nullptr, WC_HEADERW, nullptr));
}

void TacListViewWnd::SaveStdParams()
{
    TacEditWnd::SaveStdParams();
    if (TControl* control = OwnerControl()) {
        StdColor = control->Color();
        StdFontColor = control->Font()->Color();
    } else if (CtrlHandle) {
        StdColor = FromColorRef(SendMessageW(CtrlHandle, LVM_GETBKCOLOR, 0, 0));
        StdFontColor = FromColorRef(SendMessageW(CtrlHandle, LVM_GETTEXTCOLOR, 0, 0));
    }
}

void TacListViewWnd::RestoreStdParams()
{
    GiveBackHeader();
    TacEditWnd::RestoreStdParams();
    if (!CtrlHandle || !IsWindow(CtrlHandle)) return;
    TControl* control = OwnerControl();
    if (control && !control->ComponentState().Contains(csDestroying)) {
        // The skin never wrote a list's font colour into the control: its own comes back, not the
        // window-text colour of the edits.
        control->Font()->SetColor(StdFontColor);
        control->SetColor(StdColor);
    }
    SendMessageW(CtrlHandle, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(StdFontColor)));
    SendMessageW(CtrlHandle, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(StdColor)));
    // The background as well: a foreign list would keep the skin's colour after the skin went.
    SendMessageW(CtrlHandle, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(StdColor)));
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE);
}

void TacListViewWnd::SetSkinParams()
{
    TacEditWnd::SetSkinParams();
    if (!CtrlHandle || !SkinData) return;
    if (DlgMode) {
        SetListColor(CtrlHandle, LVM_SETBKCOLOR, LVM_GETBKCOLOR, clWindow);
        SetListColor(CtrlHandle, LVM_SETTEXTBKCOLOR, LVM_GETTEXTBKCOLOR, clWindow);
        SetListColor(CtrlHandle, LVM_SETTEXTCOLOR, LVM_GETTEXTCOLOR, clWindowText);
        return;
    }
    TsSkinManager* manager = SkinData->GetSkinManager();
    if (!manager || !manager->IsValidSkinIndex(SkinData->SkinIndex)) return;
    const TsGeneralData* section = SectionOf(SkinData->GetCommonSkinData(), SkinData->SkinIndex);
    if (!section) return;
    const int state = ControlIsActive(SkinData) && section->States > 1 ? 1 : 0;
    const TsGenState& props = section->Props[static_cast<size_t>(state)];
    if (!SkinData->CustomColor()) {
        SetListColor(CtrlHandle, LVM_SETBKCOLOR, LVM_GETBKCOLOR, props.Color);
        SetListColor(CtrlHandle, LVM_SETTEXTBKCOLOR, LVM_GETTEXTBKCOLOR, props.Color);
    }
    if (!SkinData->CustomFont()) SetListColor(CtrlHandle, LVM_SETTEXTCOLOR, LVM_GETTEXTCOLOR, props.FontColor.Color);
}

int TacListViewWnd::ViewStyle() const
{
    if (auto* list = dynamic_cast<TListView*>(OwnerControl())) return static_cast<int>(list->ViewStyle());
    switch (SendMessageW(CtrlHandle, LVM_GETVIEW, 0, 0)) {
    case LV_VIEW_DETAILS: return 3;
    case LV_VIEW_SMALLICON: return 1;
    case LV_VIEW_LIST: return 2;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Window method

void TacListViewWnd::ThumbTrack(TMessage& Message)
{
    // The engine's full position comes in LParam (this wrapper answers "before scroll" with 1).
    const int pos = Message.LParam ? static_cast<int>(Message.LParam) : HIWORD(Message.WParam);
    const int diff = pos - nLastSBPos;
    Message.Result = 0;
    if (diff == 0) return;
    const int view = ViewStyle();
    if (Message.Msg == WM_HSCROLL) {
        const int dx = view == 2 ? diff * static_cast<int>(SendMessageW(CtrlHandle, LVM_GETCOLUMNWIDTH, 0, 0)) : diff;
        SendMessageW(CtrlHandle, LVM_SCROLL, static_cast<WPARAM>(dx), 0);
        return;
    }
    int dy = diff;
    if (view == 3 && SendMessageW(CtrlHandle, LVM_ISGROUPVIEWENABLED, 0, 0) == 0) {
        RECT item{LVIR_BOUNDS, 0, 0, 0};
        if (SendMessageW(CtrlHandle, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)))
            dy *= std::max<int>(1, item.bottom - item.top);
    }
    SendMessageW(CtrlHandle, LVM_SCROLL, 0, static_cast<LPARAM>(dy));
}

bool TacListViewWnd::ResetColumns()
{
    if (HoverColIndex < 0 && FPressedColumn < 0) return false;
    HoverColIndex = FPressedColumn = -1;
    return true;
}

void TacListViewWnd::RepaintHeader()
{
    if (FhWndHeader) RedrawWindow(FhWndHeader, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TacListViewWnd::PrintHeader(HDC DC)
{
    if (!DC || !FhWndHeader || !IsWindowVisible(FhWndHeader)) return;
    RECT hr{};
    GetWindowRect(FhWndHeader, &hr);
    RECT wr{};
    GetWindowRect(CtrlHandle, &wr);
    const int w = hr.right - hr.left, h = hr.bottom - hr.top;
    if (w <= 0 || h <= 0) return;
    TBitmap bmp(w, h, pf32bit);
    PaintHeader(bmp.Canvas()->Handle());
    // Clipped to the client less the bars.
    const TRect client = ClientRect();
    const int saved = SaveDC(DC);
    IntersectClipRect(DC, client.Left, client.Top, client.Right, client.Bottom);
    BitBlt(DC, hr.left - wr.left, hr.top - wr.top, w, h, bmp.Canvas()->Handle(), 0, 0, SRCCOPY);
    RestoreDC(DC, saved);
}

void TacListViewWnd::acWndProc(TMessage& Message)
{
    const bool skinned = !Destroyed && SkinData && SkinnedNow();
    if (skinned) {
        switch (Message.Msg) {
        case WM_HSCROLL:
            if (LOWORD(Message.WParam) == SB_THUMBTRACK) {
                ThumbTrack(Message);
                return;
            }
            Message.LParam = 0;
            break;
        case WM_VSCROLL:
            if (LOWORD(Message.WParam) == SB_THUMBTRACK) {
                ThumbTrack(Message);
                return;
            }
            Message.LParam = 0;
            break;
        case WM_PAINT:
            SelectCtrlFont(this, false);
            SetSkinParams();
            break;
        case WM_NCHITTEST:
            if (ResetColumns()) RepaintHeader();
            break;
        case WM_NCPAINT: Message.Result = 0; break;
        case WM_PRINT: {
            InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
            if (!ParamsChanged) SetSkinParams();
            const auto dc = reinterpret_cast<HDC>(Message.WParam);
            if (dc && (Message.LParam & PRF_CLIENT)) {
                const TRect client = ClientRect();
                HBRUSH brush = CreateSolidBrush(
                    static_cast<COLORREF>(SendMessageW(CtrlHandle, LVM_GETBKCOLOR, 0, 0)) & 0xFFFFFF);
                const RECT r{client.Left, client.Top, client.Right, client.Bottom};
                FillRect(dc, &r, brush);
                DeleteObject(brush);
            }
            TacEditWnd::acWndProc(Message);
            if (dc && (Message.LParam & PRF_CLIENT) && ViewStyle() == 3) PrintHeader(dc);
            return;
        }
        case SM_ALPHACMD:
            switch (AlphaCmdCode(Message.WParam)) {
            case AC_REFRESH:
                if (RefreshNeeded(SkinData, Message)) {
                    TacEditWnd::acWndProc(Message);
                    RepaintHeader();
                    return;
                }
                break;
            case AC_GETSKININDEXREC:
                if (acCommandPointerTrusted(Message))
                    reinterpret_cast<TacSkinIndexRec*>(Message.LParam)->SkinIndex = SkinData->SkinIndex;
                return;
            case AC_MOUSELEAVE:
                TacEditWnd::acWndProc(Message);
                if (ResetColumns()) RepaintHeader();
                return;
            case AC_BEGINSCROLL: Message.Result = 1; return;
            default: break;
            }
            break;
        default: break;
        }
    }

    TacEditWnd::acWndProc(Message);
    if (Destroyed || !SkinData) return;
    switch (Message.Msg) {
    case WM_PARENTNOTIFY:
        if (LOWORD(Message.WParam) == WM_CREATE) SubclassHeader(reinterpret_cast<HWND>(Message.LParam));
        break;
    case WM_SIZE:
        SkinData->BGChanged = true;
        if (skinned && !SkinData->FUpdating && IsWindowVisible(CtrlHandle)) {
            InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
            PrepareCache(SkinData, CtrlHandle, DlgMode);
            RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (skinned) SetSkinParams();
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == CtrlHandle) ReleaseCapture();
        break;
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
    case LVM_ARRANGE:
        if (!SkinData->FUpdating) UpdateScrolls(this, true);
        break;
    default: break;
    }
}
