#pragma once
// Graphics unit over GDI: fonts, brushes and pens with handles made on demand, a canvas over any
// device context, and the graphic classes (DIB bitmap, icon) with a picture container that loads
// files by extension.
//
// Ownership: every GDI handle belongs to exactly one object and is deleted by it. A canvas
// selects its font, pen and brush into its DC and selects the original objects back before any
// of them is changed or the DC is released, so no handle is ever deleted while selected.
#include "Colors.h"
#include "Components.h"
#include "Exceptions.h"
#include "Objects.h"
#include "Sets.h"
#include "Streams.h"
#include "Strings.h"
#include "Types.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <type_traits>
#include <vector>

#include <windows.h>

FW_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
FW_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
FW_DECLARE_EXCEPTION(EOutOfResources, Exception);

class TCanvas;
class TGraphic;
class TBitmap;
class TIcon;

// Logical pixels per inch of the screen (LOGPIXELSY), read once.
int ScreenPixelsPerInch();

// ---------------------------------------------------------------------------------------------
// Fonts, brushes, pens

class TGraphicsObject : public TPersistent {
public:
    ~TGraphicsObject() override;
    UnicodeString ClassName() const override { return L"TGraphicsObject"; }

    // Fired after every change. Code may detach it for a while (save, clear, restore); the
    // canvas that owns the object is told separately and never misses a change.
    TNotifyEvent OnChange;

protected:
    TGraphicsObject() = default;
    // handleAffected: the GDI handle no longer matches the properties and is released.
    void Changed(bool handleAffected = true);
    virtual void ReleaseHandle() = 0;

private:
    friend class TCanvas;
    TCanvas* canvas_ = nullptr; // the canvas that selects this object into its DC
};

// A graphics object whose properties make one GDI object of type H (HFONT, HBRUSH, HPEN). The
// handle is made on demand by the class and deleted here when a property changes or the
// object goes.
template <class H>
class TGdiGraphicsObject : public TGraphicsObject {
public:
    ~TGdiGraphicsObject() override { ReleaseHandle(); }
    bool HandleAllocated() const { return handle_ != nullptr; }

protected:
    TGdiGraphicsObject() = default;
    // For SetHandle: reads the description of `handle` into info, releases the current handle
    // and takes ownership of the new one. False when there is nothing to read: the handle is
    // the current one, or null (only the current handle is released). A handle that is not an
    // object of this kind raises EInvalidGraphicOperation(invalid).
    template <class Info>
    bool AdoptHandle(H handle, Info& info, const wchar_t* invalid)
    {
        if (handle == handle_) return false;
        // LOGBRUSH and LOGPEN have the same size on x64: the object type tells them apart.
        if (handle && (!IsObjectOfThisKind(::GetObjectType(handle)) ||
                       ::GetObjectW(handle, sizeof(info), &info) != sizeof(info)))
            throw EInvalidGraphicOperation(invalid);
        Changed();
        if (!handle) return false;
        handle_ = handle;
        return true;
    }
    static bool IsObjectOfThisKind(DWORD type)
    {
        if constexpr (std::is_same_v<H, HFONT>) return type == OBJ_FONT;
        else if constexpr (std::is_same_v<H, HBRUSH>) return type == OBJ_BRUSH;
        else if constexpr (std::is_same_v<H, HPEN>) return type == OBJ_PEN;
        else return true;
    }
    void ReleaseHandle() final
    {
        if (handle_) {
            ::DeleteObject(handle_);
            handle_ = nullptr;
        }
    }

    H handle_ = nullptr;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality {
    fqDefault,
    fqDraft,
    fqProof,
    fqNonAntialiased,
    fqAntialiased,
    fqClearType,
    fqClearTypeNatural
};
using TFontCharset = BYTE;

class TFont : public TGdiGraphicsObject<HFONT> {
public:
    // Tahoma, 8 points at the screen's pixels per inch, window text colour.
    TFont();
    UnicodeString ClassName() const override { return L"TFont"; }

