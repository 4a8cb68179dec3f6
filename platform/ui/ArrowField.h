#pragma once

#include <QObject>
#include <functional>

class QLineEdit;
class QScrollBar;

// A number field with a plain vertical scroll bar beside it whose two arrows
// step the number. The bar keeps resting in the middle of its range, so that
// both arrows always have somewhere to go; Up and Down pressed in the field
// work the arrows, for those who use the keyboard. The field is given room for
// nDigits digits and takes digits only.
//
// onScroll gets +1 for the upper arrow, -1 for the lower one and 0 for any
// other scroll action (a click in the bar's trough).
class CArrowField : public QObject {
    Q_OBJECT
public:
    CArrowField(QLineEdit* pEdit, QScrollBar* pArrows, int nDigits, std::function<void(int nStep)> onScroll);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void OnAction(int nAction);

    QLineEdit* m_pEdit;
    QScrollBar* m_pArrows;
    std::function<void(int)> m_onScroll;
};
