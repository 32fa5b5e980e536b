#pragma once
// Alpha hints: hints drawn as 32-bit pictures with per-pixel alpha on layered windows, with soft
// shadows, a corner pointing at the target and a fade and glide from the previous hint.
//
// * Hint templates say how hints look without a skin (a font and up to four 9-slice pictures,
//   one per corner the hint's arrow can point from, each with its border widths, text margins,
//   shadow widths and border fill modes); the unit-wide default template is built at start-up
//   from the embedded "ACHINT" picture; templates are written to and read from "AShh" files.
// * The hint windows (TacCustomHintWindow draws from the skin's hint section, TacPngHintWindow
//   from the current template when no skin is used) and the show timer that animates them.
// * The manager TsAlphaHints: placed once, it becomes Manager, installs its window class as the
//   application's hint window and places, hides and follows hints; the rest of the library shows
//   hints through it.
#include "Components.h"
#include "Forms.h"
#include "Graphics.h"
#include "HintWindow.h"
#include "StdCtrls.h"
#include "Streams.h"
#include "TypInfo.h"
#include "acPNG.h"
#include "acThdTimer.h"

#include <cstdint>
#include <memory>
#include <span>

class TacHintImage;
class TacHintTemplate;
class TacHintTemplates;

// What the owner of a templates collection (the hints manager) hears when one of its templates
// changes. Templates whose collection has no such owner, or none, tell nobody.
class IacHintTemplatesOwner {
public:
    virtual void Changed() = 0;

protected:
    ~IacHintTemplatesOwner() = default;
};

enum TacBorderDrawMode : std::uint8_t { dmRepeat, dmStretch };

// How the four border strips and the centre of a picture are filled: tiled or stretched.
class TacBorderDrawModes : public TPersistent {
public:
    explicit TacBorderDrawModes(TacHintImage* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacBorderDrawModes"; }

    // Index 0 Top, 1 Left, 2 Bottom, 3 Right, 4 Center.
    TacBorderDrawMode GetDrawMode(int index) const;
    void SetDrawMode(int index, TacBorderDrawMode mode);
    TacBorderDrawMode Top() const { return FTop; }
    TacBorderDrawMode Left() const { return FLeft; }
    TacBorderDrawMode Right() const { return FRight; }
    TacBorderDrawMode Bottom() const { return FBottom; }
    TacBorderDrawMode Center() const { return FCenter; }

protected:
    void AssignTo(TPersistent* dest) const override;
    TPersistent* GetOwner() const override;

private:
    TacBorderDrawMode FTop = dmStretch, FLeft = dmStretch, FRight = dmStretch, FCenter = dmStretch, FBottom = dmStretch;
    TacHintImage* FOwner;
};

// Four widths of a picture's sides; a negative stored value reads as 0.
class TacBordersSizes : public TPersistent {
public:
    explicit TacBordersSizes(TacHintImage* owner) : FOwner(owner) {}
    UnicodeString ClassName() const override { return L"TacBordersSizes"; }

    // Index 0 Top, 1 Left, 2 Bottom, 3 Right.
    int GetValue(int index) const;
    void SetValue(int index, int value);
    int Top() const { return GetValue(0); }
    int Left() const { return GetValue(1); }
    int Bottom() const { return GetValue(2); }
    int Right() const { return GetValue(3); }
    void SetValues(int ALeft, int ATop, int ARight, int ABottom);

protected:
    void AssignTo(TPersistent* dest) const override;
    TPersistent* GetOwner() const override;

private:
    int FTop = 0, FLeft = 0, FRight = 0, FBottom = 0;
    TacHintImage* FOwner;
};

// One 9-slice picture of a template with its measures. The picture's file bytes (a PNG file as
// loaded) are kept beside the decoded picture, so a template writes back what it read.
class TacHintImage : public TPersistent {
public:
    explicit TacHintImage(TacHintTemplate* owner);
    ~TacHintImage() override;
    TacHintImage(const TacHintImage&) = delete;
    TacHintImage& operator=(const TacHintImage&) = delete;
    UnicodeString ClassName() const override { return L"TacHintImage"; }

