// caption/caption_design_editor.h
#pragma once

#include "caption/box_fields.h"
#include "caption/caption_history.h"

#include <QObject>

class CCaptionBoxControls;
class CCaptionStyleControls;
class CDrawText;
class CPreviewView;
class QAction;
class QWidget;

// The Batch Settings page's design edits beyond the text controls: the
// Style and Box tabs acting on the caption box, the box's fields following
// it, and the undo history of every design change with its keys (Ctrl+Z;
// Ctrl+Shift+Z and Ctrl+Y), which also work while a text field of the page
// has the focus. The page records its own edits (text, font, colours,
// align, anchor) through Record. Lives as a child of the page and uses the
// widgets it is given, which the page owns. UI thread only.
class CCaptionDesignEditor : public QObject
{
    Q_OBJECT
  public:
    // Call once every control of page exists: the keys are taken from them.
    CCaptionDesignEditor(QWidget *page, CPreviewView *preview, CCaptionStyleControls *style,
                         CCaptionBoxControls *box);

    // The history starts anew at the caption box's design.
    void ResetHistory();
    // Records the caption box's design as a step.
    void Record(CaptionHistory::Merge merge = CaptionHistory::Merge::None);
    bool Undo();
    bool Redo();
    // The box takes design, is placed, and designApplied asks the page to
    // show it.
    void Apply(const CaptionSettings &design);
    // The fields show the box in the unit chosen.
    void ShowBoxFields();

  signals:
    void designApplied(const CDrawText &box);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    CDrawText *selectedBox() const;
    double designFactor() const;
    // The design of the selected box after change, applied and recorded.
    template <class Change> void edit(Change change);

    CPreviewView *mPreview;
    CCaptionStyleControls *mStyle;
    CCaptionBoxControls *mBox;
    QAction *mUndo;
    QAction *mRedo;
    CaptionHistory mHistory{CaptionSettings()};
};
