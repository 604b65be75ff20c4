// caption/settings_page.cpp
#include "caption/settings_page.h"

#include "caption/caption_box_controls.h"
#include "caption/caption_style_controls.h"
#include "caption/color_picker.h"
#include "caption/draw_text.h"
#include "caption/font_color_dialog.h"
#include "caption/preview_view.h"
#include "caption/settings_page_rules.h"
#include "platform/font_map.h"

#include <QAction>
#include <QComboBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kMargin = 6;      // around the preview and the column
constexpr int kListIndent = 13; // the lists sit a little in from their labels

template <class T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A label over its list, the list indented.
void addLabelledList(QGridLayout *grid, int row, const QString &label, QComboBox *list)
{
    grid->addWidget(new QLabel(label), row, 0, 1, 2);
    grid->addWidget(list, row + 1, 1);
}

} // namespace

CSettingsPage::CSettingsPage(QWidget *parent)
    : QWidget(parent)
    , mPreview(new CPreviewView(this))
{
    mFontTip = SettingsTooltipMarkup(SettingsPageIds::Font);
    auto *column = new QVBoxLayout;
    column->addLayout(createNavigation());
    column->addWidget(createTextGroup(), 1);
    column->addWidget(createRotateGroup());
    createUndo();
    // The preview takes every pixel the column, as wide as its controls ask, leaves.
    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    page->addWidget(mPreview, 1);
    page->addLayout(column);
    connectControls();
    mPreview->CreateCaptionBox();
    // A box made on the page wraps its text: a long caption stays inside
    // the box instead of running off its edge. (The record's default stays
    // off, so designs made before keep their meaning.)
    if (CDrawText *box = mPreview->CaptionBox()) {
        CaptionStyle style = box->GetStyle();
        style.wordWrap = true;
        box->SetStyle(style);
        showCaptionInControls(*box);
        mHistory.Reset(box->GetCaption());
    }
}

CSettingsPage::~CSettingsPage() = default;

// Previous / Next / View on one line, the Resolution line under them.
QLayout *CSettingsPage::createNavigation()
{
    mPrevious = named(new QPushButton(tr("&Previous")), "previous");
    mNext = named(new QPushButton(tr("&Next")), "next");
    mView = named(new QPushButton(tr("&View")), "view");
    // The buttons share the column's width instead of each asking for a
    // style's minimum: the column stays as narrow as the text group needs.
    for (QPushButton *button : {mPrevious, mNext, mView}) {
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 12);
    }
    mResolution = named(new QLineEdit, "resolution");
    mResolution->setReadOnly(true);
    auto *grid = new QGridLayout;
    grid->addWidget(mPrevious, 0, 0);
    grid->addWidget(mNext, 0, 1);
    grid->addWidget(mView, 0, 2);
    auto *resolution = new QHBoxLayout;
    resolution->addWidget(new QLabel(tr("Resolution:")));
    resolution->addWidget(mResolution, 1);
    grid->addLayout(resolution, 1, 0, 1, 3);
    return grid;
}

// Font and Back Color, the text growing with the page, the lists at the
// bottom; then the Style and Box tabs, so that the column stays as narrow
// and as short as the old text group whatever the caption can do.
QWidget *CSettingsPage::createTextGroup()
{
    mFont = named(new QPushButton(tr("&Font")), "font");
    mBackColor = named(new CColorPicker(tr("Bac&k Color")), "backColor");
    mText = named(new QPlainTextEdit, "text");
    mText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mText->setLineWrapMode(QPlainTextEdit::WidgetWidth);                // a long caption stays readable
    mText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding); // as wide as the column
    mText->setUndoRedoEnabled(false);                                   // the page's history does it
    mAlign = named(new QComboBox, "align");
    mAlign->addItems({tr("Left"), tr("Middle"), tr("Right")});
    mAlign->setCurrentIndex(CaptionAlign::Middle);
    mAnchor = named(new QComboBox, "anchor");
    mAnchor->addItems(
        {tr("Top left corner"), tr("Top right corner"), tr("Down left corner"), tr("Down right coner")});
    mAnchor->setCurrentIndex(CaptionAnchor::TopLeft);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(mFont);
    buttons->addWidget(mBackColor);
    auto *lists = new QGridLayout;
    lists->setColumnMinimumWidth(0, kListIndent);
    addLabelledList(lists, 0, tr("Text Align:"), mAlign);
    addLabelledList(lists, 2, tr("Base On Image:"), mAnchor);
    auto *inside = new QVBoxLayout;
    inside->addLayout(buttons);
    inside->addWidget(mText, 1);
    inside->addLayout(lists);
    auto *textTab = new QWidget;
    textTab->setLayout(inside);

    mStyle = named(new CCaptionStyleControls, "styleControls");
    mBox = named(new CCaptionBoxControls, "boxControls");
    mTabs = named(new QTabWidget, "captionTabs");
    mTabs->addTab(textTab, tr("&Text"));
    mTabs->addTab(mStyle, tr("&Style"));
    mTabs->addTab(mBox, tr("&Box"));
    auto *group = new QGroupBox(tr("Text Properties"));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(2, 2, 2, 2);
    groupLayout->addWidget(mTabs);
    return group;
}

