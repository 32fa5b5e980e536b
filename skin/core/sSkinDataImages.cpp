// How a mask of a skin data gets its final bitmap: shared with an earlier mask, read from an
// image file of the skin, scaled from the master bitmap, or left in the master bitmap.
#include "sSkinManager.h"
#include "sSkinDataRead.h"

#include "Exceptions.h"
#include "Files.h"
#include "JPEGImage.h"
#include "Strings.h"
#include "sGraphUtils.h"
#include "sGraphUtilsPng.h"

void MakeOpaqueExceptKey(TBitmap* bmp)
{
    TacBmpRows rows(bmp);
    if (!rows.Valid()) return;
    for (int y = 0; y < rows.Height(); ++y)
        for (TsColor_& p : rows.Row(y)) {
            const bool key = (p.I & 0x00FFFFFF) == 0x00FF00FF;
            p.A = key ? 0 : 255;
        }
}

namespace {

// The image of a skin file, read by its extension into a 32-bit bitmap, or null when the
// file is of no known kind, missing or unreadable.
std::unique_ptr<TBitmap> ReadSkinImage(const UnicodeString& fileName, TMemoryStream* stream,
                                       const UnicodeString& skinPath)
{
    UnicodeString path;
    if (stream) {
        stream->SetPosition(0); // the stream serves every density
    } else {
        path = Pos(L":", fileName) ? fileName : skinPath + fileName;
        if (!FileExists(path)) return nullptr;
    }
    const UnicodeString ext = UpperCase(ExtractFileExt(fileName));
    try {
        if (ext == L".BMP") {
            auto bmp = std::make_unique<TBitmap>();
            if (stream) bmp->LoadFromStream(*stream);
            else bmp->LoadFromFile(path);
            bmp->SetPixelFormat(pf32bit);
            MakeOpaqueExceptKey(bmp.get());
            return bmp;
        }
        if (ext == L".JPG" || ext == L".JPEG") {
            TJPEGImage jpeg;
            if (stream) jpeg.LoadFromStream(*stream);
            else jpeg.LoadFromFile(path);
            if (jpeg.Empty()) return nullptr;
            auto bmp = CreateBmp32(jpeg.Width(), jpeg.Height());
            bmp->Canvas()->Draw(0, 0, &jpeg);
            MakeOpaqueExceptKey(bmp.get());
            return bmp;
        }
        if (ext == L".PNG") {
            auto bmp = std::make_unique<TBitmap>();
            if (stream) LoadBmpFromPngStream(bmp.get(), *stream);
            else LoadBmpFromPngFile(bmp.get(), path);
            if (bmp->PixelFormat() != pf32bit) {
                bmp->SetPixelFormat(pf32bit);
                MakeOpaqueExceptKey(bmp.get());
            }
            return bmp;
        }
    } catch (const Exception&) {
        // An unreadable image is a missing one: the caller drops its mask.
    }
    return nullptr;
}

UnicodeString PathOf(const TsMaskData& mask) { return mask.ClassName + L"-" + mask.PropertyName; }

} // namespace

bool TacSkinData::DefineBmp(TsMaskData& Mask, const UnicodeString& FileName, const TRect& R, bool KeepAlpha)
{
    bool result = true;
    const int index = SearchBmpIndex(FileName, R);
    if (index >= 0) {
        UpdateItem(Mask, index);
    } else if (!FileName.empty()) {
        TMemoryStream* stream = nullptr;
        if (FOwner && FOwner->SkinIsPacked && FOwner->sc)
            for (TacFileItem& item : FOwner->sc->Files)
                if (UpperCase(item.Name) == FileName) {
                    stream = item.Stream.get();
                    break;
                }
        AddExternalItem(Mask, FileName, stream, KeepAlpha);
        if (!Mask.Bmp) {
            result = false;
        } else {
            // The canvas lock is kept while the skin data holds the bitmap.
            for (auto entry = BmpArray.rbegin(); entry != BmpArray.rend(); ++entry)
                if (entry->Bmp.get() == Mask.Bmp) {
                    if (!entry->CanvasLocked) {
                        Mask.Bmp->Canvas()->Handle();
                        Mask.Bmp->Canvas()->Lock();
                        entry->CanvasLocked = true;
                    }
                    break;
                }
        }
    } else if (Mask.MulPPi != Mask.DivPPI && (Mask.DrawMode & 8) == 0) {
        std::unique_ptr<TBitmap> own;
        const TRect source = Mask.R;
        if (ScaleMaskData(Mask, FOwner ? FOwner->MasterBitmap.get() : nullptr, false, own))
            AddImage(std::move(own), UnicodeString(), PathOf(Mask), Mask.R, source, Mask.DivPPI, Mask.MaskType, false);
    }
    if (Mask.R.IsEmpty() && Mask.Bmp) Mask.R = TRect(0, 0, Mask.Bmp->Width(), Mask.Bmp->Height());
    return result;
}

void TacSkinData::AddExternalItem(TsMaskData& Mask, const UnicodeString& FileName, TMemoryStream* Stream,
                                  bool KeepAlpha)
{
    std::unique_ptr<TBitmap> own =
        ReadSkinImage(FileName, Stream, FOwner ? FOwner->SkinCommonInfo.SkinPath : UnicodeString());
    Mask.Bmp = own.get();
    if (!own) return;
    const TRect source = Mask.R;
    const bool keepAlpha = KeepAlpha || Mask.ImgType == itisaTexture || Mask.ImgType == itisaPngGlyph;
    ScaleMaskData(Mask, nullptr, keepAlpha, own);
    AddImage(std::move(own), FileName, PathOf(Mask), Mask.R, source, Mask.DivPPI, Mask.MaskType, true);
}
