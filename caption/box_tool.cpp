// caption/box_tool.cpp
#include "caption/box_tool.h"

#include "caption/draw_page.h"

unsigned mouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    unsigned flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

CBoxTool::CBoxTool(int key)
    : mKey(key)
{
}

CBoxTool::~CBoxTool() = default;

DrawToolState &CBoxTool::State()
{
    static DrawToolState state;
    return state;
}

void CBoxTool::OnButtonDown(CDrawPage &, unsigned flags, POINT point)
{
    DrawToolState &st = State();
    st.downFlags = flags;
    st.down = point;
    st.lastMouse = point;
    mPressed = true;
}

void CBoxTool::OnButtonUp(CDrawPage &, unsigned, POINT point)
{
    DrawToolState &st = State();
    if (point == st.down)
        st.shapeKey = kPointerToolKey;
    mPressed = false;
}

void CBoxTool::OnMouseMove(CDrawPage &page, unsigned, POINT point)
{
    State().lastMouse = point;
    page.SetCursor(Qt::ArrowCursor);
}
