#pragma once
// The house test skin "HouseSkin": one description written in three shapes (a skin folder, a
// packed ".asz" archive with a preview chunk, and a stored skin as form-definition text), with
// options for the faulty and variant skins the tests need. Everything is drawn here in flat
// colours, so a test can compute every pixel it expects from the layout constants below.
//
// The programs that use it must carry the font resource (house_skin_font.rc).
#include "Strings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace house_skin {

using Bytes = std::vector<std::uint8_t>;
using Argb = std::uint32_t; // 0xAARRGGBB, as the PNG stores it (red first)

inline constexpr char kSignature[4] = {'V', 'S', 'K', '1'};
inline constexpr const char* kPreviewMarker = "previewimg";

// ---------------------------------------------------------------------------------------------
// Master.png: 128 x 128 RGBA

struct Rect {
    int left, top, right, bottom;
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
};
struct Point {
    int x, y;
};

inline constexpr int kMasterSize = 128;
inline constexpr Argb kBackground = 0xFF303030; // every pixel no image covers
inline constexpr Argb kKey = 0xFFFF00FF;        // the skin's transparent colour
inline constexpr Argb kMaskWhite = 0xFFFFFFFF;
inline constexpr Argb kMaskGrey = 0xFF808080;
inline constexpr Argb kMaskBlack = 0xFF000000;

// BUTTON border: 3 frames of 24 x 24 (normal, hot, pressed), the image half over the mask half
// (MaskType 1). In each frame: 2 x 2 key corners (white in the mask), a 1-pixel ring of the
// frame's border colour (grey band in the mask), the face inside (black in the mask).
inline constexpr Rect kButton = {0, 0, 72, 48};
inline constexpr int kButtonFrame = 24;
inline constexpr int kButtonMargin = 6;
inline constexpr int kCornerSize = 2;
inline constexpr std::array<Argb, 3> kButtonBorder = {0xFF506070, 0xFF3070C0, 0xFF203040};
inline constexpr std::array<Argb, 3> kButtonFace = {0xFFD0D8E0, 0xFFE8F0FF, 0xFFA0B0C0};

// Two-colour 16 x 16 tile: quadrants of 8 x 8, A at top left and bottom right.
inline constexpr Rect kTile = {72, 0, 88, 16};
inline constexpr Argb kTileA = 0xFFC8D8C8;
inline constexpr Argb kTileB = 0xFF98B098;

// Check glyph: 2 frames of 12 x 12 (normal, hot), a tick on key background.
inline constexpr Rect kCheck = {88, 0, 112, 12};
inline constexpr int kCheckFrame = 12;
inline constexpr std::array<Argb, 2> kCheckInk = {0xFF207020, 0xFF40A040};
// Pixels of the tick inside a frame: a short arm down to the right, a long arm up to the right.
constexpr bool IsTickPixel(int x, int y)
{
    return (x >= 2 && x <= 4 && (y - x == 4 || y - x == 5)) || (x >= 4 && x <= 9 && (x + y == 12 || x + y == 13));
}

// GLOW0 of BUTTON: 2 frames of 16 x 16 (normal, focused), rings of rising alpha towards the
// inside by the distance d to the frame's edge: d 0-1, 2-3, 4-5, the rest.
inline constexpr Rect kGlow = {72, 16, 104, 32};
inline constexpr int kGlowFrame = 16;
inline constexpr int kGlowMargin = 6;
inline constexpr std::array<std::uint32_t, 2> kGlowRgb = {0xFFFFFF, 0xFFD040};
inline constexpr std::array<std::uint8_t, 4> kGlowAlpha = {0x40, 0x80, 0xC0, 0x10};

// BICONCLOSEGLOW0: one frame of 24 x 16, red rings: d 0-1, 2-3, the rest.
inline constexpr Rect kCloseGlow = {104, 16, 128, 32};
inline constexpr int kCloseGlowMargin = 4;
inline constexpr std::uint32_t kCloseGlowRgb = 0xE04040;
inline constexpr std::array<std::uint8_t, 3> kCloseGlowAlpha = {0x40, 0x80, 0xC0};

// EXBORDER: 2 frames of 40 x 40 (active, inactive), margins 8: key corners, a 1-pixel edge,
// the border fill up to the margin, a light centre.
inline constexpr Rect kExBorder = {0, 48, 80, 88};
inline constexpr int kExBorderFrame = 40;
inline constexpr int kExBorderMargin = 8;
inline constexpr std::array<Argb, 2> kExEdge = {0xFF102040, 0xFF404040};
inline constexpr std::array<Argb, 2> kExFill = {0xFF3060A0, 0xFF808890};
inline constexpr Argb kExCentre = 0xFFF0F0F0;

