#pragma once
// Skinned masked edit: the skinned edit's design (cache, frame, padding, glyph, bound label) on
// the platform's masked edit, with a validation on exit through its own error event, the border
// measure BordWidth, virtual painting steps that the combo edit overrides, and a themed
// rendering into the cache also without a skin.
#include "Mask.h"
#include "sEdit.h"

using TValidateErrorEvent = std::function<void(TObject* sender, const UnicodeString& text)>;

class TacCustomMaskEdit : public TCustomMaskEdit, public IacAddedGlyphOwner {
public:
    explicit TacCustomMaskEdit(TComponent* owner);
    ~TacCustomMaskEdit() override;
    UnicodeString ClassName() const override { return L"TacCustomMaskEdit"; }
    void AfterConstruction();
    void Loaded() override;

    // (BorderStyle not none) x (Ctl3D + 2).
    int BordWidth() const { return D.BorderWidth(); }
    bool CheckOnExit() const { return FCheckOnExit; }
    void SetCheckOnExit(bool value) { FCheckOnExit = value; }
    TsCtrlSkinData* SkinData() const { return D.FCommonData.get(); }
    TacAddedGlyph* AddedGlyph() const { return D.FAddedGlyph.get(); }
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
    bool ColorStored() const { return D.ColorStored(); }
    bool FontStored() const { return D.FontStored(); }

    // Only with CheckOnExit: the platform validation; its error goes to OnValidateError first and
    // is raised again with the same text.
    void ValidateEdit() override;
    virtual bool AllowBtnStyle() { return false; }
    virtual bool IsDefaultValue() { return GetEditText().empty(); }
    virtual TRect TextRect();
    virtual void PaintBorder(HDC dc) { D.PaintBorder(dc); }
    virtual bool PrepareCache() { return D.PrepareCache(); }
    virtual void PaintText() { D.PaintText(); }
    virtual void OurPaintHandler(HDC dc);
    virtual int CurrentState() { return ControlIsActive(D.FCommonData.get()) ? 1 : 0; }

    bool acRepaintsForGlyph() const override { return true; }
    bool acComboButtonWidth(int&) const override { return false; }

    TValidateErrorEvent OnValidateError;

protected:
    void WndProc(TMessage& message) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    void Change() override;

    bool FCheckOnExit = true;
    TacEditDesign D;

private:
    void Platform(TMessage& message) { TCustomMaskEdit::WndProc(message); }
    void AfterMessage(TMessage& message)
    {
        if (D.FBoundLabel) D.FBoundLabel->HandleOwnerMsg(message, this);
    }
};

class TsMaskEdit : public TacCustomMaskEdit {
public:
    explicit TsMaskEdit(TComponent* owner) : TacCustomMaskEdit(owner) {}
    UnicodeString ClassName() const override { return L"TsMaskEdit"; }
};

// Registers the published properties and reader factory of TsMaskEdit.
void RegisterMaskEditClasses();
void sMaskEditInitialization();
void sMaskEditFinalization();