    const UnicodeString& Name() const { return name_; }
    void SetName(const UnicodeString& name);
    // Character height in pixels (negative: without internal leading, the usual form).
    int Height() const { return height_; }
    void SetHeight(int height);
    // Points: Size = -Height * 72 / PixelsPerInch (rounded as MulDiv rounds).
    int Size() const;
    void SetSize(int size);
    int PixelsPerInch() const { return pixelsPerInch_; }
    // Changes how Size maps to Height; Height stays.
    void SetPixelsPerInch(int ppi);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    TFontQuality Quality() const { return quality_; }
    void SetQuality(TFontQuality quality);
    // Tenths of a degree, counter-clockwise.
    int Orientation() const { return orientation_; }
    void SetOrientation(int orientation);

    // The HFONT for the current properties, made on first use and kept until a property changes.
    HFONT Handle();
    // Takes ownership of font and reads its properties from it; null releases the handle only.
    void SetHandle(HFONT font);

    // Copies another font; when the pixels per inch differ the point size is kept.
    void Assign(const TPersistent* source) override;

private:
    UnicodeString name_;
    int height_;
    int pixelsPerInch_;
    TColor color_;
    TFontStyles style_;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    TFontQuality quality_ = fqDefault;
    int orientation_ = 0;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGdiGraphicsObject<HBRUSH> {
public:
    TBrush() = default;
    UnicodeString ClassName() const override { return L"TBrush"; }

    TColor Color() const { return color_; }
    // Setting a colour on a clear brush makes it solid.
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);

    HBRUSH Handle();
    // Takes ownership of brush and reads colour and style from it.
    void SetHandle(HBRUSH brush);

    void Assign(const TPersistent* source) override;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate };
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};

class TPen : public TGdiGraphicsObject<HPEN> {
public:
    TPen() = default;
    UnicodeString ClassName() const override { return L"TPen"; }

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    // Raster operation the canvas applies (SetROP2); not part of the handle.
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);

    HPEN Handle();
    void SetHandle(HPEN pen);

    void Assign(const TPersistent* source) override;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

// ---------------------------------------------------------------------------------------------
// Canvas

enum TTextFormats {
    tfBottom,
    tfCalcRect,
    tfCenter,
    tfEditControl,
    tfEndEllipsis,
    tfPathEllipsis,
    tfExpandTabs,
    tfExternalLeading,
    tfLeft,
    tfModifyString,
    tfNoClip,
    tfNoPrefix,
    tfRight,
    tfRtlReading,
    tfSingleLine,
    tfTop,
    tfVerticalCenter,
    tfWordBreak,
    tfHidePrefix,
    tfNoFullWidthCharBreak,
    tfPrefixOnly,
    tfTabStop,
    tfWordEllipsis,
    tfComposited
};
using TTextFormat = TSet<TTextFormats>;

// The DrawText flags of a text format.
UINT TextFormatToDrawTextFlags(TTextFormat format);

// Copy modes are BitBlt raster operations.
using TCopyMode = DWORD;
inline constexpr TCopyMode cmSrcCopy = SRCCOPY;
inline constexpr TCopyMode cmSrcPaint = SRCPAINT;
inline constexpr TCopyMode cmSrcAnd = SRCAND;
inline constexpr TCopyMode cmSrcInvert = SRCINVERT;
inline constexpr TCopyMode cmBlackness = BLACKNESS;
inline constexpr TCopyMode cmWhiteness = WHITENESS;

