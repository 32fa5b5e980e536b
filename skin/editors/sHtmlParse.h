#pragma once
// The renderer of the library's small HTML subset (breaks, paragraphs, bold, italic, underline,
// font colour, face and size, links, character entities) for hints and HTML labels. A TsHtml
// lays a short text out in two passes over a bitmap's canvas: a measuring pass that records the
// size and text of every row, and a drawing pass that aligns each row by those sizes and keeps
// the areas of the links. It is a plain object, created by its caller for one use.
#include "Graphics.h"
#include "Strings.h"
#include "Types.h"

#include <cstdint>
#include <memory>
#include <vector>

class TsSkinManager;
class TsHtml;

// One clickable area of a link, in the target bitmap's coordinates; a link that wraps has one
// area per row, each with the same Ndx and URL.
struct TacLink {
    TRect Bounds;
    int Ndx = 0;       // the link's number in text order, from 0
    UnicodeString URL; // the HREF value
};
using TacLinks = std::vector<TacLink>;

// Index of the first link whose Bounds contain the point (left and top inclusive), -1 for none.
int acLinkAtPoint(const TacLinks& links, const TPoint& p);

// One row of the measuring pass.
struct TacLineData {
    UnicodeString Text;
    TSize Size;
};

// Where the renderer measures and draws strings: the real one goes through the library's text
// routines on the target bitmap; tests give a fixed one.
class TacHtmlTextDevice {
public:
    virtual ~TacHtmlTextDevice() = default;
    // The canvas's text height of text (the minimum height of a row is that of "Yy").
    virtual int TextHeight(TsHtml& html, const UnicodeString& text) = 0;
    // The size of a piece of text in the canvas's current font; (0, 0) for an empty text.
    virtual TSize Measure(TsHtml& html, const UnicodeString& text) = 0;
    // Draws a non-empty piece in the canvas's current font; r is the piece's own rectangle.
    virtual void Draw(TsHtml& html, const UnicodeString& text, const TRect& r) = 0;
};

// The device over acDrawText, the GDI+ measure (TranspMode 2) and WriteColor (AlphaChannel).
TacHtmlTextDevice& acHtmlStdDevice();

class TsHtml {
public:
    TsHtml();
    ~TsHtml();
    TsHtml(const TsHtml&) = delete;
    TsHtml& operator=(const TsHtml&) = delete;

    // Starts a text: Bmp is the target (not owned), drawn in its canvas's current font and
    // colour; aRect's left edge starts the rows, its top the first row.
    void Init(TBitmap* Bmp, const UnicodeString& Text, const TRect& aRect, int AHotLink = -1, int APressedLink = -1);
    // Lays the text out; with CalcOnly only measures. Returns (0, 0, MaxBmpWidth, MaxBmpHeight)
    // and the link areas of the last pass. Malformed markup never fails.
    TRect HTMLText(TacLinks& ALinks, bool CalcOnly);

    // The text given to Init, its upper-cased copy (same length: every test of a character or
    // tag reads it) and that length.
    UnicodeString Origin;
    UnicodeString sPrevTag, sPrevChar;
    UnicodeString sCurrentTag;  // the tag being handled, "<" to ">", upper-cased
    UnicodeString sCurrentChar; // the entity being handled
    UnicodeString UppedText;
    int Len = 0;

    // Pen and positions (1-based character indexes).
    int CurX = 0, CurY = 0;
    int CurPos = 1, LastPos = 1, LinePos = 1, PrevPos = 1;
    int HotLink = -1, LinkCount = -1, WrapWidth = 0, LineNumber = 0, PressedLink = -1;
    int MaxBmpWidth = 0, MaxBmpHeight = 0;
    int CurWidthValue = 0, CurrentRowHeight = 0, PrevLastPos = 1;
    bool LinkOpened = false;
    bool Calculating = false;
    TRect Area;
    TacLinks Links;
    TBitmap* Bitmap = nullptr;
    std::vector<std::unique_ptr<TFont>> aFonts; // saved fonts of FONT and A tags
    TColor DefaultFontColor = 0;
    std::vector<TacLineData> aLineSizes;
    // The DrawText flags the pieces are drawn with (DT_NOCLIP | DT_VCENTER, the GDI+ flag with
    // TranspMode 2, the right-to-left flags of BidiMode), set by Init.
    UINT TextFlags = 0;

    // Set by the caller.
    int TranspMode = 0;                   // 2: measured and drawn through GDI+
    bool AlphaChannel = false;            // text written keeping the bitmap's alpha channel
    TsSkinManager* SkinManager = nullptr; // colours links from its palette when active
    std::uint8_t Alignment = 0;           // 0 left, 1 right, 2 centre
    std::uint8_t Layout = 0;              // kept for the caller
    std::uint8_t BidiMode = 0;            // 0 left to right, 1 right to left, 2 right-to-left reading
    TacHtmlTextDevice* Device = &acHtmlStdDevice();

private:
    void Scan(TacLinks& ALinks);
    TCanvas* Canvas() const;
    wchar_t Up(int pos) const;
    UnicodeString PieceText(int from, int to) const;
    void SavePoint();
    int RowX() const;
    void RowStart();
    void NewRow();
    void SetRowHeight();
    int MeasuredRowHeight() const;
    void DrawAt(const UnicodeString& text, const TSize& size);
    void ShowPiece();
    void FlushWord();
    bool GetSpecialCharacter();
    void DrawCharacter(const UnicodeString& text, int advance, int height);
    bool ExecTag();
    void ApplyFontAttributes();
    void OpenLink();
    void CloseLink();
    void PushFont();
    void PopFont();

    int rowLeft_ = 0; // CurX at the start of the current row
};
