// Embedded fonts: private installation of a font file's bytes and its removal.
#include "acFontStore.h"

TacEmbeddedFont::~TacEmbeddedFont() { UnloadFont(); }

void TacEmbeddedFont::LoadFont()
{
    UnloadFont();
    const long long size = FontData->Size();
    if (size <= 0 || size > MAXDWORD) return;
    DWORD count = 0;
    Handle = AddFontMemResourceEx(FontData->Memory(), static_cast<DWORD>(size), nullptr, &count);
    fontCount_ = Handle ? count : 0;
}

void TacEmbeddedFont::UnloadFont()
{
    if (Handle) RemoveFontMemResourceEx(Handle);
    Handle = nullptr;
    fontCount_ = 0;
}

TacEmbeddedFonts::TacEmbeddedFonts(TComponent* owner) : TCollection(TCollection::ItemClass<TacEmbeddedFont>(), owner)
{
}
