#pragma once

#include "platform/Window.h"

class QWidget;

// A Qt widget seen as an owner window by the model.
class CQtWnd : public CWnd {
public:
    explicit CQtWnd(QWidget* pWidget) : m_pWidget(pWidget) {}
    QWidget* GetWidget() const { return m_pWidget; }

    // The widget behind an owner handle, or null.
    static QWidget* WidgetOf(CWnd* pWnd)
    {
        auto* pQt = dynamic_cast<CQtWnd*>(pWnd);
        return pQt ? pQt->GetWidget() : nullptr;
    }

private:
    QWidget* m_pWidget;
};
