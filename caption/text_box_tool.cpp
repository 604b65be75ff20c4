// caption/text_box_tool.cpp
#include "caption/text_box_tool.h"

#include "caption/draw_page.h"
#include "caption/draw_text.h"

CTextBoxTool::CTextBoxTool()
    : CBoxTool(kTextBoxToolKey)
{
}

void CTextBoxTool::OnButtonDown(CDrawPage &page, unsigned flags, POINT point)
{
    CBoxTool::OnButtonDown(page, flags, point);
    const RECT rect{point.x, point.y, point.x + kNewCaptionBoxWidth, point.y + kNewCaptionBoxHeight};
    const PreviewGeometry view = page.Geometry();
    auto box = std::make_unique<CDrawText>(rect, &view);
    box->SetShape(DrawShape::Rectangle);
    CDrawObj *added = page.AddObject(std::move(box));
    page.Select(added, false);
    DrawToolState &st = State();
    st.dragMode = DragMode::Size;
    st.dragHandle = 1;
    st.last = point;
}

void CTextBoxTool::OnButtonUp(CDrawPage &page, unsigned flags, POINT point)
{
    DrawToolState &st = State();
    CBoxTool *pointer = FindTool(kPointerToolKey);
    if (point == st.down) {
        // A click without a drag makes no box: take the new one back.
        if (!page.Selection().empty()) {
            CDrawObj *newest = page.Selection().back();
            page.InvalidateObject(newest);
            page.RemoveObject(newest);
        }
        if (pointer)
            pointer->OnButtonDown(page, flags, point);
    }
    st.dragMode = DragMode::None;
    st.shapeKey = kPointerToolKey;
    if (pointer)
        pointer->OnButtonUp(page, flags, point);
    CBoxTool::OnButtonUp(page, flags, point);
}

void CTextBoxTool::OnMouseMove(CDrawPage &page, unsigned flags, POINT point)
{
    page.SetCursor(Qt::CrossCursor);
    if (CBoxTool *pointer = FindTool(kPointerToolKey))
        pointer->OnMouseMove(page, flags, point);
}
