#include "StdCtrls.h"
#include "Mask.h"

#include "FormReader.h"
#include "TypInfo.h"

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle({csSetCaption, csDoubleClicks});
}

void TButtonControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"BUTTON");
}

void TButtonControl::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        CNCommand(message);
        return;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* owner)
    : TButtonControl(owner), imageMargins_(std::make_unique<TImageMargins>()), imageLink_(std::make_unique<TChangeLink>())
{
    SetBounds(Left(), Top(), 75, 25);
    SetTabStop(true);
    SetColor(clBtnFace);
    imageMargins_->OnChange = [this](TObject*) { UpdateImages(); };
    imageLink_->OnChange = [this](TObject*) { UpdateImages(); };
}

void TButton::SetDefault(bool value)
{
    if (default_ == value) return;
    default_ = value;
    if (!HandleAllocated()) return;
    // An owner-drawn button keeps its type and draws the default look itself.
    if ((GetWindowLongW(Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW)
        Invalidate();
    else
        SendMessageW(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (modalResult_ != mrNone) {
        if (TCustomForm* form = GetParentForm()) form->SetModalResult(modalResult_);
    }
    TButtonControl::Click();
}

void TButton::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CNCommand(TMessage& message)
{
    if (HIWORD(message.WParam) == BN_CLICKED) Click();
}

void TButton::CMDialogKey(TMessage& message)
{
    const WORD key = static_cast<WORD>(message.WParam);
    const bool answers = (key == VK_RETURN && (default_ || Focused())) || (key == VK_ESCAPE && cancel_);
    if (answers && KeyboardShiftState().Empty() && CanFocus()) {
        Click();
        message.Result = 1;
        return;
    }
    TButtonControl::CMDialogKey(message);
}

void RegisterStdCtrlsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    const UnicodeString c = L"TButton";
    RegisterPublishedClass(c, L"TWinControl");
    RegisterPublishedProperty(c, OrdProp(L"Default", pkBool, &TButton::Default, &TButton::SetDefault, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"Cancel", pkBool, &TButton::Cancel, &TButton::SetCancel, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"ModalResult", pkInteger, &TButton::ModalResult, &TButton::SetModalResult,
                                         int64_t{mrNone}));
    RegisterButtonImageProperties();
    RegisterComponentClass<TButton>(c);
}

// ---------------------------------------------------------------------------------------------
// Labels, edits, memos, check boxes, radio buttons, group boxes and list boxes.

#include "Themes.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// A plain RGB colour for a canvas: system colours as the active style paints them.
TColor PlainColor(TColor color) { return static_cast<TColor>(StyledColorToGdi(color)); }

DWORD EditAlignmentStyle(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify: return ES_RIGHT;
    case taCenter: return ES_CENTER;
    default: return ES_LEFT;
    }
}

DWORD CharCaseStyle(TEditCharCase charCase)
{
    switch (charCase) {
    case ecUpperCase: return ES_UPPERCASE;
    case ecLowerCase: return ES_LOWERCASE;
    default: return 0;
    }
}

UnicodeString WindowString(HWND window, UINT lengthMsg, UINT textMsg, WPARAM index)
{
    const LRESULT length = SendMessageW(window, lengthMsg, index, 0);
    if (length <= 0) return {};
    UnicodeString buffer(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(window, textMsg, index, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return buffer;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TCustomLabel

UINT EllipsisDrawTextFlag(TEllipsisPosition position)
{
    static constexpr UINT flags[] = {0, DT_PATH_ELLIPSIS, DT_END_ELLIPSIS, DT_WORD_ELLIPSIS};
    return flags[static_cast<size_t>(position)];
}

UnicodeString CutWordsToFit(const UnicodeString& text, const std::function<bool(const UnicodeString&)>& fits)
{
    UnicodeString kept = text, shown = text;
    while (!fits(shown)) {
        const size_t delim = kept.find_last_of(L" \t");
        if (delim == UnicodeString::npos) break;
        kept.resize(delim);
        // Never keep half of a surrogate pair.
        if (!kept.empty() && IS_HIGH_SURROGATE(kept.back())) kept.pop_back();
        if (kept.empty()) break;
        shown = kept + L"...";
    }
    return shown;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner)
{
    SetControlStyle(ControlStyle() << csOpaque << csReplicatable);
    SetBounds(Left(), Top(), 65, 17);
    SetParentColor(true);
}

void TCustomLabel::SetAutoSize(bool value)
{
    if (value == autoSize_) return;
    autoSize_ = value;
    AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value)
{
    if (value == layout_) return;
    layout_ = value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool value)
{
    if (value == wordWrap_) return;
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value)
{
    if (value == transparent_) return;
    transparent_ = value;
    TControlStyle style = ControlStyle();
    if (value)
        style >> csOpaque;
    else
        style << csOpaque;
    SetControlStyle(style);
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value)
{
    if (value == showAccelChar_) return;
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value)
{
    if (value == focusControl_) return;
    focusControl_ = value;
    if (value) value->FreeNotification(this);
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition value)
{
    if (value == ellipsisPosition_) return;
    ellipsisPosition_ = value;
    Invalidate();
}

UnicodeString TCustomLabel::EllipsisText(const UnicodeString& text, const TRect& rect, UINT& flags, int ellipsisWidth,
                                         const std::function<int(const UnicodeString&, TRect&)>& measure)
{
    if (ellipsisPosition_ == epNone || autoSize_) return text;
    flags &= ~static_cast<UINT>(DT_PATH_ELLIPSIS | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS);
    UnicodeString shown = text;
    if (wordWrap_ && (ellipsisPosition_ == epEndEllipsis || ellipsisPosition_ == epPathEllipsis)) {
        const int limit = std::max(ClientHeight(), std::abs(Font()->Height()));
        shown = CutWordsToFit(text, [&](const UnicodeString& candidate) {
            TRect r = rect;
            r.Right -= ellipsisWidth;
            return measure(candidate, r) <= limit;
        });
    }
    flags |= EllipsisDrawTextFlag(ellipsisPosition_);
    return shown;
}

void TCustomLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

TTextFormat TCustomLabel::BaseFormat() const
{
    TTextFormat format{tfExpandTabs};
    if (wordWrap_) format << tfWordBreak;
    if (!showAccelChar_) format << tfNoPrefix;
    switch (alignment_) {
    case taRightJustify: format << tfRight; break;
    case taCenter: format << tfCenter; break;
    default: format << tfLeft; break;
    }
    return format;
}

void TCustomLabel::DoDrawText(TRect& rect, TTextFormat format)
{
    UnicodeString text = Caption();
    const bool measuring = format.Contains(tfCalcRect);
    // An empty caption still measures one line high.
    if (measuring && (text.empty() || (showAccelChar_ && text == L"&"))) text += L" ";
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    if (ellipsisPosition_ != epNone && !autoSize_) {
        UINT flags = TextFormatToDrawTextFlags(format);
        const HDC dc = canvas->Handle();
        SIZE dots{};
        GetTextExtentPoint32W(dc, L"...", 3, &dots);
        text = EllipsisText(text, rect, flags, dots.cx, [dc, flags](const UnicodeString& t, TRect& r) {
            RECT rr = r;
            DrawTextW(dc, t.c_str(), static_cast<int>(t.length()), &rr, flags | DT_CALCRECT);
            return static_cast<int>(rr.bottom - rr.top);
        });
        format >> tfPathEllipsis >> tfEndEllipsis >> tfWordEllipsis;
        if (ellipsisPosition_ == epPathEllipsis) format << tfPathEllipsis;
        if (ellipsisPosition_ == epEndEllipsis) format << tfEndEllipsis;
        if (ellipsisPosition_ == epWordEllipsis) format << tfWordEllipsis;
    }
    if (!Enabled() && !measuring) {
        TRect shifted = rect;
        shifted.Offset(1, 1);
        canvas->Font()->SetColor(PlainColor(clBtnHighlight));
        canvas->TextRect(shifted, text, format);
        canvas->Font()->SetColor(PlainColor(clBtnShadow));
        canvas->TextRect(rect, text, format);
        return;
    }
    canvas->Font()->SetColor(PlainColor(Font()->Color()));
    canvas->TextRect(rect, text, format);
}

void TCustomLabel::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    if (!transparent_) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(PlainColor(Color()));
        canvas->FillRect(client);
    }
    canvas->Brush()->SetStyle(bsClear);
    TRect rect = client;
    const TTextFormat format = BaseFormat();
    if (layout_ != tlTop) {
        TRect measured = rect;
        DoDrawText(measured, format + TTextFormat{tfCalcRect});
        const int spare = rect.Height() - measured.Height();
        rect.Top += layout_ == tlBottom ? spare : spare / 2;
    }
    DoDrawText(rect, format);
    canvas->Brush()->SetStyle(bsSolid);
}

void TCustomLabel::AdjustBounds()
{
    if (!autoSize_ || ComponentState().Contains(csLoading)) return;
    TRect rect = ClientRect();
    HDC dc = GetDC(nullptr);
    try {
        const TCanvasDCScope scope(*Canvas(), dc);
        DoDrawText(rect, BaseFormat() + TTextFormat{tfCalcRect});
    } catch (...) {
        ReleaseDC(nullptr, dc);
        throw;
    }
    ReleaseDC(nullptr, dc);
    // A wrapped label keeps its width; only the height follows the text.
    const int width = wordWrap_ ? Width() : static_cast<int>(rect.Right);
    int left = Left();
    if (alignment_ == taRightJustify) left += Width() - width;
    SetBounds(left, Top(), width, rect.Bottom);
}

void TCustomLabel::CMTextChanged(TMessage& message)
{
    TGraphicControl::CMTextChanged(message);
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& message)
{
    TGraphicControl::CMFontChanged(message);
    AdjustBounds();
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

// ---------------------------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks});
    SetBounds(Left(), Top(), 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"EDIT");
    params.Style |= ES_AUTOHSCROLL | EditAlignmentStyle(alignment_) | CharCaseStyle(charCase_);
    if (readOnly_) params.Style |= ES_READONLY;
    if (numbersOnly_) params.Style |= ES_NUMBER;
    if (passwordChar_ != 0 && !multiLine_) params.Style |= ES_PASSWORD;
    if (!hideSelection_) params.Style |= ES_NOHIDESEL;
    if (borderStyle_ == bsSingle) {
        if (ctl3D_)
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
}

void TCustomEdit::SetCtl3D(bool value)
{
    if (value == ctl3D_) return;
    ctl3D_ = value;
    RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool value)
{
    if (value == hideSelection_) return;
    hideSelection_ = value;
    RecreateWnd();
}

void TCustomEdit::CMEnter(TMessage& message)
{
    if (autoSelect_ && !multiLine_ && !ControlState().Contains(csLButtonDown)) SelectAll();
    TWinControl::CMEnter(message);
}

void TCustomEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    HWND window = Handle();
    // Without a limit the window stops at 30000 characters.
    SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    if (passwordChar_ != 0 && !multiLine_) SendMessageW(window, EM_SETPASSWORDCHAR, passwordChar_, 0);
    SendMessageW(window, EM_SETMODIFY, modified_, 0);
    if (!textHint_.empty()) SendMessageW(window, EM_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(textHint_.c_str()));
}

void TCustomEdit::DestroyWnd()
{
    modified_ = SendMessageW(Handle(), EM_GETMODIFY, 0, 0) != 0;
    TWinControl::DestroyWnd();
}

void TCustomEdit::SetReadOnly(bool value)
{
    if (value == readOnly_) return;
    readOnly_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetMaxLength(int value)
{
    value = std::max(0, value);
    if (value == maxLength_) return;
    maxLength_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TCustomEdit::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value)
{
    value = value == bsNone ? bsNone : bsSingle;
    if (value == borderStyle_) return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomEdit::SetBevelKind(TBevelKind value)
{
    if (value == bevelKind_) return;
    bevelKind_ = value;
    Invalidate();
}

void TCustomEdit::SetBevelInner(TBevelCut value)
{
    if (value == bevelInner_) return;
    bevelInner_ = value;
    Invalidate();
}

void TCustomEdit::SetBevelOuter(TBevelCut value)
{
    if (value == bevelOuter_) return;
    bevelOuter_ = value;
    Invalidate();
}

void TCustomEdit::SetBevelWidth(int value)
{
    value = std::max(1, value);
    if (value == bevelWidth_) return;
    bevelWidth_ = value;
    Invalidate();
}

void TCustomEdit::SetTextHint(const UnicodeString& value)
{
    if (value == textHint_) return;
    textHint_ = value;
    if (HandleAllocated()) {
        SendMessageW(Handle(), EM_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(textHint_.c_str()));
        Invalidate();
    }
}

void TCustomEdit::SetPasswordChar(wchar_t value)
{
    if (value == passwordChar_) return;
    passwordChar_ = value;
    if (HandleAllocated() && !multiLine_) {
        SendMessageW(Handle(), EM_SETPASSWORDCHAR, value, 0);
        Invalidate();
    }
}

void TCustomEdit::SetNumbersOnly(bool value)
{
    if (value == numbersOnly_) return;
    numbersOnly_ = value;
    if (!HandleAllocated()) return;
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = value ? (style | ES_NUMBER) : (style & ~static_cast<LONG_PTR>(ES_NUMBER));
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
}

void TCustomEdit::SetCharCase(TEditCharCase value)
{
    if (value == charCase_) return;
    charCase_ = value;
    if (HandleAllocated()) {
        LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) & ~static_cast<LONG_PTR>(ES_UPPERCASE | ES_LOWERCASE);
        SetWindowLongPtrW(Handle(), GWL_STYLE, style | CharCaseStyle(value));
    }
    // The window converts what is typed or set from now on; the text it holds already
    // follows here.
    if (value != ecNormal) {
        UnicodeString text = Text();
        if (!text.empty()) {
            if (value == ecUpperCase)
                CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
            else
                CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
            SetText(text);
        }
    }
}

bool TCustomEdit::Modified() const
{
    return HandleAllocated() ? SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETMODIFY, 0, 0) != 0
                             : modified_;
}

void TCustomEdit::SetModified(bool value)
{
    modified_ = value;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETMODIFY, value, 0);
}

int TCustomEdit::SelStart()
{
    if (!HandleAllocated()) return 0;
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int value)
{
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(value), value);
}

