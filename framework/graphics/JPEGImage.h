#pragma once
// JPEG pictures: the file's bytes are kept as they are (saving writes them back unchanged) and the
// image is decoded once, through GDI+, into a 24-bit DIB that drawing stretches into the target
// rectangle.
#include "Graphics.h"

#include <cstdint>
#include <memory>
#include <vector>

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;
    UnicodeString ClassName() const override { return L"TJPEGImage"; }
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TJPEGImage>(); }

    bool Empty() const override { return !image_; }
    int Width() const override { return image_ ? image_->Width() : 0; }
    int Height() const override { return image_ ? image_->Height() : 0; }
    // The size is the stored image's: asking for another raises EInvalidGraphicOperation.
    void SetWidth(int width) override;
    void SetHeight(int height) override;

    // Copies another JPEG picture; null empties.
    void Assign(const TPersistent* source) override;
    void Draw(TCanvas* canvas, const TRect& rect) override;
    // Reads from the stream's position to its end; nothing left gives an empty picture. Data
    // that are not a JPEG image raise EInvalidGraphic and leave the picture as it was.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

private:
    std::vector<std::uint8_t> data_;
    std::unique_ptr<TBitmap> image_; // pf24bit, null while empty
};