    int OffsetHorz() const { return FOffsetHorz; }
    void SetOffsetHorz(int value);
    int OffsetVert() const { return FOffsetVert; }
    void SetOffsetVert(int value);
    TacBordersSizes* ShadowSizes() const { return FShadowSizes.get(); }
    void SetShadowSizes(const TacBordersSizes* value) { FShadowSizes->Assign(value); }
    TacBordersSizes* ClientMargins() const { return FClientMargins.get(); }
    void SetClientMargins(const TacBordersSizes* value) { FClientMargins->Assign(value); }
    TacBordersSizes* BordersWidths() const { return FBordersWidths.get(); }
    void SetBordersWidths(const TacBordersSizes* value) { FBordersWidths->Assign(value); }
    TacBorderDrawModes* BorderDrawModes() const { return FBorderDrawModes.get(); }
    void SetBorderDrawModes(const TacBorderDrawModes* value) { FBorderDrawModes->Assign(value); }
    TPNGGraphic* Image() const { return FImage.get(); }
    // Copies the picture in, sets the borders and margins to its centre lines (ImageChanged) and
    // tells the manager.
    void SetImage(const TBitmap* value);
    int ImageWidth() const { return FImage->Empty() ? 0 : FImage->Width(); }
    int ImageHeight() const { return FImage->Empty() ? 0 : FImage->Height(); }

    // The picture's file bytes ("ImgData"); setting them decodes the picture (StreamChanged).
    TMemoryStream& ImageData() const { return *FImageData; }
    std::span<const std::uint8_t> ImgDataBytes() const;
    void SetImgDataBytes(std::span<const std::uint8_t> bytes);

    void ImageChanged();
    void StreamChanged();

    // One image block of a template file. Reading returns false when a length in the block
    // does not fit the stream (nothing is read past it); a stream that ends early raises
    // EReadError, a picture the decoder rejects its error.
    void SaveToStream(TStream& stream) const;
    bool LoadFromStream(TStream& stream);

    TacHintTemplate* Owner() const { return FOwner; }

protected:
    void AssignTo(TPersistent* dest) const override;
    TPersistent* GetOwner() const override;

private:
    int FOffsetHorz = 0, FOffsetVert = 0;
    std::unique_ptr<TacBordersSizes> FShadowSizes, FClientMargins, FBordersWidths;
    std::unique_ptr<TacBorderDrawModes> FBorderDrawModes;
    std::unique_ptr<TPNGGraphic> FImage;
    TacHintTemplate* FOwner;
    std::unique_ptr<TMemoryStream> FImageData;
};

enum TacHintAlign : std::uint8_t { haHorzCenter, haVertCenter };

// A font and four pictures: ImageDefault for an arrow from the left top, the others for the
// other corners.
class TacHintTemplate : public TCollectionItem {
public:
    TacHintTemplate();
    ~TacHintTemplate() override;
    UnicodeString ClassName() const override { return L"TacHintTemplate"; }

    // Index 0 ImageDefault, 1 Img_LeftBottom, 2 Img_RightBottom, 3 Img_RightTop; setting one
    // copies the given image into that slot.
    TacHintImage* GetImage(int index) const;
    void SetImage(int index, const TacHintImage* value);
    TacHintImage* ImageDefault() const { return FImageDefault.get(); }
    TacHintImage* Img_LeftBottom() const { return FImageLeftBottom.get(); }
    TacHintImage* Img_RightBottom() const { return FImageRightBottom.get(); }
    TacHintImage* Img_RightTop() const { return FImageRightTop.get(); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* value);
    TacHintAlign HintAlign() const { return FHintAlign; }
    void SetHintAlign(TacHintAlign value) { FHintAlign = value; }
    const UnicodeString& Name() const { return FName; }
    void SetName(const UnicodeString& value) { FName = value; }

    // True when Img_LeftBottom has no file bytes and the left-bottom picture of the template in
    // use (this one when none is) is empty: every corner is drawn from ImageDefault.
    bool SingleImageUsed() const;

