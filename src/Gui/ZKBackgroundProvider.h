#pragma once
// Something that draws its own background (a dialog) for a child that wants to look transparent: the child
// asks it to paint the child's rectangle, given in the provider's client coordinates, into the child's
// context, which the child has shifted so that the provider draws at its own coordinates.

#include "Platform/Geometry.h"
#include "Platform/WindowTypes.h"

class ZKDC;

class ZKBackgroundProvider {
public:
    virtual ~ZKBackgroundProvider() = default;
    virtual void PaintBackground(ZKDC& dc, const zk::Rect& rect) = 0;
};

// Paints `rect` (the child's client coordinates) of the child window `child` with the background of its
// parent `provider`, or with colour slot 5 when there is no provider.
void PaintChildBackground(ZKBackgroundProvider* provider, zk::HWND child, ZKDC& dc, const zk::Rect& rect);