int TCustomEdit::SelLength()
{
    if (!HandleAllocated()) return 0;
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int value)
{
    if (!HandleAllocated()) return;
    const int start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + std::max(0, value));
}

void TCustomEdit::SelectAll()
{
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        if (HIWORD(message.WParam) == EN_CHANGE && !ControlState().Contains(csCreating)) Change();
        message.Result = 0;
        return;
    }
    TWinControl::Dispatch(message);
}

void TCustomEdit::CMTextChanged(TMessage& message)
{
    TWinControl::CMTextChanged(message);
    // A window reports its own changes (EN_CHANGE), except a multi-line one whose whole text
    // is set.
    if (!HandleAllocated() || multiLine_) Change();
}

void TCustomEdit::Change()
{
    Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TCustomMemo, TMemoStrings

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), lines_(std::make_unique<TMemoStrings>(this))
{
    SetMultiLine(true);
    SetBounds(Left(), Top(), 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::SetScrollBars(TScrollStyle value)
{
    if (value == scrollBars_) return;
    scrollBars_ = value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value)
{
    if (value == wordWrap_) return;
    wordWrap_ = value;
    RecreateWnd();
}

void TCustomMemo::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (wordWrap_) params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) params.Style |= WS_HSCROLL;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.Style |= WS_VSCROLL;
}

