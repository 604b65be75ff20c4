// caption/caption_history.cpp
#include "caption/caption_history.h"

#include <algorithm>
#include <cstring>

namespace {

bool sameDesign(const CaptionSettings &a, const CaptionSettings &b)
{
    return a.text == b.text && std::memcmp(&a.font, &b.font, sizeof(LOGFONT)) == 0 &&
           a.backColor == b.backColor && a.textColor == b.textColor && a.align == b.align &&
           a.anchor == b.anchor && a.offsets == b.offsets && a.style == b.style;
}

} // namespace

CaptionHistory::CaptionHistory(const CaptionSettings &initial, std::size_t cap)
    : mCap(std::max<std::size_t>(cap, 1))
{
    Reset(initial);
}

void CaptionHistory::Reset(const CaptionSettings &design)
{
    mSteps.assign(1, design);
    mCurrent = 0;
    mLastMerge = Merge::None;
}

bool CaptionHistory::Record(const CaptionSettings &design, Merge merge)
{
    if (sameDesign(design, Current()))
        return false;
    mSteps.erase(mSteps.begin() + std::ptrdiff_t(mCurrent) + 1, mSteps.end());
    // Merging into the first design would make it unreachable by undo.
    if (merge != Merge::None && merge == mLastMerge && mCurrent > 0) {
        mSteps.back() = design;
        return true;
    }
    mSteps.push_back(design);
    if (mSteps.size() > mCap + 1)
        mSteps.pop_front();
    mCurrent = mSteps.size() - 1;
    mLastMerge = merge;
    return true;
}

std::optional<CaptionSettings> CaptionHistory::Undo()
{
    mLastMerge = Merge::None;
    if (!CanUndo())
        return std::nullopt;
    return mSteps[--mCurrent];
}

std::optional<CaptionSettings> CaptionHistory::Redo()
{
    mLastMerge = Merge::None;
    if (!CanRedo())
        return std::nullopt;
    return mSteps[++mCurrent];
}