class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    UnicodeString ClassName() const override { return L"TCanvas"; }

    // The DC, made on demand by canvases that own one (bitmap canvas). A plain canvas without
    // a handle raises EInvalidGraphicOperation when asked to draw.
    HDC Handle();
    // Points the canvas at a DC it does not own (a paint DC, a foreign memory DC); null
    // detaches. The canvas's objects are selected out of the previous DC first.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return handle_ != nullptr; }

    // Serialises drawing from several threads; calls nest.
    void Lock();
    void Unlock();
    bool TryLock();
    int LockCount() const { return lockCount_.load(); }

    TFont* Font() const { return font_.get(); }
    TBrush* Brush() const { return brush_.get(); }
    TPen* Pen() const { return pen_.get(); }
    void SetFont(const TFont* font) { font_->Assign(font); }
    void SetBrush(const TBrush* brush) { brush_->Assign(brush); }
    void SetPen(const TPen* pen) { pen_->Assign(pen); }

    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode mode) { copyMode_ = mode; }
    // ExtTextOut options TextOut uses (ETO_*).
    UINT TextFlags() const { return textFlags_; }
    void SetTextFlags(UINT flags) { textFlags_ = flags; }

    TPoint PenPos();
    void SetPenPos(const TPoint& pos) { MoveTo(pos.X, pos.Y); }

    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    void RoundRect(const TRect& rect, int cornerWidth, int cornerHeight)
    {
        RoundRect(rect.Left, rect.Top, rect.Right, rect.Bottom, cornerWidth, cornerHeight);
    }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void Polygon(std::span<const TPoint> points);

    // Draws text at (x, y) and moves the pen position to its right end.
    void TextOut(int x, int y, const UnicodeString& text);
    // Draws text at (x, y) clipped to rect; a solid brush fills rect first.
    void TextRect(const TRect& rect, int x, int y, const UnicodeString& text);
    // Draws text laid out in rect (DrawText). tfCalcRect only measures and updates rect;
    // tfModifyString writes the shortened text back.
    void TextRect(TRect& rect, UnicodeString& text, TTextFormat format = {});
    void TextRect(TRect& rect, const UnicodeString& text, TTextFormat format = {});
    TSize TextExtent(const UnicodeString& text);
    int TextWidth(const UnicodeString& text) { return TextExtent(text).cx; }
    int TextHeight(const UnicodeString& text) { return TextExtent(text).cy; }

    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    void DrawFocusRect(const TRect& rect);
    // Copies (stretching) source's sourceRect to dest with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);

    // Fired around every drawing operation.
    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    virtual void CreateHandle() {}
    virtual void Changing();
    virtual void Changed();

    enum StateFlag { HandleValid, FontValid, PenValid, BrushValid };
    using State = TSet<StateFlag>;
    void RequiredState(State required);
    // Selects the original objects back into the DC.
    void DeselectHandles();

private:
    friend class TGraphicsObject;
    void ObjectChanged(TGraphicsObject* object);
    void SelectFont();
    void SelectPen();
    void SelectBrush();

    HDC handle_ = nullptr;
    State state_;
    HGDIOBJ oldFont_ = nullptr;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TBrush> brush_;
    std::unique_ptr<TPen> pen_;
    TPoint penPos_;
    TCopyMode copyMode_ = cmSrcCopy;
    UINT textFlags_ = 0;
    std::recursive_mutex lock_;
    std::atomic<int> lockCount_{0};
};

// Lends a DC the canvas does not own to it for one drawing pass (a paint DC, a screen DC for
// measuring): locks the canvas and points it at dc, and detaches and unlocks it again however
// the pass ends.
class TCanvasDCScope {
public:
    TCanvasDCScope(TCanvas& canvas, HDC dc) : canvas_(canvas)
    {
        canvas_.Lock();
        try {
            canvas_.SetHandle(dc);
        } catch (...) {
            canvas_.Unlock();
            throw;
        }
    }
    ~TCanvasDCScope()
    {
        try {
            canvas_.SetHandle(nullptr); // selects the DC's own objects back
        } catch (...) {
            // Nothing may leave a destructor; the canvas is unlocked regardless.
        }
        canvas_.Unlock();
    }
    TCanvasDCScope(const TCanvasDCScope&) = delete;
    TCanvasDCScope& operator=(const TCanvasDCScope&) = delete;

private:
    TCanvas& canvas_;
};

// ---------------------------------------------------------------------------------------------
// Graphics

class TGraphic;
// Stands in for a graphic class reference: makes a new empty instance.
using TGraphicClass = std::unique_ptr<TGraphic> (*)();
template <class T>
std::unique_ptr<TGraphic> GraphicClass()
{
    return std::make_unique<T>();
}

// Stages of a long operation on a graphic, such as decoding a file.
enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* sender, TProgressStage stage, std::uint8_t percentDone,
                                          bool redrawNow, const TRect& rect, const UnicodeString& msg)>;

class TGraphic : public TPersistent {
public:
    ~TGraphic() override = default;
    UnicodeString ClassName() const override { return L"TGraphic"; }

