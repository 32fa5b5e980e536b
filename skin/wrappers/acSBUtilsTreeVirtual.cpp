// Virtual-tree wrapper: the tree's colour properties from the skin and back, its header drawn by
// the wrapper through the tree's two header events, and the header's height kept out of the
// client area the edit wrapper paints around.
#include "acSBUtilsTree.h"

#include "acSBUtilsProps.h"

#include "sCommonData.h"
#include "sCommonDataSection.h"
#include "sGraphUtilsArrows.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTextEx.h"
#include "sSkinManager.h"
#include "sVclUtils.h"

#include <array>

using namespace sCommonDataSection;

namespace {

enum class TreeValue { SectionText, Highlight, HighlightUnfocused, HighlightText, EditText, Global, One, EditColor, GlobalText };

struct TreeProp {
    const wchar_t* Path;
    TreeValue Value;
};

constexpr std::array<TreeProp, 14> kTreeProps{{
    {L"VETColors.CompressedTextColor", TreeValue::SectionText},
    {L"VETColors.FileTextColor", TreeValue::SectionText},
    {L"VETColors.FolderTextColor", TreeValue::SectionText},
    {L"Colors.FocusedSelectionColor", TreeValue::Highlight},
    {L"Colors.FocusedSelectionBorderColor", TreeValue::Highlight},
    {L"Colors.UnfocusedSelectionColor", TreeValue::HighlightUnfocused},
    {L"Colors.UnfocusedSelectionBorderColor", TreeValue::HighlightUnfocused},
    {L"Colors.SelectionTextColor", TreeValue::HighlightText},
    {L"Colors.HotColor", TreeValue::EditText},
    {L"PaintInfoColumn.Color", TreeValue::Global},
    {L"PaintInfoColumn.Style", TreeValue::One},
    {L"Header.Color", TreeValue::EditColor},
    {L"Header.Font.Color", TreeValue::GlobalText},
    {L"Header.Height", TreeValue::One}, // read only: the client computation uses it
}};
constexpr size_t kWritten = kTreeProps.size() - 1;

const wchar_t* const kHeaderOptions = L"Header.Options";
const wchar_t* const kOnDraw = L"OnAdvancedHeaderDraw";
const wchar_t* const kOnQuery = L"OnHeaderDrawQueryElements";

int64_t TreeSkinValue(TreeValue v, TsSkinManager* m, TsCommonData* data)
{
    switch (v) {
    case TreeValue::SectionText: {
        const TsGeneralData* section = SectionOf(data->GetCommonSkinData(), data->SkinIndex);
        return section ? section->Props[0].FontColor.Color : m->GetActiveEditFontColor();
    }
    case TreeValue::Highlight: return m->GetHighLightColor(true);
    case TreeValue::HighlightUnfocused: return m->GetHighLightColor(false);
    case TreeValue::HighlightText: return m->GetHighLightFontColor(true);
    case TreeValue::EditText: return m->GetActiveEditFontColor();
    case TreeValue::Global: return m->GetGlobalColor();
    case TreeValue::One: return 1;
    case TreeValue::EditColor: return m->GetActiveEditColor();
    case TreeValue::GlobalText: return m->GetGlobalFontColor();
    }
    return 0;
}

} // namespace

void TacVirtualTreeViewWnd::InitSkinData()
{
    TacEditWnd::InitSkinData();
    SkinData->COC = 232;
}

void TacVirtualTreeViewWnd::SaveStdParams()
{
    TacEditWnd::SaveStdParams();
    TControl* control = OwnerControl();
    saved_.clear();
    for (const TreeProp& p : kTreeProps) saved_.push_back(GetOrdPath(control, p.Path));
    OwnerDraw = SetPathHasElement(control, kHeaderOptions, L"hoOwnerDraw");
}

void TacVirtualTreeViewWnd::SetSkinParams()
{
    TacEditWnd::SetSkinParams();
    TControl* control = OwnerControl();
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    if (Destroyed || !control || !manager || !SkinnedNow()) return;
    for (size_t i = 0; i < kWritten; ++i)
        SetIntPathIfExists(control, kTreeProps[i].Path, TreeSkinValue(kTreeProps[i].Value, manager, SkinData));
    SetEventPathIfExists(control, kOnDraw,
                         TVTHeaderPaintEvent([this](TObject* s, THeaderPaintInfo& i, const THeaderPaintElements& e) {
                             AdvancedHeaderDraw(s, i, e);
                         }));
    SetEventPathIfExists(control, kOnQuery,
                         TVTHeaderPaintQueryElementsEvent([this](TObject* s, THeaderPaintInfo& i, THeaderPaintElements& e) {
                             HeaderDrawQueryElements(s, i, e);
                         }));
    SetPathElement(control, kHeaderOptions, L"hoOwnerDraw", true);
}

