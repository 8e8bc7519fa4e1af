#pragma once
// TGraphic: the abstract picture of the class library (bitmaps now; JPEG images and pictures
// later build on it).
//
// A graphic has a size, can be empty, can be drawn stretched into a rectangle of a canvas, and
// reports every change through OnChange (Changed sets Modified and fires it with the graphic as
// sender). Transparent asks Draw to leave the graphic's transparent parts out. Reading and writing
// file data goes through LoadFromBytes and SaveToBytes; a class that knows no format refuses
// both with EInvalidGraphic. A graphic owns its picture data; the canvas it is drawn on is
// borrowed for the call.

#include "platform/base/Events.h"
#include "platform/base/Object.h"
#include "platform/graphics/Types.h"

#include <cstdint>
#include <span>
#include <vector>

class TCanvas;

class TGraphic : public TPersistent {
    PK_CLASS(TGraphic)
public:
    TGraphic();
    ~TGraphic() override;

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;

    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool transparent);

    // Set by every change; SetModified(true) reports a change made behind the graphic's back
    // (through its rows, say) and fires OnChange.
    bool Modified() const { return FModified; }
    void SetModified(bool modified);

    // Draws the whole graphic stretched into rect (logical coordinates of the canvas),
    // honouring Transparent.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

    virtual void LoadFromBytes(std::span<const std::uint8_t> data);
    virtual std::vector<std::uint8_t> SaveToBytes() const;

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* Sender);
    // Stores the flag without a change event (an assignment reports once for everything).
    void StoreTransparent(bool transparent) { FTransparent = transparent; }

private:
    bool FTransparent = false;
    bool FModified = false;
};
