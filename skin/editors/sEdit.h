#pragma once
// Skinned single-line edit. Its whole window is painted from a window-sized cache bitmap that
// holds the skin section, the text (or its hint) and an optional extra glyph while it is not
// focused; a focused edit paints its own client area and only the frame comes from the cache.
// A margin (padding, vertical alignment, the glyph) is carved out of the client area. Without a
// skin it is the platform edit with only its padding and glyph painted on top.
//
// TacEditDesign holds what the skinned edit and the skinned masked edit share: skin data,
// glyph, bound label and padding objects, the geometry, the cache rendering and the frame copy.
#include "StdCtrls.h"
#include "TypInfo.h"
#include "acntTypes.h"
#include "sCommonData.h"
#include "sCtrlStates.h"
#include "sMessages.h"
#include "sGlyphUtils.h"

#include <functional>
#include <memory>

// Border width of an edit: the window border plus one pixel per bevel when bevels are drawn.
int EditBorderWidth(TCustomEdit* Edit);

class TacEditDesign {
public:
    // masked: the masked edit's measures (BordWidth, centre grows the top margin only, the
    // glyph space kept out of FAddedPadding).
    TacEditDesign(TCustomEdit* edit, bool masked);
    ~TacEditDesign();
    TacEditDesign(const TacEditDesign&) = delete;
    TacEditDesign& operator=(const TacEditDesign&) = delete;

    // --- geometry
    int BorderWidth() const;
    // 4 pixels at the control's density.
    int Spacing() const;
    bool AddedGlyphVisible() const;
    int AddedGlyphSpace() const;
    TRect AddedGlyphRect();
    int TextHeight() const;
    // The rectangle the text is written in, in window coordinates.
    TRect TextRect() const;
    bool Skinned() const { return FCommonData->Skinned(); }
    void PaddingChanged();
    bool ColorStored() const;
    bool FontStored() const;

    // --- messages
    // After the platform's WM_NCCALCSIZE.
    void NCCalcSize(TMessage& message);
    // The glyph's area in window coordinates: HTBORDER, else HTCLIENT.
    LRESULT NCHitTest(const TMessage& message);

    // --- painting
    // Renders the cache; false when the parent's background is not ready.
    bool PrepareCache();
    void PaintText();
    void PaintAddedGlyph();
    void OurPaintHandler(HDC dc);
    void PaintBorder(HDC dc);
    void PaintAddedGlyphStd();
    // Recalculates the frame (SWP_FRAMECHANGED without size, move, redraw of bits).
    void UpdateFrame(bool noRedraw = false);
    // The text written into the cache: the text, its password form, or (masked) the edit text.
    UnicodeString DisplayText() const;

    TCustomEdit* Edit;
    bool Masked;
    std::unique_ptr<TsCtrlSkinData> FCommonData;
    std::unique_ptr<TacAddedGlyph> FAddedGlyph;
    std::unique_ptr<TsBoundLabel> FBoundLabel;
    std::unique_ptr<TacPadding> FPadding;
    TsDisabledKind FDisabledKind{dkBlended};
    TVerticalAlignment FVerticalAlignment = taAlignTop;
    bool FLabelFromTextHint = false;
    TRect FAddedPadding;
    TRect FAddedGlyphRect{-1, 0, 0, 0};
    // The masked edit's hooks: the virtual operations the combo edit overrides.
    std::function<bool()> IsDefaultValue;
    std::function<TRect()> VirtualTextRect;
    std::function<void()> VirtualPaintText;
};

class TsEdit : public TEdit, public IacAddedGlyphOwner {
public:
    explicit TsEdit(TComponent* owner);
    ~TsEdit() override;
    UnicodeString ClassName() const override { return L"TsEdit"; }
    void AfterConstruction();
    void Loaded() override;