void TCustomMemo::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    // Everything that may change the text: the cached lines are read again.
    case WM_SETTEXT:
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
    case EM_SETHANDLE:
    case WM_IME_CHAR:
    case CN_COMMAND:
    case CM_TEXTCHANGED: cacheValid_ = false; break;
    default: break;
    }
    TCustomEdit::Dispatch(message);
}

const std::vector<TCustomMemo::LineSpan>& TCustomMemo::LineSpans(const UnicodeString*& text)
{
    const bool stale = !cacheValid_ ||
                       (HandleAllocated() && static_cast<size_t>(GetWindowTextLengthW(Handle())) != cachedText_.size());
    if (stale) {
        cachedText_ = Text();
        cachedLines_.clear();
        SplitCachedLines(0);
        cacheValid_ = true;
    }
    text = &cachedText_;
    return cachedLines_;
}

void TCustomMemo::SplitCachedLines(size_t from)
{
    size_t pos = from;
    while (pos < cachedText_.size()) {
        const size_t lineBreak = cachedText_.find(L"\r\n", pos);
        if (lineBreak == UnicodeString::npos) {
            cachedLines_.push_back({pos, cachedText_.size() - pos, 0});
            break;
        }
        cachedLines_.push_back({pos, lineBreak - pos, 2});
        pos = lineBreak + 2;
    }
}

