// The HTML-subset renderer: the two passes, rows and wrapping, tags, links and entities.
#include "sHtmlParse.h"

#include "acGPUtils.h"
#include "sAlphaGraph.h"
#include "sConst.h"
#include "sGraphUtils.h"
#include "sGraphUtilsText.h"
#include "sGraphUtilsTextOut.h"
#include "sSkinManager.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>

namespace {

struct TacEntity {
    const wchar_t* Name;
    const wchar_t* Code;
    wchar_t Char;
};

// Names match without regard to case, codes exactly; so of a pair such as aacute/Aacute the
// first row answers both names and the capital is reached only by its code.
constexpr std::array<TacEntity, 87> kEntities{{
    {L"ndash", L"#8211", 8211}, {L"mdash", L"#8212", 8212}, {L"nbsp", L"#160", 160},    {L"iexcl", L"#161", 161},
    {L"iquest", L"#191", 191},  {L"quot", L"#34", 34},      {L"ldquo", L"#8220", 8220}, {L"rdquo", L"#8221", 8221},
    {L"39", L"39", 39},         {L"lsquo", L"#8216", 8216}, {L"rsquo", L"#8217", 8217}, {L"laquo", L"#171", 171},
    {L"raquo", L"#187", 187},   {L"amp", L"#38", 38},       {L"cent", L"#162", 162},    {L"copy", L"#169", 169},
    {L"divide", L"#247", 247},  {L"gt", L"#62", 62},        {L"lt", L"#60", 60},        {L"micro", L"#181", 181},
    {L"middot", L"#183", 183},  {L"para", L"#182", 182},    {L"plusmn", L"#177", 177},  {L"euro", L"#8364", 8364},
    {L"pound", L"#163", 163},   {L"reg", L"#174", 174},     {L"sect", L"#167", 167},    {L"trade", L"#153", 0x2122},
    {L"yen", L"#165", 165},     {L"szlig", L"#223", 223},   {L"yuml", L"#255", 255},    {L"aacute", L"#225", 225},
    {L"Aacute", L"#193", 193},  {L"agrave", L"#224", 224},  {L"Agrave", L"#192", 192},  {L"acirc", L"#226", 226},
    {L"Acirc", L"#194", 194},   {L"aring", L"#229", 229},   {L"Aring", L"#197", 197},   {L"atilde", L"#227", 227},
    {L"Atilde", L"#195", 195},  {L"auml", L"#228", 228},    {L"Auml", L"#196", 196},    {L"aelig", L"#230", 230},
    {L"AElig", L"#198", 198},   {L"ccedil", L"#231", 231},  {L"Ccedil", L"#199", 199},  {L"eacute", L"#233", 233},
    {L"Eacute", L"#201", 201},  {L"egrave", L"#232", 232},  {L"Egrave", L"#200", 200},  {L"ecirc", L"#234", 234},
    {L"Ecirc", L"#202", 202},   {L"euml", L"#235", 235},    {L"Euml", L"#203", 203},    {L"iacute", L"#237", 237},
    {L"Iacute", L"#205", 205},  {L"igrave", L"#236", 236},  {L"Igrave", L"#204", 204},  {L"icirc", L"#238", 238},
    {L"Icirc", L"#206", 206},   {L"iuml", L"#239", 239},    {L"Iuml", L"#207", 207},    {L"ntilde", L"#241", 241},
    {L"Ntilde", L"#209", 209},  {L"oacute", L"#243", 243},  {L"Oacute", L"#211", 211},  {L"ograve", L"#242", 242},
    {L"Ograve", L"#210", 210},  {L"ocirc", L"#244", 244},   {L"Ocirc", L"#212", 212},   {L"oslash", L"#248", 248},
    {L"Oslash", L"#216", 216},  {L"otilde", L"#245", 245},  {L"Otilde", L"#213", 213},  {L"ouml", L"#246", 246},
    {L"Ouml", L"#214", 214},    {L"uacute", L"#250", 250},  {L"Uacute", L"#218", 218},  {L"ugrave", L"#249", 249},
    {L"Ugrave", L"#217", 217},  {L"ucirc", L"#251", 251},   {L"Ucirc", L"#219", 219},   {L"uuml", L"#252", 252},
    {L"Uuml", L"#220", 220},    {L"#180", L"#180", 180},    {L"#96", L"#96", 96},
}};

struct TacNamedColor {
    const wchar_t* Name;
    TColor Color;
};

constexpr std::array<TacNamedColor, 16> kColors{{
    {L"AQUA", 0xFFFF00},
    {L"BLACK", 0x000000},
    {L"BLUE", 0xFF0000},
    {L"FUCHSIA", 0xFF00FF},
    {L"GRAY", 0x808080},
    {L"GREEN", 0x008000},
    {L"LIME", 0x00FF00},
    {L"MAROON", 0x000080},
    {L"NAVY", 0x800000},
    {L"OLIVE", 0x008080},
    {L"PURPLE", 0x800080},
    {L"RED", 0x0000FF},
    {L"SILVER", 0xC0C0C0},
    {L"TEAL", 0x808000},
    {L"WHITE", 0xFFFFFF},
    {L"YELLOW", 0x00FFFF},
}};

// Every character of text upper-cased on its own, so positions keep their meaning.
UnicodeString UpperEachUnit(const UnicodeString& text)
{
    UnicodeString result = text;
    if (!result.empty()) CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

bool IsHexWord(const UnicodeString& word)
{
    return !word.empty() && word.size() <= 8 &&
           std::all_of(word.begin(), word.end(), [](wchar_t c) { return iswxdigit(c); });
}

// An rrggbb hexadecimal value as a colour (red and blue exchanged); false when it is none.
bool HexToColor(const UnicodeString& hex, TColor& color)
{
    if (!IsHexWord(hex)) return false;
    color = SwapRedBlue(static_cast<std::int32_t>(std::wcstoul(hex.c_str(), nullptr, 16)));
    return true;
}

bool ReadColor(const UnicodeString& word, TColor& color)
{
    if (word.size() == 7 && word[0] == L'#' && HexToColor(word.substr(1), color)) return true;
    for (const TacNamedColor& named : kColors)
        if (word == named.Name) {
            color = named.Color;
            return true;
        }
    return HexToColor(word, color);
}

// A decimal number without a sign; false when the word is none.
bool ReadNumber(const UnicodeString& text, int& value)
{
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return false;
    value = std::stoi(text);
    return true;
}

bool IsFontDelimiter(wchar_t c)
{
    return c == 10 || c == 13 || c == L' ' || c == L'"' || c == L'<' || c == L'=' || c == L'>';
}

std::vector<UnicodeString> SplitFontTag(const UnicodeString& tag)
{
    std::vector<UnicodeString> words;
    UnicodeString word;
    for (wchar_t c : tag) {
        if (IsFontDelimiter(c)) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

// The HREF value of an A tag (as typed): after "HREF" and the next "=", the first word in double
// or single quotes (or up to a blank or ">" without quotes), quotes and ">" removed.
UnicodeString HrefValue(const UnicodeString& tag)
{
    const UnicodeString upped = UpperEachUnit(tag);
    const size_t href = upped.find(L"HREF");
    if (href == UnicodeString::npos) return UnicodeString();
    const size_t eq = tag.find(L'=', href + 4);
    if (eq == UnicodeString::npos) return UnicodeString();
    size_t i = eq + 1;
    while (i < tag.size() && tag[i] == L' ') ++i;
    UnicodeString value;
    if (i < tag.size() && (tag[i] == L'"' || tag[i] == L'\'')) {
        const size_t end = tag.find_first_of(L"\"'", i + 1);
        value = tag.substr(i + 1, end == UnicodeString::npos ? UnicodeString::npos : end - i - 1);
    } else {
        const size_t end = tag.find_first_of(L" >", i);
        value = tag.substr(i, end == UnicodeString::npos ? UnicodeString::npos : end - i);
    }
    std::erase_if(value, [](wchar_t c) { return c == L'"' || c == L'\'' || c == L'>'; });
    return value;
}

class TacHtmlStdDevice final : public TacHtmlTextDevice {
public:
    int TextHeight(TsHtml& html, const UnicodeString& text) override
    {
        return html.Bitmap ? html.Bitmap->Canvas()->TextHeight(text) : 0;
    }

    TSize Measure(TsHtml& html, const UnicodeString& text) override
    {
        if (text.empty() || !html.Bitmap) return {0, 0};
        TCanvas* canvas = html.Bitmap->Canvas();
        HDC dc = acCanvasTextDC(canvas);
        if (html.TranspMode == 2) return acgpMeasureString(dc, text, canvas->Font(), false, 0);
        TRect r(0, 0, INT_MAX, 0);
        acDrawText(dc, text, r, DT_CALCRECT | DT_NOPREFIX);
        return {r.Right, r.Bottom};
    }

    void Draw(TsHtml& html, const UnicodeString& text, const TRect& r) override
    {
        if (!html.Bitmap) return;
        TCanvas* canvas = html.Bitmap->Canvas();
        // Pieces are drawn as typed: an "&" is a character, never a mnemonic prefix.
        const UINT flags = html.TextFlags | DT_NOPREFIX;
        if (html.AlphaChannel) {
            WriteColor(html.Bitmap, text, true, r, flags & ~acDrawTextGdiPlus, ColorToRGB(canvas->Font()->Color()));
            return;
        }
        TRect rect(r.Left, r.Top, r.Right, r.Top + html.CurrentRowHeight);
        acDrawText(acCanvasTextDC(canvas), text, rect, flags, html.Bitmap);
    }
};

} // namespace

TacHtmlTextDevice& acHtmlStdDevice()
{
    static TacHtmlStdDevice device;
    return device;
}

int acLinkAtPoint(const TacLinks& links, const TPoint& p)
{
    for (size_t i = 0; i < links.size(); ++i) {
        const TRect& b = links[i].Bounds;
        if (p.X >= b.Left && p.X < b.Right && p.Y >= b.Top && p.Y < b.Bottom) return static_cast<int>(i);
    }
    return -1;
}

TsHtml::TsHtml() = default;

TsHtml::~TsHtml()
{
    while (!aFonts.empty()) aFonts.pop_back(); // last first
}

void TsHtml::Init(TBitmap* Bmp, const UnicodeString& Text, const TRect& aRect, int AHotLink, int APressedLink)
{
    Bitmap = Bmp;
    Origin = Text;
    Area = aRect;
    DefaultFontColor = Bmp ? Bmp->Canvas()->Font()->Color() : 0;
    UppedText = UpperEachUnit(Text);
    Len = static_cast<int>(UppedText.size());
    MaxBmpWidth = MaxBmpHeight = CurWidthValue = 0;
    HotLink = AHotLink;
    PressedLink = APressedLink;
    if (Bmp) Bmp->Canvas()->Brush()->SetStyle(bsClear);
    TextFlags = DT_NOCLIP | DT_VCENTER;
    if (TranspMode == 2) TextFlags |= acDrawTextGdiPlus;
    if (BidiMode == 1)
        TextFlags |= DT_RTLREADING | DT_RIGHT;
    else if (BidiMode == 2)
        TextFlags |= DT_RTLREADING;
}

TCanvas* TsHtml::Canvas() const { return Bitmap ? Bitmap->Canvas() : nullptr; }

wchar_t TsHtml::Up(int pos) const { return pos >= 1 && pos <= Len ? UppedText[static_cast<size_t>(pos - 1)] : 0; }

// Origin's characters from..to (1-based, inclusive) without CR and LF.
UnicodeString TsHtml::PieceText(int from, int to) const
{
    UnicodeString s;
    from = std::max(from, 1);
    to = std::min(to, Len);
    for (int i = from; i <= to; ++i) {
        const wchar_t c = Origin[static_cast<size_t>(i - 1)];
        if (c != 13 && c != 10) s += c;
    }
    return s;
}

TRect TsHtml::HTMLText(TacLinks& ALinks, bool CalcOnly)
{
    if (!Calculating) {
        aLineSizes.clear();
        Calculating = true;
        LineNumber = 0;
        CurX = CurY = 0;
        TFont saved;
        if (Canvas()) saved.Assign(Canvas()->Font());
        CurrentRowHeight = Device->TextHeight(*this, L"Yy");
        try {
            Scan(ALinks);
        } catch (...) {
            Calculating = false;
            throw;
        }
        if (Canvas()) Canvas()->Font()->Assign(&saved);
        Calculating = false;
        if (CalcOnly) return TRect(0, 0, MaxBmpWidth, MaxBmpHeight);
    }
    Scan(ALinks);
    return TRect(0, 0, MaxBmpWidth, MaxBmpHeight);
}

void TsHtml::Scan(TacLinks& ALinks)
{
    if (Canvas()) Canvas()->Font()->SetColor(DefaultFontColor);
    // Fonts a former pass left open would be popped by this one's stray closing tags.
    aFonts.clear();
    LinkOpened = false;
    CurY = LineNumber = MaxBmpWidth = MaxBmpHeight = CurWidthValue = 0;
    // The drawing pass starts the first row at its measured height, as it does every later row.
    if (!Calculating && !aLineSizes.empty()) CurrentRowHeight = aLineSizes.front().Size.cy;
    RowStart();
    CurY = Area.Top;
    Links.clear();
    LinkCount = -1;
    CurPos = LastPos = LinePos = 1;
    SavePoint();
    while (CurPos <= Len) {
        const wchar_t c = Up(CurPos);
        if (c == 13) {
            if (!acHtmlStdBreak) {
                FlushWord();
                ++CurPos;
                if (Up(CurPos) == 10) ++CurPos;
                SavePoint();
            } else {
                FlushWord();
                ShowPiece();
                LastPos = CurPos;
                NewRow();
                SetRowHeight();
                ++CurPos;
            }
        } else if (c == L' ') {
            FlushWord();
            SavePoint();
            ++CurPos;
        } else if (c == L'&') {
            ShowPiece();
            if (!GetSpecialCharacter()) {
                LastPos = Up(CurPos + 1) == L'&' ? CurPos + 1 : CurPos;
                ++CurPos;
            }
        } else if (c == L'<') {
            if (Up(CurPos + 1) == L'<') {
                ShowPiece();
                LastPos = CurPos + 1;
                CurPos += 2;
                continue;
            }
            FlushWord();
            ShowPiece();
            const size_t close = UppedText.find(L'>', static_cast<size_t>(CurPos - 1));
            if (close == UnicodeString::npos) {
                ++CurPos;
                LastPos = CurPos;
                continue;
            }
            sCurrentTag =
                UppedText.substr(static_cast<size_t>(CurPos - 1), close - static_cast<size_t>(CurPos - 1) + 1);
            if (ExecTag()) continue;
            LastPos = CurPos;
            ++CurPos;
        } else {
            ++CurPos;
        }
    }
    FlushWord();
    ShowPiece();
    if (Calculating) aLineSizes.push_back({PieceText(LinePos, Len), {CurWidthValue, CurrentRowHeight}});
    MaxBmpWidth = std::max(MaxBmpWidth, CurWidthValue);
    MaxBmpHeight = CurY + CurrentRowHeight;
    ALinks = Links;
}

void TsHtml::SavePoint()
{
    PrevPos = CurPos;
    PrevLastPos = LastPos;
    sPrevTag = sCurrentTag;
    sPrevChar = sCurrentChar;
}

// How far the pen stands from the start of its row: the measuring pass starts every row at 0,
// the drawing pass at its alignment, and both must break rows at the same places.
int TsHtml::RowX() const { return std::max(0, CurX - rowLeft_); }

void TsHtml::RowStart()
{
    if (Calculating || aLineSizes.empty()) {
        CurX = Calculating ? 0 : Area.Left;
        rowLeft_ = CurX;
        return;
    }
    static constexpr std::array<int, 3> kJustify{0, 1, 2};    // left, right, centre
    static constexpr std::array<int, 3> kJustifyRtl{1, 0, 2}; // right, left, centre
    const int justify = (BidiMode == 1 ? kJustifyRtl : kJustify)[std::min<int>(Alignment, 2)];
    const size_t row = std::min<size_t>(static_cast<size_t>(std::max(LineNumber, 0)), aLineSizes.size() - 1);
    const int w = aLineSizes[row].Size.cx;
    switch (justify) {
    case 1: CurX = Area.Left + Area.Width() - w; break;
    case 2: CurX = Area.Left + (Area.Width() - w) / 2; break;
    default: CurX = Area.Left; break;
    }
    rowLeft_ = CurX;
}

void TsHtml::NewRow()
{
    const int oldX = CurX, oldHeight = CurrentRowHeight;
    CurY += CurrentRowHeight + 2;
    if (Calculating) {
        aLineSizes.push_back({PieceText(LinePos, CurPos - 1), {CurWidthValue, CurrentRowHeight}});
        LinePos = LastPos;
    }
    MaxBmpWidth = std::max(MaxBmpWidth, CurWidthValue);
    CurWidthValue = CurrentRowHeight = 0;
    ++LineNumber;
    RowStart();
    SavePoint();
    // A link open over the break (a wrap or a break tag) gets a second area on the new row.
    if (LinkOpened && !Links.empty()) {
        TacLink& last = Links.back();
        last.Bounds.Right = oldX;
        last.Bounds.Bottom = last.Bounds.Top + oldHeight;
        TacLink next;
        next.Bounds = TRect(CurX, CurY, CurX, CurY);
        next.Ndx = last.Ndx;
        next.URL = last.URL;
        Links.push_back(std::move(next));
    }
}

int TsHtml::MeasuredRowHeight() const
{
    if (aLineSizes.empty()) return 0;
    return aLineSizes[std::min<size_t>(static_cast<size_t>(std::max(LineNumber, 0)), aLineSizes.size() - 1)].Size.cy;
}

void TsHtml::SetRowHeight()
{
    if (CurrentRowHeight != 0) return;
    CurrentRowHeight = Calculating ? Device->TextHeight(*this, L"Yy") : MeasuredRowHeight();
}

void TsHtml::DrawAt(const UnicodeString& text, const TSize& size)
{
    if (!Calculating && !text.empty()) Device->Draw(*this, text, TRect(CurX, CurY, CurX + size.cx, CurY + size.cy));
}

void TsHtml::ShowPiece()
{
    const UnicodeString piece = PieceText(LastPos, CurPos - 1);
    const TSize size = Device->Measure(*this, piece);
    CurrentRowHeight = std::max(CurrentRowHeight, static_cast<int>(size.cy));
    DrawAt(piece, size);
    CurX += size.cx;
    CurWidthValue = std::max(CurWidthValue + static_cast<int>(size.cx), CurX);
}

void TsHtml::FlushWord()
{
    const UnicodeString word = PieceText(LastPos, CurPos - 1);
    if (word.empty()) return;
    const int width = Device->Measure(*this, word).cx;
    if (WrapWidth > 0 && RowX() + width > WrapWidth) {
        if (LastPos <= Len && Origin[static_cast<size_t>(LastPos - 1)] == L' ') {
            ++PrevPos;
            ++LastPos;
        }
        if (width <= Area.Width()) {
            if (CurX > rowLeft_) NewRow();
            ShowPiece();
        } else {
            ShowPiece();
            NewRow();
        }
    } else {
        ShowPiece();
    }
    LastPos = CurPos;
}

void TsHtml::DrawCharacter(const UnicodeString& text, int advance, int height)
{
    if (WrapWidth > 0 && CurX > rowLeft_ && RowX() + advance > WrapWidth) NewRow();
    const TSize size = Device->Measure(*this, text);
    DrawAt(text, TSize(advance, size.cy));
    CurX += advance;
    CurWidthValue = CurX;
    CurrentRowHeight = Calculating ? std::max(CurrentRowHeight, height) : MeasuredRowHeight();
}

bool TsHtml::GetSpecialCharacter()
{
    const int start = CurPos;
    const int last = std::min(Len, start + 255);
    int semicolon = 0;
    bool blankFirst = false;
    for (int i = start + 1; i <= last; ++i) {
        const wchar_t c = Origin[static_cast<size_t>(i - 1)];
        if (c == L';') {
            semicolon = i;
            break;
        }
        if (c == L' ') {
            blankFirst = true;
            break;
        }
    }
    const int yy = Calculating ? Device->TextHeight(*this, L"Yy") : 0;
    if (semicolon == 0 || blankFirst) {
        if (Up(start + 1) != L'&') return false;
        // "&&" stands for one "&" (half the width of two).
        sCurrentChar = L"&&";
        DrawCharacter(L"&", Device->Measure(*this, L"&&").cx / 2, yy);
        CurPos = start + 2;
        LastPos = CurPos;
        return true;
    }
    const UnicodeString name = Origin.substr(static_cast<size_t>(start), static_cast<size_t>(semicolon - start - 1));
    const auto row = std::find_if(kEntities.begin(), kEntities.end(), [&](const TacEntity& e) {
        return SameText(name, std::wstring_view(e.Name)) || name == e.Code;
    });
    if (row == kEntities.end()) return false;
    sCurrentChar = L"&" + name + L";";
    const UnicodeString text(1, row->Char);
    DrawCharacter(text, Device->Measure(*this, text).cx, yy);
    CurPos = start + static_cast<int>(sCurrentChar.size());
    LastPos = CurPos;
    return true;
}

namespace {

// An opening tag names N when N follows "<" directly and a blank or ">" follows N.
bool OpensAs(const UnicodeString& tag, std::wstring_view name)
{
    if (tag.size() < 2 || tag[1] == L'/' || tag.size() < name.size() + 2) return false;
    if (std::wstring_view(tag).substr(1, name.size()) != name) return false;
    const wchar_t next = tag[name.size() + 1];
    return next == L' ' || next == L'>';
}

// A closing tag names N when N starts at its third character.
bool ClosesAs(const UnicodeString& tag, std::wstring_view name)
{
    return tag.size() >= 2 && tag[1] == L'/' && std::wstring_view(tag).substr(2, name.size()) == name &&
           tag.size() >= name.size() + 2;
}

} // namespace

bool TsHtml::ExecTag()
{
    const UnicodeString& tag = sCurrentTag;
    TFont* font = Canvas() ? Canvas()->Font() : nullptr;
    const auto addStyle = [font](TFontStyle s) {
        if (font) font->SetStyle(font->Style() + TFontStyles{s});
    };
    const auto removeStyle = [font](TFontStyle s) {
        if (font) font->SetStyle(font->Style() - TFontStyles{s});
    };
    const auto consume = [this](int length) {
        CurPos += length;
        LastPos = PrevPos = PrevLastPos = CurPos;
    };
    const int length = static_cast<int>(tag.size());
    if (tag.size() >= 2 && tag[1] != L'/') {
        if (OpensAs(tag, L"BR") || OpensAs(tag, L"BR/") || OpensAs(tag, L"P")) {
            NewRow();
            SetRowHeight();
            consume(length);
            LinePos = CurPos;
        } else if (OpensAs(tag, L"B")) {
            addStyle(fsBold);
            consume(length);
        } else if (OpensAs(tag, L"I")) {
            addStyle(fsItalic);
            consume(length);
        } else if (OpensAs(tag, L"U")) {
            addStyle(fsUnderline);
            consume(length);
        } else if (OpensAs(tag, L"FONT")) {
            PushFont();
            ApplyFontAttributes();
            consume(length);
        } else if (OpensAs(tag, L"A")) {
            OpenLink();
            consume(length);
        } else {
            return false;
        }
        return true;
    }
    if (ClosesAs(tag, L"B"))
        removeStyle(fsBold);
    else if (ClosesAs(tag, L"I"))
        removeStyle(fsItalic);
    else if (ClosesAs(tag, L"U"))
        removeStyle(fsUnderline);
    else if (ClosesAs(tag, L"FONT"))
        PopFont();
    else if (ClosesAs(tag, L"A"))
        CloseLink();
    else if (ClosesAs(tag, L"P")) {
        NewRow();
        SetRowHeight();
    } else
        return false;
    consume(length);
    return true;
}

void TsHtml::PushFont()
{
    auto copy = std::make_unique<TFont>();
    if (Canvas()) copy->Assign(Canvas()->Font());
    aFonts.push_back(std::move(copy));
}

void TsHtml::PopFont()
{
    if (aFonts.empty()) return;
    if (Canvas()) Canvas()->Font()->Assign(aFonts.back().get());
    aFonts.pop_back();
}

// SIZE (+n larger, -n smaller, n), COLOR (#rrggbb, a colour name, rrggbb) and FACE ("name"); a
// value that cannot be read leaves the font as it is.
void TsHtml::ApplyFontAttributes()
{
    TFont* font = Canvas() ? Canvas()->Font() : nullptr;
    if (!font) return;
    const std::vector<UnicodeString> words = SplitFontTag(sCurrentTag);
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        const UnicodeString& value = words[i + 1];
        if (words[i] == L"SIZE") {
            int n = 0;
            if (value[0] == L'-' || value[0] == L'+') {
                if (ReadNumber(value.substr(1), n)) font->SetSize(font->Size() + (value[0] == L'-' ? -n : n));
            } else if (ReadNumber(value, n)) {
                font->SetSize(n);
            }
        } else if (words[i] == L"COLOR") {
            TColor color = 0;
            if (ReadColor(value, color)) font->SetColor(color);
        }
    }
    const size_t face = sCurrentTag.find(L"FACE");
    if (face != UnicodeString::npos) {
        const size_t q1 = sCurrentTag.find(L'"', face);
        const size_t q2 = q1 == UnicodeString::npos ? q1 : sCurrentTag.find(L'"', q1 + 1);
        if (q2 != UnicodeString::npos) font->SetName(sCurrentTag.substr(q1 + 1, q2 - q1 - 1));
    }
}

void TsHtml::OpenLink()
{
    ShowPiece();
    LinkOpened = true;
    ++LinkCount;
    PushFont();
    const int state = (LinkCount == PressedLink ? 1 : 0) + (LinkCount == HotLink ? 1 : 0);
    if (TFont* font = Canvas() ? Canvas()->Font() : nullptr) {
        TColor color;
        if (!SkinManager || !SkinManager->IsActive()) {
            color = state == 2 ? TColor(0x0000FF) : TColor(0xFF0000);
        } else {
            const auto& palette = SkinManager->Palette;
            color = state == 0   ? palette[pcWebText]
                    : state == 1 ? palette[pcWebTextHot]
                                 : BlendColors(palette[pcWebTextHot], palette[pcLabelText], 127);
        }
        font->SetColor(color);
        if (state > 0) font->SetStyle(font->Style() + TFontStyles{fsUnderline});
    }
    TacLink link;
    link.Bounds = TRect(CurX, CurY, CurX, CurY);
    link.Ndx = LinkCount;
    link.URL = Origin.substr(static_cast<size_t>(CurPos - 1), sCurrentTag.size());
    Links.push_back(std::move(link));
}

void TsHtml::CloseLink()
{
    // A closing tag without its opening one changes nothing.
    if (!LinkOpened || Links.empty()) return;
    TacLink& last = Links.back();
    const UnicodeString url = HrefValue(last.URL);
    // Every area of a wrapped link carries the link's address.
    for (TacLink& link : Links)
        if (link.Ndx == last.Ndx) link.URL = url;
    last.Bounds.Right = CurX;
    last.Bounds.Bottom = last.Bounds.Top + CurrentRowHeight;
    PopFont();
    LinkOpened = false;
}
