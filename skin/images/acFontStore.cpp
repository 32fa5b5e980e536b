// Font store: private installation of stored font files and its removal, the store component
// with its published fonts, and the unit's list of stores.
#include "acFontStore.h"

#include "FormReader.h"
#include "StringList.h"
#include "acStreamBytes.h"
#include "acUnitCounter.h"

#include <algorithm>

namespace {

// Created by the first store, forgotten at the unit's last shut-down.
std::unique_ptr<std::vector<TsFontStore*>> fontStores;
TacUnitCounter unitCounter;

} // namespace

// ---------------------------------------------------------------------------------------------
// Entries

namespace acFontStore {

TacEmbeddedFont::~TacEmbeddedFont() { UnLoadFont(); }

void TacEmbeddedFont::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TacEmbeddedFont*>(source);
    if (!src) {
        TCollectionItem::Assign(source);
        return;
    }
    if (src == this) return;
    FileName = src->FileName;
    FontName = src->FontName;
    if (src->FontData->Size() > 0) SetFontDataBytes(src->FontDataBytes());
}

std::span<const std::uint8_t> TacEmbeddedFont::FontDataBytes() const { return MemoryStreamBytes(*FontData); }

void TacEmbeddedFont::SetFontDataBytes(std::span<const std::uint8_t> bytes) { SetMemoryStreamBytes(*FontData, bytes); }

void TacEmbeddedFont::LoadFont()
{
    UnLoadFont();
    const long long size = FontData->Size();
    if (size <= 0 || size > MAXDWORD) return;
    DWORD count = 0;
    Handle = AddFontMemResourceEx(FontData->Memory(), static_cast<DWORD>(size), nullptr, &count);
    fontCount_ = Handle ? count : 0;
}

void TacEmbeddedFont::UnLoadFont()
{
    if (Handle) RemoveFontMemResourceEx(Handle);
    Handle = nullptr;
    fontCount_ = 0;
}

TacEmbeddedFonts::TacEmbeddedFonts(TPersistent* owner) : TCollection(TCollection::ItemClass<TacEmbeddedFont>(), owner)
{
}

} // namespace acFontStore

// ---------------------------------------------------------------------------------------------
// The store

using acFontStore::TacFonts;

TsFontStore::TsFontStore(TComponent* owner) : TComponent(owner), FFonts(std::make_unique<TacFonts>(this))
{
    if (!fontStores) fontStores = std::make_unique<std::vector<TsFontStore*>>();
    fontStores->push_back(this);
}

TsFontStore::~TsFontStore()
{
    if (fontStores) std::erase(*fontStores, this);
    FFonts.reset();
}

void TsFontStore::Loaded()
{
    TComponent::Loaded();
    LoadFonts();
    if (OnFontListChanged) OnFontListChanged(this);
}

void TsFontStore::LoadFonts()
{
    for (int i = 0; i < FFonts->Count(); ++i) FFonts->Items(i)->LoadFont();
}

void TsFontStore::GetFontNames(TStrings* list) const
{
    if (!list) return;
    list->BeginUpdate();
    for (int i = 0; i < FFonts->Count(); ++i) list->Add(FFonts->Items(i)->FontName);
    list->EndUpdate();
}

void TsFontStore::Assign(const TPersistent* source)
{
    // Clearing first would lose the entries being copied.
    if (source == this) return;
    FFonts->BeginUpdate();
    FFonts->Clear();
    if (const auto* store = dynamic_cast<const TsFontStore*>(source)) {
        for (int i = 0; i < store->FFonts->Count(); ++i) FFonts->Add()->Assign(store->FFonts->Items(i));
    } else if (source) {
        FFonts->EndUpdate();
        TComponent::Assign(source);
        FFonts->BeginUpdate();
    }
    FFonts->EndUpdate();
    if (OnFontListChanged) OnFontListChanged(this);
}

void TsFontStore::AssignTo(TPersistent* dest) const
{
    if (auto* store = dynamic_cast<TsFontStore*>(dest)) store->Assign(this);
    else TComponent::AssignTo(dest);
}

const std::vector<TsFontStore*>* acFontStoreList() { return fontStores.get(); }

// ---------------------------------------------------------------------------------------------
// Form definitions and start-up

void RegisterFontStoreClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    using F = acFontStore::TacEmbeddedFont;
    const UnicodeString f = L"acFontStore.TacEmbeddedFont";
    RegisterPublishedClass(f, L"TPersistent");
    TPropInfo fileName;
    fileName.Name = L"FileName";
    fileName.Kind = pkString;
    fileName.StrDefault = UnicodeString();
    fileName.GetStr = [](TPersistent* p) { return PropertyInstance<F>(p).FileName; };
    fileName.SetStr = [](TPersistent* p, const UnicodeString& v) { PropertyInstance<F>(p).FileName = v; };
    RegisterPublishedProperty(f, fileName);
    TPropInfo fontName = fileName;
    fontName.Name = L"FontName";
    fontName.GetStr = [](TPersistent* p) { return PropertyInstance<F>(p).FontName; };
    fontName.SetStr = [](TPersistent* p, const UnicodeString& v) { PropertyInstance<F>(p).FontName = v; };
    RegisterPublishedProperty(f, fontName);
    // Always written, also when empty.
    RegisterPublishedProperty(f, BinProp(L"FontData", &F::FontDataBytes, &F::SetFontDataBytes));
    RegisterPublishedClass(L"acFontStore.TacEmbeddedFonts", L"TPersistent");
    RegisterPublishedClass(L"acFontStore.TacFonts", L"acFontStore.TacEmbeddedFonts");

    const UnicodeString c = L"TsFontStore";
    RegisterPublishedClass(c, L"TComponent");
    RegisterPublishedProperty(c, ObjProp(L"Fonts", &TsFontStore::Fonts, &TsFontStore::SetFonts, L"Fonts expected",
                                         TNilObject::Reject));
    RegisterPublishedProperty(c, EventProp(L"OnFontListChanged", &TsFontStore::OnFontListChanged));
    RegisterComponentClass(c, [](TComponent* owner) -> TComponent* { return new TsFontStore(owner); });
}

void acFontStoreInitialization()
{
    if (!unitCounter.StartUp()) return;
    RegisterFontStoreClasses();
}

void acFontStoreFinalization()
{
    if (!unitCounter.ShutDown()) return;
    fontStores.reset();
}
