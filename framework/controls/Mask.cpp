#include "Mask.h"

#include "TypInfo.h"

#include <algorithm>

#include <windows.h>

namespace {

std::vector<UnicodeString> SplitFields(const UnicodeString& mask)
{
    std::vector<UnicodeString> fields(1);
    for (size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == L'\\' && i + 1 < mask.size()) {
            fields.back() += mask[i];
            fields.back() += mask[++i];
        } else if (mask[i] == L';' && fields.size() < 3) {
            fields.emplace_back();
        } else {
            fields.back() += mask[i];
        }
    }
    return fields;
}

} // namespace

TEditMaskFormat::TEditMaskFormat(const UnicodeString& mask)
{
    const std::vector<UnicodeString> fields = SplitFields(mask);
    if (fields.size() > 1) saveLiterals_ = fields[1] != L"0";
    if (fields.size() > 2 && !fields[2].empty()) blank_ = fields[2][0];
    const UnicodeString& body = fields[0];
    TCase mode = mcNone;
    for (size_t i = 0; i < body.size(); ++i) {
        const wchar_t c = body[i];
        TPos pos;
        switch (c) {
        case L'\\':
            if (i + 1 < body.size()) pos.Literal = body[++i];
            positions_.push_back(pos);
            continue;
        case L'>': mode = mcUpper; continue;
        case L'<':
            if (i + 1 < body.size() && body[i + 1] == L'>') {
                ++i;
                mode = mcNone;
            } else {
                mode = mcLower;
            }
            continue;
        case L'!': continue;
        case L'0': pos.Kind = mkDigit; break;
        case L'9': pos.Kind = mkDigitOpt; break;
        case L'#': pos.Kind = mkDigitSign; break;
        case L'L': pos.Kind = mkLetter; break;
        case L'l': pos.Kind = mkLetterOpt; break;
        case L'A': pos.Kind = mkAlnum; break;
        case L'a': pos.Kind = mkAlnumOpt; break;
        case L'C': pos.Kind = mkAny; break;
        case L'c': pos.Kind = mkAnyOpt; break;
        default: pos.Literal = c; break;
        }
        pos.Case = mode;
        positions_.push_back(pos);
    }
}

bool TEditMaskFormat::IsRequired(size_t index) const
{
    switch (positions_.at(index).Kind) {
    case mkDigit:
    case mkLetter:
    case mkAlnum:
    case mkAny: return true;
    default: return false;
    }
}

wchar_t TEditMaskFormat::Accept(size_t index, wchar_t c) const
{
    if (index >= positions_.size()) return 0;
    const TPos& pos = positions_[index];
    const bool digit = c >= L'0' && c <= L'9';
    bool fits = false;
    switch (pos.Kind) {
    case mkLiteral: fits = false; break;
    case mkDigit: fits = digit; break;
    case mkDigitOpt: fits = digit || c == L' '; break;
    case mkDigitSign: fits = digit || c == L' ' || c == L'+' || c == L'-'; break;
    case mkLetter: fits = IsCharAlphaW(c) != FALSE; break;
    case mkLetterOpt: fits = IsCharAlphaW(c) || c == L' '; break;
    case mkAlnum: fits = IsCharAlphaNumericW(c) != FALSE; break;
    case mkAlnumOpt: fits = IsCharAlphaNumericW(c) || c == L' '; break;
    case mkAny: fits = c >= L' ' && c != L' '; break;
    case mkAnyOpt: fits = c >= L' '; break;
    }
    if (!fits) return 0;
    wchar_t converted = c;
    if (pos.Case == mcUpper) CharUpperBuffW(&converted, 1);
    if (pos.Case == mcLower) CharLowerBuffW(&converted, 1);
    return converted;
}