void TCustomMemo::ReplaceCachedText(size_t start, size_t end, const UnicodeString& with)
{
    cachedText_.replace(start, end - start, with);
    // Lines that end before the change keep their spans; the rest are split again.
    size_t keep = 0;
    while (keep < cachedLines_.size() &&
           cachedLines_[keep].Start + cachedLines_[keep].Length + cachedLines_[keep].BreakLength < start)
        ++keep;
    // A line whose break ends exactly at start is kept too, unless it lacks a break.
    if (keep < cachedLines_.size() && cachedLines_[keep].BreakLength != 0 &&
        cachedLines_[keep].Start + cachedLines_[keep].Length + cachedLines_[keep].BreakLength == start)
        ++keep;
    cachedLines_.resize(keep);
    SplitCachedLines(keep == 0 ? 0 : cachedLines_.back().Start + cachedLines_.back().Length + cachedLines_.back().BreakLength);
}

std::optional<TCustomMemo::LineSpan> TCustomMemo::LineAt(int index, const UnicodeString*& text)
{
    const auto& lines = LineSpans(text);
    if (index < 0 || index >= static_cast<int>(lines.size())) return std::nullopt;
    return lines[static_cast<size_t>(index)];
}

void TCustomMemo::ReplaceText(size_t start, size_t end, const UnicodeString& with)
{
    // The callers took start and end from the cached lines, so a valid cache can follow the
    // change here instead of reading the whole text back after it.
    const bool followCache = cacheValid_ && start <= end && end <= cachedText_.size();
    cacheValid_ = false;
    if (HandleAllocated()) {
        SendMessageW(Handle(), EM_SETSEL, start, static_cast<LPARAM>(end));
        SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(with.c_str()));
        cacheValid_ = false;
        if (!followCache) return;
        ReplaceCachedText(start, end, with);
        // The window may have refused part of it (its text limit): then its text is read again.
        cacheValid_ = static_cast<size_t>(GetWindowTextLengthW(Handle())) == cachedText_.size();
        return;
    }
    UnicodeString text = Text();
    start = std::min(start, text.size());
    end = std::clamp(end, start, text.size());
    text.replace(start, end - start, with);
    SetText(text);
}

