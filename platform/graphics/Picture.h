#pragma once
// TPicture, TJPEGImage and the picture file formats.
//
// TPicture holds at most one graphic, owned, and copies whatever is given to it (SetGraphic,
// Assign). It reports every change of itself or of its graphic through OnChange. LoadFromFile
// picks the reader by the file's extension in any letter case: .bmp the bitmap reader, .jpg and
// .jpeg the JPEG reader; it raises EFOpenError when the file cannot be read, the reader's error
// when the data is bad, and leaves the picture without a graphic on failure. In a form description
// a picture stores its graphic's file data under the defined property Data.
//
// TJPEGImage keeps the compressed data and reads only its header when loaded, so Width and Height
// are known at once; pixels are decoded when first drawn, and a draw that shows only part of the
// picture decodes only that part (the same pixels a full decode gives). Assigning a bitmap to it
// keeps a copy of the bitmap; saving encodes that copy at CompressionQuality (libjpeg's scale,
// default 75) as a baseline JFIF file and replaces an existing file only once the new one is
// complete.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JpegCodec.h"

#include <memory>
#include <optional>

// The largest picture file the readers take (bytes); larger files are refused as bad pictures.
constexpr std::uint64_t MaxPictureFileBytes = std::uint64_t { 1 } << 30;

class TJPEGImage : public TGraphic {
    PK_CLASS(TJPEGImage)
public:
    TJPEGImage();
    ~TJPEGImage() override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int) override { }
    void SetHeight(int) override { }
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void LoadFromBytes(std::span<const std::uint8_t> data) override;
    std::vector<std::uint8_t> SaveToBytes() const override;
    void Assign(const TPersistent* Source) override;

    void LoadFromFile(const AnsiString& fileName);
    void SaveToFile(const AnsiString& fileName) const;

    int CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(int quality) { FQuality = quality; }
    // The whole picture as a bitmap (decoded on first use).
    const TBitmap& Bitmap() const;

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    std::unique_ptr<TJpegDecoder> FDecoder;
    std::vector<std::uint8_t> FData;
    mutable std::unique_ptr<TBitmap> FBitmap; // decoded pixels, or the bitmap assigned to it
    int FQuality = 75;
};

class TPicture : public TPersistent {
    PK_CLASS(TPicture)
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return FGraphic.get(); }
    // Copies graphic into the picture (null clears it).
    void SetGraphic(const TGraphic* graphic);
    // The graphic as a bitmap; a picture without one gets an empty bitmap, one holding another
    // kind of graphic gets it converted.
    TBitmap& Bitmap();
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    void LoadFromFile(const AnsiString& fileName);
    void SaveToFile(const AnsiString& fileName) const;
    void Assign(const TPersistent* Source) override;
    void DefineProperties(TFiler& Filer) override;

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    void Changed(TObject* Sender);
    void Take(std::unique_ptr<TGraphic> graphic);

    std::unique_ptr<TGraphic> FGraphic;
};

// A graphic read from file data, its kind told by the data's first bytes (BMP or JPEG).
std::unique_ptr<TGraphic> GraphicFromBytes(std::span<const std::uint8_t> data);
