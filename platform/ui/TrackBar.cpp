#include "platform/ui/TrackBar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

// Runs the slider's own handling of a move with the flag up, so that the value
// change it causes is not taken for one made from outside.
template <typename F>
void AsOwnMove(bool& bFlag, F&& fn)
{
    const bool bWas = bFlag;
    bFlag = true;
    fn();
    bFlag = bWas;
}

// What assistive tools see of the bar: a slider whose value is what the
// position stands for (seconds on the time line), with that value's text.
class CTrackBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit CTrackBarAccessible(CTrackBar* pBar) : QAccessibleWidget(pBar, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? Bar()->GetValueText() : QAccessibleWidget::text(type);
    }
    QVariant currentValue() const override { return Bar()->GetValue(); }
    void setCurrentValue(const QVariant& value) override { Bar()->SetValueFromTools(value.toDouble()); }
    QVariant maximumValue() const override
    {
        const CTrackBar::CValueScale& scale = Bar()->GetValueScale();
        return std::min(Bar()->maximum() * scale.dPerPosition, scale.text ? scale.dMax : double(Bar()->maximum()));
    }
    QVariant minimumValue() const override { return Bar()->minimum() * Bar()->GetValueScale().dPerPosition; }
    QVariant minimumStepSize() const override { return Bar()->GetValueScale().dPerPosition; }

private:
    CTrackBar* Bar() const { return static_cast<CTrackBar*>(widget()); }
};

QAccessibleInterface* TrackBarAccessibleFactory(const QString& strClass, QObject* pObject)
{
    if (strClass == QLatin1String("CTrackBar") && pObject && pObject->isWidgetType())
        return new CTrackBarAccessible(static_cast<CTrackBar*>(pObject));
    return nullptr;
}

} // namespace

CTrackBar::CTrackBar(QWidget* pParent) : QSlider(Qt::Horizontal, pParent)
{
    static const bool bFactory = [] {
        QAccessible::installFactory(&TrackBarAccessibleFactory);
        return true;
    }();
    (void)bFactory;
    setTickPosition(QSlider::TicksAbove);
    setTickInterval(1);
    m_bSettingPageStep = true;
    setSingleStep(1);
    m_bSettingPageStep = false;
    setTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Time line"));
    SetRange(0, 100);
    connect(this, &QAbstractSlider::valueChanged, this, &CTrackBar::OnValueChanged);
}

void CTrackBar::SetRange(int nMin, int nMax)
{
    AsOwnMove(m_bOwnMove, [&] { setRange(nMin, nMax); });
}

void CTrackBar::SetRangeMin(int nMin)
{
    SetRange(nMin, std::max(nMin, maximum()));
}

void CTrackBar::SetRangeMax(int nMax)
{
    SetRange(std::min(minimum(), nMax), nMax);
}

void CTrackBar::SetPos(int nPos)
{
    AsOwnMove(m_bOwnMove, [&] { setValue(nPos); });
}

void CTrackBar::SetSelStart(int nStart)
{
    m_nSelStart = nStart;
    update();
}

void CTrackBar::SetSelEnd(int nEnd)
{
    m_nSelEnd = nEnd;
    update();
}

void CTrackBar::ClearSel()
{
    m_nSelStart = 0;
    m_nSelEnd = 0;
    m_fineSel.reset();
    update();
}

void CTrackBar::SetTic(int /*nPos*/) {}

void CTrackBar::SetFineSel(double dStart, double dEnd)
{
    m_fineSel = std::pair(dStart, dEnd);
    update();
}

void CTrackBar::SetBackdrop(Backdrop backdrop)
{
    m_backdrop = std::move(backdrop);
    update();
}

void CTrackBar::SetValueScale(CValueScale scale)
{
    m_scale = std::move(scale);
}

double CTrackBar::GetValue() const
{
    const double dValue = value() * m_scale.dPerPosition;
    return m_scale.text ? std::min(dValue, m_scale.dMax) : dValue;
}

QString CTrackBar::GetValueText() const
{
    return m_scale.text ? m_scale.text(GetValue()) : QString::number(value());
}

// Goes through the slider's own setter, so that the change reports as one
// made from outside.
void CTrackBar::SetValueFromTools(double dValue)
{
    if (!(m_scale.dPerPosition > 0) || std::isnan(dValue))
        return;
    const double dPos = std::clamp(std::round(dValue / m_scale.dPerPosition), double(minimum()), double(maximum()));
    setValue(static_cast<int>(dPos));
}

// The time (or position) beside the thumb while it is dragged.
void CTrackBar::ShowDragTip()
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect rcHandle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    QToolTip::showText(mapToGlobal(rcHandle.topRight()), GetValueText(), this);
}

// One step of the position, reported once the value has changed.
void CTrackBar::Step(SliderAction action, ETrackCode code)
{
    AsOwnMove(m_bOwnMove, [&] { triggerAction(action); });
    emit Scrolled(code);
    emit Scrolled(EndTrack);
}

// Up goes towards the start like Left, and Page Up likewise: the slider's own
// keys would move the other way.
void CTrackBar::keyPressEvent(QKeyEvent* pEvent)
{
    switch (pEvent->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        Step(SliderSingleStepSub, LineUp);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        Step(SliderSingleStepAdd, LineDown);
        break;
    case Qt::Key_PageUp:
        Step(SliderPageStepSub, PageUp);
        break;
    case Qt::Key_PageDown:
        Step(SliderPageStepAdd, PageDown);
        break;
    case Qt::Key_Home:
        Step(SliderToMinimum, Top);
        break;
    case Qt::Key_End:
        Step(SliderToMaximum, Bottom);
        break;
    default:
        QSlider::keyPressEvent(pEvent);
        return;
    }
    pEvent->accept();
}

