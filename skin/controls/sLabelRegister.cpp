// Published properties and reader factories of the label family, registered at the unit's
// start-up, so skinned labels load from and save to form definitions.
#include "FormReader.h"
#include "TypInfo.h"
#include "acUnitCounter.h"
#include "sLabel.h"
#include "sLabelFX.h"
#include "sSkinManager.h"

namespace {

TacUnitCounter unitCounter;

const TEnumTypeInfo& EllipsisInfo()
{
    static const TEnumTypeInfo info{{L"epNone", L"epPathEllipsis", L"epEndEllipsis", L"epWordEllipsis"}, 0};
    return info;
}

const TEnumTypeInfo& ShowModeInfo()
{
    static const TEnumTypeInfo info{{L"soHide", L"soNormal", L"soShowMinimized", L"soMaximize", L"soShowNoActivate",
                                     L"soShow", L"soMinimize", L"soShowMinNoActive", L"soShowNA", L"soRestore",
                                     L"soDefault"},
                                    0};
    return info;
}

template <class L>
void RegisterFactory(const UnicodeString& c)
{
    RegisterComponentClass<L>(c);
}

// One of the two integer fields of the shadow's margins (read only: the label computes them).
TPropInfo KeeperField(const UnicodeString& name, int TacOffsetKeeper::*field)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkInteger;
    info.GetOrd = [field](TPersistent* p) { return int64_t{PropertyInstance<TacOffsetKeeper>(p).*field}; };
    info.SetOrd = [field](TPersistent* p, int64_t v) { PropertyInstance<TacOffsetKeeper>(p).*field = static_cast<int>(v); };
    info.OrdDefault = 0;
    return info;
}

void RegisterBase()
{
    const UnicodeString c = L"TsCustomLabel";
    RegisterPublishedClass(c, L"TCustomLabel");
    RegisterPublishedProperty(c, OrdProp(L"EllipsisPosition", pkEnum, &TsCustomLabel::EllipsisPosition,
                                         &TsCustomLabel::SetEllipsisPosition, int64_t{epNone}, &EllipsisInfo()));
    RegisterPublishedProperty(c, OrdProp(L"Transparent", pkBool, &TsCustomLabel::Transparent,
                                         &TsCustomLabel::SetTransparent, int64_t{1}));
    TPropInfo manager = ObjProp(L"SkinManager", &TsCustomLabel::SkinManager, &TsCustomLabel::SetSkinManager,
                                L"Skin manager expected", TNilObject::Pass);
    manager.Stored = [](TPersistent* p) { return PropertyInstance<TsCustomLabel>(p).SkinManager() != nullptr; };
    RegisterPublishedProperty(c, std::move(manager));
    RegisterPublishedProperty(c, StrProp(L"SkinSection", &TsCustomLabel::SkinSection, &TsCustomLabel::SetSkinSection,
                                         UnicodeString()));
    RegisterPublishedProperty(c, OrdProp(L"TransparentForMouse", pkBool, &TsCustomLabel::TransparentForMouse,
                                         &TsCustomLabel::SetTransparentForMouse, int64_t{0}));
}

