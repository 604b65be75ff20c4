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

    connect(mStyle, &CCaptionStyleControls::styleEdited, this, [this](const CaptionStyle &s, bool merge) {
        if (CDrawText *box = selectedBox()) {
            box->SetStyle(s);
            mPreview->update();
            Record(merge ? CaptionHistory::Merge::Style : CaptionHistory::Merge::None);
        }
    });
    connect(mBox, &CCaptionBoxControls::sizeWithPictureToggled, this, [this](bool on) {
        edit([&](CaptionSettings &d) { d = WithSizeFollowingPicture(d, on, mPreview->FieldPictureSize()); });
    });
    connect(mBox, &CCaptionBoxControls::fieldEdited, this, [this](BoxField field, double value) {
        edit([&](CaptionSettings &d) {
            // The other fields keep their exact values, not the rounded ones shown.
            const QSizeF picture = mPreview->FieldPictureSize();
            const BoxFields now =
                FieldsFromOffsets(d.offsets, d.anchor, designFactor(), picture, mBox->Unit());
            d.offsets = OffsetsFromFields(WithField(now, field, value), d.anchor, designFactor(), picture,
                                          mBox->Unit());
        });
    });
    connect(mBox, &CCaptionBoxControls::centreRequested, this, [this] {
        edit([&](CaptionSettings &d) {
            d.offsets = CentredOffsets(d.offsets, d.anchor, designFactor(), mPreview->FieldPictureSize());
        });
    });
    connect(mBox, &CCaptionBoxControls::resetRequested, this, [this] {
        edit([&](CaptionSettings &d) { d.offsets = DefaultBoxOffsets(d, mPreview->FieldPictureSize()); });
    });
    connect(mBox, &CCaptionBoxControls::unitChanged, this, &CCaptionDesignEditor::ShowBoxFields);
    connect(mPreview, &CPreviewView::boxesPlaced, this, &CCaptionDesignEditor::ShowBoxFields);
    // The fields follow a drag as it goes; the drag is one step when it ends.
    connect(mPreview, &CPreviewView::boxEdited, this, [this](bool finished) {
        ShowBoxFields();
        if (finished)
            Record();
    });
}

template <class Change> void CCaptionDesignEditor::edit(Change change)
{
    if (CDrawText *box = selectedBox()) {
        CaptionSettings design = box->GetCaption();
        change(design);
        Apply(design);
        Record();
    }
}

void CCaptionDesignEditor::ResetHistory()
{
    if (const CDrawText *box = mPreview->CaptionBox())
        mHistory.Reset(box->GetCaption());
}

void CCaptionDesignEditor::Record(CaptionHistory::Merge merge)
{
    if (const CDrawText *box = mPreview->CaptionBox())
        mHistory.Record(box->GetCaption(), merge);
}

bool CCaptionDesignEditor::Undo()
{
    const std::optional<CaptionSettings> design = mHistory.Undo();
    if (design)
        Apply(*design);
    return design.has_value();
}

bool CCaptionDesignEditor::Redo()
{
    const std::optional<CaptionSettings> design = mHistory.Redo();
    if (design)
        Apply(*design);
    return design.has_value();
}

void CCaptionDesignEditor::Apply(const CaptionSettings &design)
{
    CDrawText *box = mPreview->CaptionBox();
    if (!box)
        return;
    box->SetCaption(design);
    mPreview->PlaceBoxes();
    emit designApplied(*box);
}

CDrawText *CCaptionDesignEditor::selectedBox() const
{
    const auto &selection = mPreview->Selection();
    return selection.empty() ? nullptr : dynamic_cast<CDrawText *>(selection.front());
}

double CCaptionDesignEditor::designFactor() const
{
    const CDrawText *box = mPreview->CaptionBox();
    return box ? DesignFactor(box->GetStyle(), mPreview->FieldPictureSize()) : 1.0;
}

void CCaptionDesignEditor::ShowBoxFields()
{
    if (const CDrawText *box = mPreview->CaptionBox()) {
        mBox->ShowFields(FieldsFromOffsets(box->GetOffsets(), box->GetAnchor(), designFactor(),
                                           mPreview->FieldPictureSize(), mBox->Unit()));
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
