// Conversion of a skin's image values from the notations older and newer skins write to the one
// fixed-width form: "&", rectangle (4 x 4 digits), margins (4 x 4 digits), image count, mask
// type, image type, draw mode (2), six zeros, file name.
#include "sSkinManager.h"

#include "SysUtils.h"
#include "acntUtils.h"

#include <algorithm>
#include <string_view>

namespace {

// The value's words: runs between blanks and its first character. A word beyond the last one
// is empty.
class Words {
public:
    explicit Words(const UnicodeString& value) : value_(value), delims_{L' ', value.empty() ? L' ' : value[0]} {}
    UnicodeString operator[](int n) const { return acExtractWord(n, value_, delims_); }
    int Count() const { return acWordCount(value_, delims_); }

private:
    const UnicodeString& value_;
    UnicodeString delims_;
};

// s with "0" added in front up to n characters.
UnicodeString Pad(const UnicodeString& s, size_t n)
{
    return s.size() < n ? UnicodeString(n - s.size(), L'0') + s : s;
}

UnicodeString Zeros(size_t n) { return UnicodeString(n, L'0'); }

// The four digits at a 1-based character position of value.
int NumberAt(const UnicodeString& value, size_t position) { return StrToInt(value.substr(position - 1, 4)); }

// (extent / count - 1) div 2, not below 0; nothing to share without a count.
int HalfMargin(int extent, int count) { return count == 0 ? 0 : std::max(0, (extent / count - 1) / 2); }

UnicodeString Caret(const UnicodeString& value, const Words& w)
{
    UnicodeString margins = w[5] + w[6] + w[7] + w[8];
    if (value.size() > 47 && w[5] == L"0000" && w[6] == L"0000" && w[7] == L"0000" && w[8] == L"0000") {
        const UnicodeString all = Pad(w[12], 4);
        if (all != L"0000") {
            margins = all + all + all + all;
        } else {
            const int left = NumberAt(value, 2), top = NumberAt(value, 7);
            const int right = NumberAt(value, 12), bottom = NumberAt(value, 17);
            const UnicodeString horz = Pad(IntToStr(HalfMargin(right - left, StrToInt(w[9]))), 4);
            const UnicodeString vert = Pad(IntToStr(HalfMargin(bottom - top, StrToInt(w[10]) + 1)), 4);
            margins = horz + vert + horz + vert;
        }
    }
    return L"&" + w[1] + w[2] + w[3] + w[4] + margins + w[9] + w[10] + L"0" + Pad(w[11], 2) + L"000000";
}

UnicodeString Tilde(const UnicodeString& value, const Words& w)
{
    const wchar_t maskType = value.size() >= 25 ? value[24] : L'0';
    return L"&" + w[1] + w[2] + w[3] + w[4] + Zeros(16) + L"1" + maskType + L"1" + Pad(w[5], 2) + L"00" + L"0000" +
           (w.Count() > 6 ? w[7] : UnicodeString());
}

UnicodeString At(const Words& w)
{
    return L"&" + w[1] + w[2] + w[3] + w[4] + Zeros(16) + w[5] + w[6] + L"2" + L"00000000";
}

// The exclamation notation, and a plain file name (kind 1, the whole value as its name).
UnicodeString Exclamation(const UnicodeString& value, const Words& w, int kind, const UnicodeString& fileName)
{
    const UnicodeString tail = Pad(w[9], 2) + L"000000" + fileName;
    const UnicodeString rect = w[5] + w[6] + w[7] + w[8];
    const bool fewWords = w.Count() < 5;
    switch (kind) {
    case 0:
        return L"&" + Zeros(16) + rect + w[2] + w[3] + L"0" + tail;
    case 1:
        if (value.find(L'!') == UnicodeString::npos)
            return L"&" + Zeros(32) + L"1" + L"0" + L"1" + L"00" + L"000000" + fileName;
        return L"&" + Zeros(32) + w[2] + w[3] + L"1" + tail;
    case 3:
        if (fewWords) return L"&" + Zeros(32) + L"1" + L"0" + L"3" + L"00" + L"000000" + fileName;
        return L"&" + Zeros(16) + rect + w[2] + w[3] + L"3" + tail;
    default: // 2 and 4
        if (fewWords) return L"&" + Zeros(32) + w[2] + w[3] + IntToStr(kind) + tail;
        return L"&" + rect + Zeros(16) + w[2] + w[3] + IntToStr(kind) + tail;
    }
}

} // namespace

UnicodeString ConvertSkinStr(const UnicodeString& value)
{
    const wchar_t first = value.empty() ? L'\0' : value[0];
    if (first == L'&') return value;
    const Words w(value);
    const bool plain = first != L'^' && first != L'~' && first != L'@' && first != L'!';
    int kind = 1;
    switch (first) {
    case L'^': kind = 0; break;
    case L'@': kind = 2; break;
    case L'!': kind = std::clamp(StrToIntDef(w[4], 0), 0, 4); break;
    default: break;
    }
    if (value.size() < 4)
        return L"&" + Zeros(32) + L"3" + L"0" + IntToStr(kind) + L"01" + L"00" + L"0000" +
               (plain ? value : UnicodeString());
    switch (first) {
    case L'^': return Caret(value, w);
    case L'~': return Tilde(value, w);
    case L'@': return At(w);
    case L'!': return Exclamation(value, w, kind, w[1]);
    default: return Exclamation(value, w, 1, value);
    }
}
