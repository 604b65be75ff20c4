// caption/pointer_tool.h
#pragma once

#include "caption/box_tool.h"

// Selects, moves and resizes drawing objects (shape key 0).
class CPointerTool : public CBoxTool
{
  public:
    CPointerTool();

    // On a handle of the one selected object: start resizing. On an object:
    // start moving, selecting it first if it is not (added to the selection
    // with Shift). On an empty spot: deselect everything.
    void OnButtonDown(CDrawPage &page, unsigned flags, POINT point) override;
    // Ends the drag.
    void OnButtonUp(CDrawPage &page, unsigned flags, POINT point) override;
    // Without a drag: the sizing cursor over a handle of the one selected
    // object, else the arrow. While dragging: moves every selected object by
    // the step, or drags the handle of each to the point.
    void OnMouseMove(CDrawPage &page, unsigned flags, POINT point) override;

  private:
    void drag(CDrawPage &page, POINT point);
};