void RegisterLabels()
{
    const UnicodeString l = L"TsLabel";
    RegisterPublishedClass(l, L"TsCustomLabel");
    RegisterPublishedProperty(l, OrdProp(L"UseSkinColor", pkBool, &TsLabel::UseSkinColor, &TsLabel::SetUseSkinColor,
                                         int64_t{1}));
    RegisterFactory<TsLabel>(l);

    const UnicodeString w = L"TsWebLabel";
    RegisterPublishedClass(w, l);
    {
        // The normal font: the web label keeps it apart from the hover font it shows meanwhile.
        TPropInfo font = ObjProp(L"Font", &TControl::Font);
        font.SetObj = [](TPersistent* p, TPersistent* v) {
            auto* value = dynamic_cast<TFont*>(v);
            if (!value) throw EPropertyError(L"Font expected");
            PropertyInstance<TsWebLabel>(p).SetFont(value);
        };
        RegisterPublishedProperty(w, std::move(font));
    }
    RegisterPublishedProperty(w, ObjProp(L"HoverFont", &TsWebLabel::HoverFont, &TsWebLabel::SetHoverFont,
                                         L"Font expected", TNilObject::Reject));
    RegisterPublishedProperty(w, StrProp(L"URL", &TsWebLabel::URL, &TsWebLabel::SetURL, UnicodeString()));
    RegisterPublishedProperty(w, OrdProp(L"ShowMode", pkEnum, &TsWebLabel::ShowMode, &TsWebLabel::SetShowMode,
                                         int64_t{soDefault}, &ShowModeInfo()));
    RegisterPublishedProperty(w, OrdProp(L"Cursor", pkInteger, &TsWebLabel::Cursor, &TsWebLabel::SetCursor,
                                         int64_t{crHandPoint}));
    RegisterFactory<TsWebLabel>(w);

    static const TEnumTypeInfo alignToInfo{
        {L"altLeft", L"altTop", L"altBottom", L"altRight", L"altTopCenter", L"altBottomCenter"}, 0};
    const UnicodeString s = L"TsStickyLabel";
    RegisterPublishedClass(s, l);
    RegisterPublishedProperty(s, OrdProp(L"Gap", pkInteger, &TsStickyLabel::Gap, &TsStickyLabel::SetGap, int64_t{2}));
    RegisterPublishedProperty(s, OrdProp(L"AlignTo", pkEnum, &TsStickyLabel::AlignTo, &TsStickyLabel::SetAlignTo,
                                         int64_t{altLeft}, &alignToInfo));
    RegisterPublishedProperty(s, ObjProp(L"AttachTo", &TsStickyLabel::AttachTo, &TsStickyLabel::SetAttachTo,
                                         L"Control expected", TNilObject::Pass));
    RegisterFactory<TsStickyLabel>(s);

    const UnicodeString h = L"TsHTMLLabel";
    RegisterPublishedClass(h, l);
    RegisterPublishedProperty(h, OrdProp(L"UseHTML", pkBool, &TsHTMLLabel::UseHTML, &TsHTMLLabel::SetUseHTML, int64_t{1}));
    RegisterPublishedProperty(h, OrdProp(L"ShowMode", pkEnum, &TsHTMLLabel::ShowMode, &TsHTMLLabel::SetShowMode,
                                         int64_t{soDefault}, &ShowModeInfo()));
    RegisterPublishedProperty(h, EventProp(L"OnLinkClick", &TsHTMLLabel::OnLinkClick));
    RegisterPublishedProperty(h, OrdProp(L"FitToWidth", pkBool, &TsHTMLLabel::FitToWidth, &TsHTMLLabel::SetFitToWidth,
                                         int64_t{0}));
    {
        // Read only: the caption without its markup.
        TPropInfo plain;
        plain.Name = L"PlainCaption";
        plain.Kind = pkString;
        plain.GetStr = [](TPersistent* p) { return PropertyInstance<TsHTMLLabel>(p).PlainCaption(); };
        RegisterPublishedProperty(h, std::move(plain));
    }
    RegisterFactory<TsHTMLLabel>(h);

    const UnicodeString i = L"TsImgLabel";
    RegisterPublishedClass(i, l);
    {
        TPropInfo spacing = OrdProp<TsImgLabel, int, int>(L"Spacing", pkInteger, &TsImgLabel::Spacing, nullptr, int64_t{4});
        spacing.SetOrd = [](TPersistent* p, int64_t v) { PropertyInstance<TsImgLabel>(p).SetInteger(1, static_cast<int>(v)); };
        RegisterPublishedProperty(i, std::move(spacing));
    }
    RegisterPublishedProperty(i, ObjProp(L"Images", &TsImgLabel::Images, &TsImgLabel::SetImages, L"Image list expected",
                                         TNilObject::Pass));
    {
        TPropInfo index = OrdProp<TsImgLabel, int, int>(L"ImageIndex", pkInteger, &TsImgLabel::ImageIndex, nullptr, int64_t{-1});
        index.SetOrd = [](TPersistent* p, int64_t v) { PropertyInstance<TsImgLabel>(p).SetInteger(0, static_cast<int>(v)); };
        RegisterPublishedProperty(i, std::move(index));
    }
    RegisterFactory<TsImgLabel>(i);
}

