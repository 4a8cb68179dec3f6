#pragma once

#include "audio/SoundAnalysis.h"

#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

// A few seconds of the sound around a mark, drawn to the sample: the peaks
// of the stretch it shows, the selection between the marks and a line at
// each mark, the one being placed drawn bold. A press or a drag picks the
// sample under the pointer (Picked); while the button is down the view keeps
// its stretch, so that the mark moves and the picture stays.
class CZoomView : public QWidget {
    Q_OBJECT
public:
    explicit CZoomView(QWidget* pParent = nullptr);

    // The frames [nFrom, nTo) the view spans and their peaks, one a pixel.
    void SetStretch(uint64_t nFrom, uint64_t nTo, std::vector<SPeak> peaks);
    uint64_t GetFrom() const { return m_nFrom; }
    uint64_t GetTo() const { return m_nTo; }
    size_t GetColumns() const { return m_peaks.size(); }
    // The marks, and which one is being placed; none when nothing is marked.
    struct CMarks {
        uint64_t nFrom = 0;
        uint64_t nTo = 0;
        bool bPlacingFrom = false;
    };
    void SetMarks(std::optional<CMarks> marks);
    // Where the thumb stands, drawn as a thin line when it falls in the view.
    void SetThumb(uint64_t nFrame);
    bool IsPicking() const { return m_bPicking; }
    // The frame under a pixel column of the view.
    uint64_t FrameAt(int x) const;

    QSize sizeHint() const override;

signals:
    void Picked(uint64_t nFrame);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    double XOf(uint64_t nFrame) const;

    uint64_t m_nFrom = 0;
    uint64_t m_nTo = 0;
    uint64_t m_nThumb = 0;
    std::vector<SPeak> m_peaks;
    std::optional<CMarks> m_marks;
    bool m_bPicking = false;
};