// Undo and redo on the page and its children. The text fields would take
// the keys for their own undo: the event filter hands them to the page.
void CSettingsPage::createUndo()
{
    mUndo = new QAction(tr("Undo"), this);
    mUndo->setShortcut(QKeySequence::Undo);
    mRedo = new QAction(tr("Redo"), this);
    mRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction *action : {mUndo, mRedo}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
    connect(mUndo, &QAction::triggered, this, &CSettingsPage::Undo);
    connect(mRedo, &QAction::triggered, this, &CSettingsPage::Redo);
    mText->installEventFilter(this);
    for (QAbstractSpinBox *box : findChildren<QAbstractSpinBox *>())
        box->installEventFilter(this);
}

bool CSettingsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        const bool undo = mUndo->shortcuts().contains(pressed);
        if (undo || mRedo->shortcuts().contains(pressed)) {
            // Not accepted as an override: the page's action takes the keys.
            if (event->type() == QEvent::KeyPress)
                undo ? Undo() : Redo();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QGroupBox *CSettingsPage::createRotateGroup()
{
    const char *texts[4] = {"&0\"", "&-90\"", "&90\"", "&180\""};
    const char *names[4] = {"rotate0", "rotateMinus90", "rotate90", "rotate180"};
    auto *grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        mRotate[i] = named(new QRadioButton(QString::fromLatin1(texts[i])), names[i]);
        grid->addWidget(mRotate[i], i / 2, i % 2);
        connect(mRotate[i], &QRadioButton::clicked, this, [this, i] { onRotate(i); });
    }
    mRotate[0]->setChecked(true);
    auto *group = new QGroupBox(tr("Rotate image"));
    group->setLayout(grid);
    return group;
}

void CSettingsPage::connectControls()
{
    connect(mPrevious, &QPushButton::clicked, this, [this] {
        if (CanShowPrevious(mRow, mCount))
            emit previousRequested();
    });
    connect(mNext, &QPushButton::clicked, this, [this] {
        if (CanShowNext(mRow, mCount))
            emit nextRequested();
    });
    connect(mView, &QPushButton::clicked, this, [this] {
        if (mPreview->HasPicture())
            emit viewRequested();
    });
    connect(mFont, &QPushButton::clicked, this, &CSettingsPage::onFont);
    connect(mBackColor, &CColorPicker::selEndOk, this, &CSettingsPage::onBackColor);
    connect(mText, &QPlainTextEdit::textChanged, this, &CSettingsPage::onTextEdited);
    connect(mAlign, &QComboBox::activated, this, &CSettingsPage::onAlign);
    connect(mAnchor, &QComboBox::activated, this, &CSettingsPage::onAnchor);
    connect(mPreview, &CPreviewView::captionControlsEnabled, this, &CSettingsPage::enableCaptionControls);
    connect(mPreview, &CPreviewView::captionSelected, this, &CSettingsPage::showCaptionInControls);
    connect(mPreview, &CPreviewView::pictureLoaded, mResolution, &QLineEdit::setText);
    connect(mPreview, &CPreviewView::boxesPlaced, this, &CSettingsPage::showBoxFields);
    connect(mPreview, &CPreviewView::boxEdited, this, &CSettingsPage::onBoxEdited);
    connect(mStyle, &CCaptionStyleControls::styleEdited, this, &CSettingsPage::onStyleEdited);
    connect(mBox, &CCaptionBoxControls::sizeWithPictureToggled, this, &CSettingsPage::onSizeWithPicture);
    connect(mBox, &CCaptionBoxControls::fieldEdited, this, &CSettingsPage::onFieldEdited);
    connect(mBox, &CCaptionBoxControls::unitChanged, this, &CSettingsPage::showBoxFields);
    connect(mBox, &CCaptionBoxControls::centreRequested, this, &CSettingsPage::onCentre);
    connect(mBox, &CCaptionBoxControls::resetRequested, this, &CSettingsPage::onResetBox);
}

