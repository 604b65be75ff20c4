// controls/markup_tip.h
#pragma once

#include "controls/markup_renderer.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

// The program's tooltip: a small window showing a markup text (bold,
// colours, centring, rules, breaks) for each registered control. The owner
// relays its events through an event filter; a pointer resting on a control
// for the initial delay shows the tip, which hides after the stay-up time.
// UI thread only.
class CMarkupTip : public QWidget
{
    Q_OBJECT

  public:
    enum Delay { InitialDelay = 0, StayUpTime = 1 };
    // Style flags.
    static constexpr unsigned kStyleBorder = 1;   // a frame in kColorFrame, kSizeFrameWidth wide
    static constexpr unsigned kStyleRounded = 2;  // corners rounded by kSizeCornerWidth and -Height
    static constexpr unsigned kStyleKeepAway = 4; // placed kSizeAwayX and -Y away from the pointer
    // Behaviour flags.
    static constexpr unsigned kBehaviourStayOnClick = 1; // a click on the control keeps the tip
    // Colour-table entries the tip itself paints with (beside the markup's
    // kMarkupTextColor and kMarkupBackColor).
    static constexpr int kColorGradientTop = kMarkupBackColor; // also the plain background
    static constexpr int kColorGradientMiddle = 19;
    static constexpr int kColorGradientBottom = 20;
    static constexpr int kColorFrame = 24;
    // Size entries.
    static constexpr int kSizeCornerWidth = 0;
    static constexpr int kSizeCornerHeight = 1;
    static constexpr int kSizeMarginX = 2;
    static constexpr int kSizeMarginY = 3;
    static constexpr int kSizeAwayX = 4;
    static constexpr int kSizeAwayY = 5;
    static constexpr int kSizeFrameWidth = 9;

    CMarkupTip();
    ~CMarkupTip() override;

    // Relays the events of owner and of every control added later.
    void Create(QWidget *owner);
    void AddTool(QWidget *control, const QString &markup);
    void RemoveTool(QWidget *control);
    void RemoveAllTools();
    QString ToolText(QWidget *control) const;

    // Colours as 0xRRGGBB. Indexes 0..25; a larger index is ignored when
    // setting and reads as entry 17 (kMarkupTextColor).
    void SetColor(int index, std::uint32_t color);
    std::uint32_t GetColor(int index) const;
    void SetGradientColors(std::uint32_t begin, std::uint32_t middle, std::uint32_t end);
    // Sizes 0..10: 0,1 corner rounding; 2,3 text margins; 4,5 distance from the pointer;
    // 9 frame width. Other indexes are kept for callers but draw nothing.
    void SetSize(int index, int value);
    int GetSize(int index) const;
    void SetDelayTime(Delay which, int milliseconds);
    int GetDelayTime(Delay which) const;
    // 0 above left, 1 above right, 2 below left, 3 below right of the pointer.
    void SetDirection(int direction);
    int GetDirection() const { return mDirection; }
    void SetBehaviour(unsigned flags) { mBehaviour = flags; }
    void SetStyles(unsigned flags) { mStyles = flags; }
    unsigned GetStyles() const { return mStyles; }
    // Effect 0 the plain background (kColorGradientTop), 1 a vertical
    // gradient from kColorGradientTop through -Middle to -Bottom.
    void SetEffectBk(int effect, int granularity = 2);
    void SetFont(const QFont &font);
    void SetFont(const QString &face, int pointSize, bool bold = false, bool italic = false);

    // The set-up every page and dialog uses: style flags 1, 2 and 4,
    // direction 1, shown after 50 ms, up for 50 s.
    void ConfigureAsPage();

    // Shows the tip of control at the global point, as the show timer does.
    void ShowTip(QWidget *control, QPoint globalPos);
    void HideTip();
    QWidget *ShownControl() const { return mShown; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

  private:
    struct Tool
    {
        QPointer<QWidget> control;
        QString markup;
    };

    const Tool *toolAt(QPoint globalPos) const;
    const Tool *findTool(const QWidget *control) const;
    void pointerMoved(QPoint globalPos);
    void onShowTimer();
    QPoint placement(QPoint globalPos, QSize size) const;
    void watch(QWidget *widget);

    QPointer<QWidget> mOwner;
    std::vector<Tool> mTools;
    MarkupColorTable mColors;
    std::array<int, 11> mSizes;
    int mDirection = 3;
    unsigned mBehaviour = 0;
    unsigned mStyles = 0;
    int mEffect = 0;
    int mGranularity = 2;
    QFont mFont;
    QTimer mShowTimer; // the initial delay
    QTimer mHideTimer; // the stay-up time
    QPointer<QWidget> mPending;
    QPoint mPendingPos;
    QPointer<QWidget> mShown;
    std::unique_ptr<MarkupRenderer> mRenderer;
};
