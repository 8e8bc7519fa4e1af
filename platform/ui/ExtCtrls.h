#pragma once
// TTimer, TImage and TPanel.
//
// TTimer runs a message timer of its own hidden window: it runs while Enabled is true, Interval is
// above zero and OnTimer is assigned, and it is restarted whenever one of them changes (so setting
// OnTimer while a description loads starts it). When no timer can be had, enabling it raises
// EOutOfResources ("タイマーを取得できません").
//
// TImage shows its Picture: stretched over its client rectangle with Stretch (nearest neighbour,
// never blending), else at its top-left; with AutoSize a picture of positive size gives the image
// the picture's natural size. Its Canvas is the canvas of its bitmap; without a picture, asking
// for it first makes a white bitmap of the image's size in the display's format.

#include "platform/graphics/Picture.h"
#include "platform/ui/Controls.h"

class TTimer : public TComponent {
    PK_CLASS(TTimer)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned value);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent value);

private:
    void UpdateTimer();
    void WndProc(TMessage& m);

    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
    HWND FWindow = 0;
    bool FRunning = false;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TImage : public TGraphicControl {
    PK_CLASS(TImage)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture& Picture() const { return *FPicture; }
    void SetPicture(const TPicture* value) { FPicture->Assign(value); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    // The canvas of the image's bitmap (made white at the image's size when there is none).
    TCanvas& Canvas();

protected:
    void Paint() override;

private:
    void PictureChanged(TObject* Sender);
    TRect DestRect() const;

    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FAutoSize = false;
    bool FCenter = false;
    bool FTransparent = false;
};

class TPanel : public TCustomControl {
    PK_CLASS(TPanel)
public:
    explicit TPanel(TComponent* AOwner);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;

private:
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    TAlignment FAlignment = taCenter;
};

// Draws a raised or lowered 3D frame inside rect and shrinks rect by its width.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);
