#include "platform/ui/ArrowField.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScrollBar>

namespace {

constexpr int kArrowRest = 1;

} // namespace

CArrowField::CArrowField(QLineEdit* pEdit, QScrollBar* pArrows, int nDigits, std::function<void(int)> onScroll)
    : QObject(pEdit), m_pEdit(pEdit), m_pArrows(pArrows), m_onScroll(std::move(onScroll))
{
    pEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), pEdit));
    const QFontMetrics metrics = pEdit->fontMetrics();
    pEdit->setFixedWidth(metrics.horizontalAdvance(QString(nDigits, QLatin1Char('0'))) + pEdit->textMargins().left() +
                         pEdit->textMargins().right() + 2 * metrics.averageCharWidth());
    pEdit->installEventFilter(this);

    pArrows->setRange(kArrowRest - 1, kArrowRest + 1);
    pArrows->setSingleStep(1);
    pArrows->setPageStep(1);
    pArrows->setValue(kArrowRest);
    pArrows->setFixedHeight(pEdit->sizeHint().height());
    connect(pArrows, &QAbstractSlider::actionTriggered, this, &CArrowField::OnAction);
}

bool CArrowField::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pEdit && pEvent->type() == QEvent::KeyPress) {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        if (nKey == Qt::Key_Up || nKey == Qt::Key_Down) {
            m_pArrows->triggerAction(nKey == Qt::Key_Up ? QAbstractSlider::SliderSingleStepSub
                                                        : QAbstractSlider::SliderSingleStepAdd);
            return true;
        }
    }
    return QObject::eventFilter(pWatched, pEvent);
}

// A vertical bar's upper arrow subtracts a single step, its lower arrow adds one.
void CArrowField::OnAction(int nAction)
{
    m_pArrows->setSliderPosition(kArrowRest);
    const int nStep = nAction == QAbstractSlider::SliderSingleStepSub   ? 1
                      : nAction == QAbstractSlider::SliderSingleStepAdd ? -1
                                                                        : 0;
    m_onScroll(nStep);
}
