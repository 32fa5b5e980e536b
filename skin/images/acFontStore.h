#pragma once
// Fonts kept inside a form or a skin. Each entry holds a font file's bytes and, once loaded, the
// handle of the font installed privately for the process; an entry takes its font away again
// when it is freed, so clearing a collection removes every font it installed. TsFontStore is
// the component that carries such fonts in a form and installs them when the form is loaded,
// so skinned controls can use fonts that are not installed on the system.
//
// The glyph list has entries of the same names (acAlphaImageList::TacEmbeddedFont) that keep
// their fonts when freed; these are the font store's and the skin manager's.
#include "Components.h"
#include "Streams.h"
#include "TypInfo.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class TStrings;

// The store's own classes: the skin manager's options and the glyph list have classes of the
// same names.
namespace acFontStore {

class TacEmbeddedFont : public TCollectionItem {
public:
    TacEmbeddedFont() = default;
    ~TacEmbeddedFont() override;
    TacEmbeddedFont(const TacEmbeddedFont&) = delete;
    TacEmbeddedFont& operator=(const TacEmbeddedFont&) = delete;
    // Qualified by the unit: the glyph list's entries own the plain name in the property registry.
    UnicodeString ClassName() const override { return L"acFontStore.TacEmbeddedFont"; }
    // Copies FileName and FontName, and FontData when the source has data.
    void Assign(const TPersistent* source) override;

    // Installs the font of FontData for this process and keeps the handle; an empty FontData
    // installs nothing (Handle stays 0). A font installed before is removed first.
    void LoadFont();
    // Removes the installed font, if any.
    void UnLoadFont();
    // The number of faces the system took from FontData (0 when nothing is installed).
    DWORD FontCount() const { return fontCount_; }

    // The "FontData" property: the font file's bytes.
    std::span<const std::uint8_t> FontDataBytes() const;
    void SetFontDataBytes(std::span<const std::uint8_t> bytes);

    UnicodeString FileName;
    UnicodeString FontName;
    HANDLE Handle = nullptr;
    std::unique_ptr<TMemoryStream> FontData = std::make_unique<TMemoryStream>();

private:
    DWORD fontCount_ = 0;
};

class TacEmbeddedFonts : public TCollection {
public:
    explicit TacEmbeddedFonts(TPersistent* owner = nullptr);
    UnicodeString ClassName() const override { return L"acFontStore.TacEmbeddedFonts"; }
    TacEmbeddedFont* Add() { return static_cast<TacEmbeddedFont*>(TCollection::Add()); }
    TacEmbeddedFont* Items(int index) const { return static_cast<TacEmbeddedFont*>(TCollection::Items(index)); }
};

class TacFonts : public TacEmbeddedFonts {
public:
    using TacEmbeddedFonts::TacEmbeddedFonts;
    UnicodeString ClassName() const override { return L"acFontStore.TacFonts"; }
};

} // namespace acFontStore

class TsFontStore : public TComponent {
public:
    explicit TsFontStore(TComponent* owner);
    ~TsFontStore() override;
    UnicodeString ClassName() const override { return L"TsFontStore"; }

    void Loaded() override;
    // Installs every stored font.
    void LoadFonts();
    // Adds the FontName of every stored font to list.
    void GetFontNames(TStrings* list) const;
    // From another store: its entries and data; any other source: the inherited assignment.
    void Assign(const TPersistent* source) override;

    acFontStore::TacFonts* Fonts() const { return FFonts.get(); }
    void SetFonts(acFontStore::TacFonts* value) { FFonts->Assign(value); }

    TNotifyEvent OnFontListChanged;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    std::unique_ptr<acFontStore::TacFonts> FFonts;
};

// Every live font store, in creation order (null when there has been none since start-up).
const std::vector<TsFontStore*>* acFontStoreList();

// Registers the store's published properties and its factory for form definitions.
void RegisterFontStoreClasses();

// Start-up and shut-down of the unit: the last shut-down forgets the list of stores.
void acFontStoreInitialization();
void acFontStoreFinalization();
