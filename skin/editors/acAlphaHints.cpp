// The alpha hints unit: published properties of the template classes, and the start-up that
// builds the default template from the embedded "ACHINT" picture.
#include "acAlphaHints.h"

#include "Controls.h"
#include "acStreamBytes.h"
#include "acUnitCounter.h"

#include <windows.h>

namespace {

TacUnitCounter unitCounter;

const TEnumTypeInfo kBorderDrawMode{{L"dmRepeat", L"dmStretch"}};
const TEnumTypeInfo kHintAlign{{L"haHorzCenter", L"haVertCenter"}};
const TEnumTypeInfo kAlignment{{L"taLeftJustify", L"taRightJustify", L"taCenter"}};

// A property read and written through an index, as the template classes publish theirs.
template <class C>
TPropInfo Indexed(const UnicodeString& name, TPropKind kind, int index, int64_t def, int64_t (*get)(C&, int),
                  void (*set)(C&, int, int64_t), const TEnumTypeInfo* type = nullptr)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = kind;
    info.EnumType = type;
    info.OrdDefault = def;
    info.GetOrd = [get, index](TPersistent* p) { return get(PropertyInstance<C>(p), index); };
    info.SetOrd = [set, index](TPersistent* p, int64_t v) { set(PropertyInstance<C>(p), index, v); };
    return info;
}

TPropInfo Sub(const UnicodeString& name, std::function<TPersistent*(TPersistent*)> get,
              std::function<void(TPersistent*, TPersistent*)> set)
{
    TPropInfo info;
    info.Name = name;
    info.Kind = pkObject;
    info.GetObj = std::move(get);
    info.SetObj = std::move(set);
    return info;
}

template <class V, class C>
void AssignObject(TPersistent* p, TPersistent* v, void (C::*set)(const V*))
{
    const auto* value = dynamic_cast<const V*>(v);
    if (!value) throw EPropertyError(L"Property value of another class");
    (PropertyInstance<C>(p).*set)(value);
}

// A nested object whose setter copies the given one.
template <class C, class G, class V>
TPropInfo Nested(const UnicodeString& name, G* (C::*get)() const, void (C::*set)(const V*))
{
    return Sub(
        name, [get](TPersistent* p) -> TPersistent* { return (PropertyInstance<C>(p).*get)(); },
        [set](TPersistent* p, TPersistent* v) { AssignObject<V>(p, v, set); });
}

// The picture of a template image stored as a BMP file (while it has no file bytes); reading
// takes a PNG file too.
void RegisterPngData()
{
    if (IsPublishedClass(L"TPNGGraphic")) return;
    RegisterPublishedClass(L"TPNGGraphic", L"TBitmap");
    TPropInfo data;
    data.Name = L"Data";
    data.Kind = pkBinary;
    data.BinDefault = TBytes();
    data.GetBin = [](TPersistent* p) {
        TMemoryStream stream;
        PropertyInstance<TPNGGraphic>(p).TBitmap::SaveToStream(stream);
        return TBytes(stream.Memory(), stream.Memory() + stream.Size());
    };
    data.SetBin = [](TPersistent* p, std::span<const std::uint8_t> bytes) {
        TMemoryStream stream;
        SetMemoryStreamBytes(stream, bytes);
        auto& png = PropertyInstance<TPNGGraphic>(p);
        if (TPNGGraphic::CanLoadFromStream(stream))
            png.LoadFromStream(stream);
        else
            png.TBitmap::LoadFromStream(stream);
    };
    RegisterPublishedProperty(L"TPNGGraphic", std::move(data));
}

} // namespace

void RegisterAlphaHintsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterControlsClasses();
    RegisterPngData();

    const UnicodeString modes = L"TacBorderDrawModes";
    RegisterPublishedClass(modes, L"TPersistent");
    const std::pair<const wchar_t*, int> modeNames[] = {
        {L"Top", 0}, {L"Left", 1}, {L"Bottom", 2}, {L"Right", 3}, {L"Center", 4}};
    for (const auto& [name, index] : modeNames)
        RegisterPublishedProperty(
            modes,
            Indexed<TacBorderDrawModes>(
                name, pkEnum, index, dmStretch, [](TacBorderDrawModes& m, int i) { return int64_t{m.GetDrawMode(i)}; },
                [](TacBorderDrawModes& m, int i, int64_t v) { m.SetDrawMode(i, static_cast<TacBorderDrawMode>(v)); },
                &kBorderDrawMode));

    const UnicodeString sizes = L"TacBordersSizes";
    RegisterPublishedClass(sizes, L"TPersistent");
    const std::pair<const wchar_t*, int> sizeNames[] = {{L"Top", 0}, {L"Left", 1}, {L"Bottom", 2}, {L"Right", 3}};
    for (const auto& [name, index] : sizeNames)
        RegisterPublishedProperty(
            sizes, Indexed<TacBordersSizes>(
                       name, pkInteger, index, 0, [](TacBordersSizes& s, int i) { return int64_t{s.GetValue(i)}; },
                       [](TacBordersSizes& s, int i, int64_t v) { s.SetValue(i, static_cast<int>(v)); }));

    using I = TacHintImage;
    const UnicodeString image = L"TacHintImage";
    RegisterPublishedClass(image, L"TPersistent");
    RegisterPublishedProperty(image, OrdProp(L"OffsetHorz", pkInteger, &I::OffsetHorz, &I::SetOffsetHorz, int64_t{0}));
    RegisterPublishedProperty(image, OrdProp(L"OffsetVert", pkInteger, &I::OffsetVert, &I::SetOffsetVert, int64_t{0}));
    RegisterPublishedProperty(image, Nested(L"ShadowSizes", &I::ShadowSizes, &I::SetShadowSizes));
    RegisterPublishedProperty(image, Nested(L"ClientMargins", &I::ClientMargins, &I::SetClientMargins));
    RegisterPublishedProperty(image, Nested(L"BordersWidths", &I::BordersWidths, &I::SetBordersWidths));
    RegisterPublishedProperty(image, Nested(L"BorderDrawModes", &I::BorderDrawModes, &I::SetBorderDrawModes));
    TPropInfo picture = Nested(L"Image", &I::Image, &I::SetImage);
    // The decoded picture is stored only when there are no file bytes to store instead.
    picture.Stored = [](TPersistent* p) { return PropertyInstance<I>(p).ImageData().Size() == 0; };
    RegisterPublishedProperty(image, std::move(picture));
    RegisterPublishedProperty(image, OrdProp(L"ImageWidth", pkInteger, &I::ImageWidth));
    RegisterPublishedProperty(image, OrdProp(L"ImageHeight", pkInteger, &I::ImageHeight));
    // Always written, also when empty.
    RegisterPublishedProperty(image, BinProp(L"ImgData", &I::ImgDataBytes, &I::SetImgDataBytes));

    using T = TacHintTemplate;
    const UnicodeString hint = L"TacHintTemplate";
    RegisterPublishedClass(hint, L"TPersistent");
    const std::pair<const wchar_t*, int> imageNames[] = {
        {L"ImageDefault", 0}, {L"Img_LeftBottom", 1}, {L"Img_RightBottom", 2}, {L"Img_RightTop", 3}};
    for (const auto& [name, index] : imageNames)
        RegisterPublishedProperty(
            hint, Sub(
                      name, [i = index](TPersistent* p) -> TPersistent* { return PropertyInstance<T>(p).GetImage(i); },
                      [i = index](TPersistent* p, TPersistent* v) {
                          const auto* value = dynamic_cast<const TacHintImage*>(v);
                          if (!value) throw EPropertyError(L"Property value of another class");
                          PropertyInstance<T>(p).SetImage(i, value);
                      }));
    RegisterPublishedProperty(hint, Nested(L"Font", &T::Font, &T::SetFont));
    RegisterPublishedProperty(
        hint, OrdProp(L"HintAlign", pkEnum, &T::HintAlign, &T::SetHintAlign, int64_t{haHorzCenter}, &kHintAlign));
    RegisterPublishedProperty(hint, StrProp(L"Name", &T::Name, &T::SetName, UnicodeString()));
    RegisterPublishedClass(L"TacHintTemplates", L"TPersistent");

    using A = TsAlphaHints;
    const UnicodeString hints = L"TsAlphaHints";
    RegisterPublishedClass(hints, L"TComponent");
    RegisterPublishedProperty(hints, OrdProp(L"Active", pkBool, &A::Active, &A::SetActive, int64_t{1}));
    RegisterPublishedProperty(hints, OrdProp(L"AutoAlignment", pkBool, &A::AutoAlignment, &A::SetAutoAlignment, int64_t{0}));
    RegisterPublishedProperty(hints, OrdProp(L"Animated", pkBool, &A::Animated, &A::SetAnimated, int64_t{1}));
    RegisterPublishedProperty(hints, OrdProp(L"MaxWidth", pkInteger, &A::MaxWidth, &A::SetMaxWidth, int64_t{120}));
    RegisterPublishedProperty(
        hints, OrdProp(L"HandleDisabledCtrls", pkBool, &A::HandleDisabledCtrls, &A::SetHandleDisabledCtrls, int64_t{0}));
    RegisterPublishedProperty(hints, ObjProp(L"Templates", &A::Templates, &A::SetTemplates, L"Templates expected",
                                             TNilObject::Ignore));
    RegisterPublishedProperty(hints, StrProp(L"TemplateName", &A::TemplateName, &A::SetTemplateName, UnicodeString()));
    RegisterPublishedProperty(hints, OrdProp(L"TextAlignment", pkEnum, &A::TextAlignment, &A::SetTextAlignment,
                                             int64_t{taCenter}, &kAlignment));
    RegisterPublishedProperty(hints, OrdProp(L"HTMLMode", pkBool, &A::HTMLMode, &A::SetHTMLMode, int64_t{0}));
    RegisterPublishedProperty(hints, OrdProp(L"PauseHide", pkInteger, &A::PauseHide, &A::SetPauseHide, int64_t{5000}));
    RegisterPublishedProperty(hints, StrProp(L"SkinSection", &A::SkinSection, &A::SetSkinSection, UnicodeString(L"HINT")));
    RegisterPublishedProperty(hints, OrdProp(L"UseSkinData", pkBool, &A::UseSkinData, &A::SetUseSkinData, int64_t{0}));
    RegisterPublishedProperty(hints, EventProp(L"OnShowHint", &A::OnShowHint));
    RegisterPublishedProperty(hints, EventProp(L"OnHideHint", &A::OnHideHint));
    RegisterPublishedProperty(hints, EventProp(L"OnMeasure", &A::OnMeasure));
    RegisterPublishedProperty(hints, EventProp(L"OnPaint", &A::OnPaint));
    RegisterComponentClass<TsAlphaHints>(L"TsAlphaHints");
}

void acAlphaHintsInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterAlphaHintsClasses();
    auto t = std::make_unique<TacHintTemplate>();
    TacHintImage* image = t->ImageDefault();
    // Decoded straight into the picture: ImageChanged does not run and there are no file bytes.
    image->Image()->LoadFromResourceName(::GetModuleHandleW(nullptr), L"ACHINT");
    image->BordersWidths()->SetValues(11, 10, 14, 15);
    image->ShadowSizes()->SetValues(6, 5, 7, 8);
    image->ClientMargins()->SetValues(11, 8, 16, 15);
    DefaultHintTemplate = std::move(t);
}

void acAlphaHintsFinalization()
{
    if (!unitCounter.ShutDown()) return;
    DefaultHintTemplate.reset();
}
