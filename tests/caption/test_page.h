// tests/caption/test_page.h
#pragma once

#include "caption/box_tool.h"
#include "caption/draw_page.h"
#include "caption/draw_text.h"

#include <vector>

// A page without a window: its geometry is set by the test and it records
// what the objects and tools ask of it.
class TestPage : public CDrawPage
{
  public:
    PreviewGeometry view{RECT{10, 10, 510, 410}, 1.0f, RECT{}, false};

    Qt::CursorShape cursor = Qt::BlankCursor;
    int controlsEnabled = -1; // -1 never set, else 0 or 1
    const CDrawText *shownInControls = nullptr;
    std::vector<RECT> invalidated;

    PreviewGeometry Geometry() const override { return view; }
    void SetCursor(Qt::CursorShape shape) override { cursor = shape; }
    void EnableCaptionControls(bool on) override { controlsEnabled = on ? 1 : 0; }
    void InvalidateArea(const RECT &area) override { invalidated.push_back(area); }
    void ShowCaptionInControls(const CDrawText &box) override { shownInControls = &box; }

    // Shows a picture at shown (its displayed rectangle) with scale s.
    void ShowPicture(const RECT &shown, float s = 1.0f)
    {
        view.hasPicture = true;
        view.scale = s;
        view.picture = shown;
    }

    // Mouse events through the current tool, as the page forwards them.
    void Press(POINT p, unsigned flags = MK_LBUTTON) { tool()->OnButtonDown(*this, flags, p); }
    void Release(POINT p, unsigned flags = 0) { tool()->OnButtonUp(*this, flags, p); }
    void Move(POINT p, unsigned flags = MK_LBUTTON) { tool()->OnMouseMove(*this, flags, p); }

    // The page's start: a caption box made by the creation tool at (40, 40).
    CDrawText *CreateCaptionBox()
    {
        CBoxTool::State().shapeKey = kTextBoxToolKey;
        const POINT at = ObjectAt(POINT{40, 40}) ? POINT{50, 50} : POINT{40, 40};
        Press(at);
        Release(POINT{at.x + 40, at.y + 40});
        return CaptionBox();
    }

  private:
    CBoxTool *tool() { return FindTool(CBoxTool::State().shapeKey); }
};
