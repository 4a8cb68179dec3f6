#include "platform/ui/TrackBar.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using T = CTrackBar;
using Seen = std::vector<std::pair<int, int>>; // code, position when it came

// A shown bar over 0..20 (page step 2) that records what it reports.
struct CBar : CTrackBar {
    CBar()
    {
        SetRange(0, 20);
        resize(300, 40);
        show();
        connect(this, &CTrackBar::Scrolled, [this](int nCode) { seen.emplace_back(nCode, GetPos()); });
    }
    QRect Part(QStyle::SubControl part)
    {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        return style()->subControlRect(QStyle::CC_Slider, &opt, part, this);
    }
    void Key(int nKey)
    {
        QKeyEvent ev(QEvent::KeyPress, nKey, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &ev);
    }
    void Mouse(QEvent::Type type, QPoint pt)
    {
        QMouseEvent ev(type, QPointF(pt), QPointF(mapToGlobal(pt)),
                       type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                       type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &ev);
    }
    Seen seen;
};

TEST(TrackBar, KeysMoveThenReportTheirCodeAndEndTrack)
{
    struct { int nFrom, nKey, nTo, nCode; } const cases[] = {
        {0, Qt::Key_Up, 0, T::LineUp}, {5, Qt::Key_PageDown, 7, T::PageDown}, {5, Qt::Key_End, 20, T::Bottom}};
    for (const auto& c : cases) {
        CBar bar;
        bar.SetPos(c.nFrom);
        bar.Key(c.nKey);
        EXPECT_EQ(bar.seen, (Seen{{c.nCode, c.nTo}, {T::EndTrack, c.nTo}})) << "key " << c.nKey << " from " << c.nFrom;
    }
}

TEST(TrackBar, DragTracksThenReportsPositionAndEndTrack)
{
    CBar bar;
    const QRect rcGroove = bar.Part(QStyle::SC_SliderGroove);
    const QPoint ptThumb = bar.Part(QStyle::SC_SliderHandle).center();
    bar.Mouse(QEvent::MouseButtonPress, ptThumb);
    bar.Mouse(QEvent::MouseMove, {rcGroove.center().x(), ptThumb.y()});
    const int nMiddle = bar.GetPos();
    bar.Mouse(QEvent::MouseMove, {rcGroove.right() + 20, ptThumb.y()});
    bar.Mouse(QEvent::MouseButtonRelease, {rcGroove.right() + 20, ptThumb.y()});

    EXPECT_TRUE(nMiddle > 0 && nMiddle < 20) << nMiddle;
    EXPECT_EQ(bar.seen, (Seen{{T::ThumbTrack, nMiddle}, {T::ThumbTrack, 20}, {T::ThumbPosition, 20}, {T::EndTrack, 20}}));
}

TEST(TrackBar, ClickOnTheChannelPagesTowardsIt)
{
    CBar bar;
    bar.SetPos(10);
    const QRect rcGroove = bar.Part(QStyle::SC_SliderGroove);
    for (int nX : {rcGroove.left() + 1, rcGroove.right() - 1}) {
        bar.Mouse(QEvent::MouseButtonPress, {nX, rcGroove.center().y()});
        bar.Mouse(QEvent::MouseButtonRelease, {nX, rcGroove.center().y()});
    }
    EXPECT_EQ(bar.seen, (Seen{{T::PageUp, 8}, {T::EndTrack, 8}, {T::PageDown, 10}, {T::EndTrack, 10}}));
}

TEST(TrackBar, SelectionReadsBackUnorderedUntilCleared)
{
    CBar bar;
    bar.SetSelStart(15);
    bar.SetSelEnd(9);
    EXPECT_EQ(bar.GetSelStart() * 100 + bar.GetSelEnd(), 1509);
    bar.ClearSel();
    EXPECT_EQ(bar.GetSelStart() + bar.GetSelEnd(), 0);
}

TEST(TrackBar, OwnerChangesAreSilent)
{
    CBar bar;
    bar.SetPos(20);
    bar.SetRangeMax(10); // pulls the position in
    EXPECT_EQ(bar.GetPos(), 10);
    EXPECT_TRUE(bar.seen.empty());
}

} // namespace
