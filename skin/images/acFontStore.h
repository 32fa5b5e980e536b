#pragma once
// Fonts carried by a skin or an image list: each entry keeps the font file's bytes and, once
// loaded, the handle of the font installed privately for the process.
#include "Components.h"
#include "Streams.h"

#include <windows.h>

#include <memory>

class TacEmbeddedFont : public TCollectionItem {
public:
    UnicodeString ClassName() const override { return L"TacEmbeddedFont"; }

    UnicodeString FileName;
    UnicodeString FontName;
    HANDLE Handle = nullptr;
    std::unique_ptr<TMemoryStream> FontData = std::make_unique<TMemoryStream>();
};

class TacEmbeddedFonts : public TCollection {
public:
    explicit TacEmbeddedFonts(TComponent* owner = nullptr);
    UnicodeString ClassName() const override { return L"TacEmbeddedFonts"; }
    TacEmbeddedFont* Add() { return static_cast<TacEmbeddedFont*>(TCollection::Add()); }
};
