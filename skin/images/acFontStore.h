#pragma once
// Fonts carried by a skin or an image list: each entry keeps the font file's bytes and, once
// loaded, the handle of the font installed privately for the process. An entry takes its font
// away again when it is freed, so clearing the collection removes every font it installed.
#include "Components.h"
#include "Streams.h"

#include <windows.h>

#include <memory>

class TacEmbeddedFont : public TCollectionItem {
public:
    TacEmbeddedFont() = default;
    ~TacEmbeddedFont() override;
    TacEmbeddedFont(const TacEmbeddedFont&) = delete;
    TacEmbeddedFont& operator=(const TacEmbeddedFont&) = delete;
    UnicodeString ClassName() const override { return L"TacEmbeddedFont"; }

    // Installs the font of FontData for this process and keeps the handle; an empty FontData
    // installs nothing. A font installed before is removed first.
    void LoadFont();
    // Removes the installed font, if any.
    void UnloadFont();
    // The number of faces the system took from FontData (0 when nothing is installed).
    DWORD FontCount() const { return fontCount_; }

    UnicodeString FileName;
    UnicodeString FontName;
    HANDLE Handle = nullptr;
    std::unique_ptr<TMemoryStream> FontData = std::make_unique<TMemoryStream>();

private:
    DWORD fontCount_ = 0;
};

class TacEmbeddedFonts : public TCollection {
public:
    explicit TacEmbeddedFonts(TComponent* owner = nullptr);
    UnicodeString ClassName() const override { return L"TacEmbeddedFonts"; }
    TacEmbeddedFont* Add() { return static_cast<TacEmbeddedFont*>(TCollection::Add()); }
    TacEmbeddedFont* Items(int index) const { return static_cast<TacEmbeddedFont*>(TCollection::Items(index)); }
};
