// Grid wrappers: the property tables written from the skin, the kept values given back, the
// data-aware grid's thumb positions, printing, and the extended grid's options and adapter.
#include "acSBUtilsGrid.h"

#include "acSBUtilsProps.h"

#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sGraphUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

using namespace sCommonDataSection;

namespace {

const std::vector<TacGridProp>& BaseProps()
{
    static const std::vector<TacGridProp> props{
        {L"FixedColor", TacGridValue::MainColor},
        {L"TitleFont.Color", TacGridValue::LabelText},
        {L"FixedFont.Color", TacGridValue::LabelText, L"ControlLook"},
        {L"GridFixedLineColor", TacGridValue::Border},
        {L"GridLineColor", TacGridValue::GridLine},
        {L"ControlLook.FixedGradientFrom", TacGridValue::GradientFrom},
        {L"ControlLook.FixedGradientTo", TacGridValue::MainColor},
        {L"ControlLook.FixedGradientMirrorFrom", TacGridValue::MirrorFrom},
        {L"ControlLook.FixedGradientMirrorTo", TacGridValue::MirrorTo},
        {L"SelectionColor", TacGridValue::Highlight},
        {L"SelectionTextColor", TacGridValue::HighlightText},
        {L"GridStyle.Title.StartColor", TacGridValue::GradientFrom},
        {L"GridStyle.Title.EndColor", TacGridValue::MainColor},
        {L"LineColors.FixedColor", TacGridValue::Border},
        {L"LineColors.DataColor", TacGridValue::DataLine},
        {L"LineColors.ShadowColor", TacGridValue::DataLine},
        {L"FooterColor", TacGridValue::GlobalSection},
        {L"FooterCellColor", TacGridValue::GlobalSection},
        {L"TitleColor", TacGridValue::GlobalSection},
        {L"IndicatorIconColor", TacGridValue::SectionFont},
    };
    return props;
}

const std::vector<TacGridProp>& EhProps()
{
    static const std::vector<TacGridProp> props{
        {L"GridLineParams.BrightColor", TacGridValue::BrightLine},
        {L"GridLineParams.DataHorzColor", TacGridValue::GridLine},
        {L"GridLineParams.DataVertColor", TacGridValue::GridLine},
        {L"GridLineParams.DarkColor", TacGridValue::DarkLine},
        {L"IndicatorParams.Color", TacGridValue::MainColor},
        {L"IndicatorParams.HorzLines", TacGridValue::Zero},
        {L"IndicatorParams.VertLines", TacGridValue::Zero},
        {L"IndicatorParams.FillStyle", TacGridValue::Two},
        {L"TitleParams.Color", TacGridValue::MainColor},
        {L"TitleParams.SecondColor", TacGridValue::LightMain},
        {L"TitleParams.FillStyle", TacGridValue::Three},
        {L"TitleParams.VertLineColor", TacGridValue::Border},
        {L"DataGrouping.Color", TacGridValue::LightMain, L"DataGrouping.ParentColor"},
        {L"RowCategories.Color", TacGridValue::LightMain},
        {L"RowCategories.Font.Color", TacGridValue::LabelText},
        {L"RowDetailPanel.Color", TacGridValue::MainColor},
    };
    return props;
}

const wchar_t* const kOptionsEh = L"OptionsEh";
const wchar_t* const kFixed3D = L"dghFixed3D";
const wchar_t* const kEvenRow = L"EvenRowColor";
const wchar_t* const kOddRow = L"OddRowColor";

// A required path exists and, when it is a value, is set.
bool RequirementMet(TObject* control, const wchar_t* path)
{
    if (!path) return true;
    if (!HasPropPath(control, path)) return false;
    const auto value = GetOrdPath(control, path);
    return !value || *value != 0;
}

std::vector<std::optional<int64_t>> ReadAll(TObject* control, const std::vector<TacGridProp>& table)
{
    std::vector<std::optional<int64_t>> values;
    values.reserve(table.size());
    for (const TacGridProp& p : table) values.push_back(GetOrdPath(control, p.Path));
    return values;
}

} // namespace

