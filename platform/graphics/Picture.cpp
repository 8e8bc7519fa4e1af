#include "platform/graphics/Picture.h"

#include "platform/base/Exception.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Filer.h"
#include "platform/base/Paths.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cctype>

// ---------------------------------------------------------------------------------------------
// TJPEGImage

PK_CLASS_IMPL(TJPEGImage, TGraphic, nullptr)

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

bool TJPEGImage::Empty() const
{
    return !FDecoder && (!FBitmap || FBitmap->Empty());
}

int TJPEGImage::Width() const
{
    if (FDecoder)
        return FDecoder->Width();
    return FBitmap ? FBitmap->Width() : 0;
}

int TJPEGImage::Height() const
{
    if (FDecoder)
        return FDecoder->Height();
    return FBitmap ? FBitmap->Height() : 0;
}

const TBitmap& TJPEGImage::Bitmap() const
{
    if (!FBitmap) {
        FBitmap = std::make_unique<TBitmap>();
        if (FDecoder)
            FBitmap->SetImage(FDecoder->DecodeAll());
    }
    return *FBitmap;
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect)
{
    if (Empty() || rect.IsEmpty())
        return;
    bool unscaled = rect.Width() == Width() && rect.Height() == Height();
    if (unscaled && FDecoder && !FBitmap) {
        // Only the part that can show is decoded: a large picture drawn cropped costs what is drawn.
        TRect visible = rect.Intersected(canvas.ClipRect());
        if (visible.IsEmpty())
            return;
        TRect area = visible.Offsetted(-rect.Left, -rect.Top);
        TBitmap part;
        part.SetImage(FDecoder->Decode(area));
        part.SetTransparent(Transparent());
        canvas.Draw(visible.Left, visible.Top, part);
        return;
    }
    const TBitmap& whole = Bitmap();
    FBitmap->SetTransparent(Transparent());
    canvas.StretchDraw(rect, const_cast<TBitmap&>(whole));
}

void TJPEGImage::LoadFromBytes(std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> bytes(data.begin(), data.end());
    auto decoder = std::make_unique<TJpegDecoder>(bytes);
    FDecoder = std::move(decoder);
    FData = std::move(bytes);
    FBitmap.reset();
    Changed(this);
}

std::vector<std::uint8_t> TJPEGImage::SaveToBytes() const
{
    if (!FDecoder && FBitmap)
        return EncodeJpeg(FBitmap->Image(), FQuality);
    return FData;
}

void TJPEGImage::LoadFromFile(const AnsiString& fileName)
{
    std::vector<std::uint8_t> bytes = ReadFileBytes(fileName, MaxPictureFileBytes);
    LoadFromBytes(bytes);
}

void TJPEGImage::SaveToFile(const AnsiString& fileName) const
{
    std::vector<std::uint8_t> bytes = SaveToBytes();
    WriteFileAtomically(fileName, bytes);
}

void TJPEGImage::Assign(const TPersistent* Source)
{
    if (auto* j = dynamic_cast<const TJPEGImage*>(Source)) {
        if (j == this)
            return;
        FData = j->FData;
        FDecoder = FData.empty() ? nullptr : std::make_unique<TJpegDecoder>(FData);
        FBitmap = j->FBitmap ? std::make_unique<TBitmap>() : nullptr;
        if (FBitmap)
            FBitmap->Assign(j->FBitmap.get());
        FQuality = j->FQuality;
        Changed(this);
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
        // The JPEG data is made from this copy when the image is saved.
        FDecoder.reset();
        FData.clear();
        FBitmap = std::make_unique<TBitmap>();
        FBitmap->Assign(b);
        Changed(this);
        return;
    }
    TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) const
{
    if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
        b->Assign(&Bitmap());
        return;
    }
    TGraphic::AssignTo(Dest);
}

// ---------------------------------------------------------------------------------------------
// TPicture

PK_CLASS_IMPL(TPicture, TPersistent, nullptr)

TPicture::TPicture() = default;

TPicture::~TPicture()
{
    if (FGraphic)
        FGraphic->OnChange = nullptr;
}

void TPicture::Changed(TObject*)
{
    OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> graphic)
{
    if (FGraphic)
        FGraphic->OnChange = nullptr;
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
    Changed(this);
}

static std::unique_ptr<TGraphic> NewGraphicLike(const TGraphic& g)
{
    if (dynamic_cast<const TJPEGImage*>(&g))
        return std::make_unique<TJPEGImage>();
    return std::make_unique<TBitmap>();
}

void TPicture::SetGraphic(const TGraphic* graphic)
{
    if (!graphic) {
        Take(nullptr);
        return;
    }
    if (graphic == FGraphic.get())
        return;
    std::unique_ptr<TGraphic> copy = NewGraphicLike(*graphic);
    copy->Assign(graphic);
    Take(std::move(copy));
}

TBitmap& TPicture::Bitmap()
{
    if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get()))
        return *b;
    auto b = std::make_unique<TBitmap>();
    if (FGraphic)
        b->Assign(FGraphic.get());
    TBitmap& ref = *b;
    Take(std::move(b));
    return ref;
}

void TPicture::Assign(const TPersistent* Source)
{
    if (!Source) {
        SetGraphic(nullptr);
        return;
    }
    if (auto* p = dynamic_cast<const TPicture*>(Source)) {
        SetGraphic(p->Graphic());
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(Source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) const
{
    if (auto* g = dynamic_cast<TGraphic*>(Dest); g && FGraphic) {
        g->Assign(FGraphic.get());
        return;
    }
    TPersistent::AssignTo(Dest);
}

namespace {

bool SameExtension(const AnsiString& ext, const char* wanted)
{
    if (ext.size() != std::char_traits<char>::length(wanted))
        return false;
    for (size_t i = 0; i < ext.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(ext[i])) != wanted[i])
            return false;
    return true;
}

} // namespace

void TPicture::LoadFromFile(const AnsiString& fileName)
{
    AnsiString ext = ExtractFileExt(fileName);
    std::unique_ptr<TGraphic> graphic;
    if (SameExtension(ext, ".bmp"))
        graphic = std::make_unique<TBitmap>();
    else if (SameExtension(ext, ".jpg") || SameExtension(ext, ".jpeg"))
        graphic = std::make_unique<TJPEGImage>();
    else
        throw EInvalidGraphic(FormatAnsi("Unknown picture file extension (%s)", ext.c_str()));
    std::vector<std::uint8_t> bytes = ReadFileBytes(fileName, MaxPictureFileBytes);
    graphic->LoadFromBytes(bytes);
    Take(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& fileName) const
{
    if (FGraphic)
        WriteFileAtomically(fileName, FGraphic->SaveToBytes());
}

void TPicture::DefineProperties(TFiler& Filer)
{
    Filer.DefineProperty(
        "Data",
        [this](const TFilerData& data) { Take(GraphicFromBytes(data.Bytes)); },
        [this]() {
            TFilerData data;
            if (FGraphic)
                data.Bytes = FGraphic->SaveToBytes();
            return data;
        },
        FGraphic != nullptr && !FGraphic->Empty());
}

std::unique_ptr<TGraphic> GraphicFromBytes(std::span<const std::uint8_t> data)
{
    std::unique_ptr<TGraphic> graphic;
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M')
        graphic = std::make_unique<TBitmap>();
    else if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8)
        graphic = std::make_unique<TJPEGImage>();
    else
        throw EInvalidGraphic();
    graphic->LoadFromBytes(data);
    return graphic;
}
