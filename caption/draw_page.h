// caption/draw_page.h
#pragma once

#include "caption/preview_geometry.h"
#include "platform/win_types.h"

#include <Qt>

#include <memory>
#include <vector>

class CDrawObj;
class CDrawText;

// What the mouse tools need from the surface that hosts the drawing objects
// (the Batch Settings page's preview; a test page in tests). The page owns
// the object list; the selection refers to objects of that list without
// owning them. Everything here runs on the UI thread.
//
// The list and selection logic is implemented here once; a page supplies
// its geometry and reacts to the hooks below. The drawing objects do not
// know this class: they are handed the geometry alone. All coordinates are
// preview pixels.
class CDrawPage
{
  public:
    CDrawPage();
    virtual ~CDrawPage();
    CDrawPage(const CDrawPage &) = delete;
    CDrawPage &operator=(const CDrawPage &) = delete;

    // Where the preview shows the picture now.
    virtual PreviewGeometry Geometry() const = 0;

    // Hooks the page answers.
    virtual void SetCursor(Qt::CursorShape shape) = 0;
    // Enables or disables, together, the controls that edit the caption box.
    virtual void EnableCaptionControls(bool on) = 0;
    // Marks an area for repainting without erasing it.
    virtual void InvalidateArea(const RECT &area) = 0;
    // A caption box is being selected: show its back colour and text in the
    // page's controls and refresh them.
    virtual void ShowCaptionInControls(const CDrawText &box) = 0;

    // The object list in insertion order, newest last.
    const std::vector<std::unique_ptr<CDrawObj>> &Objects() const { return mObjects; }
    // The selection in selection order.
    const std::vector<CDrawObj *> &Selection() const { return mSelection; }
    // The first object of the list when it is a caption box (what the export stamps), else null.
    CDrawText *CaptionBox() const;

    // Topmost object whose position holds the point (PtInRect), or null.
    CDrawObj *ObjectAt(POINT point) const;
    bool IsSelected(const CDrawObj *obj) const;
    // Without add the selection is emptied first. Selecting null disables the
    // caption controls; selecting an object enables them, shows a caption
    // box in the controls and repaints the object. An object already
    // selected stays selected as it is.
    void Select(CDrawObj *obj, bool add);
    // Removes obj from the selection if it is there (repainting it) and
    // disables the caption controls in every case.
    void Deselect(CDrawObj *obj);
    // Repaints the object's normalised position, widened for the handles of
    // a selected object, plus one pixel around.
    void InvalidateObject(const CDrawObj *obj);
    // Appends an object and returns it; the page owns it from now on.
    CDrawObj *AddObject(std::unique_ptr<CDrawObj> obj);
    // Takes an object out of the list (and out of the selection, so that no
    // dangling pointer stays behind) and hands it back; null if absent.
    std::unique_ptr<CDrawObj> RemoveObject(CDrawObj *obj);

  private:
    std::vector<std::unique_ptr<CDrawObj>> mObjects;
    std::vector<CDrawObj *> mSelection;
};