// Title glyphs: rows of 3 frames of 14 x 12 (normal, hot, pressed) on key background. Each has
// a mark at its left (column 1, rows 1-3) so that a mirrored glyph differs from the original.
enum class TitleGlyph { Close, Max, Min, Norm };
inline constexpr int kTitleFrameWidth = 14;
inline constexpr int kTitleFrameHeight = 12;
inline constexpr Point kTitleOrigin = {80, 48};
constexpr Rect TitleRect(TitleGlyph g)
{
    const int top = kTitleOrigin.y + static_cast<int>(g) * kTitleFrameHeight;
    return {kTitleOrigin.x, top, kTitleOrigin.x + 3 * kTitleFrameWidth, top + kTitleFrameHeight};
}
inline constexpr std::array<Argb, 3> kTitleInk = {0xFF202020, 0xFF0060C0, 0xFF003060};
// Pixels of a glyph inside its frame.
constexpr bool IsTitlePixel(TitleGlyph g, int x, int y)
{
    if (x == 1 && y >= 1 && y <= 3) return true;
    const bool box = x >= 3 && x <= 10 && y >= 2 && y <= 9;
    switch (g) {
    case TitleGlyph::Close:
        return box && (x - 3 == y - 2 || x - 3 == 9 - y);
    case TitleGlyph::Max:
        return box && (x == 3 || x == 10 || y <= 3 || y == 9);
    case TitleGlyph::Min:
        return box && y >= 8;
    case TitleGlyph::Norm: {
        const bool back = x >= 5 && x <= 10 && y >= 2 && y <= 6 && (x == 5 || x == 10 || y == 2 || y == 6);
        const bool front = x >= 3 && x <= 8 && y >= 5 && y <= 9;
        const bool frontEdge = front && (x == 3 || x == 8 || y == 5 || y == 9);
        return frontEdge || (back && !front);
    }
    }
    return false;
}

// Track-bar images (Options::withTrackBarImages), in the free rows below EXBORDER:
// SLIDERCHANNEL, 2 frames of 8 x 8 (normal, hot) with margins 2: a 1-pixel edge round the fill;
// SLIDERMASK, 3 frames of 10 x 16 (normal, hot, pressed): the body with its point in the bottom 4
// rows; SLIDERVMASK, 3 frames of 16 x 10: the body with its point in the right 4 columns; TICKHORZ
// (3 x 5) and TICKVERT (5 x 3) in one colour.
inline constexpr Rect kTrackChannel = {0, 88, 16, 96};
inline constexpr int kTrackChannelFrame = 8;
inline constexpr int kTrackChannelMargin = 2;
inline constexpr Argb kTrackChannelEdge = 0xFF405060;
inline constexpr std::array<Argb, 2> kTrackChannelFill = {0xFF80A0C0, 0xFFA0C0E0};
inline constexpr Rect kTrackThumbH = {16, 88, 46, 104};
inline constexpr Rect kTrackThumbV = {0, 104, 48, 114};
inline constexpr int kTrackThumbLength = 10; // along the bar
inline constexpr int kTrackThumbDepth = 16;  // across it
inline constexpr int kTrackThumbPoint = 4;   // depth of the point
inline constexpr std::array<Argb, 3> kTrackThumb = {0xFF2060A0, 0xFF3080D0, 0xFF104070};
inline constexpr Argb kTrackThumbPointInk = 0xFFC03030;
inline constexpr Rect kTickHorz = {48, 88, 51, 93};
inline constexpr Rect kTickVert = {52, 88, 57, 91};
inline constexpr Argb kTrackTick = 0xFF20A020;

// Two single test pixels: one fully transparent, one of the key colour.
inline constexpr Point kAlphaZeroPixel = {120, 120};
inline constexpr Point kKeyPixel = {122, 120};

// The master image, row by row (top first), 0xAARRGGBB.
std::vector<Argb> MasterPixels();
inline Argb MasterPixel(const std::vector<Argb>& pixels, int x, int y)
{
    return pixels[static_cast<std::size_t>(y) * kMasterSize + static_cast<std::size_t>(x)];
}

