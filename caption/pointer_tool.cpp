// caption/pointer_tool.cpp
#include "caption/pointer_tool.h"

#include "caption/caption_geometry.h"
#include "caption/draw_obj.h"
#include "caption/draw_page.h"

CPointerTool::CPointerTool()
    : CBoxTool(kPointerToolKey)
{
}

void CPointerTool::OnButtonDown(CDrawPage &page, unsigned flags, POINT point)
{
    DrawToolState &st = State();
    st.dragMode = DragMode::None;
    const auto &selection = page.Selection();
    const PreviewGeometry view = page.Geometry();
    int handle = 0;
    if (selection.size() == 1)
        handle = selection.front()->HitTest(point, &view, true);
    if (handle != 0) {
        st.dragMode = DragMode::Size;
        st.dragHandle = handle;
    } else if (CDrawObj *obj = page.ObjectAt(point)) {
        st.dragMode = DragMode::Move;
        if (!page.IsSelected(obj))
            page.Select(obj, (flags & MK_SHIFT) != 0);
    } else {
        const std::vector<CDrawObj *> selected = selection;
        for (CDrawObj *obj : selected)
            page.Deselect(obj);
        // Also with nothing selected: a box taken back by the creation tool
        // leaves the controls on otherwise.
        page.EnableCaptionControls(false);
    }
    st.last = point;
    CBoxTool::OnButtonDown(page, flags, point);
}

void CPointerTool::OnButtonUp(CDrawPage &page, unsigned flags, POINT point)
{
    State().dragMode = DragMode::None;
    CBoxTool::OnButtonUp(page, flags, point);
}

void CPointerTool::OnMouseMove(CDrawPage &page, unsigned flags, POINT point)
{
    DrawToolState &st = State();
    if (st.dragMode == DragMode::None) {
        const auto &selection = page.Selection();
        if (st.shapeKey == kPointerToolKey && selection.size() == 1) {
            const PreviewGeometry view = page.Geometry();
            if (const int handle = selection.front()->HitTest(point, &view, true)) {
                page.SetCursor(selection.front()->HandleCursor(handle));
                return;
            }
        }
        if (st.shapeKey == kPointerToolKey)
            CBoxTool::OnMouseMove(page, flags, point);
        return;
    }
    drag(page, point);
    st.lastMouse = point;
    if (st.shapeKey != kPointerToolKey)
        return;
    if (st.dragMode == DragMode::Size && !page.Selection().empty())
        page.SetCursor(page.Selection().front()->HandleCursor(st.dragHandle));
    else
        page.SetCursor(Qt::ArrowCursor);
}

void CPointerTool::drag(CDrawPage &page, POINT point)
{
    DrawToolState &st = State();
    const PreviewGeometry view = page.Geometry();
    const std::int64_t dx = std::int64_t(point.x) - st.last.x;
    const std::int64_t dy = std::int64_t(point.y) - st.last.y;
    for (CDrawObj *obj : page.Selection()) {
        if (st.dragMode == DragMode::Move)
            obj->Place(OffsetRect(obj->GetPosition(), dx, dy), &view);
        else if (st.dragMode == DragMode::Size)
            obj->DragHandleTo(st.dragHandle, point, &view);
    }
    st.last = point;
}
