// caption/box_tool.h
#pragma once

#include "platform/win_types.h"

#include <Qt>

#include <cstdint>

class CDrawPage;

// Mouse flags as the page passes them with every mouse event.
constexpr unsigned MK_LBUTTON = 0x0001;
constexpr unsigned MK_RBUTTON = 0x0002;
constexpr unsigned MK_SHIFT = 0x0004;
constexpr unsigned MK_CONTROL = 0x0008;

// The mouse flags of a Qt mouse event's buttons and modifiers.
unsigned mouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

// Shape keys of the tools.
constexpr int kPointerToolKey = 0;
constexpr int kTextBoxToolKey = 3;

enum class DragMode { None = 0, Net = 1, Move = 2, Size = 3 };

// What a drag is doing, shared by all tools: one instance for the process,
// used on the UI thread only. Points are preview pixels.
struct DrawToolState
{
    int shapeKey = kPointerToolKey; // the current tool
    DragMode dragMode = DragMode::None;
    int dragHandle = 0;     // handle being dragged in Size mode
    POINT last;             // point of the previous drag step
    POINT down;             // point of the last button press
    unsigned downFlags = 0; // mouse flags of the last button press
    POINT lastMouse;        // point of the last mouse event
};

// A mouse tool of the Batch Settings page. The preview calls the current
// tool's entry points (FindTool(State().shapeKey)) for presses and moves
// inside its area, and for every release wherever it happens: the widget
// that took the press receives the release, so a button let go outside the
// preview ends the drag at once instead of leaving the box on the pointer.
class CBoxTool
{
  public:
    explicit CBoxTool(int key);
    virtual ~CBoxTool();

    int Key() const { return mKey; }
    bool IsPressed() const { return mPressed; }

    // Records the press (flags, point, last mouse point).
    virtual void OnButtonDown(CDrawPage &page, unsigned flags, POINT point);
    // A release at the press point makes the pointer tool current.
    virtual void OnButtonUp(CDrawPage &page, unsigned flags, POINT point);
    // Records the last mouse point and shows the arrow cursor.
    virtual void OnMouseMove(CDrawPage &page, unsigned flags, POINT point);

    // The process-wide interaction state.
    static DrawToolState &State();

  private:
    int mKey;
    bool mPressed = false;
};

// The first registered tool with that shape key (the pointer tool has 0,
// the caption box creation tool 3), or null. The tools live for the process.
CBoxTool *FindTool(int key);
