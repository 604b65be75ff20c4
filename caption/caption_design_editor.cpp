// caption/caption_design_editor.cpp
#include "caption/caption_design_editor.h"

#include "caption/caption_box_controls.h"
#include "caption/caption_style_controls.h"
#include "caption/preview_view.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QKeyEvent>
#include <QPlainTextEdit>

CCaptionDesignEditor::CCaptionDesignEditor(QWidget *page, CPreviewView *preview, CCaptionStyleControls *style,
                                           CCaptionBoxControls *box)
    : QObject(page)
    , mPreview(preview)
    , mStyle(style)
    , mBox(box)
    , mUndo(new QAction(tr("Undo"), page))
    , mRedo(new QAction(tr("Redo"), page))
{
    setObjectName(QStringLiteral("designEditor"));
    mUndo->setShortcut(QKeySequence::Undo);
    mRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction *action : {mUndo, mRedo}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        page->addAction(action);
    }
    connect(mUndo, &QAction::triggered, this, &CCaptionDesignEditor::Undo);
    connect(mRedo, &QAction::triggered, this, &CCaptionDesignEditor::Redo);
    // Text fields would take the keys for their own undo.
    for (QPlainTextEdit *text : page->findChildren<QPlainTextEdit *>())
        text->installEventFilter(this);
    for (QAbstractSpinBox *spin : page->findChildren<QAbstractSpinBox *>())
        spin->installEventFilter(this);
    connectStyleAndBox();
    connect(mBox, &CCaptionBoxControls::unitChanged, this, &CCaptionDesignEditor::ShowBoxFields);
    connect(mPreview, &CPreviewView::boxesPlaced, this, &CCaptionDesignEditor::ShowBoxFields);
    // The fields follow a drag as it goes; the drag is one step when it ends.
    connect(mPreview, &CPreviewView::boxEdited, this, [this](bool finished) {
        ShowBoxFields();
        if (const CDrawText *dragged = selectedBox(); dragged && finished)
            Edit([&](CaptionSettings &d) { d.offsets = dragged->GetOffsets(); });
    });
}

void CCaptionDesignEditor::connectStyleAndBox()
{
    connect(mStyle, &CCaptionStyleControls::styleEdited, this, [this](const CaptionStyle &s, bool merge) {
        Edit([&](CaptionSettings &d) { d.style = s; },
             merge ? CaptionHistory::Merge::Style : CaptionHistory::Merge::None);
    });
    connect(mBox, &CCaptionBoxControls::sizeWithPictureToggled, this, [this](bool on) {
        Edit([&](CaptionSettings &d) { d = WithSizeFollowingPicture(d, on, mPreview->FieldPictureSize()); });
    });
    connect(mBox, &CCaptionBoxControls::fieldEdited, this, [this](BoxField field, double value) {
        Edit([&](CaptionSettings &d) {
            // The other fields keep their exact values, not the rounded ones shown.
            const QSizeF picture = mPreview->FieldPictureSize();
            const double factor = DesignFactor(d.style, picture);
            const BoxFields now = FieldsFromOffsets(d.offsets, d.anchor, factor, picture, mBox->Unit());
            d.offsets =
                OffsetsFromFields(WithField(now, field, value), d.anchor, factor, picture, mBox->Unit());
        });
    });
    connect(mBox, &CCaptionBoxControls::centreRequested, this, [this] {
        Edit([&](CaptionSettings &d) {
            const QSizeF picture = mPreview->FieldPictureSize();
            d.offsets = CentredOffsets(d.offsets, d.anchor, DesignFactor(d.style, picture), picture);
        });
    });
    connect(mBox, &CCaptionBoxControls::resetRequested, this, [this] {
        Edit([&](CaptionSettings &d) { d.offsets = DefaultBoxOffsets(d, mPreview->FieldPictureSize()); });
    });
}

bool CCaptionDesignEditor::Edit(const Change &change, CaptionHistory::Merge merge)
{
    if (!selectedBox())
        return false;
    CaptionSettings design = Design();
    change(design);
    if (!mHistory.Record(design, merge))
        return false;
    apply();
    return true;
}

void CCaptionDesignEditor::Reset(const CaptionSettings &design)
{
    mHistory.Reset(design);
    apply();
}

bool CCaptionDesignEditor::Undo()
{
    if (!mHistory.Undo())
        return false;
    apply();
    return true;
}

bool CCaptionDesignEditor::Redo()
{
    if (!mHistory.Redo())
        return false;
    apply();
    return true;
}

// The box takes the design and is placed where its offsets say; the page
// shows the design in its controls.
void CCaptionDesignEditor::apply()
{
    if (CDrawText *box = mPreview->CaptionBox()) {
        box->SetCaption(Design());
        mPreview->PlaceBoxes();
    }
    emit designApplied(Design());
}

// Edits go to the caption box while it is selected; a click beside it
// deselects it and turns its controls off.
CDrawText *CCaptionDesignEditor::selectedBox() const
{
    CDrawText *box = mPreview->CaptionBox();
    return box && mPreview->IsSelected(box) ? box : nullptr;
}

void CCaptionDesignEditor::ShowBoxFields()
{
    if (const CDrawText *box = mPreview->CaptionBox()) {
        const QSizeF picture = mPreview->FieldPictureSize();
        mBox->ShowFields(FieldsFromOffsets(box->GetOffsets(), box->GetAnchor(),
                                           DesignFactor(box->GetStyle(), picture), picture, mBox->Unit()));
    }
}

// A key that is the page's undo or redo is not taken as a text field's
// override, so the page's action runs; a key press that still arrives (the
// shortcut system passed it on) runs it directly.
bool CCaptionDesignEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut)
        mHistory.EndMerge(); // typing after coming back is a step of its own
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
        const bool undo = mUndo->shortcuts().contains(pressed);
        if (undo || mRedo->shortcuts().contains(pressed)) {
            if (event->type() == QEvent::KeyPress)
                undo ? Undo() : Redo();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