// A press on the thumb starts a drag; a press elsewhere pages once towards it.
void CTrackBar::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton || pEvent->buttons() != Qt::LeftButton || m_bDragging) {
        pEvent->ignore();
        return;
    }
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect rcHandle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const QPoint pt = pEvent->position().toPoint();
    if (rcHandle.contains(pt)) {
        m_bDragging = true;
        const int nBefore = value();
        AsOwnMove(m_bOwnMove, [&] { QSlider::mousePressEvent(pEvent); });
        ShowDragTip();
        if (value() != nBefore)
            emit Scrolled(ThumbTrack);
    } else if (pt.x() < rcHandle.center().x()) {
        Step(SliderPageStepSub, PageUp);
    } else {
        Step(SliderPageStepAdd, PageDown);
    }
    pEvent->accept();
}

void CTrackBar::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (!m_bDragging) {
        pEvent->ignore();
        return;
    }
    AsOwnMove(m_bOwnMove, [&] { QSlider::mouseMoveEvent(pEvent); });
    ShowDragTip();
    emit Scrolled(ThumbTrack);
    pEvent->accept();
}

void CTrackBar::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (!m_bDragging || pEvent->button() != Qt::LeftButton) {
        pEvent->ignore();
        return;
    }
    AsOwnMove(m_bOwnMove, [&] { QSlider::mouseReleaseEvent(pEvent); });
    m_bDragging = false;
    QToolTip::hideText();
    emit Scrolled(ThumbPosition);
    emit Scrolled(EndTrack);
    pEvent->accept();
}

// The wheel does not move the time line: a move the owner never heard of would
// leave it out of step. The parent may scroll instead.
void CTrackBar::wheelEvent(QWheelEvent* pEvent)
{
    pEvent->ignore();
}

// A change not made by the bar itself nor by the owner comes from assistive
// tools setting the value; it is reported as a placed thumb.
void CTrackBar::OnValueChanged()
{
    if (m_bOwnMove)
        return;
    emit Scrolled(ThumbPosition);
    emit Scrolled(EndTrack);
}

// The page step follows the range, a tenth of it, until the owner sets one.
void CTrackBar::sliderChange(SliderChange change)
{
    if (change == SliderStepsChange && !m_bSettingPageStep)
        m_bOwnPageStep = true;
    if (change == SliderRangeChange && !m_bOwnPageStep) {
        m_bSettingPageStep = true;
        setPageStep(std::max(1, (maximum() - minimum()) / 10));
        m_bSettingPageStep = false;
    }
    QSlider::sliderChange(change);
}

// The pixel on the groove under the thumb's centre when it stands at nValue.
int CTrackBar::CenterOf(int nValue, const QRect& rcGroove, const QRect& rcHandle) const
{
    const int nSpan = rcGroove.width() - rcHandle.width();
    return rcGroove.x() + rcHandle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), nValue, std::max(0, nSpan));
}

double CTrackBar::FineCenterOf(double dValue, const QRect& rcGroove, const QRect& rcHandle) const
{
    const double dSpan = std::max(0, rcGroove.width() - rcHandle.width());
    const double dRange = maximum() - minimum();
    const double dShare = dRange > 0 ? std::clamp((dValue - minimum()) / dRange, 0.0, 1.0) : 0.0;
    return rcGroove.x() + rcHandle.width() / 2 + dShare * dSpan;
}

void CTrackBar::paintEvent(QPaintEvent*)
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    QPainter painter(this);
    const QRect rcGroove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect rcHandle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const QRect rcLine(QPoint(CenterOf(minimum(), rcGroove, rcHandle), rect().top() + 1),
                       QPoint(CenterOf(maximum(), rcGroove, rcHandle), rect().bottom() - 1));
    if (m_backdrop) {
        painter.save();
        m_backdrop(painter, rcLine);
        painter.restore();
    }

    // The channel and the ticks, drawn as if the thumb stood at the start:
    // some styles fill the channel up to the thumb, which would read as a
    // selection. Only the selection is highlighted.
    QStyleOptionSlider channel = opt;
    channel.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
    channel.activeSubControls = QStyle::SC_None;
    channel.sliderPosition = channel.sliderValue = minimum();
    style()->drawComplexControl(QStyle::CC_Slider, &channel, &painter, this);

    double dLeft = 0, dRight = 0;
    if (m_fineSel) {
        dLeft = FineCenterOf(std::min(m_fineSel->first, m_fineSel->second), rcGroove, rcHandle);
        dRight = FineCenterOf(std::max(m_fineSel->first, m_fineSel->second), rcGroove, rcHandle);
    } else {
        const int nLow = std::clamp(std::min(m_nSelStart, m_nSelEnd), minimum(), maximum());
        const int nHigh = std::clamp(std::max(m_nSelStart, m_nSelEnd), minimum(), maximum());
        dLeft = CenterOf(nLow, rcGroove, rcHandle);
        dRight = CenterOf(nHigh, rcGroove, rcHandle);
    }
    if (dRight > dLeft) {
        const QColor highlight = palette().color(QPalette::Highlight);
        painter.fillRect(QRectF(QPointF(dLeft, rcGroove.top()), QPointF(dRight + 1, rcGroove.bottom() + 1)), highlight);
        if (m_backdrop) {
            QColor band = highlight;
            band.setAlpha(80);
            painter.fillRect(QRectF(QPointF(dLeft, rcLine.top()), QPointF(dRight, rcLine.bottom() + 1)), band);
        }
    }
    // The thumb, over the highlight.
    opt.subControls = QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &painter, this);
}