// EditFrame.png (96 PPI) and EditFrame150.png (144 PPI): EDIT's alpha border of 2 frames
// (normal, focused), DrawMode 16. Rings by distance d to the edge: corners alpha 0, then the
// edge opaque, a half-alpha ring, a quarter-alpha ring, a transparent centre.
struct EditFrameLayout {
    int frame;        // frame width and height
    int margin;       // border widths
    int corner;       // side of the transparent corner squares
    int edge;         // opaque ring width
    int half;         // half-alpha ring width
};
inline constexpr EditFrameLayout kEditFrame100 = {20, 4, 1, 1, 1};
inline constexpr EditFrameLayout kEditFrame150 = {30, 6, 2, 2, 1};
inline constexpr std::array<std::uint32_t, 2> kEditRgb = {0x8090A0, 0x3070C0};
std::vector<Argb> EditFramePixels(const EditFrameLayout& layout);

// ---------------------------------------------------------------------------------------------
// Colours of Options.dat (TColor values, 0x00BBGGRR)

inline constexpr std::uint32_t kMainColor = 0xE8E4E0;
inline constexpr std::uint32_t kLabelText = 0x202020;
inline constexpr std::uint32_t kBorderColor = 0x705040;
inline constexpr std::uint32_t kEditBG = 0xFFFFFF;
inline constexpr std::uint32_t kEditText = 0x101010;
inline constexpr std::uint32_t kEditHotBG = 0xFFF8F0;
inline constexpr std::uint32_t kHintBG = 0xE0FFFF;
inline constexpr std::uint32_t kHintText = 0x402000;
// HINT's shape is BUTTON's first frame (image over mask) with its key corners; its computed
// shadow's offsets (left, top, right, bottom) and its transparency in percent.
inline constexpr Rect kHintMask = {0, 0, 24, 48};
inline constexpr Rect kHintShadow = {3, 3, 5, 5};
inline constexpr int kHintTransparency = 20;
inline constexpr std::uint32_t kSelectionBG = 0xC07030;
inline constexpr std::uint32_t kSelectionText = 0xFFFFFF;
inline constexpr std::uint32_t kSelectionFocusedBG = 0xE08040;
inline constexpr std::uint32_t kMenuHotBG = 0xF0D0B0;
inline constexpr std::uint32_t kMenuHotText = 0x000040;
inline constexpr std::array<std::uint32_t, 3> kButtonColor = {0xE0D8D0, 0xFFF0E8, 0xC0B0A0};
inline constexpr std::array<std::uint32_t, 3> kButtonText = {0x000000, 0x800000, 0x400000};
inline constexpr std::array<std::uint32_t, 3> kButtonLight = {0xFFFFFF, 0x80FFFF, 0x4080FF};
// The track bar's light colours carry an alpha; the pressed one is unset (-1).
inline constexpr std::array<int, 3> kTrackBarLight = {0x30FFFFFF, 0x5000C0FF, -1};
inline constexpr std::uint32_t kSpeedButtonHot = 0xD0FFD0; // SPEEDBUTTON's one override
// The form section (Options::withForm), by state: inactive, active; and its font colours.
inline constexpr std::array<std::uint32_t, 2> kFormColor = {0xB0C8D8, 0xD0E8F8};
inline constexpr std::array<std::uint32_t, 2> kFormText = {0x404040, 0x101010};
inline constexpr std::uint32_t kKeyColor = 0xFF00FF;
// Options::withFormFrame: the caption section behind the title text and the MDI client frame.
inline constexpr std::uint32_t kCaptionColor = 0x3040C0;
inline constexpr std::uint32_t kMdiAreaColor = 0x408040;

// Scroll-bar sections (Options::withScrollBars), colours by state (normal, hot, pressed): the
// track halves before and after the thumb of each bar, the four arrow buttons (arrows in their
// font colours) and both thumbs. The grip image is frame 0 of the check glyph.
inline constexpr std::array<std::uint32_t, 3> kScrollBar1H = {0xC08080, 0xC0A0A0, 0x804040};
inline constexpr std::array<std::uint32_t, 3> kScrollBar2H = {0x80C080, 0xA0C0A0, 0x408040};
inline constexpr std::array<std::uint32_t, 3> kScrollBar1V = {0x8080C0, 0xA0A0C0, 0x404080};
inline constexpr std::array<std::uint32_t, 3> kScrollBar2V = {0x80C0C0, 0xA0C0C0, 0x408080};
inline constexpr std::array<std::uint32_t, 3> kScrollBtn = {0xD0D0D0, 0xF0E0D0, 0x909090};
inline constexpr std::array<std::uint32_t, 3> kScrollBtnArrow = {0x101010, 0x0000C0, 0xFFFFFF};
inline constexpr std::array<std::uint32_t, 3> kScrollSlider = {0x606060, 0xA06060, 0x303030};

