#include "app/Waveform.h"

#include <QPainter>
#include <QPalette>
#include <QRect>
#include <algorithm>
#include <climits>
#include <cmath>

void PaintPeaks(QPainter& painter, const QRect& rc, const std::vector<SPeak>& peaks, const QPalette& palette)
{
    if (rc.width() <= 0 || rc.height() <= 0)
        return;
    const double dMiddle = rc.top() + rc.height() / 2.0;
    const double dHalf = rc.height() / 2.0;
    QColor band = palette.color(QPalette::Mid);
    band.setAlpha(70);
    // The sound in the text's colour, softened a third towards the window's.
    const QColor text = palette.color(QPalette::WindowText), window = palette.color(QPalette::Window);
    const QColor wave((text.red() * 2 + window.red()) / 3, (text.green() * 2 + window.green()) / 3,
                      (text.blue() * 2 + window.blue()) / 3);
    const int nColumns = std::min<int>(rc.width(), static_cast<int>(std::min<size_t>(peaks.size(), INT_MAX)));
    // The unknown columns at once: a band over the middle third.
    for (int x = 0; x < rc.width();) {
        int nEnd = x;
        while (nEnd < rc.width() && (nEnd >= nColumns || !peaks[size_t(nEnd)].bKnown))
            ++nEnd;
        if (nEnd > x)
            painter.fillRect(QRectF(rc.left() + x, dMiddle - dHalf / 3, nEnd - x, 2 * dHalf / 3), band);
        x = nEnd + 1;
    }
    painter.setPen(QPen(wave, 1));
    for (int x = 0; x < nColumns; ++x) {
        const SPeak& peak = peaks[size_t(x)];
        if (!peak.bKnown)
            continue;
        // Samples are scaled to -1..1; a flat stretch still shows one pixel.
        const double dLow = std::clamp(double(std::min(peak.fMin, peak.fMax)), -1.0, 1.0);
        const double dHigh = std::clamp(double(std::max(peak.fMin, peak.fMax)), -1.0, 1.0);
        const int nTop = static_cast<int>(std::floor(dMiddle - dHigh * dHalf));
        const int nBottom = std::max(nTop, static_cast<int>(std::ceil(dMiddle - dLow * dHalf)) - 1);
        painter.drawLine(rc.left() + x, nTop, rc.left() + x, nBottom);
    }
}