    // Tells the collection's owner, when it listens, that the template changed.
    void NotifyChanged() const;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    std::unique_ptr<TacHintImage> FImageDefault, FImageRightTop, FImageLeftBottom, FImageRightBottom;
    std::unique_ptr<TFont> FFont;
    UnicodeString FName;
    TacHintAlign FHintAlign = haHorzCenter;
};

class TacHintTemplates : public TCollection {
public:
    explicit TacHintTemplates(TPersistent* owner = nullptr);
    UnicodeString ClassName() const override { return L"TacHintTemplates"; }
    TacHintTemplate* Add() { return static_cast<TacHintTemplate*>(TCollection::Add()); }
    TacHintTemplate* Items(int index) const { return static_cast<TacHintTemplate*>(TCollection::Items(index)); }
    void SetItems(int index, const TacHintTemplate* value) { Items(index)->Assign(value); }
};

// The template of the unit, built at start-up (null before and after), and the template in use.
extern std::unique_ptr<TacHintTemplate> DefaultHintTemplate;
extern TacHintTemplate* CurrentHintTemplate;

// The "AShh" template file.
//
// Writes templates[index] (DefaultHintTemplate when the index is outside the collection or there
// is none), which becomes CurrentHintTemplate; the stream is emptied first. With no template
// nothing is written.
void acSaveHintTemplate(TacHintTemplates* templates, int index, TStream& stream);
// The same into a file: written beside it first, and the old file replaced only when there was
// something to write.
void acSaveHintTemplateToFile(TacHintTemplates* templates, int index, const UnicodeString& fileName);
// Reads a template from the stream's start and adds it to templates once the whole file was
// read. A wrong signature or a length that does not fit the stream shows "Unknown file format"
// and returns null; a stream that ends early raises EReadError, a picture the decoder rejects
// its error; nothing is added then.
TacHintTemplate* acLoadHintTemplate(TacHintTemplates* templates, TStream& stream);
// The same from a file; the new template is named after the file, without its folder and
// without everything from the first "." on.
TacHintTemplate* acLoadHintTemplateFromFile(TacHintTemplates* templates, const UnicodeString& fileName);

// The published properties of the template classes and of the manager, for form definitions.
void RegisterAlphaHintsClasses();

// Start-up builds DefaultHintTemplate from the "ACHINT" resource; shut-down frees it.
void acAlphaHintsInitialization();
void acAlphaHintsFinalization();

// ---------------------------------------------------------------------------------------------
// Hint windows and the manager

class TsAlphaHints;
class TsShowTimer;

// The hint's corner that points at its target.
enum TacMousePosition : std::uint8_t { mpLeftTop, mpLeftBottom, mpRightTop, mpRightBottom };
enum TacHintState : std::uint8_t { hsNormal, hsInit };

// A hint made of a picture and a caption at a given size (Width 0: an ordinary text hint).
// ImageAlignment: 0 left, 1 top, 2 right, 3 bottom of the text.
struct TacShowHintData {
    int Width = 0, Height = 0;
    TPoint Position;
    UnicodeString Caption;
    TControl* Control = nullptr;
    TBitmap* Image = nullptr;
    int ImageAlignment = 0;
};

// May change the text, veto the hint, change the record, or give a frame (then owned by the
// manager) to show inside the hint.
using TacShowHintEvent =
    std::function<void(UnicodeString& HintStr, bool& CanShow, THintInfo& HintInfo, TCustomFrame*& Frame)>;
using TacMeasureEvent =
    std::function<void(const UnicodeString& HintStr, const THintInfo& HintInfo, int& NewWidth, int& NewHeight)>;
// Paints the hint content into ABmp inside ARect; clearing DefaultDraw leaves the text undrawn.
using TacPaintEvent = std::function<void(const UnicodeString& HintStr, const THintInfo& HintInfo, const TRect& ARect,
                                         TBitmap* ABmp, bool& DefaultDraw)>;

// A hint window drawn from the skin's hint section. The window itself stays transparent: its
// picture (AlphaBmp) is shown by the manager's animation window.
class TacCustomHintWindow : public THintWindow {
public:
    explicit TacCustomHintWindow(TComponent* owner);
    ~TacCustomHintWindow() override;
    UnicodeString ClassName() const override { return L"TacCustomHintWindow"; }

    // The window rectangle the hint needs, shadow bands included.
    TRect CalcHintRect(int maxWidth, const UnicodeString& text, void* data = nullptr) override;
    void ActivateHint(const TRect& rect, const UnicodeString& text) override;
    // Builds AlphaBmp, the premultiplied picture of Width x Height.
    virtual void CreateAlphaBmp(int Width, int Height);
    virtual void DoDestroy();
    virtual void UpdateImageTemplate() {}

    // The corner pointing at P for a hint at Rect (shadow bands included), moved inside the
    // monitor of its top-left corner; Rect receives the place.
    TacMousePosition GetArrowPos(TRect& Rect, const TPoint& P);
    TPoint GetMousePosition() const;
    // The whole picture: (0, 0) and the size of the manager's NewBounds.
    TRect MainRect() const;
    // The transparent bands around the body (Left, Top, Right, Bottom).
    virtual TRect ShadowSizes() const;
    virtual bool FullLayer() const;
    // The layered animation window at R (owned by the caller).
    std::unique_ptr<TCustomForm> CreateHintWindow(const TRect& R);
    void OnCloseHint();
    // Re-shows the hint at the manager's NewBounds (0 sizes: the window's own).
    void UpdateWnd(int Width = 0, int Height = 0);
    // Side 0 Left, 1 Top, 2 Right, 3 Bottom.
    int SkinMargin(int side) const;
    void PrepareMask();
    // The text area inside the picture.
    virtual TRect TextRect() const;
    // The window procedure a hint frame has while it is painted into the picture: its children
    // get the picture as their background.
    void FrameWndProc(TMessage& message);