// The column-header section (Options::withColHeader), colours and font colours by state (normal,
// hot, pressed).
inline constexpr std::array<std::uint32_t, 3> kColHeader = {0xD8E0C8, 0xF0F8D0, 0x90A070};
inline constexpr std::array<std::uint32_t, 3> kColHeaderText = {0x203000, 0x0000A0, 0xFFFFFF};
// Menu sections (Options::withMenus). Master images: the pop-up frame "MAINMENU" (one 16 x 16
// frame, margins 5: key-colour corners of 2 x 2, a 1-pixel edge, the frame colour, a key-colour
// centre), the radio mark (2 frames of 12 x 12, a dot) and the separator line "DIVIDERV" (8 x 2,
// drawn as its centre). MENUITEM's normal state is then fully transparent, so the prepared
// background shows through items that are not selected.
inline constexpr Rect kRadio = {72, 32, 96, 44};
inline constexpr int kRadioFrame = 12;
inline constexpr std::array<Argb, 2> kRadioInk = {0xFF802080, 0xFFA040A0};
constexpr bool IsRadioPixel(int x, int y) { return (x - 6) * (x - 6) + (y - 6) * (y - 6) <= 9; }
inline constexpr Rect kMenuBorder = {96, 32, 112, 48};
inline constexpr int kMenuBorderMargin = 5;
inline constexpr Argb kMenuEdge = 0xFF402010;
inline constexpr Argb kMenuFrame = 0xFF806040;
inline constexpr Rect kDivider = {112, 32, 120, 34};
inline constexpr Argb kDividerInk = 0xFF2080C0;
inline constexpr std::uint32_t kMenuBack = 0xF8F0E8;     // MAINMENU
inline constexpr std::uint32_t kIcoLine = 0xD8E8D8;      // ICOLINE
inline constexpr std::uint32_t kExtraLine = 0x804020;    // EXTRALINE, with white text
inline constexpr std::uint32_t kExtraLineText = 0xFFFFFF;
inline constexpr std::array<std::uint32_t, 2> kMenuLineText = {0x600000, 0x0000A0}; // MENULINE
inline constexpr std::uint32_t kMenuCaption = 0xC0E0F0;  // MENUCAPTION
inline constexpr std::uint32_t kMenuCaptionText = 0x002060;
inline constexpr std::array<std::uint32_t, 3> kSmallButton = {0xE0E0E0, 0xF0F0F0, 0x60A0E0}; // SPEEDBUTTON_SMALL
// Tab, page-control and up-down sections (Options::withTabsAndUpDown): the page frame of each
// tab position ("PAGECONTROL" + "", "BOTTOM", "LEFT", "RIGHT"), the tabs of the bottom, left and
// right sides (flat colours and font colours by state), and the up-down buttons with their arrow
// (font) colours by state.
inline constexpr std::array<std::uint32_t, 4> kPageControl = {0xC0E0C0, 0xC0C0E0, 0xE0C0C0, 0xE0E0C0};
inline constexpr std::array<std::uint32_t, 3> kSideTab = {0x90B0D0, 0xA0D0F0, 0xF0F0F0};
inline constexpr std::array<std::uint32_t, 3> kSideTabText = {0x000080, 0x008000, 0x800000};
inline constexpr std::array<std::uint32_t, 3> kUpDownBtn = {0xB0B0B0, 0xE0C0A0, 0x505050};
inline constexpr std::array<std::uint32_t, 3> kUpDownArrow = {0x0000FF, 0x00FF00, 0xFF0000};

// The flat BUTTON (Options::flatButton): FlatButton.png holds 4 frames of one colour each
// (normal, hot, pressed, default), drawn whole over the button; no gradient, no outer effect.
inline constexpr int kFlatButtonFrame = 12;
inline constexpr int kFlatButtonMargin = 3;
inline constexpr std::array<std::uint32_t, 4> kFlatButton = {0xC0C0C0, 0xF0D0A0, 0x806040, 0xA0E0A0};
Bytes FlatButtonPng();

// ---------------------------------------------------------------------------------------------
// Options of the one generator