int TMemoStrings::Count() const
{
    if (updating_) return static_cast<int>(pending_.size());
    const UnicodeString* text = nullptr;
    return static_cast<int>(memo_->LineSpans(text).size());
}

UnicodeString TMemoStrings::Get(int index) const
{
    if (updating_) {
        if (index < 0 || index >= static_cast<int>(pending_.size())) RaiseIndexError(index);
        return pending_[static_cast<size_t>(index)];
    }
    const UnicodeString* text = nullptr;
    const auto line = memo_->LineAt(index, text);
    if (!line) RaiseIndexError(index);
    return text->substr(line->Start, line->Length);
}

void TMemoStrings::Insert(int index, const UnicodeString& s)
{
    if (updating_) {
        if (index < 0 || index > static_cast<int>(pending_.size())) RaiseIndexError(index);
        pending_.insert(pending_.begin() + index, s);
        dirty_ = true;
        return;
    }
    const UnicodeString* text = nullptr;
    const auto& lines = memo_->LineSpans(text);
    const int count = static_cast<int>(lines.size());
    if (index < 0 || index > count) RaiseIndexError(index);
    if (index < count) {
        const size_t at = lines[static_cast<size_t>(index)].Start;
        memo_->ReplaceText(at, at, s + L"\r\n");
        return;
    }
    const size_t end = text->size();
    // After an unterminated last line the new line starts with the break it lacks.
    const bool terminated = count == 0 || lines.back().BreakLength != 0;
    memo_->ReplaceText(end, end, terminated ? s + L"\r\n" : L"\r\n" + s);
}

void TMemoStrings::Delete(int index)
{
    if (updating_) {
        if (index < 0 || index >= static_cast<int>(pending_.size())) RaiseIndexError(index);
        pending_.erase(pending_.begin() + index);
        dirty_ = true;
        return;
    }
    const UnicodeString* text = nullptr;
    const auto line = memo_->LineAt(index, text);
    if (!line) RaiseIndexError(index);
    memo_->ReplaceText(line->Start, line->Start + line->Length + line->BreakLength, UnicodeString());
}

void TMemoStrings::Put(int index, const UnicodeString& s)
{
    if (updating_) {
        if (index < 0 || index >= static_cast<int>(pending_.size())) RaiseIndexError(index);
        pending_[static_cast<size_t>(index)] = s;
        dirty_ = true;
        return;
    }
    const UnicodeString* text = nullptr;
    const auto line = memo_->LineAt(index, text);
    if (!line) RaiseIndexError(index);
    memo_->ReplaceText(line->Start, line->Start + line->Length, s);
}

void TMemoStrings::Clear()
{
    if (updating_) {
        pending_.clear();
        dirty_ = true;
        return;
    }
    memo_->SetText(UnicodeString());
}

void TMemoStrings::SetUpdateState(bool updating)
{
    if (updating) {
        pending_.clear();
        const UnicodeString* text = nullptr;
        for (const auto& line : memo_->LineSpans(text)) pending_.push_back(text->substr(line.Start, line.Length));
        dirty_ = false;
        updating_ = true;
        return;
    }
    updating_ = false;
    if (!dirty_) return;
    dirty_ = false;
    UnicodeString joined;
    for (const UnicodeString& line : pending_) {
        joined += line;
        joined += L"\r\n";
    }
    pending_.clear();
    memo_->SetText(joined);
}

// ---------------------------------------------------------------------------------------------
// TCheckableButton

void TCheckableButton::SetAlignment(TAlignment value)
{
    if (value == alignment_) return;
    alignment_ = value;
    RecreateWnd();
}

void TCheckableButton::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    if (alignment_ == taLeftJustify) params.Style |= BS_LEFTTEXT;
}

void TCheckableButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    SendMessageW(Handle(), BM_SETCHECK, CheckMark(), 0);
}

void TCheckableButton::ShowCheckMark()
{
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, CheckMark(), 0);
}

// ---------------------------------------------------------------------------------------------
// TCustomCheckBox

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TCheckableButton(owner)
{
    SetBounds(Left(), Top(), 97, 17);
    SetTabStop(true);
    SetParentColor(true);
}

void TCustomCheckBox::SetState(TCheckBoxState value)
{
    if (value == state_) return;
    state_ = value;
    ShowCheckMark();
    if (!ComponentState().Contains(csLoading)) Click();
}

