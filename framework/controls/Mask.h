#pragma once
// Masked edit: an edit whose text follows an edit mask ("body;save literals;blank"). The mask
// body holds input positions (0 digit, 9 digit or space, # digit, sign or space, L letter,
// l letter or space, A letter or digit, a letter, digit or space, C any character, c any or
// space), literal characters (\ makes the next character literal) and the case switches
// > (upper), < (lower) and <> (as typed); ! is accepted and changes nothing here. The save field
// "0" leaves the literals out of Text; the blank field gives the character shown in empty input
// positions ('_' by default).
#include "StdCtrls.h"
#include "Exceptions.h"

#include <vector>

FW_DECLARE_EXCEPTION(EDBEditError, Exception);

// A parsed edit mask and the conversions between the text, the edit text and typed characters.
class TEditMaskFormat {
public:
    enum TKind : unsigned char { mkLiteral, mkDigit, mkDigitOpt, mkDigitSign, mkLetter, mkLetterOpt,
                                 mkAlnum, mkAlnumOpt, mkAny, mkAnyOpt };
    enum TCase : unsigned char { mcNone, mcUpper, mcLower };
    struct TPos {
        TKind Kind = mkLiteral;
        TCase Case = mcNone;
        wchar_t Literal = 0;
    };

    TEditMaskFormat() = default;
    explicit TEditMaskFormat(const UnicodeString& mask);

    bool Empty() const { return positions_.empty(); }
    size_t Length() const { return positions_.size(); }
    const TPos& At(size_t index) const { return positions_.at(index); }
    bool SaveLiterals() const { return saveLiterals_; }
    wchar_t Blank() const { return blank_; }
    bool IsLiteral(size_t index) const { return positions_.at(index).Kind == mkLiteral; }
    bool IsRequired(size_t index) const;

    // The edit text showing text: with saved literals character for character, else the
    // characters filling the input positions in turn; spaces and missing characters are blanks.
    UnicodeString EditTextOf(const UnicodeString& text) const;
    // The text of an edit text: blanks become spaces; without saved literals only the input
    // positions count.
    UnicodeString TextOf(const UnicodeString& editText) const;
    // c as input position index takes it (case converted), or 0 when it does not fit.
    wchar_t Accept(size_t index, wchar_t c) const;
    // The first input position at or after index; Length() when none.
    size_t NextInput(size_t index) const;
    // The last input position before index; npos when none.
    size_t PrevInput(size_t index) const;
    // Every required position holds a fitting character and every filled one fits; failPos gets
    // the first position that does not.
    bool Valid(const UnicodeString& editText, size_t* failPos = nullptr) const;

private:
    std::vector<TPos> positions_;
    bool saveLiterals_ = true;
    wchar_t blank_ = L'_';
};

class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* owner);
    UnicodeString ClassName() const override { return L"TCustomMaskEdit"; }

    const UnicodeString& EditMask() const { return editMask_; }
    // The text is kept (reformatted under the new mask).
    void SetEditMask(const UnicodeString& value);
    bool IsMasked() const { return !format_.Empty(); }
    // The window's text: literals and blanks included.
    UnicodeString EditText() { return GetEditText(); }
    void SetEditText(const UnicodeString& value);
    virtual UnicodeString GetEditText();
    // Raises EDBEditError "Invalid input value" when the edit text does not fill the mask; the
    // caret goes to the first wrong position.
    virtual void ValidateEdit();
    const TEditMaskFormat& MaskFormat() const { return format_; }

protected:
    UnicodeString GetText() override;
    void Dispatch(TMessage& message) override;
    void CreateWnd() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(wchar_t& key) override;
    // Validates a modified masked edit as the focus leaves it.
    void CMExit(TMessage& message) override;

private:
    // Blanks the input positions in [start, end).
    void ClearRange(size_t start, size_t end);
    // Puts c at the input position at or after pos; false (and a beep) when it does not fit.
    bool InputChar(wchar_t c);
    // The window's text becomes text as it is (no reformatting), the caret goes to caret, and
    // the edit counts as modified.
    void SetWindowEditText(const UnicodeString& text, size_t caret);
    void Selection(size_t& start, size_t& end);

    UnicodeString editMask_;
    TEditMaskFormat format_;
    bool rawText_ = false; // WM_SETTEXT carries an edit text already
};

class TMaskEdit : public TCustomMaskEdit {
public:
    explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
    UnicodeString ClassName() const override { return L"TMaskEdit"; }
};

// Registers the published properties and reader factories of the masked edit classes.
void RegisterMaskClasses();
