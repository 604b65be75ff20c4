// caption/caption_history.h
#pragma once

#include "caption/caption_settings.h"

#include <cstddef>
#include <deque>
#include <optional>

// Undo and redo of the caption design: a list of whole designs
// (CaptionSettings snapshots) with a current one. A design is small, so
// snapshots are simpler and safer than a list of reversible edits: undo
// restores every field at once, the box and the controls alike.
//
// Rules:
// - Record(design) after each change adds a step; a design equal to the
//   current one adds nothing (a control that re-emits its value, a drag that
//   ends where it began).
// - A step recorded with a merge key equal to that of the step before it
//   replaces that step instead of adding one, so typing a word or turning a
//   spin box arrow is one step. Undo, redo, a different key or EndMerge()
//   end the run.
// - Recording after undo drops the steps that redo would have restored.
// - At most `cap` steps are kept besides the first design; the oldest go.
// Pure value logic, any thread, no Qt widgets.
class CaptionHistory
{
  public:
    enum class Merge { None, Text, Font, Style, Box };

    explicit CaptionHistory(const CaptionSettings &initial, std::size_t cap = 200);

    // Forgets every step; design becomes the only (current) one.
    void Reset(const CaptionSettings &design);
    // Returns whether a step was added or replaced.
    bool Record(const CaptionSettings &design, Merge merge = Merge::None);
    void EndMerge() { mLastMerge = Merge::None; }

    bool CanUndo() const { return mCurrent > 0; }
    bool CanRedo() const { return mCurrent + 1 < mSteps.size(); }
    // The design to show after the step back or forward; none at either end.
    std::optional<CaptionSettings> Undo();
    std::optional<CaptionSettings> Redo();

    const CaptionSettings &Current() const { return mSteps[mCurrent]; }
    std::size_t StepCount() const { return mSteps.size(); }

  private:
    std::deque<CaptionSettings> mSteps;
    std::size_t mCurrent = 0;
    std::size_t mCap;
    Merge mLastMerge = Merge::None;
};