TColor GridSkinValue(TacGridValue V, TsSkinManager* Manager, int SkinIndex)
{
    if (!Manager) return 0;
    const TColor main = Manager->Palette[pcMainColor];
    const TColor edit = Manager->GetActiveEditColor();
    const TacSkinData* skin = Data96(Manager);
    switch (V) {
    case TacGridValue::MainColor: return main;
    case TacGridValue::LabelText: return Manager->Palette[pcLabelText];
    case TacGridValue::Border: return Manager->Palette[pcBorder];
    case TacGridValue::GridLine: return Manager->Palette[pcGrid];
    case TacGridValue::GradientFrom: return BlendColors(main, edit, 127);
    case TacGridValue::MirrorFrom: return BlendColors(main, clBlack, 243);
    case TacGridValue::MirrorTo: return BlendColors(main, clWhite, 230);
    case TacGridValue::Highlight: return Manager->GetHighLightColor(true);
    case TacGridValue::HighlightText: return Manager->GetHighLightFontColor(true);
    case TacGridValue::DataLine: return BlendColors(edit, Manager->GetActiveEditFontColor(), 205);
    case TacGridValue::GlobalSection: {
        const TsGeneralData* global = SectionOf(skin, Manager->SkinCommonInfo.IndexGlobalInfo);
        return global ? global->Props[0].Color : main;
    }
    case TacGridValue::SectionFont: {
        const TsGeneralData* section = SectionOf(skin, SkinIndex);
        return section ? section->Props[0].FontColor.Color : Manager->Palette[pcLabelText];
    }
    case TacGridValue::LightMain: return BlendColors(clWhite, main, 26);
    case TacGridValue::BrightLine: return BlendColors(clWhite, edit, 51);
    case TacGridValue::DarkLine: return BlendColors(clBlack, Manager->GetGlobalColor(), 77);
    case TacGridValue::Zero: return 0;
    case TacGridValue::Two: return 2;
    case TacGridValue::Three: return 3;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// TacGridWnd

std::vector<TacGridProp> TacGridWnd::Props() const { return BaseProps(); }

bool TacGridWnd::DataAware() { return HasProperty(OwnerControl(), L"DataSource"); }

void TacGridWnd::SaveStdParams()
{
    TacEditWnd::SaveStdParams();
    Saved = ReadAll(OwnerControl(), Props());
}

void TacGridWnd::RestoreStdParams()
{
    TacEditWnd::RestoreStdParams();
    TControl* control = OwnerControl();
    if (!control || control->ComponentState().Contains(csDestroying)) return;
    const std::vector<TacGridProp> table = Props();
    for (size_t i = 0; i < table.size() && i < Saved.size(); ++i)
        if (Saved[i]) SetIntPathIfExists(control, table[i].Path, *Saved[i]);
}

void TacGridWnd::ApplyProps(const std::vector<TacGridProp>& Table)
{
    TControl* control = OwnerControl();
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    if (!control || !manager) return;
    for (const TacGridProp& p : Table)
        if (HasPropPath(control, p.Path) && RequirementMet(control, p.Requires))
            SetIntPathIfExists(control, p.Path, GridSkinValue(p.Value, manager, SkinData->SkinIndex));
}

void TacGridWnd::SetSkinParams()
{
    TacEditWnd::SetSkinParams();
    if (Destroyed || !SkinnedNow()) return;
    ApplyProps(Props());
}

void TacGridWnd::PrintGrid(TMessage& Message)
{
    InitCtrlData(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    if (!ParamsChanged) SetSkinParams();
    PrepareCache(SkinData, CtrlHandle, DlgMode);
    const auto dc = reinterpret_cast<HDC>(Message.WParam);
    TBitmap* cache = SkinData->FCacheBmp.get();
    if (!dc || !cache || cache->Empty()) return;
    // The client less the shown bars, printed by the grid itself.
    RECT client{};
    GetClientRect(CtrlHandle, &client);
    const TRect inner = ClientRect();
    if (client.right > 0 && client.bottom > 0) {
        TBitmap bmp(client.right, client.bottom, pf32bit);
        LPARAM flags = PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN;
        CallPrevWndProc(CtrlHandle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bmp.Canvas()->Handle()), flags);
        BitBlt(cache->Canvas()->Handle(), inner.Left, inner.Top, client.right, client.bottom, bmp.Canvas()->Handle(), 0,
               0, SRCCOPY);
    }
    BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    PaintFrame(dc);
}

void TacGridWnd::acWndProc(TMessage& Message)
{
    const bool skinned = !Destroyed && SkinData && SkinnedNow();
    if (skinned) {
        switch (Message.Msg) {
        case WM_ERASEBKGND:
            if (SkinData->FUpdating) return;
            break;
        case WM_VSCROLL:
            if (DataAware()) {
                const int code = LOWORD(Message.WParam);
                if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
                    SetScrollPos(CtrlHandle, SB_VERT, HIWORD(Message.WParam), FALSE);
                } else if (code == SB_ENDSCROLL) {
                    // The grid reads the system position only when it has one to go to.
                    SendScrollMessage(CtrlHandle, WM_VSCROLL, SB_THUMBPOSITION, GetScrollPos(CtrlHandle, SB_VERT),
                                      false);
                }
            }
            break;
        case WM_LBUTTONUP:
            if (sBarVert && sBarVert->fScrollVisible) {
                TacEditWnd::acWndProc(Message);
                if (!Destroyed) ac_NCDraw(this, CtrlHandle, -1, nullptr);
                return;
            }
            break;
        case WM_PRINT:
            PrintGrid(Message);
            return;
        default: break;
        }
    }
    TacEditWnd::acWndProc(Message);
    if (!skinned || Destroyed || !SkinData) return;
    switch (Message.Msg) {
    case WM_PAINT: UpdateScrolls(this, true); break;
    case WM_WINDOWPOSCHANGED:
        if (IsWindowVisible(CtrlHandle)) RefreshFrame(CtrlHandle, true);
        break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------
// TacGridEhWnd

std::vector<TacGridProp> TacGridEhWnd::Props() const
{
    std::vector<TacGridProp> props = BaseProps();
    props.insert(props.end(), EhProps().begin(), EhProps().end());
    return props;
}

void TacGridEhWnd::SaveStdParams()
{
    TacGridWnd::SaveStdParams();
    TControl* control = OwnerControl();
    Fixed3D = SetPathHasElement(control, kOptionsEh, kFixed3D);
    evenRowColor_ = GetOrdPath(control, kEvenRow);
    oddRowColor_ = GetOrdPath(control, kOddRow);
}

void TacGridEhWnd::RestoreStdParams()
{
    TacGridWnd::RestoreStdParams();
    TControl* control = OwnerControl();
    if (!control || control->ComponentState().Contains(csDestroying)) return;
    SetPathElement(control, kOptionsEh, kFixed3D, Fixed3D);
    if (evenRowColor_) SetIntPathIfExists(control, kEvenRow, *evenRowColor_);
    if (oddRowColor_) SetIntPathIfExists(control, kOddRow, *oddRowColor_);
}

void TacGridEhWnd::SetSkinParams()
{
    TacGridWnd::SetSkinParams();
    TControl* control = OwnerControl();
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    if (Destroyed || !control || !manager || !SkinnedNow()) return;
    if (acThemesEnabled()) SetPathElement(control, kOptionsEh, kFixed3D, false);
    // A grid that shows no stripes keeps showing none.
    if (evenRowColor_ && oddRowColor_ && *evenRowColor_ != *oddRowColor_) {
        SetIntPathIfExists(control, kEvenRow, manager->Palette[pcEditBG_EvenRow]);
        SetIntPathIfExists(control, kOddRow, manager->Palette[pcEditBG_OddRow]);
    }
    AddToFormAdapter();
}

void TacGridEhWnd::AddToFormAdapter()
{
    if (auto* control = dynamic_cast<TWinControl*>(OwnerControl())) AddToAdapter(control);
}

void TacGridEhWnd::acWndProc(TMessage& Message)
{
    TacGridWnd::acWndProc(Message);
    if (Destroyed || !SkinData || !SkinnedNow()) return;
    if (Message.Msg == WM_WINDOWPOSCHANGED && IsWindowVisible(CtrlHandle) && Message.LParam &&
        (reinterpret_cast<WINDOWPOS*>(Message.LParam)->flags & SWP_FRAMECHANGED))
        AddToFormAdapter();
    else if (Message.Msg == WM_PARENTNOTIFY && LOWORD(Message.WParam) == WM_CREATE && SkinManager &&
             SkinManager->SkinningRules().Contains(srThirdParty))
        AddToFormAdapter();
}
