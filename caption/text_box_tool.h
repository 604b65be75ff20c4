// caption/text_box_tool.h
#pragma once

#include "caption/box_tool.h"

// Creates a caption box (shape key 3): a press makes a 300 x 40 box at the
// point, anchored top-left, selects it and starts dragging its handle 1; a
// release at the press point takes the box back and treats the press as a
// pointer-tool press. Either way the pointer tool is current afterwards.
class CTextBoxTool : public CBoxTool
{
  public:
    CTextBoxTool();

    void OnButtonDown(CDrawPage &page, unsigned flags, POINT point) override;
    void OnButtonUp(CDrawPage &page, unsigned flags, POINT point) override;
    // Shows the cross cursor, then behaves as the pointer tool.
    void OnMouseMove(CDrawPage &page, unsigned flags, POINT point) override;
};

// Size of a new caption box in page pixels.
constexpr int kNewCaptionBoxWidth = 300;
constexpr int kNewCaptionBoxHeight = 40;
