#pragma once
// Window message records and the component message numbers of the control layer.
//
// Every field of TMessage has the native width of its Win32 counterpart, so a record can be
// handed on to CallWindowProcW unchanged and carry pointers on x64.
//
// Component messages (CM_*) live in 0xB000..0xBBFF; notifications reflected from a parent to
// the child that caused them (CN_*) are CN_BASE + the original WM_ number. Code uses the names,
// never the numbers.
#include "Objects.h"

#include <windows.h>

#include <cstdint>

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD WParamLo() const { return LOWORD(WParam); }
    WORD WParamHi() const { return HIWORD(WParam); }
    WORD LParamLo() const { return LOWORD(LParam); }
    WORD LParamHi() const { return HIWORD(LParam); }
    WORD ResultLo() const { return LOWORD(Result); }
    WORD ResultHi() const { return HIWORD(Result); }
    // Signed low and high words, as mouse coordinates arrive in LParam.
    int LParamX() const { return static_cast<short>(LOWORD(LParam)); }
    int LParamY() const { return static_cast<short>(HIWORD(LParam)); }
};

inline WORD LoWord(std::uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
inline WORD HiWord(std::uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
inline std::uint32_t MakeLong(WORD lo, WORD hi) { return std::uint32_t{lo} | (std::uint32_t{hi} << 16); }

// A method of an object that handles a message: the type of a control's WindowProc. It is
// bound to any TObject descendant's member function and compares equal when object and member
// are the same, so a subclasser can check that the chain still points at its own method.
class TWndMethod {
public:
    using Member = void (TObject::*)(TMessage&);

    TWndMethod() = default;
    template <class T>
    TWndMethod(T* object, void (T::*method)(TMessage&))
        : object_(object), method_(static_cast<Member>(method))
    {
    }

    void operator()(TMessage& message) const { (object_->*method_)(message); }
    explicit operator bool() const { return object_ != nullptr && method_ != nullptr; }
    TObject* Object() const { return object_; }

    friend bool operator==(const TWndMethod& a, const TWndMethod& b)
    {
        return a.object_ == b.object_ && a.method_ == b.method_;
    }

private:
    TObject* object_ = nullptr;
    Member method_ = nullptr;
};

// Mouse leave without the NC prefix: 0x2A3 (0x2A2 is WM_NCMOUSELEAVE).
static_assert(WM_MOUSELEAVE == 0x2A3);

inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CN_BASE = 0xBC00;

// Component messages with their fixed numbers.
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0x00;
inline constexpr UINT CM_DIALOGKEY = CM_BASE + 0x05;
inline constexpr UINT CM_FOCUSCHANGED = CM_BASE + 0x07;
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 0x08;
inline constexpr UINT CM_HITTEST = CM_BASE + 0x0A;
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 0x0B;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 0x0C;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 0x0D;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 0x0E;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 0x12;
inline constexpr UINT CM_MOUSEENTER = CM_BASE + 0x13;
inline constexpr UINT CM_MOUSELEAVE = CM_BASE + 0x14;
inline constexpr UINT CM_MENUCHANGED = CM_BASE + 0x15;
inline constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 0x19;
inline constexpr UINT CM_ENTER = CM_BASE + 0x1A;
inline constexpr UINT CM_EXIT = CM_BASE + 0x1B;
inline constexpr UINT CM_BORDERCHANGED = CM_BASE + 0x25; // settings changed; border forms move after it
inline constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 0x2C;
inline constexpr UINT CM_GETDATALINK = CM_BASE + 0x2D;
inline constexpr UINT CM_RECREATEWND = CM_BASE + 0x33;
inline constexpr UINT CM_SYSFONTCHANGED = CM_BASE + 0x35;
inline constexpr UINT CM_CHANGED = CM_BASE + 0x37;
inline constexpr UINT CM_FLOAT = CM_BASE + 0x3A;
inline constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 0x3C;
inline constexpr UINT CM_MOUSEWHEEL = CM_BASE + 0x43;
inline constexpr UINT CM_STYLECHANGED = CM_BASE + 0x4C;  // the visual style changed (Themes.h)
inline constexpr UINT CM_UPDATESCROLLBARS = CM_BASE + 0x52; // a scroll box updates its bars

// Component messages without a fixed number: free slots of the range.
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 0x01;
inline constexpr UINT CM_CANCELMODE = CM_BASE + 0x04;
inline constexpr UINT CM_DIALOGCHAR = CM_BASE + 0x06;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 0x09;
inline constexpr UINT CM_BUTTONPRESSED = CM_BASE + 0x18;
inline constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 0x1E;
inline constexpr UINT CM_RELEASE = CM_BASE + 0x21;
inline constexpr UINT CM_UIACTIVATE = CM_BASE + 0x29;
inline constexpr UINT CM_HINTSHOW = CM_BASE + 0x30;
inline constexpr UINT CM_INVALIDATE = CM_BASE + 0x34;
inline constexpr UINT CM_CONTROLCHANGE = CM_BASE + 0x36;
inline constexpr UINT CM_DOCKCLIENT = CM_BASE + 0x38;
inline constexpr UINT CM_UNDOCKCLIENT = CM_BASE + 0x39;
inline constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 0x3D;
inline constexpr UINT CM_ACTIONUPDATE = CM_BASE + 0x3F;

// Notifications reflected to the child control.
inline constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
inline constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
inline constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
inline constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
inline constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
inline constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
inline constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
inline constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
inline constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
inline constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
inline constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
inline constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
inline constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
inline constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
inline constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
inline constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
inline constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
inline constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
inline constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
inline constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
inline constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
// Sent by a tool bar when its drop-down closes; lies outside the CN range.
inline constexpr UINT CN_DROPDOWNCLOSED = 0x1400;

static_assert(CN_COMMAND == 0xBD11 && CN_NOTIFY == 0xBC4E && CN_DRAWITEM == 0xBC2B);
static_assert(CN_KEYDOWN == 0xBD00 && CN_KEYUP == 0xBD01 && CN_HSCROLL == 0xBD14);
static_assert(CN_CTLCOLOREDIT == 0xBD33 && CN_CTLCOLORSCROLLBAR == 0xBD37);