    UnicodeString Text;
    std::unique_ptr<TBitmap> BodyBmp, MaskBmp, AlphaBmp;
    HRGN rgn = nullptr;
    int SkinIndex = -1;
    bool AlphaUsed = false;
    TWndMethod OldFrameProc;
    TacMousePosition FMousePos = mpLeftTop;

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
    void Paint() override {}
    // Template mode: no skin is used (TacPngHintWindow without a skin).
    virtual bool TemplateMode() const { return false; }
    // Selects the hint font into the bitmap's canvas.
    virtual void SetupFont(TFont* font) const;
    void TextOut(TBitmap* Bmp);
    std::unique_ptr<TBitmap> GetBody(int Width, int Height);
    std::unique_ptr<TBitmap> GetMask(int Width, int Height) const;
    TSize MeasureText(int maxWidth);
    int ScaledValue(int value) const;
    // The caption's flags of the text alignment and reading order.
    UINT AlignFlags() const;
    // Answers the library's background request with the picture.
    void AnswerBackground(TMessage& message);

private:
    bool destroyed_ = false;
};

// The window the manager installs as the application's hint window: drawn from the current
// template's 9-slice picture when no skin is used.
class TacPngHintWindow : public TacCustomHintWindow {
public:
    explicit TacPngHintWindow(TComponent* owner) : TacCustomHintWindow(owner) {}
    ~TacPngHintWindow() override;
    UnicodeString ClassName() const override { return L"TacPngHintWindow"; }
    TRect CalcHintRect(int maxWidth, const UnicodeString& text, void* data = nullptr) override;
    void CreateAlphaBmp(int Width, int Height) override;
    void DoDestroy() override;
    // Swaps in the current template's picture for the window's corner.
    void UpdateImageTemplate() override;
    TRect ShadowSizes() const override;
    bool FullLayer() const override;
    TRect TextRect() const override;

protected:
    bool TemplateMode() const override;
    void SetupFont(TFont* font) const override;

private:
    void PlaceAgainstRecord(TRect& r);
};

// The track bar's value tip: the same window under its own name (it gets no window region).
class TacTrackHintWindow : public TacPngHintWindow {
public:
    explicit TacTrackHintWindow(TComponent* owner) : TacPngHintWindow(owner) {}
    UnicodeString ClassName() const override { return L"TacTrackHintWindow"; }
};

// The glide and cross-fade from the previous hint picture to the new one, 12 ms a step.
class TsShowTimer : public TacThreadedTimer {
public:
    explicit TsShowTimer(TComponent* AOwner);
    UnicodeString ClassName() const override { return L"TsShowTimer"; }
    void Init(TacCustomHintWindow* HintForm, int Width, int Height);
    // One step of the animation (the timer's tick).
    void IntOnTimer(TObject* Sender);

    double x = 0, y = 0, dx = 0, dy = 0, StepB = 0;
    int HintWidth = 0, HintHeight = 0, Step = 0, StepCount = 20, Transparency = 0;
    TRect SrcRect;
    TSize FBmpSize;
    TPoint FBmpTopLeft;
    TacCustomHintWindow* CurrentHintForm = nullptr;
};

class TsAlphaHints : public TComponent, public IacHintTemplatesOwner {
public:
    explicit TsAlphaHints(TComponent* AOwner);
    ~TsAlphaHints() override;
    UnicodeString ClassName() const override { return L"TsAlphaHints"; }
    void Loaded() override;
    void AfterConstruction();