UnicodeString TEditMaskFormat::EditTextOf(const UnicodeString& text) const
{
    UnicodeString result;
    result.reserve(positions_.size());
    size_t next = 0; // the next character of text without saved literals
    for (size_t i = 0; i < positions_.size(); ++i) {
        if (IsLiteral(i)) {
            result += positions_[i].Literal;
            continue;
        }
        const size_t from = saveLiterals_ ? i : next++;
        const wchar_t c = from < text.size() ? text[from] : L' ';
        const wchar_t fitted = (c == L' ' || c == blank_) ? 0 : Accept(i, c);
        result += fitted ? fitted : blank_;
    }
    return result;
}

UnicodeString TEditMaskFormat::TextOf(const UnicodeString& editText) const
{
    UnicodeString result;
    for (size_t i = 0; i < positions_.size(); ++i) {
        if (IsLiteral(i)) {
            if (saveLiterals_) result += positions_[i].Literal;
            continue;
        }
        const wchar_t c = i < editText.size() ? editText[i] : blank_;
        result += c == blank_ ? L' ' : c;
    }
    return result;
}

size_t TEditMaskFormat::NextInput(size_t index) const
{
    while (index < positions_.size() && IsLiteral(index)) ++index;
    return std::min(index, positions_.size());
}

size_t TEditMaskFormat::PrevInput(size_t index) const
{
    index = std::min(index, positions_.size());
    while (index > 0) {
        --index;
        if (!IsLiteral(index)) return index;
    }
    return UnicodeString::npos;
}

bool TEditMaskFormat::Valid(const UnicodeString& editText, size_t* failPos) const
{
    for (size_t i = 0; i < positions_.size(); ++i) {
        if (IsLiteral(i)) continue;
        const wchar_t c = i < editText.size() ? editText[i] : blank_;
        const bool empty = c == blank_ || c == L' ';
        if (empty ? IsRequired(i) : Accept(i, c) == 0) {
            if (failPos) *failPos = i;
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// TCustomMaskEdit

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const UnicodeString& value)
{
    if (value == editMask_) return;
    const UnicodeString text = Text();
    editMask_ = value;
    format_ = TEditMaskFormat(value);
    if (HandleAllocated())
        SendMessageW(Handle(), EM_LIMITTEXT, IsMasked() ? format_.Length() : static_cast<WPARAM>(MaxLength()), 0);
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Perform(CM_TEXTCHANGED, 0, 0);
}

UnicodeString TCustomMaskEdit::GetEditText() { return TCustomEdit::GetText(); }

void TCustomMaskEdit::SetEditText(const UnicodeString& value)
{
    rawText_ = IsMasked();
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    rawText_ = false;
    Perform(CM_TEXTCHANGED, 0, 0);
}

UnicodeString TCustomMaskEdit::GetText()
{
    const UnicodeString editText = GetEditText();
    return IsMasked() ? format_.TextOf(editText) : editText;
}

void TCustomMaskEdit::ValidateEdit()
{
    size_t failPos = 0;
    if (!IsMasked() || format_.Valid(GetEditText(), &failPos)) return;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, failPos, static_cast<LPARAM>(failPos));
    throw EDBEditError(L"Invalid input value");
}

void TCustomMaskEdit::CreateWnd()
{
    TCustomEdit::CreateWnd();
    if (IsMasked()) SendMessageW(Handle(), EM_LIMITTEXT, format_.Length(), 0);
}

void TCustomMaskEdit::Dispatch(TMessage& message)
{
    if (IsMasked()) {
        switch (message.Msg) {
        case WM_SETTEXT:
            if (!rawText_) {
                // Whatever sets the text gets it shaped by the mask.
                const UnicodeString shaped =
                    format_.EditTextOf(message.LParam ? reinterpret_cast<const wchar_t*>(message.LParam) : L"");
                TMessage copy = message;
                copy.LParam = reinterpret_cast<LPARAM>(shaped.c_str());
                TCustomEdit::Dispatch(copy);
                message.Result = copy.Result;
                return;
            }
            break;
        case WM_PASTE:
            if (!ReadOnly() && OpenClipboard(Handle())) {
                UnicodeString pasted;
                if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                        pasted = chars;
                        GlobalUnlock(data);
                    }
                }
                CloseClipboard();
                for (wchar_t c : pasted)
                    if (c >= L' ' && !InputChar(c)) break;
            }
            message.Result = 0;
            return;
        case WM_CUT:
        case WM_CLEAR: {
            if (message.Msg == WM_CUT) SendMessageW(Handle(), WM_COPY, 0, 0);
            if (!ReadOnly()) {
                size_t start = 0, end = 0;
                Selection(start, end);
                ClearRange(start, end);
            }
            message.Result = 0;
            return;
        }
        default: break;
        }
    }
    TCustomEdit::Dispatch(message);
}

