#include "platform/ui/TrackBar.h"

#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>
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
    void Mouse(QEvent::Type type, QPoint pt)
    {
        QMouseEvent ev(type, QPointF(pt), QPointF(mapToGlobal(pt)),
                       type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                       type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &ev);
    }
    Seen seen;
};

constexpr int kClickBefore = -1, kClickAfter = -2; // on the channel, either side of the thumb
struct SMove { int nFrom, nKeyOrClick, nTo, nCode; };
void PrintTo(const SMove& m, std::ostream* pOut) { *pOut << "from " << m.nFrom << " by " << m.nKeyOrClick; }
class TrackBarMoves : public testing::TestWithParam<SMove> {};

// A key or a click on the channel moves first, then reports its code and EndTrack.
TEST_P(TrackBarMoves, MoveThenReportTheirCodeAndEndTrack)
{
    const SMove& m = GetParam();
    CBar bar;
    bar.SetPos(m.nFrom);
    const QRect rcGroove = bar.Part(QStyle::SC_SliderGroove);
    if (m.nKeyOrClick >= 0) {
        QTest::keyClick(&bar, Qt::Key(m.nKeyOrClick));
    } else {
        const QPoint pt(m.nKeyOrClick == kClickBefore ? rcGroove.left() + 1 : rcGroove.right() - 1,
                        rcGroove.center().y());
        bar.Mouse(QEvent::MouseButtonPress, pt);
        bar.Mouse(QEvent::MouseButtonRelease, pt);
    }
    EXPECT_EQ(bar.seen, (Seen{{m.nCode, m.nTo}, {T::EndTrack, m.nTo}}));
}

INSTANTIATE_TEST_SUITE_P(Moves, TrackBarMoves,
                         testing::Values(SMove{0, Qt::Key_Up, 0, T::LineUp}, SMove{5, Qt::Key_PageDown, 7, T::PageDown},
                                         SMove{5, Qt::Key_End, 20, T::Bottom}, SMove{10, kClickBefore, 8, T::PageUp},
                                         SMove{10, kClickAfter, 12, T::PageDown}));

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

// The owner's calls report nothing; the selection reads back as given until cleared.
TEST(TrackBar, OwnerChangesAreSilentAndTheSelectionUnordered)
{
    CBar bar;
    bar.SetPos(20);
    bar.SetRangeMax(10); // pulls the position in
    bar.SetSelStart(15);
    bar.SetSelEnd(9);
    EXPECT_EQ(std::tuple(bar.GetPos(), bar.GetSelStart(), bar.GetSelEnd()), std::tuple(10, 15, 9));
    bar.ClearSel();
    EXPECT_EQ(std::pair(bar.GetSelStart(), bar.GetSelEnd()), std::pair(0, 0));
    EXPECT_TRUE(bar.seen.empty());
}

} // namespace
