// Applying a skin received from the skin editor, and the task bar's iconic bitmaps.
#include "sSkinManagerLivePreview.h"

#include "StringList.h"
#include "Strings.h"
#include "sConst.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"

#include <cstring>
#include <memory>
#include <string_view>

bool UnPackedFirst = false;

namespace {

// A text field of the record up to its first zero byte, or the whole field when it has none:
// the record comes from another program and is never read past a field.
template <size_t N>
UnicodeString FieldText(const std::array<char, N>& field)
{
    const auto* end = static_cast<const char*>(std::memchr(field.data(), 0, N));
    const size_t length = end ? static_cast<size_t>(end - field.data()) : N;
    return AnsiToUnicode(std::string_view(field.data(), length));
}

} // namespace

void ReceiveData(TsSkinManager* Manager, bool)
{
    if (!Manager) return;
    const TacSkinEditorData& data = Manager->PreviewBuffer;
    if (data.Magic != acSkinEditorMagic) return;
    UnPackedFirst = true;
    // The editor's text is the first source of the skin while it loads; afterwards the normal
    // sources count again. A list someone else set is used, but it stays theirs.
    std::unique_ptr<TStringList> made;
    if (!acEditorSkinFile) {
        made = std::make_unique<TStringList>();
        acEditorSkinFile = made.get();
    }
    struct Forget {
        ~Forget() { acEditorSkinFile = nullptr; }
    } forget;
    acEditorSkinFile->SetText(FieldText(data.Data2));
    Manager->SetSkinDirectory(FieldText(data.Data1));
    const UnicodeString skinName = FieldText(data.Name1);
    const UnicodeString section = FieldText(data.Name2);
    if (!section.empty() && Manager->HueOffset() == 0 && Manager->Brightness() == 0 && Manager->Saturation() == 0) {
        // Only one section changed: load without telling every window, then repaint that one.
        struct NoAutoUpdate {
            TsSkinManager& m;
            ~NoAutoUpdate() { m.NoAutoUpdate = false; }
        } noUpdate{*Manager};
        Manager->NoAutoUpdate = true;
        Manager->SetSkinName(skinName);
        TacManagerStateScope changing(*Manager, msSkinChanging);
        Manager->RepaintSection(section);
    } else {
        Manager->BeginUpdate();
        Manager->SetSkinName(skinName);
        Manager->EndUpdate(true, false);
    }
}

void UpdatePreview(HWND Wnd, bool Value)
{
    if (!ac_ChangeThumbPreviews) return;
    const BOOL value = Value ? TRUE : FALSE;
    if (FAILED(DwmSetWindowAttribute(Wnd, 10 /* DWMWA_HAS_ICONIC_BITMAP */, &value, sizeof value)))
        DwmSetWindowAttribute(Wnd, 7 /* DWMWA_FORCE_ICONIC_REPRESENTATION */, &value, sizeof value);
    DwmInvalidateIconicBitmaps(Wnd);
}
