// caption/settings_page.cpp
#include "caption/settings_page.h"

#include "caption/caption_box_controls.h"
#include "caption/caption_design_editor.h"
#include "caption/caption_style_controls.h"
#include "caption/color_picker.h"
#include "caption/draw_text.h"
#include "caption/font_color_dialog.h"
#include "caption/object_name.h"
#include "caption/placeholder_button.h"
#include "caption/preview_view.h"
#include "caption/settings_page_rules.h"
#include "platform/font_map.h"

#include <QComboBox>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kMargin = 6;      // around the preview and the column
constexpr int kListIndent = 13; // the lists sit a little in from their labels

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
    // The preview takes every pixel the column, as wide as its controls ask, leaves.
    auto *page = new QHBoxLayout(this);
    page->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    page->addWidget(mPreview, 1);
    page->addLayout(column);
    mEditor = new CCaptionDesignEditor(this, mPreview, mStyle, mBox);
    connectControls();
    mPreview->CreateCaptionBox();
    // A box made on the page wraps its text: a long caption stays inside
    // the box instead of running off its edge. (The record's default stays
    // off, so designs made before keep their meaning.)
    if (const CDrawText *box = mPreview->CaptionBox()) {
        CaptionSettings design = box->GetCaption();
        design.style.wordWrap = true;
        mEditor->Reset(design);
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
    buttons->addWidget(new CPlaceholderButton(mText));
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
    connectDesignControls();
    connect(mPreview, &CPreviewView::captionControlsEnabled, this, &CSettingsPage::enableCaptionControls);
    connect(mPreview, &CPreviewView::captionSelected, this,
            [this](const CDrawText &box) { showCaptionInControls(box.GetCaption()); });
    connect(mPreview, &CPreviewView::pictureLoaded, mResolution, &QLineEdit::setText);
    connect(mEditor, &CCaptionDesignEditor::designApplied, this, &CSettingsPage::showCaptionInControls);
}

// The Text tab's controls change the design through the editor, as the
// Style and Box tabs do.
void CSettingsPage::connectDesignControls()
{
    connect(mFont, &QPushButton::clicked, this, &CSettingsPage::onFont);
    connect(mBackColor, &CColorPicker::selEndOk, this,
            [this] { mEditor->Edit([&](CaptionSettings &d) { d.backColor = mBackColor->GetColor(); }); });
    connect(mText, &QPlainTextEdit::textChanged, this, [this] {
        mEditor->Edit([&](CaptionSettings &d) { d.text = captionTextFromEdit(mText->toPlainText()); },
                      CaptionHistory::Merge::Text);
    });
    connect(mAlign, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index <= 2)
            mEditor->Edit([&](CaptionSettings &d) { d.align = index; });
    });
    connect(mAnchor, &QComboBox::activated, this, &CSettingsPage::onAnchor);
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
    if (mPreview->CaptionBox())
        return mEditor->Design();
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
    mEditor->Edit([&](CaptionSettings &d) { d = caption; });
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

// Filling the controls is no edit: their signals are blocked meanwhile.
void CSettingsPage::showCaptionInControls(const CaptionSettings &design)
{
    showFontInButton(design.font);
    {
        const QSignalBlocker blockBack(mBackColor), blockText(mText);
        mBackColor->SetColor(design.backColor);
        if (captionTextFromEdit(mText->toPlainText()) != design.text)
            mText->setPlainText(editTextFromCaption(design.text));
    }
    // activated, the lists' edit signal, is not sent for a programmatic choice.
    if (design.align >= 0 && design.align <= 2)
        mAlign->setCurrentIndex(design.align);
    if (design.anchor >= 0 && design.anchor <= 3)
        mAnchor->setCurrentIndex(design.anchor);
    mStyle->ShowStyle(design.style);
    mBox->ShowSizeWithPicture(design.style.referenceSide > 0);
    mEditor->ShowBoxFields();
}

void CSettingsPage::onFont()
{
    if (!mEditor->CanEdit())
        return;
    const CaptionSettings &design = mEditor->Design();
    const std::optional<FontChoice> choice = CFontColorDialog::Ask(design.font, design.textColor, this);
    if (!choice)
        return;
    mEditor->Edit([&](CaptionSettings &d) {
        d.font = choice->font;
        d.textColor = choice->color;
    });
}

// The box stays where it is on the screen; only its offsets are measured
// from the new corner. Choosing the corner it has already changes nothing:
// measuring again from the rounded screen position would lose the
// fractions of the offsets.
void CSettingsPage::onAnchor(int index)
{
    const CDrawText *box = mPreview->CaptionBox();
    if (!box || index < 0 || index > 3 || index == mEditor->Design().anchor)
        return;
    const CaptionOffsets offsets = box->OffsetsFromCorner(index, mPreview->Geometry());
    mEditor->Edit([&](CaptionSettings &d) {
        d.anchor = index;
        d.offsets = offsets;
    });
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
    mEditor->ShowBoxFields();
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
    mEditor->ShowBoxFields();
}

bool CSettingsPage::Undo()
{
    return mEditor->Undo();
}

bool CSettingsPage::Redo()
{
    return mEditor->Redo();
}