    // A new empty graphic of the same class.
    virtual std::unique_ptr<TGraphic> NewInstance() const = 0;

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual void SetSize(int width, int height);
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool transparent);
    virtual HPALETTE Palette() { return nullptr; }
    virtual void SetPalette(HPALETTE) {}
    bool Modified() const { return modified_; }
    void SetModified(bool modified);

    // Paints the graphic into rect of canvas (stretching).
    virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;

    // Invalid data raises EInvalidGraphic.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    void LoadFromFile(const UnicodeString& fileName);
    void SaveToFile(const UnicodeString& fileName);

    TNotifyEvent OnChange;
    // Told about the stages of loading by graphics that decode in steps.
    TProgressEvent OnProgress;

protected:
    TGraphic() = default;
    virtual void Changed();
    virtual void Progress(TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                          const TRect& rect, const UnicodeString& msg);

private:
    bool transparent_ = false;
    bool modified_ = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

// Bits per pixel of a DIB pixel format (0 for pfDevice and pfCustom).
int BitsPerPixel(TPixelFormat format);
// Bytes from one DIB row to the next: ((width * bpp + 31) / 32) * 4.
long long BytesPerScanline(long long width, int bitsPerPixel);

class TBitmap : public TGraphic {
public:
    TBitmap();
    // An empty bitmap of this format, then SetSize.
    TBitmap(int width, int height, TPixelFormat format = pfDevice);
    ~TBitmap() override;
    UnicodeString ClassName() const override { return L"TBitmap"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TBitmap>(); }

    bool Empty() const override { return width_ == 0 || height_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int width) override { SetSize(width, height_); }
    void SetHeight(int height) override { SetSize(width_, height); }
    // Keeps the picture at its top-left corner; new area has all bits zero (black, alpha 0,
    // palette index 0). A zero side gives an empty bitmap (no handle) that keeps its format.
    void SetSize(int width, int height) override;

    // pfDevice is a device-dependent bitmap; every other format is a DIB section. Setting a
    // format converts the pixels (nearest colour of the palette for 1, 4 and 8 bits).
    TPixelFormat PixelFormat() const;
    void SetPixelFormat(TPixelFormat format);
    TBitmapHandleType HandleType() const;
    void SetHandleType(TBitmapHandleType type);

    // The bitmap handle. The canvas lets go of it first, so it can be selected elsewhere.
    HBITMAP Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Takes ownership of a DIB section or a device-dependent bitmap; null empties the bitmap
    // and resets the format to pfDevice.
    void SetHandle(HBITMAP bitmap);
    // Gives up ownership of the handle and leaves the bitmap empty.
    HBITMAP ReleaseHandle();

    // The palette of a 1-, 4- or 8-bit bitmap, owned by the bitmap. Setting one takes
    // ownership; for those formats it becomes the colour table (also for images made later).
    HPALETTE Palette() override;
    void SetPalette(HPALETTE palette) override;

    // Address of pixel row `row` (0 = top). Rows lie bottom-up in memory: ScanLine(0) is the
    // last row of the block and rows step by minus BytesPerScanline. A device-dependent bitmap
    // becomes a DIB first. Row outside 0..Height-1 raises EInvalidGraphic.
    void* ScanLine(int row);
    // Signed distance from one row's address to the next (negative).
    long long ScanLineDelta() const;

    TCanvas* Canvas();
    bool HasCanvas() const { return canvas_ != nullptr; }

    // Transparent drawing leaves out TransparentColor. In tmAuto mode that is the colour of
    // the bottom-left pixel; setting a colour switches to tmFixed.
    TColor TransparentColor();
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode);

    // Marks the fourth byte of 32-bit pixels as alpha that readers should honour.
    bool AlphaMeaningful() const { return alphaMeaningful_; }
    void SetAlphaMeaningful(bool value) { alphaMeaningful_ = value; }

    // Makes a copy of another bitmap (pixels, format, palette, transparency); null empties.
    void Assign(const TPersistent* source) override;

    void Draw(TCanvas* canvas, const TRect& rect) override;
    // BMP data: BITMAPFILEHEADER, info header, colour table, bottom-up rows. 32-bit pixels keep
    // their fourth byte. Reading accepts core, info and V4/V5 headers, 1/4/8/16/24/32 bits,
    // BI_RGB and BI_BITFIELDS, bottom-up and top-down rows.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // Reads an RT_BITMAP resource; instance null means the program itself.
    void LoadFromResourceName(HINSTANCE instance, const UnicodeString& name);
    void LoadFromResourceID(HINSTANCE instance, int id);

    // Frees the canvas's memory DC; it is made again on next use.
    void Dormant();