void TacVirtualTreeViewWnd::RestoreStdParams()
{
    TacEditWnd::RestoreStdParams();
    TControl* control = OwnerControl();
    if (!control || control->ComponentState().Contains(csDestroying)) return;
    for (size_t i = 0; i < kWritten && i < saved_.size(); ++i)
        if (saved_[i]) SetIntPathIfExists(control, kTreeProps[i].Path, *saved_[i]);
    SetEventPathIfExists(control, kOnDraw, std::any());
    SetEventPathIfExists(control, kOnQuery, std::any());
    SetPathElement(control, kHeaderOptions, L"hoOwnerDraw", OwnerDraw);
    SetIntPathIfExists(control, L"PaintInfoColumn.Themed", 1);
}

void TacVirtualTreeViewWnd::HeaderDrawQueryElements(TObject*, THeaderPaintInfo&, THeaderPaintElements& Elements)
{
    Elements = THeaderPaintElements{hpeBackground, hpeDropMark, hpeSortGlyph, hpeText};
}

void TacVirtualTreeViewWnd::AdvancedHeaderDraw(TObject*, THeaderPaintInfo& PaintInfo, const THeaderPaintElements&)
{
    TsSkinManager* manager = SkinData ? SkinData->GetSkinManager() : nullptr;
    TacSkinData* skin = SkinData ? SkinData->GetCommonSkinData() : nullptr;
    const TRect r = PaintInfo.PaintRectangle;
    if (!manager || !skin || !PaintInfo.TargetCanvas || r.Width() <= 0 || r.Height() <= 0) return;
    const int state = PaintInfo.IsDownIndex ? 2 : PaintInfo.IsHoverIndex ? 1 : 0;
    TBitmap bmp(r.Width(), r.Height(), pf32bit);
    const int used = PaintSection(&bmp, manager->SkinCommonInfo.Sections[ssColHeader],
                                  manager->SkinCommonInfo.Sections[ssButton], state, skin, TPoint(0, 0),
                                  manager->GetActiveEditColor(), nullptr);
    const TsGeneralData* section = SectionOf(skin, used);
    const bool shift = state == 2 && section && section->ShiftOnClick;
    if (TPersistent* column = PaintInfo.Column) {
        const TControl* control = OwnerControl();
        TObject* header = GetObjProp(const_cast<TControl*>(control), L"Header");
        if (auto* font = dynamic_cast<TFont*>(GetObjProp(header, L"Font"))) bmp.Canvas()->Font()->Assign(font);
        TRect tr(4, 0, r.Width() - 4, r.Height());
        if (shift) tr.Offset(1, 1);
        const bool wrap = SetPathHasElement(column, L"Options", L"coWrapCaption");
        const UINT flags = DT_VCENTER | DT_END_ELLIPSIS | (wrap ? DT_WORDBREAK : DT_SINGLELINE);
        if (PaintInfo.ShowSortGlyph) {
            const TacSide side = GetIntPathIfExists(header, L"SortDirection") != 0 ? asBottom : asTop;
            TRect ar(tr.Right - 12, 0, tr.Right, r.Height());
            DrawColorArrow(&bmp, section ? section->Props[static_cast<size_t>(ClampState(*section, state))].FontColor.Color
                                         : clBtnText,
                           ar, side, 96);
            tr.Right -= 14;
        }
        const TPropInfo* info = nullptr;
        TObject* holder = ResolvePropPath(column, L"Text", info);
        const UnicodeString text = holder && info && info->GetStr ? info->GetStr(dynamic_cast<TPersistent*>(holder)) : L"";
        acWriteTextEx(bmp.Canvas(), text, true, tr, flags, used, state != 0, manager);
    }
    BitBlt(PaintInfo.TargetCanvas->Handle(), r.Left, r.Top, r.Width(), r.Height(), bmp.Canvas()->Handle(), 0, 0, SRCCOPY);
}

int TacVirtualTreeViewWnd::HeaderHeight()
{
    TControl* control = OwnerControl();
    if (!SetPathHasElement(control, kHeaderOptions, L"hoVisible")) return 0;
    return static_cast<int>(GetIntPathIfExists(control, L"Header.Height"));
}

void TacVirtualTreeViewWnd::acWndProc(TMessage& Message)
{
    // The header lies in the frame above the client: the border is painted around both.
    if (FClientRect.Top < 0 && CtrlHandle && SkinData && !Destroyed) {
        FClientRect = ClientRect();
        FClientRect.Top -= HeaderHeight();
    }
    TacEditWnd::acWndProc(Message);
}