std::vector<std::pair<QWidget *, QString>> CSettingsPage::MarkupTips() const
{
    const std::pair<QWidget *, int> controls[] = {
        {mAlign, SettingsPageIds::AlignList},    {mAnchor, SettingsPageIds::AnchorList},
        {mRotate[0], SettingsPageIds::Rotate0},  {mRotate[1], SettingsPageIds::RotateMinus90},
        {mRotate[2], SettingsPageIds::Rotate90}, {mRotate[3], SettingsPageIds::Rotate180},
        {mFont, SettingsPageIds::Font},          {mBackColor, SettingsPageIds::BackColor},
        {mPrevious, SettingsPageIds::Previous},  {mNext, SettingsPageIds::Next},
        {mView, SettingsPageIds::View},
    };
    std::vector<std::pair<QWidget *, QString>> tips;
    for (const auto &[widget, id] : controls)
        tips.emplace_back(widget, widget == mFont ? mFontTip : SettingsTooltipMarkup(id));
    return tips;
}

std::optional<CaptionSettings> CSettingsPage::ExportCaption() const
{
    if (const CDrawText *box = mPreview->CaptionBox())
        return box->GetCaption();
    return std::nullopt;
}

void CSettingsPage::SetCaption(const CaptionSettings &caption)
{
    if (!mPreview->CaptionBox())
        mPreview->CreateCaptionBox();
    CDrawText *box = mPreview->CaptionBox();
    if (!box)
        return;
    mPreview->Select(box, false);
    applyDesign(caption);
    record();
}

void CSettingsPage::SetUpright(bool on)
{
    mPreview->SetUpright(on);
}

QString CSettingsPage::CurrentPath() const
{
    return mPreview->Path();
}

void CSettingsPage::WaitForPicture()
{
    mPreview->WaitForPicture();
}

void CSettingsPage::enableCaptionControls(bool on)
{
    for (QWidget *w :
         std::initializer_list<QWidget *>{mFont, mBackColor, mText, mAlign, mAnchor, mStyle, mBox})
        w->setEnabled(on);
}

// The Font button's tip names the caption's font.
void CSettingsPage::showFontInButton(const LOGFONT &font)
{
    const QString tip =
        fontTipMarkup(LogFontFaceName(font), QFontInfo(FontFromLogFont(font)).family(), font.lfHeight);
    if (tip == mFontTip)
        return;
    mFontTip = tip;
    emit markupTipChanged(mFont, mFontTip);
}

void CSettingsPage::showCaptionInControls(const CDrawText &box)
{
    mFilling = true;
    showFontInButton(box.GetFont());
    mBackColor->SetColor(box.GetBackColor());
    if (captionTextFromEdit(mText->toPlainText()) != box.GetText())
        mText->setPlainText(editTextFromCaption(box.GetText()));
    if (box.GetAlign() >= 0 && box.GetAlign() <= 2)
        mAlign->setCurrentIndex(box.GetAlign());
    if (box.GetAnchor() >= 0 && box.GetAnchor() <= 3)
        mAnchor->setCurrentIndex(box.GetAnchor());
    mStyle->ShowStyle(box.GetStyle());
    mBox->ShowSizeWithPicture(box.GetStyle().referenceSide > 0);
    mFilling = false;
    showBoxFields();
}

CDrawText *CSettingsPage::selectedBox() const
{
    const auto &selection = mPreview->Selection();
    return selection.empty() ? nullptr : dynamic_cast<CDrawText *>(selection.front());
}

void CSettingsPage::onTextEdited()
{
    if (mFilling)
        return;
    if (CDrawText *box = selectedBox()) {
        box->SetText(captionTextFromEdit(mText->toPlainText()));
        mPreview->update();
        record(CaptionHistory::Merge::Text);
    }
}

void CSettingsPage::onFont()
{
    CDrawText *box = selectedBox();
    if (!box)
        return;
    const std::optional<FontChoice> choice = CFontColorDialog::Ask(box->GetFont(), box->GetTextColor(), this);
    if (!choice)
        return;
    box->SetFont(choice->font);
    box->SetTextColor(choice->color);
    showFontInButton(choice->font);
    mPreview->update();
    record();
}

void CSettingsPage::onBackColor()
{
    if (CDrawText *box = selectedBox()) {
        box->SetBackColor(mBackColor->GetColor());
        mPreview->update();
        record();
    }
}

void CSettingsPage::onAlign(int index)
{
    CDrawText *box = selectedBox();
    if (box && index >= 0 && index <= 2) {
        box->SetAlign(index);
        mPreview->update();
        record();
    }
}