void TCustomCheckBox::Toggle()
{
    switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::CreateParams(TCreateParams& params)
{
    TCheckableButton::CreateParams(params);
    // The window does not change its own state; Toggle does, so code and clicks agree.
    params.Style |= BS_3STATE;
}

void TCustomCheckBox::CNCommand(TMessage& message)
{
    if (HIWORD(message.WParam) == BN_CLICKED) Toggle();
    message.Result = 0;
}

// ---------------------------------------------------------------------------------------------
// TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TCheckableButton(owner)
{
    SetBounds(Left(), Top(), 113, 17);
    SetParentColor(true);
}

void TRadioButton::SetChecked(bool value)
{
    if (value == checked_) return;
    checked_ = value;
    SetTabStop(value);
    ShowCheckMark();
    if (!value) return;
    if (TWinControl* parent = Parent()) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i));
            if (sibling && sibling != this) sibling->SetChecked(false);
        }
    }
    if (!ComponentState().Contains(csLoading)) Click();
}

void TRadioButton::CreateParams(TCreateParams& params)
{
    TCheckableButton::CreateParams(params);
    params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CNCommand(TMessage& message)
{
    switch (HIWORD(message.WParam)) {
    case BN_CLICKED: SetChecked(true); break;
    case BN_DOUBLECLICKED: DblClick(); break;
    default: break;
    }
    message.Result = 0;
}

// ---------------------------------------------------------------------------------------------
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle({csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
    SetBounds(Left(), Top(), 185, 105);
    SetParentColor(true);
}

void TCustomGroupBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"BUTTON");
    params.Style |= BS_GROUPBOX | WS_CLIPCHILDREN;
}

void TCustomGroupBox::Dispatch(TMessage& message)
{
    // The class lets clicks fall through a group box; as a container it takes them.
    if (message.Msg == WM_NCHITTEST) {
        message.Result = HTCLIENT;
        return;
    }
    TWinControl::Dispatch(message);
}

void TCustomGroupBox::WMEraseBkgnd(TMessage& message)
{
    // The class paints only the frame and caption; the inside takes the box's colour.
    RECT r{};
    ::GetClientRect(Handle(), &r);
    FillRect(reinterpret_cast<HDC>(message.WParam), &r, BackgroundBrush());
    message.Result = 1;
}

void TCustomGroupBox::AdjustClientRect(TRect& rect)
{
    TWinControl::AdjustClientRect(rect);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    rect.Top += metrics.tmHeight;
    rect.Left += 2;
    rect.Right -= 2;
    rect.Bottom -= 2;
    rect.Top += 2;
}

// ---------------------------------------------------------------------------------------------
// TCustomListBox, TListBoxStrings

int TListBoxStrings::Count() const
{
    if (listBox_->HandleAllocated())
        return std::max<int>(0, static_cast<int>(SendMessageW(listBox_->Handle(), LB_GETCOUNT, 0, 0)));
    return static_cast<int>(stored_.size());
}

UnicodeString TListBoxStrings::Get(int index) const
{
    if (index < 0 || index >= Count()) RaiseIndexError(index);
    if (listBox_->HandleAllocated())
        return WindowString(listBox_->Handle(), LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(index));
    return stored_[static_cast<size_t>(index)];
}

