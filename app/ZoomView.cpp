#include "app/ZoomView.h"

#include "app/Waveform.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

CZoomView::CZoomView(QWidget* pParent) : QWidget(pParent)
{
    setAccessibleName(QStringLiteral("Sound around the mark"));
    setToolTip(QStringLiteral("Click or drag to put the mark being placed on this sample"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::IBeamCursor);
}

QSize CZoomView::sizeHint() const
{
    return {fontMetrics().averageCharWidth() * 40, fontMetrics().height() * 4};
}

void CZoomView::SetStretch(uint64_t nFrom, uint64_t nTo, std::vector<SPeak> peaks)
{
    m_nFrom = nFrom;
    m_nTo = std::max(nFrom, nTo);
    m_peaks = std::move(peaks);
    update();
}

void CZoomView::SetMarks(std::optional<CMarks> marks)
{
    m_marks = marks;
    update();
}

void CZoomView::SetThumb(uint64_t nFrame)
{
    m_nThumb = nFrame;
    update();
}

uint64_t CZoomView::FrameAt(int x) const
{
    if (width() <= 0 || m_nTo <= m_nFrom)
        return m_nFrom;
    const double dShare = std::clamp(double(x) / width(), 0.0, 1.0);
    return m_nFrom + static_cast<uint64_t>(std::llround(dShare * double(m_nTo - m_nFrom)));
}

double CZoomView::XOf(uint64_t nFrame) const
{
    if (m_nTo <= m_nFrom)
        return 0;
    return (double(nFrame) - double(m_nFrom)) / double(m_nTo - m_nFrom) * width();
}

void CZoomView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    PaintPeaks(painter, rect(), m_peaks, palette());
    const auto visible = [&](uint64_t nFrame) { return nFrame >= m_nFrom && nFrame <= m_nTo; };
    if (m_marks) {
        QColor band = palette().color(QPalette::Highlight);
        band.setAlpha(80);
        const double dLeft = std::clamp(XOf(std::min(m_marks->nFrom, m_marks->nTo)), 0.0, double(width()));
        const double dRight = std::clamp(XOf(std::max(m_marks->nFrom, m_marks->nTo)), 0.0, double(width()));
        painter.fillRect(QRectF(dLeft, 0, dRight - dLeft, height()), band);
        for (const bool bFrom : {false, true}) {
            const uint64_t nMark = bFrom ? m_marks->nFrom : m_marks->nTo;
            if (!visible(nMark))
                continue;
            painter.setPen(QPen(palette().color(QPalette::Highlight), bFrom == m_marks->bPlacingFrom ? 3 : 1));
            painter.drawLine(QPointF(XOf(nMark), 0), QPointF(XOf(nMark), height()));
        }
    }
    if (visible(m_nThumb)) {
        painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
        painter.drawLine(QPointF(XOf(m_nThumb), 0), QPointF(XOf(m_nThumb), height()));
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CZoomView::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() != Qt::LeftButton) {
        pEvent->ignore();
        return;
    }
    m_bPicking = true;
    emit Picked(FrameAt(pEvent->position().toPoint().x()));
    pEvent->accept();
}

void CZoomView::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (!m_bPicking) {
        pEvent->ignore();
        return;
    }
    emit Picked(FrameAt(pEvent->position().toPoint().x()));
    pEvent->accept();
}

void CZoomView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (!m_bPicking || pEvent->button() != Qt::LeftButton) {
        pEvent->ignore();
        return;
    }
    m_bPicking = false;
    emit Picked(FrameAt(pEvent->position().toPoint().x()));
    pEvent->accept();
}