void RegisterLabelFX()
{
    static const TEnumTypeInfo shadowModeInfo{{L"smNone", L"smCustom", L"smSkin1"}, 0};
    static const TEnumTypeInfo kindTypeInfo{{L"ktStandard", L"ktCustom", L"ktSkin"}, 0};

    const UnicodeString k = L"TacOffsetKeeper";
    RegisterPublishedClass(k, L"TPersistent");
    RegisterPublishedProperty(k, KeeperField(L"RightBottom", &TacOffsetKeeper::RightBottom));
    RegisterPublishedProperty(k, KeeperField(L"LeftTop", &TacOffsetKeeper::LeftTop));

    const UnicodeString s = L"TsShadow";
    RegisterPublishedClass(s, L"TPersistent");
    RegisterPublishedProperty(s, OrdProp(L"Distance", pkInteger, &TsShadow::Distance, &TsShadow::SetDistance, int64_t{1}));
    RegisterPublishedProperty(s, OrdProp(L"BlurCount", pkInteger, &TsShadow::BlurCount, &TsShadow::SetBlurCount,
                                         int64_t{4}));
    RegisterPublishedProperty(s, OrdProp(L"Color", pkColor, &TsShadow::Color, &TsShadow::SetColor, int64_t{0}));
    RegisterPublishedProperty(s, OrdProp(L"Mode", pkEnum, &TsShadow::Mode, &TsShadow::SetMode, int64_t{smSkin1},
                                         &shadowModeInfo));
    RegisterPublishedProperty(s, OrdProp(L"AlphaValue", pkInteger, &TsShadow::AlphaValue, &TsShadow::SetAlphaValue,
                                         int64_t{255}));
    {
        TPropInfo keeper;
        keeper.Name = L"OffsetKeeper";
        keeper.Kind = pkObject;
        keeper.GetObj = [](TPersistent* p) -> TPersistent* { return PropertyInstance<TsShadow>(p).OffsetKeeper(); };
        RegisterPublishedProperty(s, std::move(keeper));
    }

    const UnicodeString d = L"TsKind";
    RegisterPublishedClass(d, L"TPersistent");
    RegisterPublishedProperty(d, OrdProp(L"Color", pkColor, &TsKind::Color, &TsKind::SetColor, int64_t{0xFFFFFF}));
    RegisterPublishedProperty(d, OrdProp(L"KindType", pkEnum, &TsKind::KindType, &TsKind::SetKindType, int64_t{ktSkin},
                                         &kindTypeInfo));

    const UnicodeString f = L"TsLabelFX";
    RegisterPublishedClass(f, L"TsCustomLabel");
    RegisterPublishedProperty(f, OrdProp(L"Angle", pkInteger, &TsLabelFX::Angle, &TsLabelFX::SetAngle, int64_t{0}));
    RegisterPublishedProperty(f, ObjProp(L"Shadow", &TsLabelFX::Shadow));
    RegisterPublishedProperty(f, ObjProp(L"Kind", &TsLabelFX::Kind));
    RegisterFactory<TsLabelFX>(f);
}

} // namespace

void RegisterLabelClasses()
{
    if (IsPublishedClass(L"TsLabel")) return;
    RegisterBase();
    RegisterLabels();
    RegisterLabelFX();
}

void sLabelInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterLabelClasses();
}

void sLabelFinalization() { unitCounter.ShutDown(); }