void TCustomMaskEdit::Selection(size_t& start, size_t& end)
{
    DWORD s = 0, e = 0;
    if (HandleAllocated()) SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = s;
    end = e;
}

void TCustomMaskEdit::SetWindowEditText(const UnicodeString& text, size_t caret)
{
    rawText_ = true;
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    rawText_ = false;
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), EM_SETSEL, caret, static_cast<LPARAM>(caret));
    SendMessageW(Handle(), EM_SETMODIFY, TRUE, 0);
}

void TCustomMaskEdit::ClearRange(size_t start, size_t end)
{
    UnicodeString text = GetEditText();
    text.resize(format_.Length(), format_.Blank());
    for (size_t i = start; i < std::min(end, text.size()); ++i)
        if (!format_.IsLiteral(i)) text[i] = format_.Blank();
    SetWindowEditText(text, start);
}

bool TCustomMaskEdit::InputChar(wchar_t c)
{
    size_t start = 0, end = 0;
    Selection(start, end);
    UnicodeString text = GetEditText();
    text.resize(format_.Length(), format_.Blank());
    const size_t pos = format_.NextInput(start);
    const wchar_t fitted = pos < format_.Length() ? format_.Accept(pos, c) : 0;
    if (!fitted) {
        MessageBeep(0);
        return false;
    }
    for (size_t i = start; i < std::min(end, text.size()); ++i)
        if (!format_.IsLiteral(i)) text[i] = format_.Blank();
    text[pos] = fitted == L' ' ? format_.Blank() : fitted;
    SetWindowEditText(text, format_.NextInput(pos + 1));
    return true;
}

void TCustomMaskEdit::KeyDown(WORD& key, TShiftState shift)
{
    TCustomEdit::KeyDown(key, shift);
    if (key != VK_DELETE || !IsMasked() || ReadOnly() || !HandleAllocated()) return;
    size_t start = 0, end = 0;
    Selection(start, end);
    if (start == end) end = std::min(format_.NextInput(start) + 1, format_.Length());
    ClearRange(start, end);
    key = 0;
}

void TCustomMaskEdit::KeyPress(wchar_t& key)
{
    TCustomEdit::KeyPress(key);
    if (!IsMasked() || key == 0 || ReadOnly() || !HandleAllocated()) return;
    if (key == VK_BACK) {
        size_t start = 0, end = 0;
        Selection(start, end);
        if (start != end) {
            ClearRange(start, end);
        } else {
            const size_t prev = format_.PrevInput(start);
            if (prev == UnicodeString::npos)
                MessageBeep(0);
            else
                ClearRange(prev, prev + 1);
        }
        key = 0;
    } else if (key >= L' ') {
        InputChar(key);
        key = 0;
    }
}

void TCustomMaskEdit::CMExit(TMessage& message)
{
    if (IsMasked() && Modified()) {
        try {
            ValidateEdit();
        } catch (...) {
            if (CanFocus()) SetFocus();
            throw;
        }
    }
    TCustomEdit::CMExit(message);
}

void RegisterMaskClasses()
{
    const UnicodeString m = L"TCustomMaskEdit";
    if (IsPublishedClass(m)) return;
    RegisterPublishedClass(m, L"TCustomEdit");
    RegisterPublishedProperty(m, StrProp(L"EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask));
    RegisterPublishedClass(L"TMaskEdit", m);
    RegisterComponentClass<TMaskEdit>(L"TMaskEdit");
}
