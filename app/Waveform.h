#pragma once

#include "audio/SoundAnalysis.h"

#include <vector>

class QPainter;
class QPalette;
class QRect;

// Draws one column of peaks a pixel wide from rc's left edge, each from its
// lowest to its highest sample around rc's middle line (full scale reaches
// rc's top and bottom). A column the analysis has not reached yet, or past
// the peaks given, is drawn as a plain band, so that the picture's place is
// seen before its shape is known.
void PaintPeaks(QPainter& painter, const QRect& rc, const std::vector<SPeak>& peaks, const QPalette& palette);