// The box stays where it is on the screen; only its offsets are measured
// from the new corner.
void CSettingsPage::onAnchor(int index)
{
    if (index < 0 || index > 3)
        return;
    const PreviewGeometry view = mPreview->Geometry();
    for (CDrawObj *obj : mPreview->Selection()) {
        if (auto *box = dynamic_cast<CDrawText *>(obj)) {
            box->SetAnchor(index);
            box->Place(box->GetPosition(), &view);
        }
    }
    mPreview->update();
    record();
    showBoxFields();
}

void CSettingsPage::onRotate(int button)
{
    const int degrees = kRotationButtonDegrees[button];
    if (mPreview->Path().isEmpty()) {
        // No row selected: nothing to turn; the buttons keep showing 0.
        mRotate[RotationButtonIndex(mPreview->Rotation())]->setChecked(true);
        return;
    }
    if (degrees == mPreview->Rotation())
        return;
    mPreview->SetRotation(degrees);
    emit rotationChanged(degrees);
    showBoxFields();
}

void CSettingsPage::ShowImage(const QString &path, int rotation, int row, int count)
{
    mRow = row;
    mCount = count;
    if (RotationButtonIndex(rotation) < 0)
        rotation = 0;
    mRotate[RotationButtonIndex(rotation)]->setChecked(true);
    if (path.isEmpty())
        mResolution->clear(); // no row selected any more: nothing is shown
    mPreview->ShowPicture(path, rotation);
    showBoxFields();
}

bool CSettingsPage::Undo()
{
    const std::optional<CaptionSettings> design = mHistory.Undo();
    if (design)
        applyDesign(*design);
    return design.has_value();
}

bool CSettingsPage::Redo()
{
    const std::optional<CaptionSettings> design = mHistory.Redo();
    if (design)
        applyDesign(*design);
    return design.has_value();
}

void CSettingsPage::applyDesign(const CaptionSettings &design)
{
    CDrawText *box = mPreview->CaptionBox();
    if (!box)
        return;
    box->SetCaption(design);
    mPreview->PlaceBoxes();
    showCaptionInControls(*box);
}

void CSettingsPage::record(CaptionHistory::Merge merge)
{
    if (const CDrawText *box = mPreview->CaptionBox())
        mHistory.Record(box->GetCaption(), merge);
}

double CSettingsPage::designFactor() const
{
    const CDrawText *box = mPreview->CaptionBox();
    return box ? DesignFactor(box->GetStyle(), mPreview->FieldPictureSize()) : 1.0;
}

void CSettingsPage::showBoxFields()
{
    if (const CDrawText *box = mPreview->CaptionBox()) {
        mBox->ShowFields(FieldsFromOffsets(box->GetOffsets(), box->GetAnchor(), designFactor(),
                                           mPreview->FieldPictureSize(), mBox->Unit()));
    }
}

void CSettingsPage::onStyleEdited(const CaptionStyle &style, bool merge)
{
    if (CDrawText *box = selectedBox()) {
        box->SetStyle(style);
        mPreview->update();
        record(merge ? CaptionHistory::Merge::Style : CaptionHistory::Merge::None);
    }
}

void CSettingsPage::onSizeWithPicture(bool on)
{
    if (CDrawText *box = selectedBox()) {
        applyDesign(WithSizeFollowingPicture(box->GetCaption(), on, mPreview->FieldPictureSize()));
        record();
    }
}

void CSettingsPage::onFieldEdited(BoxField field, double value)
{
    CDrawText *box = selectedBox();
    if (!box)
        return;
    const QSizeF picture = mPreview->FieldPictureSize();
    // The other fields keep their exact values, not the rounded ones shown.
    const BoxFields now =
        FieldsFromOffsets(box->GetOffsets(), box->GetAnchor(), designFactor(), picture, mBox->Unit());
    CaptionSettings design = box->GetCaption();
    design.offsets =
        OffsetsFromFields(WithField(now, field, value), design.anchor, designFactor(), picture, mBox->Unit());
    applyDesign(design);
    record();
}

void CSettingsPage::onCentre()
{
    if (CDrawText *box = selectedBox()) {
        CaptionSettings design = box->GetCaption();
        design.offsets =
            CentredOffsets(design.offsets, design.anchor, designFactor(), mPreview->FieldPictureSize());
        applyDesign(design);
        record();
    }
}

void CSettingsPage::onResetBox()
{
    if (CDrawText *box = selectedBox()) {
        CaptionSettings design = box->GetCaption();
        design.offsets = DefaultBoxOffsets(design, mPreview->FieldPictureSize());
        applyDesign(design);
        record();
    }
}

// The fields follow a drag as it goes; the drag is one step when it ends.
void CSettingsPage::onBoxEdited(bool finished)
{
    showBoxFields();
    if (finished)
        record();
}
