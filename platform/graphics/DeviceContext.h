#pragma once
// TDeviceContext: the drawing surface of the system's device-context calls (HDC).
//
// A device context draws into a TDibImage. Logical coordinates are shifted by Origin to reach the
// surface (logical (0, 0) is surface pixel Origin), and every write is limited to ClipRect, given
// in surface coordinates and always kept within the surface. Text colour, background colour and
// background mode are the state that text output and the raster operations read (a 1-bit source
// maps its 0 bits to TextColor and its 1 bits to BkColor, as the system does).
//
// Whoever draws through a context calls Changed() afterwards, so that a bitmap behind it can
// report the change to its listeners.

#include "platform/graphics/Colors.h"
#include "platform/graphics/DibImage.h"
#include "platform/graphics/Types.h"

#include <functional>

enum TBkMode { bkTransparent = 1, bkOpaque = 2 };

class TDeviceContext {
public:
    TDeviceContext() = default;
    explicit TDeviceContext(TDibImage* surface)
        : Surface(surface)
    {
        ResetClip();
    }

    TDibImage* Surface = nullptr;
    TPoint Origin;
    TRect ClipRect; // surface coordinates
    TColor TextColor = clBlack;
    TColor BkColor = clWhite;
    TBkMode BkMode = bkOpaque;
    // The colour of the selected brush: the pattern P of the raster operations (a new context
    // has the system's white stock brush).
    TColor BrushColor = clWhite;
    std::function<void()> OnChanged;
    // For a window's context: what reading from it sees (the window as shown, its child windows
    // composed through their regions), in the same coordinates as Surface. Unset for bitmaps,
    // whose own pixels are what is read.
    std::function<const TDibImage*()> ComposedView;

    // The pixels a raster operation reads when this context is its source.
    const TDibImage* SourceSurface() const { return ComposedView ? ComposedView() : Surface; }

    // Clip to the whole surface.
    void ResetClip()
    {
        ClipRect = Surface ? TRect { 0, 0, Surface->Width, Surface->Height } : TRect {};
    }
    // Limits the clip to a rectangle given in logical coordinates.
    void IntersectClip(const TRect& logical)
    {
        ClipRect.Intersect(logical.Offsetted(Origin.X, Origin.Y));
    }
    // A logical rectangle turned into surface coordinates and clipped; empty when nothing is left.
    TRect ToSurface(const TRect& logical) const { return logical.Offsetted(Origin.X, Origin.Y).Intersected(ClipRect); }
    void Changed() const
    {
        if (OnChanged)
            OnChanged();
    }
};

using HDC = TDeviceContext*;