// Ways the archive can be broken (each one fault, the rest intact).
enum class ArchiveFault {
    None,
    WrongSignature,       // "VSK0"
    CountZero,            // N = 0
    CountTooLarge,        // N = 4097
    TruncatedEntry,       // the file ends in the middle of the last entry's zlib stream
    NameBeyondData,       // an extra entry whose name length runs past the end of the file
    NameLengthTooLarge,   // the first entry's name length is 1025
    SizeTooLarge,         // the first entry's unpacked size is 256 MiB + 1
    SizeMismatch,         // the first entry's unpacked size is one more than its content
    CorruptStream,        // a byte of the first entry's zlib stream is changed
};

struct Options {
    std::string name = "HouseSkin"; // folder name, archive name without ".asz", stored name
    // Options.dat
    std::string version = "15.00";  // "16" and "10.00" for the version checks
    bool masterBmp = false;         // MASTERBITMAP=Master.bmp (24 bits) instead of Master.png
    bool selectionTextKey = false;  // SELECTION's text colour is 0xFF00FF
    bool withEditAndHint = true;
    bool withHintShape = false;     // HINT gets a mask, a computed shadow and a transparency
    bool withScrollBars = false;    // flat scroll-bar sections and the grip image
    bool withForm = false;          // the flat "FORM" section that skinned forms take
    // With withForm: FORM gets the button's border mask (key corners) and the tile's quadrants as
    // corner images; "CAPTION" and "MDIAREA" sections and the grip image are added.
    bool withFormFrame = false;
    bool withTrackBarImages = false; // TRACKBAR's channel, both thumbs and both ticks
    bool withTitleButton = false;   // GLOBALINFO's user title-button mask "TITLEBUTTON"
    bool withColHeader = false;     // the flat "COLHEADER" section of list-view headers
    bool withMenus = false;         // the sections and marks skinned menus draw with
    bool withTabsAndUpDown = false; // page frames, side tabs, up-down and small speed buttons
    bool flatButton = false;        // BUTTON in one flat colour per state, four states (FlatButton.png)
    bool malformedDigitField = false; // a letter in a digit field of BICONCLOSEGLOW0
    std::optional<int> biKeepHue;   // BIKEEPHUE (absent by default)
    // Archive
    std::string optionsEntryName = "Options.dat"; // "options.DAT" as a variant
    std::string fontExtension = ".ttf";            // ".otf" as a variant (also FontFile0)
    bool withPreview = true;
    ArchiveFault fault = ArchiveFault::None;
};

struct File {
    std::string name;
    Bytes data;
};

// The skin's files in archive order: Options.dat, Master.png, Master.bmp, EditFrame.png,
// EditFrame150.png, HouseFont.ttf (names as the options give them).
std::vector<File> SkinFiles(const Options& options = {});

std::string OptionsText(const Options& options = {}); // ASCII, CRLF
Bytes MasterPng();
Bytes MasterBmp(); // 24 bits, written by TBitmap
Bytes EditFramePng(const EditFrameLayout& layout);
Bytes PreviewPng(); // 140 x 100
Bytes FontBytes();  // HouseFont.ttf, the family "House Sans", from the program's resources
inline constexpr const wchar_t* kFontFamily = L"House Sans";

// The packed archive: "VSK1", N, the entries (name length, name, unpacked size, compress2
// stream), then "previewimg", a 32-bit length and the preview PNG.
Bytes Archive(const Options& options = {});

// A form definition whose manager stores the archive:
//   object <root>: <rootClass> object <manager>: TsSkinManager InternalSkins = < item
//   Name = '<name>' Data = {hex} OriginName = '<name>.asz' end > end end
std::string StoredSkinText(const Options& options = {}, const std::string& rootName = "HouseForm",
                           const std::string& rootClass = "TForm", const std::string& managerName = "sSkinManager1");
// Just the collection item of that text (for a definition made elsewhere).
std::string StoredSkinItem(const Options& options = {});

// Writes <skinsDir>\<name>\ with the files, <skinsDir>\<name>.asz, and <skinsDir>\<name>.txt
// with the stored-skin text; creates skinsDir when missing. False when a write fails.
bool WriteFolder(const UnicodeString& skinsDir, const Options& options = {});
bool WriteArchive(const UnicodeString& skinsDir, const Options& options = {});
bool WriteStoredSkinText(const UnicodeString& skinsDir, const Options& options = {});
bool WriteAll(const UnicodeString& skinsDir, const Options& options = {});

} // namespace house_skin
