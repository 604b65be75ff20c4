// caption/draw_page.cpp
#include "caption/draw_page.h"

#include "caption/caption_geometry.h"
#include "caption/draw_text.h"

#include <algorithm>

CDrawPage::CDrawPage() = default;

CDrawPage::~CDrawPage() = default;

CDrawText *CDrawPage::CaptionBox() const
{
    return mObjects.empty() ? nullptr : dynamic_cast<CDrawText *>(mObjects.front().get());
}

CDrawObj *CDrawPage::ObjectAt(POINT point) const
{
    for (auto it = mObjects.rbegin(); it != mObjects.rend(); ++it) {
        if (PtInRect((*it)->GetPosition(), point))
            return it->get();
    }
    return nullptr;
}

bool CDrawPage::IsSelected(const CDrawObj *obj) const
{
    return std::find(mSelection.begin(), mSelection.end(), obj) != mSelection.end();
}

void CDrawPage::Select(CDrawObj *obj, bool add)
{
    if (!add)
        mSelection.clear();
    if (!obj) {
        EnableCaptionControls(false);
        return;
    }
    if (IsSelected(obj))
        return;
    EnableCaptionControls(true);
    if (const auto *box = dynamic_cast<const CDrawText *>(obj))
        ShowCaptionInControls(*box);
    mSelection.push_back(obj);
    InvalidateObject(obj);
}

void CDrawPage::Deselect(CDrawObj *obj)
{
    const auto it = std::find(mSelection.begin(), mSelection.end(), obj);
    if (it != mSelection.end()) {
        InvalidateObject(obj);
        mSelection.erase(it);
    }
    EnableCaptionControls(false);
}

void CDrawPage::InvalidateObject(const CDrawObj *obj)
{
    if (!obj)
        return;
    RECT r = NormalizeRect(obj->GetPosition());
    if (IsSelected(obj)) {
        // Room for the handles, which reach 3 pixels beyond the box.
        const RECT topLeft = InflateRect(r, 4, 5), bottomRight = InflateRect(r, 5, 4);
        r = RECT{topLeft.left, topLeft.top, bottomRight.right, bottomRight.bottom};
    }
    InvalidateArea(InflateRect(r, 1, 1));
}

CDrawObj *CDrawPage::AddObject(std::unique_ptr<CDrawObj> obj)
{
    if (!obj)
        return nullptr;
    mObjects.push_back(std::move(obj));
    return mObjects.back().get();
}

std::unique_ptr<CDrawObj> CDrawPage::RemoveObject(CDrawObj *obj)
{
    const auto it = std::find_if(mObjects.begin(), mObjects.end(),
                                 [obj](const std::unique_ptr<CDrawObj> &p) { return p.get() == obj; });
    if (it == mObjects.end())
        return nullptr;
    mSelection.erase(std::remove(mSelection.begin(), mSelection.end(), obj), mSelection.end());
    std::unique_ptr<CDrawObj> out = std::move(*it);
    mObjects.erase(it);
    return out;
}
