#pragma once
// The library's command message: one private window message whose command code travels in the
// high word of WParam and a small argument in the low word. LParam and Result carry values,
// object pointers and record addresses at full native width. A receiver that does not know a
// code answers 0. A receiver uses LParam as an address only when acCommandPointerTrusted
// (sVclUtils.h) allows it: the message can come from any process.
#include <windows.h>

inline constexpr UINT SM_ALPHACMD = 0xA100;
// The skin editor's message (live preview).
inline constexpr UINT SM_SKINEDITOR = 0xA400;

// Command codes.
inline constexpr WORD AC_SETNEWSKIN = 1;        // LParam = the manager whose skin is new
inline constexpr WORD AC_REMOVESKIN = 2;        // LParam = the manager whose skin is gone
inline constexpr WORD AC_REFRESH = 3;           // low word 1 = children too
inline constexpr WORD AC_GETPROVIDER = 4;       // a form answers its skin provider
inline constexpr WORD AC_MDINOTIFY = 5;
inline constexpr WORD AC_PARENTUPDATED = 6;     // a waiting receiver repaints now
inline constexpr WORD AC_CTRLHANDLED = 7;       // 1 = the window belongs to the library
inline constexpr WORD AC_SETUPDATING = 8;       // low word 1 = suspend painting, else resume
inline constexpr WORD AC_GETSKININDEX = 9;      // answer = skin index + 1
inline constexpr WORD AC_ISUPDATING = 10;
inline constexpr WORD AC_GETOUTOFVIEW = 11;
inline constexpr WORD AC_GETSCROLLWND = 12;     // answer = the window's scroll wrapper
inline constexpr WORD AC_UPDATESECTION = 13;    // LParam = wide upper-case section name
inline constexpr WORD AC_MENUBORDERDONE = 14;
inline constexpr WORD AC_SETSECTION = 15;       // LParam = address of the section name
inline constexpr WORD AC_STOPTIMER = 16;
inline constexpr WORD AC_INVALIDATECACHE = 17;
inline constexpr WORD AC_INVALIDATE = 18;
inline constexpr WORD AC_CHILDBGCHANGED = 19;
inline constexpr WORD AC_OWNERMOVED = 20;       // low word 1 = redraw now
inline constexpr WORD AC_GETBGCOLOR = 21;
inline constexpr WORD AC_SETOUTOFVIEW = 22;
inline constexpr WORD AC_PREPARECACHE = 23;
inline constexpr WORD AC_ADDTOADAPTER = 25;     // LParam = the control (0: all of the form's)
inline constexpr WORD AC_GETSKININDEXREC = 26;  // LParam = record whose second field gets the index
inline constexpr WORD AC_GETTOPHEIGHT = 27;
inline constexpr WORD AC_MOUSEENTER = 29;       // LParam = the manager
inline constexpr WORD AC_MOUSELEAVE = 30;       // LParam = the manager
inline constexpr WORD AC_BEGINUPDATE = 31;
inline constexpr WORD AC_ENDUPDATE = 32;
inline constexpr WORD AC_UPDATESCROLLWND = 33;
inline constexpr WORD AC_GETBG = 34;            // LParam = address of a TacBGInfo
inline constexpr WORD AC_FONTCHANGED = 36;      // LParam = the manager
inline constexpr WORD AC_GETCOMMONDATA = 37;    // answer = the receiver's TsCommonData
inline constexpr WORD AC_PRINTING = 38;         // low word 1 = on; LParam = DC
inline constexpr WORD AC_LIGHTSTEP = 39;        // low word = step
inline constexpr WORD AC_PAINTOUTER = 40;       // LParam = address of a TacBGInfo
inline constexpr WORD AC_CHILDLIST = 41;        // low word 1 = add, 0 = remove; LParam = control
inline constexpr WORD AC_SETTRANSPMODE = 42;    // LParam: low word glass flag, high word value
inline constexpr WORD AC_FORCEOPAQUE = 44;
inline constexpr WORD AC_BEGINSCROLL = 51;
inline constexpr WORD AC_ENDSCROLL = 52;
inline constexpr WORD AC_SCROLLOPTIONS = 53;
inline constexpr WORD AC_GETGLOWCOLOR = 54;    // LParam = address of a TColor; 0: no colour
inline constexpr WORD AC_OBJLINK = 55;          // low word 1 = link, 0 = unlink; LParam = the object
inline constexpr WORD AC_GETAPPLICATION = 60;
inline constexpr WORD AC_GETCLIENTOFFSET = 61;
inline constexpr WORD AC_UPDATETITLE = 62;      // LParam 1 = full
inline constexpr WORD AC_SETFORMSTATEBIT = 63;  // LParam 1 = set, else clear
inline constexpr WORD AC_GETFORMSTATEBIT = 64;
inline constexpr WORD AC_SETBLENDVALUE = 65;    // LParam = alpha 0..255
inline constexpr WORD AC_GETFONTINDEX = 66;     // LParam = address of a TacPaintInfo
inline constexpr WORD AC_GETBORDERWIDTH = 67;
inline constexpr WORD AC_SETPPI = 68;           // LParam = pixels per inch
inline constexpr WORD AC_GETPPI = 69;
inline constexpr WORD AC_GETBOUNDS = 70;        // LParam = address of a TRect
inline constexpr WORD AC_UPDATEPREVIEW = 71;
inline constexpr WORD AC_POPUPCLOSED = 72;      // LParam = the pop-up form
inline constexpr WORD AC_POPUPSHOWING = 73;
inline constexpr WORD AC_SKINLISTSKINCHANGED = 74;
inline constexpr WORD AC_SKINLISTCHANGED = 75;
// 76-81: a form's provider hands them to the form's own window procedure unchanged.
inline constexpr WORD AC_FORMPAINTED = 76;      // after a form was painted through its provider
inline constexpr WORD AC_FORMREFRESHED = 77;    // after moving-blend, scale animation and refresh
inline constexpr WORD AC_FORMBLENDVALUE = 78;   // LParam = the form's blend value
inline constexpr WORD AC_FORMRESIZING = 79;     // both from the provider's WM_SIZE handling
inline constexpr WORD AC_FORMRESIZED = 80;
inline constexpr WORD AC_FORMPASSLAST = 81;
inline constexpr WORD AC_BROADCASTCHILDREN = 82;
inline constexpr WORD AC_NCOPTIONCHANGED = 83;  // LParam = the new Boolean
inline constexpr WORD AC_REFLECTED = 84;
inline constexpr WORD AC_CANANIMATE = 85;
inline constexpr WORD AC_GETSKINDATA = 86;
inline constexpr WORD AC_CHANGESCALE = 87;      // LParam: high word new PPI, low word flag
inline constexpr WORD AC_GETDEFSECTION = 88;    // answer = default section number + 1
inline constexpr WORD AC_GLOWCIRCLE = 89;     // answer 1 and the screen rectangle (LParam = address of a TRect)
inline constexpr WORD AC_GETTEXTRECT = 90;    // an edit answers 1 and its text rectangle (LParam = address of a TRect)
inline constexpr WORD AC_POPUPCTRLPRESSED = 91; // the left button went down on the owner of an open pop-up
inline constexpr WORD AC_SKINLISTLOADING = 97;  // LParam 1 = started, 0 = finished

// WParam of a command: the code in the high word, a value in the low word.
constexpr WPARAM MakeAlphaCmd(WORD command, WORD value = 0)
{
    return static_cast<WPARAM>(static_cast<DWORD>(value) | static_cast<DWORD>(command) << 16);
}

// The command code of a message's WParam.
constexpr WORD AlphaCmdCode(WPARAM wParam) { return static_cast<WORD>((wParam >> 16) & 0xFFFF); }
