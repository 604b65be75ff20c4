// caption/caption_design_editor.h
#pragma once

#include "caption/box_fields.h"
#include "caption/caption_history.h"

#include <QObject>

#include <functional>

class CCaptionBoxControls;
class CCaptionStyleControls;
class CDrawText;
class CPreviewView;
class QAction;
class QWidget;

// The caption design of the Batch Settings page as one value, and the one
// path by which every control changes it. The value is the current step of
// a CaptionHistory; the caption box (the preview's CDrawText) shows it.
//
// Every change, whatever made it (the page's Text tab through Edit, the
// Style and Box tabs, the end of a drag, a whole design put by the page),
// goes through Edit: the change is made on a copy of the value, the result
// becomes an undo step, the box takes it and is placed, and designApplied
// asks the page to show it in its controls. Undo and redo take the same
// way back. The keys (Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y) also work while a
// text field of the page has the focus.
//
// Lives as a child of the page ("designEditor") and uses the widgets it is
// given, which the page owns. UI thread only.
class CCaptionDesignEditor : public QObject
{
    Q_OBJECT
  public:
    using Change = std::function<void(CaptionSettings &design)>;

    // Call once every control of page exists: the keys are taken from them.
    CCaptionDesignEditor(QWidget *page, CPreviewView *preview, CCaptionStyleControls *style,
                         CCaptionBoxControls *box);

    const CaptionSettings &Design() const { return mHistory.Current(); }
    // The history starts anew at design, which the box takes and the
    // controls show.
    void Reset(const CaptionSettings &design);
    // Applies change to a copy of the design while the caption box is
    // selected (its controls are off otherwise). A design that changed
    // becomes a step (merged into the step before when both carry the same
    // merge key: typing, a spin box's arrows), the box takes it and
    // designApplied reports it. Returns whether the design changed.
    bool Edit(const Change &change, CaptionHistory::Merge merge = CaptionHistory::Merge::None);
    // Whether Edit would take a change now (the caption box is selected).
    bool CanEdit() const { return selectedBox() != nullptr; }
    // One step back or forward; false at the history's end.
    bool Undo();
    bool Redo();
    // The fields show the box in the unit chosen (they follow a drag as it
    // goes, before the drag is a step of the design).
    void ShowBoxFields();

  signals:
    // The design changed (an edit, undo, redo, reset): the page shows it.
    void designApplied(const CaptionSettings &design);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void connectStyleAndBox();
    CDrawText *selectedBox() const;
    void apply();

    CPreviewView *mPreview;
    CCaptionStyleControls *mStyle;
    CCaptionBoxControls *mBox;
    QAction *mUndo;
    QAction *mRedo;
    CaptionHistory mHistory{CaptionSettings()};
};
