// The one table of wrapper factories, by wrapper kind. A wrapper family that is built puts its
// factory on its kind's line; every dispatch row and kind-table entry of the kind uses it.
#include "acDials.h"
#include "acSBUtilsButtons.h"
#include "acSBUtilsCombo.h"
#include "acSBUtilsEdit.h"
#include "acSBUtilsGrid.h"
#include "acSBUtilsListView.h"
#include "acSBUtilsMenu.h"
#include "acSBUtilsScrollBar.h"
#include "acSBUtilsSpin.h"
#include "acSBUtilsStatic.h"
#include "acSBUtilsTabs.h"
#include "acSBUtilsTrack.h"
#include "acSBUtilsTree.h"

namespace {

std::array<TacWrapperFactory, acWrapperKindCount>& Factories()
{
    static std::array<TacWrapperFactory, acWrapperKindCount> factories{
        &WrapperFactory<TacEditWnd>, // Edit
        &WrapperFactory<TacListViewWnd>, // ListView
        &WrapperFactory<TacComboBoxWnd>, // ComboBox
        &WrapperFactory<TacGridWnd>, // Grid
        &WrapperFactory<TacGridEhWnd>, // GridEh
        &WrapperFactory<TacTreeViewWnd>, // TreeView
        &WrapperFactory<TacVirtualTreeViewWnd>, // VirtualTreeView
        &WrapperFactory<TacStaticWnd>, // Static
        &WrapperFactory<TacBtnWnd>, // Btn
        &WrapperFactory<TacBitBtnWnd>, // BitBtn
        &WrapperFactory<TacButtonWnd>, // Button
        &WrapperFactory<TacSplitBtnWnd>, // SplitBtn
        nullptr, // CheckBox: TacCheckBoxWnd
        nullptr, // GroupBox: TacGroupBoxWnd
        nullptr, // TransPanel: TacTransPanelWnd
        nullptr, // Sizer: TacSizerWnd
        nullptr, // ToolBar: TacToolBarWnd
        &WrapperFactory<TacTabControlWnd>, // TabControl
        &WrapperFactory<TacPageControlWnd>, // PageControl
        &WrapperFactory<TacSpinWnd>, // Spin
        &WrapperFactory<TacSBWnd>, // SB
        &WrapperFactory<TacMnuWnd>, // Mnu
        nullptr, // ToolBarVCL: TacToolBarVCLWnd
        nullptr, // StatusBar: TacStatusBarWnd
        &WrapperFactory<TacTrackWnd>, // Track
        nullptr, // Panel: TacPanelWnd
        nullptr, // Container: TacContainerWnd
        nullptr, // Search: TacSearchWnd
        nullptr, // ScrollBox: TacScrollBoxWnd
        nullptr, // NativePaint: TacNativePaint
        nullptr, // Link: TacLinkWnd
        nullptr, // Icon: TacIconWnd
        nullptr, // Edge: TacEdgeWnd
        nullptr, // StaticText: TacStaticTextWnd
        nullptr, // WWComboBox: TacWWComboBoxWnd
    };
    return factories;
}

// Indexed by TacThirdPartyTypes.
constexpr std::array<TacWrapperKind, acThirdPartyTypesCount> kThirdPartyKinds{
    TacWrapperKind::Edit,        TacWrapperKind::Button,          TacWrapperKind::BitBtn,
    TacWrapperKind::CheckBox,    TacWrapperKind::ComboBox,        TacWrapperKind::Grid,
    TacWrapperKind::GroupBox,    TacWrapperKind::ListView,        TacWrapperKind::Panel,
    TacWrapperKind::TreeView,    TacWrapperKind::WWComboBox,      TacWrapperKind::GridEh,
    TacWrapperKind::VirtualTreeView, TacWrapperKind::PageControl, TacWrapperKind::TabControl,
    TacWrapperKind::ToolBarVCL,  TacWrapperKind::StatusBar,       TacWrapperKind::Edit,
    TacWrapperKind::ScrollBox,   TacWrapperKind::Spin,            TacWrapperKind::SB,
    TacWrapperKind::StaticText,  TacWrapperKind::NativePaint,
};

bool ValidKind(TacWrapperKind kind)
{
    return static_cast<int>(kind) >= 0 && static_cast<int>(kind) < acWrapperKindCount;
}

} // namespace

TacWrapperFactory acWrapperFactory(TacWrapperKind Kind)
{
    return ValidKind(Kind) ? Factories()[static_cast<size_t>(Kind)] : nullptr;
}

TacWrapperFactory acSetWrapperFactory(TacWrapperKind Kind, TacWrapperFactory Factory)
{
    if (!ValidKind(Kind)) return nullptr;
    TacWrapperFactory& slot = Factories()[static_cast<size_t>(Kind)];
    const TacWrapperFactory previous = slot;
    slot = Factory;
    return previous;
}

TacMainWnd* CreateWrapperOfKind(TacWrapperKind Kind, HWND AHandle, TsCommonData* ASkinData, TsSkinManager* ASkinManager,
                                const TacSkinParams& SkinParams, bool Repaint)
{
    const TacWrapperFactory factory = acWrapperFactory(Kind);
    return factory ? factory(AHandle, ASkinData, ASkinManager, SkinParams, Repaint) : nullptr;
}

TacWrapperKind acThirdPartyWrapperKind(TacThirdPartyTypes Kind)
{
    if (Kind < 0 || Kind >= acThirdPartyTypesCount) return TacWrapperKind::Count;
    return kThirdPartyKinds[static_cast<size_t>(Kind)];
}

TacMainWnd* CreateThirdPartyWrapper(TacThirdPartyTypes Kind, HWND AHandle, TsCommonData* ASkinData,
                                    TsSkinManager* ASkinManager, const TacSkinParams& SkinParams, bool Repaint)
{
    return CreateWrapperOfKind(acThirdPartyWrapperKind(Kind), AHandle, ASkinData, ASkinManager, SkinParams, Repaint);
}