    // --- published
    bool Active() const { return FActive; }
    void SetActive(bool value);
    bool AutoAlignment() const { return FAutoAlignment; }
    void SetAutoAlignment(bool value);
    bool Animated() const { return FAnimated; }
    void SetAnimated(bool value) { FAnimated = value; }
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int value) { FMaxWidth = value; }
    // Stored only.
    bool HandleDisabledCtrls() const { return FHandleDisabledCtrls; }
    void SetHandleDisabledCtrls(bool value) { FHandleDisabledCtrls = value; }
    TacHintTemplates* Templates() const { return FTemplates.get(); }
    void SetTemplates(const TacHintTemplates* value);
    const UnicodeString& TemplateName() const { return FTemplateName; }
    void SetTemplateName(const UnicodeString& value);
    TAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment value) { FTextAlignment = value; }
    bool HTMLMode() const { return FHTMLMode; }
    void SetHTMLMode(bool value) { FHTMLMode = value; }
    int PauseHide() const { return FPauseHide; }
    void SetPauseHide(int value);
    const UnicodeString& SkinSection() const { return FSkinSection; }
    void SetSkinSection(const UnicodeString& value);
    bool UseSkinData() const { return FUseSkinData; }
    void SetUseSkinData(bool value) { FUseSkinData = value; }
    TacShowHintEvent OnShowHint;
    TNotifyEvent OnHideHint;
    TacMeasureEvent OnMeasure;
    TacPaintEvent OnPaint;

    // --- public
    TNotifyEvent OnChange;
    TacMousePosition DefaultMousePos = mpLeftTop;
    int TemplateIndex = -1;
    bool IsHintShowing() const { return HintShowing; }

    void UpdateHWClass();
    void Changed() override;
    bool Skinned() const;
    int GetSkinIndex();
    void InitTemplate();
    // The application's hint event while the manager is placed.
    void OnShowHintApp(UnicodeString& HintStr, bool& CanShow, THintInfo& HintInfo);
    void CheckAutoHintPos();

    void SetHintTimeCtrl(TControl* control);
    void ShowHint(const TPoint& Position, const UnicodeString& HintText, unsigned HideTime = 0);
    void ShowHint(TControl* TheControl, const UnicodeString& HintText, unsigned HideTime = 0);
    void ShowHint(const TacShowHintData& ShowHintData, unsigned HideTime = 0);
    void HideHint();
    void HideAll();
    void ResetHintInfo();
    void RepaintHint();
    void KillTimer();
    void StartHideTimer(unsigned HideTime);
    void StartCheckTimer();
    // Ticks of the hide, follow and check timers.
    void OnHideTimer(TObject* Sender);
    void OnCtrlTimer(TObject* Sender);
    void OnCheckTimer(TObject* Sender);

    // Renders a hint into a new 32-bit bitmap without showing it.
    void CreateHintBmp(const UnicodeString& HintText, TFont* AFont, std::unique_ptr<TBitmap>& ResultBmp);

    void SaveToStream(TStream& AStream);
    void SaveToFile(const UnicodeString& FileName);
    TacHintTemplate* LoadFromStream(TStream& AStream);
    TacHintTemplate* LoadFromFile(const UnicodeString& FileName);

    // State shared with the hint windows and the show timer.
    int FOldHintPause = 0; // the application's hint pause saved while animating, 0 = none
    TPoint FHintPos;       // where the next hint goes (X -1: at the mouse)
    TacShowHintData TmpShowData;
    TControl* HintTimeCtrl = nullptr;
    std::unique_ptr<TacThreadedTimer> HideTimer, CheckTimer;
    std::unique_ptr<TBitmap> FCacheBmp;
    double Blend = 0;
    TFont* CustomFont = nullptr;
    TacHintState State = hsNormal;
    std::unique_ptr<TsShowTimer> ShowTimer;
    bool ShadowCalculated = false;
    std::unique_ptr<TCustomForm> NewWindow, AnimWindow;
    TPoint FHintLocation;
    TRect NewBounds;
    std::unique_ptr<TCustomFrame> HintFrame;
    HWND HintWindowHandle = nullptr;
    bool HintCreating = false;
    bool HintShowing = false;
    THintInfo CurrentHintInfo;
    TacCustomHintWindow* HintWindow = nullptr; // owned

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // Copies templates, TemplateName, Animated, AutoAlignment, DefaultMousePos, HTMLMode,
    // PauseHide, SkinSection and UseSkinData to another manager.
    void AssignTo(TPersistent* dest) const override;

private:
    void CallShowHint(UnicodeString& text, bool& canShow, THintInfo& info);
    void ShowPrepared(const TPoint& location, const UnicodeString& text, unsigned HideTime, const void* data);

    int FMaxWidth = 120, FPauseHide = 5000;
    bool FAnimated = true, FHTMLMode = false, FAutoAlignment = false, FActive = true, FUseSkinData = false;
    bool FHandleDisabledCtrls = false;
    TAlignment FTextAlignment = taCenter;
    UnicodeString FTemplateName, FSkinSection = L"HINT";
    std::unique_ptr<TacHintTemplates> FTemplates;
    bool destroying_ = false;
};

// The active manager, or null.
extern TsAlphaHints* Manager;
// The template image in use (set by InitTemplate).
extern TacHintImage* CurrentHintImage;
