// The manager's published properties and its factory for form definitions.
#include "sSkinManager.h"

#include "FormReader.h"
#include "StringList.h"
#include "TypInfo.h"
#include "sSkinMenus.h"
#include "sStoredSkins.h"

namespace {

const TEnumTypeInfo kSkinsFilter{{L"sfiInternal", L"sfiExternal"}};
const TEnumTypeInfo kSkinningRules{{L"srStdForms", L"srStdDialogs", L"srThirdParty"}};

template <class G>
TPropInfo Object(const UnicodeString& name, G* (TsSkinManager::*get)() const)
{
    return ObjProp(name, get);
}

// A read-only text.
TPropInfo ReadOnlyText(const UnicodeString& name, UnicodeString (TsSkinManager::*get)() const)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkString;
    info.GetStr = [get](TPersistent* p) { return (PropertyInstance<TsSkinManager>(p).*get)(); };
    return info;
}

TPropInfo IntegerByIndex(const UnicodeString& name, int index)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkInteger;
    info.OrdDefault = 0;
    info.GetOrd = [index](TPersistent* p) { return int64_t{PropertyInstance<TsSkinManager>(p).GetInteger(index)}; };
    info.SetOrd = [index](TPersistent* p, int64_t v) {
        PropertyInstance<TsSkinManager>(p).SetInteger(index, static_cast<int>(v));
    };
    return info;
}

} // namespace

void RegisterSkinManagerClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterSkinManagerOptionClasses();
    RegisterPublishedClass(L"TacMenuSupport", L"TPersistent");
    RegisterPublishedClass(L"TsStoredSkins", L"TPersistent");
    RegisterStoredSkinClasses();

    const UnicodeString m = L"TsSkinManager";
    RegisterPublishedClass(m, L"TComponent");
    const auto filterDefault = static_cast<int64_t>(TacSkinsFilter{sfiInternal, sfiExternal}.Bits());
    RegisterPublishedProperty(m, OrdProp(L"SkinsFilter", pkSet, &TsSkinManager::SkinsFilter,
                                         &TsSkinManager::SetSkinsFilter, filterDefault, &kSkinsFilter));
    RegisterPublishedProperty(m, Object(L"Effects", &TsSkinManager::Effects));
    RegisterPublishedProperty(m, Object(L"AnimEffects", &TsSkinManager::AnimEffects));
    RegisterPublishedProperty(m, Object(L"ButtonsOptions", &TsSkinManager::ButtonsOptions));
    RegisterPublishedProperty(m, OrdProp(L"Active", pkBool, &TsSkinManager::Active, &TsSkinManager::SetActive,
                                         int64_t{1}));
    RegisterPublishedProperty(m, OrdProp(L"ExtendedBorders", pkBool, &TsSkinManager::ExtendedBorders,
                                         &TsSkinManager::SetExtendedBorders, int64_t{0}));
    RegisterPublishedProperty(m, OrdProp(L"IsDefault", pkBool, &TsSkinManager::GetIsDefault,
                                         &TsSkinManager::SetIsDefault, int64_t{1}));
    RegisterPublishedProperty(m, OrdProp(L"SkinnedPopups", pkBool, &TsSkinManager::SkinnedPopups,
                                         &TsSkinManager::SetSkinnedPopups, int64_t{1}));
    RegisterPublishedProperty(m, IntegerByIndex(L"Brightness", 0));
    RegisterPublishedProperty(m, IntegerByIndex(L"HueOffset", 1));
    RegisterPublishedProperty(m, IntegerByIndex(L"Saturation", 2));
    RegisterPublishedProperty(m, ObjProp(L"CommonSections", &TsSkinManager::CommonSections,
                                         &TsSkinManager::SetCommonSections, L"String list expected",
                                         TNilObject::Reject));
    RegisterPublishedProperty(m, ObjProp(L"InternalSkins", &TsSkinManager::InternalSkins,
                                         &TsSkinManager::SetInternalSkins, L"Stored skins expected",
                                         TNilObject::Reject));
    RegisterPublishedProperty(m, Object(L"LabelsOptions", &TsSkinManager::LabelsOptions));
    RegisterPublishedProperty(m, Object(L"MenuSupport", &TsSkinManager::MenuSupport));
    RegisterPublishedProperty(m, Object(L"Options", &TsSkinManager::Options));
    RegisterPublishedProperty(m, Object(L"Fonts", &TsSkinManager::Fonts));
    RegisterPublishedProperty(m, Object(L"ScrollsOptions", &TsSkinManager::ScrollsOptions));
    RegisterPublishedProperty(m, StrProp(L"SkinDirectory", &TsSkinManager::SkinDirectory,
                                         &TsSkinManager::SetSkinDirectory, UnicodeString()));
    RegisterPublishedProperty(m, StrProp(L"SkinName", &TsSkinManager::SkinName, &TsSkinManager::SetSkinName,
                                         UnicodeString()));
    RegisterPublishedProperty(m, ReadOnlyText(L"SkinInfo", &TsSkinManager::SkinInfo));
    const auto rulesDefault = static_cast<int64_t>(TacSkinningRules{srStdForms, srStdDialogs, srThirdParty}.Bits());
    RegisterPublishedProperty(m, OrdProp(L"SkinningRules", pkSet, &TsSkinManager::SkinningRules,
                                         &TsSkinManager::SetSkinningRules, rulesDefault, &kSkinningRules));
    RegisterPublishedProperty(m, Object(L"ThirdParty", &TsSkinManager::ThirdParty));
    TPropInfo info = ReadOnlyText(L"Version", &TsSkinManager::Version);
    info.Stored = [](TPersistent*) { return false; };
    RegisterPublishedProperty(m, info);
    RegisterPublishedProperty(m, EventProp(L"OnAfterChange", &TsSkinManager::OnAfterChange));
    RegisterPublishedProperty(m, EventProp(L"OnGetMenuExtraLineData", &TsSkinManager::OnGetMenuExtraLineData));
    RegisterPublishedProperty(m, EventProp(L"OnGetPopupItemData", &TsSkinManager::OnGetPopupItemData));
    RegisterPublishedProperty(m, EventProp(L"OnBeforeChange", &TsSkinManager::OnBeforeChange));
    RegisterPublishedProperty(m, EventProp(L"OnDeactivate", &TsSkinManager::OnDeactivate));
    RegisterPublishedProperty(m, EventProp(L"OnActivate", &TsSkinManager::OnActivate));
    RegisterPublishedProperty(m, EventProp(L"OnScaleChanged", &TsSkinManager::OnScaleChanged));
    RegisterPublishedProperty(m, EventProp(L"OnSkinListChanged", &TsSkinManager::OnSkinListChanged));
    RegisterPublishedProperty(m, EventProp(L"OnSkinLoading", &TsSkinManager::OnSkinLoading));
    RegisterPublishedProperty(m, EventProp(L"OnScaleModeChange", &TsSkinManager::OnScaleModeChange));
    RegisterPublishedProperty(m, EventProp(L"OnFontChanged", &TsSkinManager::OnFontChanged));
    RegisterPublishedProperty(m, EventProp(L"OnSkinChanging", &TsSkinManager::OnSkinChanging));
    RegisterPublishedProperty(m, EventProp(L"OnSysDlgInit", &TsSkinManager::OnSysDlgInit));

    RegisterComponentClass(m, [](TComponent* owner) -> TComponent* {
        auto* manager = new TsSkinManager(owner);
        manager->AfterConstruction();
        return manager;
    });
}