protected:
    void Changed() override;

private:
    friend class TBitmapCanvas;
    void FreeContext();
    void ReplaceImage(HBITMAP handle, bool dib, void* bits, int width, int height, TPixelFormat format);
    // Replaces the image by one of this size and format holding the current pixels.
    void ConvertImage(int width, int height, TPixelFormat format, std::vector<RGBQUAD> table);
    // Current pixels as 0xAARRGGBB, top row first.
    std::vector<std::uint32_t> ReadPixels32();
    void LoadBmp(TStream& stream, bool hasFileHeader);
    void LoadResource(HINSTANCE instance, LPCWSTR name);
    void ReleasePalette();

    HBITMAP handle_ = nullptr;
    bool dib_ = false;
    std::uint8_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pfDevice;
    std::vector<RGBQUAD> colorTable_; // colour table for 1-, 4- and 8-bit images
    HPALETTE palette_ = nullptr;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clDefault;
    bool alphaMeaningful_ = false;
    std::unique_ptr<TCanvas> canvas_;
};

// Publishes TBitmap's Data (its BMP file bytes, a binary property) so a component's bitmap
// property is kept in form definitions. Called by the controls layer's registration.
void RegisterGraphicsClasses();

class TIcon : public TGraphic {
public:
    TIcon();
    ~TIcon() override;
    UnicodeString ClassName() const override { return L"TIcon"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TIcon>(); }

    bool Empty() const override { return handle_ == nullptr && data_.empty(); }
    int Width() const override;
    int Height() const override;
    void SetWidth(int width) override { SetSize(width, Height()); }
    void SetHeight(int height) override { SetSize(Width(), height); }
    // Picks the image of this size (or the nearest) from loaded icon data.
    void SetSize(int width, int height) override;

    // Made from the loaded icon data on first use.
    HICON Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    // Takes ownership of icon; loaded icon data are dropped.
    void SetHandle(HICON icon);
    HICON ReleaseHandle();

    void Assign(const TPersistent* source) override;
    void Draw(TCanvas* canvas, const TRect& rect) override;
    // ICO data. Saving writes loaded data unchanged, or one 32-bit image built from the handle.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // Reads an RT_GROUP_ICON resource at the system's icon size.
    void LoadFromResourceName(HINSTANCE instance, const UnicodeString& name);
    void LoadFromResourceID(HINSTANCE instance, int id);

private:
    void ReleaseIcon();
    void LoadResource(HINSTANCE instance, LPCWSTR name);

    HICON handle_ = nullptr;
    std::vector<std::uint8_t> data_; // ICO file image, validated
    int requestedWidth_ = 0;
    int requestedHeight_ = 0;
};

class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    UnicodeString ClassName() const override { return L"TPicture"; }

    TGraphic* Graphic() const { return graphic_.get(); }
    // Stores a copy of graphic (same class); null clears.
    void SetGraphic(const TGraphic* graphic);
    // The graphic as a bitmap or icon; another kind of graphic is replaced by an empty one.
    TBitmap* Bitmap();
    TIcon* Icon();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // Picks the graphic class by the file extension; the picture is unchanged when loading fails.
    void LoadFromFile(const UnicodeString& fileName);
    void SaveToFile(const UnicodeString& fileName);

    void Assign(const TPersistent* source) override;

    TNotifyEvent OnChange;

    // File formats by extension (without point, any case); the latest registration wins.
    static void RegisterFileFormat(const UnicodeString& extension, const UnicodeString& description,
                                   TGraphicClass graphicClass);
    static void UnregisterGraphicClass(TGraphicClass graphicClass);
    static TGraphicClass FileFormatClass(const UnicodeString& extension);

protected:
    virtual void Changed();

private:
    void TakeGraphic(std::unique_ptr<TGraphic> graphic);
    std::unique_ptr<TGraphic> graphic_;
};
