#include "platform/ui/TrackBar.h"

#include <QMouseEvent>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

using T = CTrackBar;
using Seen = std::vector<std::pair<int, int>>; // code, position when it came

// A shown bar over 0..20 (page step 2) that records what it reports.
struct CBar : CTrackBar {
    CBar()
    {
        SetRange(0, 20);
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

// Only the user's moves report: a click on the channel or a key its code, a drag ThumbTrack and
// ThumbPosition, each then EndTrack; the selection reads back unordered, as given.
TEST(TrackBar, ReportsWhatTheUserDidOnly)
{
    CBar bar;
    bar.SetPos(10);
    const QRect rcGroove = bar.Part(QStyle::SC_SliderGroove);
    bar.Mouse(QEvent::MouseButtonPress, {rcGroove.left() + 1, rcGroove.center().y()});
    bar.Mouse(QEvent::MouseButtonRelease, {rcGroove.left() + 1, rcGroove.center().y()});
    QTest::keyClick(&bar, Qt::Key_PageDown);
    const QPoint ptThumb = bar.Part(QStyle::SC_SliderHandle).center();
    bar.Mouse(QEvent::MouseButtonPress, ptThumb);
    bar.Mouse(QEvent::MouseMove, {rcGroove.right() + 20, ptThumb.y()});
    bar.Mouse(QEvent::MouseButtonRelease, {rcGroove.right() + 20, ptThumb.y()});
    bar.SetRangeMax(15); // pulls the position in
    bar.SetSelStart(12);
    bar.SetSelEnd(9);
    EXPECT_EQ(bar.seen, (Seen{{T::PageUp, 8}, {T::EndTrack, 8}, {T::PageDown, 10}, {T::EndTrack, 10},
                              {T::ThumbTrack, 20}, {T::ThumbPosition, 20}, {T::EndTrack, 20}}));
    EXPECT_EQ(std::tuple(bar.GetPos(), bar.GetSelStart(), bar.GetSelEnd()), std::tuple(15, 12, 9));
}

// With a scale, the tool tip while dragging says the value's text, held at the scale's end.
TEST(TrackBar, SaysTheValueWhileDragged)
{
    CBar bar;
    bar.SetValueScale({.dPerPosition = 3.0, .dMax = 50.0, .text = [](double d) { return QString::number(d); }});
    const QPoint ptThumb = bar.Part(QStyle::SC_SliderHandle).center();
    bar.Mouse(QEvent::MouseButtonPress, ptThumb);
    bar.Mouse(QEvent::MouseMove, {bar.Part(QStyle::SC_SliderGroove).right() + 20, ptThumb.y()});
    EXPECT_EQ(QToolTip::text().toStdString(), "50");
    bar.Mouse(QEvent::MouseButtonRelease, {bar.Part(QStyle::SC_SliderGroove).right() + 20, ptThumb.y()});
    EXPECT_EQ(bar.GetValueText().toStdString(), "50");
}

} // namespace
