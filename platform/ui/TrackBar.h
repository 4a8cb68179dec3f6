#pragma once

#include <QSlider>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class QPainter;

// The main window's time line: a horizontal slider with a tick at every
// position and a highlighted selection range. The owner drives it with the
// Set/Get operations, which report nothing; it hears the user's moves through
// Scrolled, emitted once the position has changed.
class CTrackBar : public QSlider {
    Q_OBJECT
public:
    // How the user moved the time line, as reported by CTrackBar::Scrolled. Every
    // user move reports its own code and then EndTrack; a drag reports ThumbTrack
    // while it goes on, then ThumbPosition and EndTrack when the button comes up.
    enum ETrackCode : int {
        LineUp = 0,        // Left or Up: one position towards the start
        LineDown = 1,      // Right or Down: one position towards the end
        PageUp = 2,        // Page Up, or a click on the channel before the thumb
        PageDown = 3,      // Page Down, or a click on the channel after the thumb
        ThumbPosition = 4, // the thumb let go after a drag, or a position set by assistive tools
        ThumbTrack = 5,    // the thumb dragged
        Top = 6,           // Home
        Bottom = 7,        // End
        EndTrack = 8,      // the end of any of the above
    };

    explicit CTrackBar(QWidget* pParent = nullptr);

    void SetRange(int nMin, int nMax);
    void SetRangeMin(int nMin);
    void SetRangeMax(int nMax);
    int GetRangeMin() const { return minimum(); }
    int GetRangeMax() const { return maximum(); }

    void SetPos(int nPos);
    int GetPos() const { return value(); }

    // The selection ends are kept as given, in any order; the stretch between
    // the lower and the higher one is highlighted.
    void SetSelStart(int nStart);
    void SetSelEnd(int nEnd);
    int GetSelStart() const { return m_nSelStart; }
    int GetSelEnd() const { return m_nSelEnd; }
    void ClearSel();

    // Every position already has a tick, so a further one changes nothing.
    void SetTic(int nPos);

    // A selection whose ends need not be whole positions (a cut between two
    // ticks), highlighted instead of the one above until ClearSel.
    void SetFineSel(double dStart, double dEnd);

    // What is painted behind the channel, the highlight and the thumb: rcLine
    // runs from the thumb's centre at the first position to its centre at the
    // last, as high as the bar. The highlight is then drawn over it, see-through.
    using Backdrop = std::function<void(QPainter& painter, const QRect& rcLine)>;
    void SetBackdrop(Backdrop backdrop);

    // What a position stands for (seconds, say) and how such a value reads:
    // assistive tools are given the value and its text, and a tool tip shows
    // the text while the thumb is dragged. Without it, they say the position.
    struct CValueScale {
        double dPerPosition = 1.0;
        double dMax = 0.0; // the value of the last position is held here
        std::function<QString(double dValue)> text;
    };
    void SetValueScale(CValueScale scale);
    double GetValue() const;
    QString GetValueText() const;
    // The position nearest a value, as assistive tools set it: reported as a
    // placed thumb.
    void SetValueFromTools(double dValue);
    const CValueScale& GetValueScale() const { return m_scale; }

signals:
    void Scrolled(int nCode);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void sliderChange(SliderChange change) override;

private:
    void Step(SliderAction action, ETrackCode code);
    void OnValueChanged();
    int CenterOf(int nValue, const QRect& rcGroove, const QRect& rcHandle) const;
    double FineCenterOf(double dValue, const QRect& rcGroove, const QRect& rcHandle) const;
    void ShowDragTip();

    int m_nSelStart = 0;
    int m_nSelEnd = 0;
    // Set while the bar itself moves the position: such a change is reported
    // by the handler that caused it, or not at all.
    bool m_bOwnMove = false;
    bool m_bOwnPageStep = false; // the owner chose the page step
    bool m_bSettingPageStep = false;
    bool m_bDragging = false;
    std::optional<std::pair<double, double>> m_fineSel;
    Backdrop m_backdrop;
    CValueScale m_scale;
};