void TListBoxStrings::Insert(int index, const UnicodeString& s)
{
    if (index < 0 || index > Count()) RaiseIndexError(index);
    if (listBox_->HandleAllocated()) {
        const LRESULT result =
            SendMessageW(listBox_->Handle(), LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
        if (result < 0) throw EOutOfResources(L"Cannot add a list box item");
        return;
    }
    stored_.insert(stored_.begin() + index, s);
    if (listBox_->itemIndex_ >= index) ++listBox_->itemIndex_;
}

void TListBoxStrings::Delete(int index)
{
    if (index < 0 || index >= Count()) RaiseIndexError(index);
    if (listBox_->HandleAllocated()) {
        SendMessageW(listBox_->Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        return;
    }
    stored_.erase(stored_.begin() + index);
    if (listBox_->itemIndex_ == index)
        listBox_->itemIndex_ = -1;
    else if (listBox_->itemIndex_ > index)
        --listBox_->itemIndex_;
}

void TListBoxStrings::Clear()
{
    if (listBox_->HandleAllocated()) {
        SendMessageW(listBox_->Handle(), LB_RESETCONTENT, 0, 0);
        return;
    }
    stored_.clear();
    listBox_->itemIndex_ = -1;
}

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner), items_(std::make_unique<TListBoxStrings>(this))
{
    // Clicks and double clicks come from the window's own notifications.
    SetControlStyle({});
    SetBounds(Left(), Top(), 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TCustomListBox::~TCustomListBox() = default;

int TCustomListBox::ItemIndex() const
{
    if (HandleAllocated())
        return static_cast<int>(SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomListBox::SetItemIndex(int value)
{
    if (value < 0 || value >= Count()) value = -1;
    if (HandleAllocated())
        SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(value), 0);
    else
        itemIndex_ = value;
}

void TCustomListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"LISTBOX");
    params.Style |= LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    HWND window = Handle();
    for (const UnicodeString& s : items_->stored_)
        SendMessageW(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    items_->stored_.clear();
    if (itemIndex_ >= 0) SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TCustomListBox::DestroyWnd()
{
    std::vector<UnicodeString> kept;
    for (int i = 0; i < items_->Count(); ++i) kept.push_back(items_->Get(i));
    const int index = ItemIndex();
    TWinControl::DestroyWnd();
    items_->stored_ = std::move(kept);
    itemIndex_ = index;
}

void TCustomListBox::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        switch (HIWORD(message.WParam)) {
        case LBN_SELCHANGE: Click(); break;
        case LBN_DBLCLK: DblClick(); break;
        default: break;
        }
        message.Result = 0;
        return;
    }
    TWinControl::Dispatch(message);
}

// ---------------------------------------------------------------------------------------------

void RegisterStdCtrlsWidgetClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    static const TEnumTypeInfo alignmentInfo{{L"taLeftJustify", L"taRightJustify", L"taCenter"}, 0};
    static const TEnumTypeInfo layoutInfo{{L"tlTop", L"tlCenter", L"tlBottom"}, 0};
    static const TEnumTypeInfo scrollInfo{{L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth"}, 0};
    static const TEnumTypeInfo charCaseInfo{{L"ecNormal", L"ecUpperCase", L"ecLowerCase"}, 0};
    static const TEnumTypeInfo borderStyleInfo{{L"bsNone", L"bsSingle"}, 0};
    static const TEnumTypeInfo bevelKindInfo{{L"bkNone", L"bkTile", L"bkSoft", L"bkFlat"}, 0};
    static const TEnumTypeInfo bevelCutInfo{{L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace"}, 0};
    static const TEnumTypeInfo checkStateInfo{{L"cbUnchecked", L"cbChecked", L"cbGrayed"}, 0};

    const UnicodeString l = L"TCustomLabel";
    RegisterPublishedClass(l, L"TGraphicControl");
    RegisterPublishedProperty(l, OrdProp(L"AutoSize", pkBool, &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize, int64_t{1}));
    RegisterPublishedProperty(l, OrdProp(L"Alignment", pkEnum, &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                                         int64_t{taLeftJustify}, &alignmentInfo));
    RegisterPublishedProperty(l, OrdProp(L"Layout", pkEnum, &TCustomLabel::Layout, &TCustomLabel::SetLayout,
                                         int64_t{tlTop}, &layoutInfo));
    RegisterPublishedProperty(l, OrdProp(L"WordWrap", pkBool, &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, int64_t{0}));
    RegisterPublishedProperty(l, OrdProp(L"Transparent", pkBool, &TCustomLabel::Transparent,
                                         &TCustomLabel::SetTransparent, int64_t{0}));
    RegisterPublishedProperty(l, OrdProp(L"ShowAccelChar", pkBool, &TCustomLabel::ShowAccelChar,
                                         &TCustomLabel::SetShowAccelChar, int64_t{1}));
    RegisterPublishedClass(L"TLabel", l);
    RegisterComponentClass<TLabel>(L"TLabel");

    const UnicodeString e = L"TCustomEdit";
    RegisterPublishedClass(e, L"TWinControl");
    RegisterPublishedProperty(e, OrdProp(L"ReadOnly", pkBool, &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, int64_t{0}));
    RegisterPublishedProperty(e, OrdProp(L"MaxLength", pkInteger, &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, int64_t{0}));
    RegisterPublishedProperty(e, OrdProp(L"Alignment", pkEnum, &TCustomEdit::Alignment, &TCustomEdit::SetAlignment,
                                         int64_t{taLeftJustify}, &alignmentInfo));
    {
        // A character property: written as a one-character string ('#'), or #0 for none.
        TPropInfo info;
        info.Name = L"PasswordChar";
        info.Kind = pkString;
        info.StrDefault = UnicodeString();
        info.GetStr = [](TPersistent* p) {
            const wchar_t c = PropertyInstance<TCustomEdit>(p).PasswordChar();
            return c ? UnicodeString(1, c) : UnicodeString();
        };
        info.SetStr = [](TPersistent* p, const UnicodeString& v) {
            if (v.size() > 1) throw EPropertyConvertError(L"One character expected");
            PropertyInstance<TCustomEdit>(p).SetPasswordChar(v.empty() ? L'\0' : v[0]);
        };
        RegisterPublishedProperty(e, std::move(info));
    }
    RegisterPublishedProperty(e, OrdProp(L"NumbersOnly", pkBool, &TCustomEdit::NumbersOnly, &TCustomEdit::SetNumbersOnly, int64_t{0}));
    RegisterPublishedProperty(e, OrdProp(L"CharCase", pkEnum, &TCustomEdit::CharCase, &TCustomEdit::SetCharCase,
                                         int64_t{ecNormal}, &charCaseInfo));
    RegisterPublishedProperty(e, OrdProp(L"BorderStyle", pkEnum, &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle,
                                         int64_t{bsSingle}, &borderStyleInfo));
    RegisterPublishedProperty(e, OrdProp(L"BevelKind", pkEnum, &TCustomEdit::BevelKind, &TCustomEdit::SetBevelKind,
                                         int64_t{bkNone}, &bevelKindInfo));
    RegisterPublishedProperty(e, OrdProp(L"BevelInner", pkEnum, &TCustomEdit::BevelInner, &TCustomEdit::SetBevelInner,
                                         int64_t{bvRaised}, &bevelCutInfo));
    RegisterPublishedProperty(e, OrdProp(L"BevelOuter", pkEnum, &TCustomEdit::BevelOuter, &TCustomEdit::SetBevelOuter,
                                         int64_t{bvLowered}, &bevelCutInfo));
    RegisterPublishedProperty(e, OrdProp(L"BevelWidth", pkInteger, &TCustomEdit::BevelWidth, &TCustomEdit::SetBevelWidth,
                                         int64_t{1}));
    RegisterPublishedProperty(e, StrProp(L"TextHint", &TCustomEdit::TextHint, &TCustomEdit::SetTextHint));
    RegisterPublishedProperty(e, OrdProp(L"Ctl3D", pkBool, &TCustomEdit::Ctl3D, &TCustomEdit::SetCtl3D, int64_t{1}));
    RegisterPublishedProperty(e, OrdProp(L"AutoSelect", pkBool, &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, int64_t{1}));
    RegisterPublishedProperty(e, OrdProp(L"HideSelection", pkBool, &TCustomEdit::HideSelection,
                                         &TCustomEdit::SetHideSelection, int64_t{1}));
    RegisterPublishedProperty(e, EventProp(L"OnChange", &TCustomEdit::OnChange));
    RegisterPublishedClass(L"TEdit", e);
    RegisterComponentClass<TEdit>(L"TEdit");

    const UnicodeString m = L"TCustomMemo";
    RegisterPublishedClass(m, e);
    RegisterPublishedProperty(m, ObjProp(L"Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines, L"String list expected",
                                         TNilObject::Ignore));
    RegisterPublishedProperty(m, OrdProp(L"ScrollBars", pkEnum, &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars,
                                         int64_t{ssNone}, &scrollInfo));
    RegisterPublishedProperty(m, OrdProp(L"WordWrap", pkBool, &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap, int64_t{1}));
    RegisterPublishedClass(L"TMemo", m);
    RegisterComponentClass<TMemo>(L"TMemo");

    const UnicodeString c = L"TCustomCheckBox";
    RegisterPublishedClass(c, L"TWinControl");
    RegisterPublishedProperty(c, OrdProp(L"Checked", pkBool, &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"State", pkEnum, &TCustomCheckBox::State, &TCustomCheckBox::SetState,
                                         int64_t{cbUnchecked}, &checkStateInfo));
    RegisterPublishedProperty(c, OrdProp(L"AllowGrayed", pkBool, &TCustomCheckBox::AllowGrayed,
                                         &TCustomCheckBox::SetAllowGrayed, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"Alignment", pkEnum, &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment,
                                         int64_t{taRightJustify}, &alignmentInfo));
    RegisterPublishedClass(L"TCheckBox", c);
    RegisterComponentClass<TCheckBox>(L"TCheckBox");

    const UnicodeString r = L"TRadioButton";
    RegisterPublishedClass(r, L"TWinControl");
    RegisterPublishedProperty(r, OrdProp(L"Checked", pkBool, &TRadioButton::Checked, &TRadioButton::SetChecked, int64_t{0}));
    RegisterPublishedProperty(r, OrdProp(L"Alignment", pkEnum, &TRadioButton::Alignment, &TRadioButton::SetAlignment,
                                         int64_t{taRightJustify}, &alignmentInfo));
    RegisterComponentClass<TRadioButton>(r);

    RegisterPublishedClass(L"TCustomGroupBox", L"TWinControl");
    RegisterPublishedClass(L"TGroupBox", L"TCustomGroupBox");
    RegisterComponentClass<TGroupBox>(L"TGroupBox");

    const UnicodeString b = L"TCustomListBox";
    RegisterPublishedClass(b, L"TWinControl");
    RegisterPublishedProperty(b, ObjProp(L"Items", &TCustomListBox::Items, &TCustomListBox::SetItems,
                                         L"String list expected", TNilObject::Ignore));
    RegisterPublishedProperty(b, OrdProp(L"ItemIndex", pkInteger, &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex,
                                         int64_t{-1}));
    RegisterPublishedClass(L"TListBox", b);
    RegisterComponentClass<TListBox>(L"TListBox");
    RegisterMaskClasses();
}