    TsCtrlSkinData* SkinData() const { return D.FCommonData.get(); }
    TacAddedGlyph* AddedGlyph() const { return D.FAddedGlyph.get(); }
    void SetAddedGlyph(TacAddedGlyph* value);
    TsBoundLabel* BoundLabel() const { return D.FBoundLabel.get(); }
    TacPadding* Padding() const { return D.FPadding.get(); }
    TsDisabledKind DisabledKind() const { return D.FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    TVerticalAlignment VerticalAlignment() const { return D.FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment value);
    bool LabelFromTextHint() const { return D.FLabelFromTextHint; }
    void SetLabelFromTextHint(bool value) { D.FLabelFromTextHint = value; }
    const TRect& AddedPadding() const { return D.FAddedPadding; }
    TRect AddedGlyphRect() { return D.AddedGlyphRect(); }
    TRect TextRect() const { return D.TextRect(); }
    bool ColorStored() const { return D.ColorStored(); }
    bool FontStored() const { return D.FontStored(); }

    virtual bool IsDefaultValue() { return Text().empty(); }
    virtual bool PrepareCache() { return D.PrepareCache(); }
    virtual void PaintText() { D.PaintText(); }

    bool acRepaintsForGlyph() const override { return true; }
    bool acComboButtonWidth(int&) const override { return false; }

    TNotifyEvent OnSelectionChanged;
    bool NCDown = false;

protected:
    void WndProc(TMessage& message) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Notification(TComponent* component, TOperation operation) override;

    TacEditDesign D;

private:
    void Platform(TMessage& message) { TEdit::WndProc(message); }
    void AfterMessage(TMessage& message)
    {
        if (D.FBoundLabel) D.FBoundLabel->HandleOwnerMsg(message, this);
    }
    DWORD selStart_ = 0, selEnd_ = 0;
};

// The published properties both skinned edits add to their platform edit.
const TEnumTypeInfo& VerticalAlignmentInfo();
const TEnumTypeInfo& DisabledKindInfo();
template <class E>
void RegisterEditDesignProperties(const UnicodeString& c)
{
    RegisterPublishedProperty(c, ObjProp(L"Padding", &E::Padding));
    RegisterPublishedProperty(c, OrdProp(L"VerticalAlignment", pkEnum, &E::VerticalAlignment, &E::SetVerticalAlignment,
                                         int64_t{taAlignTop}, &VerticalAlignmentInfo()));
    RegisterPublishedProperty(c, OrdProp(L"LabelFromTextHint", pkBool, &E::LabelFromTextHint, &E::SetLabelFromTextHint,
                                         int64_t{0}));
    // Colour and font belong to the skin unless the control is unskinned or keeps its own.
    TPropInfo color = OrdProp(L"Color", pkColor, &E::Color, &E::SetColor, int64_t{clWindow});
    color.Stored = [](TPersistent* p) { return PropertyInstance<E>(p).ColorStored(); };
    RegisterPublishedProperty(c, std::move(color));
    TPropInfo font = ObjProp(L"Font", &E::Font, &E::SetFont, L"Font expected", TNilObject::Reject);
    font.Stored = [](TPersistent* p) { return PropertyInstance<E>(p).FontStored(); };
    RegisterPublishedProperty(c, std::move(font));
    TPropInfo parentFont = OrdProp(L"ParentFont", pkBool, &E::ParentFont, &E::SetParentFont, int64_t{1});
    parentFont.Stored = [](TPersistent* p) { return PropertyInstance<E>(p).FontStored(); };
    RegisterPublishedProperty(c, std::move(parentFont));
    RegisterPublishedProperty(c, OrdProp(L"DisabledKind", pkSet, &E::DisabledKind, &E::SetDisabledKind,
                                         static_cast<int64_t>(TsDisabledKind{dkBlended}.Bits()), &DisabledKindInfo()));
}

// Registers TsEdit's published properties and reader factory.
void RegisterEditClasses();
void sEditInitialization();
void sEditFinalization();
