#include "platform/ui/KeyFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

constexpr const char* kSwallowProperty = "swallowsEnterAndEscape";
constexpr const char* kTakesEnterProperty = "takesEnter";

bool IsEnterOrEscape(const QEvent* pEvent, const QObject* pWatched)
{
    if (pEvent->type() != QEvent::KeyPress && pEvent->type() != QEvent::ShortcutOverride)
        return false;
    const int nKey = static_cast<const QKeyEvent*>(pEvent)->key();
    if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter)
        return !pWatched->property(kTakesEnterProperty).toBool();
    return nKey == Qt::Key_Escape;
}

} // namespace

void CKeyFilter::Install()
{
    auto* pApp = QCoreApplication::instance();
    if (!pApp || pApp->findChild<CKeyFilter*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    pApp->installEventFilter(new CKeyFilter(pApp));
}

void CKeyFilter::SwallowEnterAndEscape(QWidget* pWindow)
{
    pWindow->setProperty(kSwallowProperty, true);
}

void CKeyFilter::LetEnterThrough(QWidget* pControl)
{
    pControl->setProperty(kTakesEnterProperty, true);
}

// Key presses go to the focus widget first; the window it sits in decides.
// The shortcut pass is swallowed too, so that no button's shortcut fires.
bool CKeyFilter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched->isWidgetType() && IsEnterOrEscape(pEvent, pWatched)) {
        const QWidget* pWindow = static_cast<QWidget*>(pWatched)->window();
        if (pWindow && pWindow->property(kSwallowProperty).toBool()) {
            pEvent->accept();
            return true;
        }
    }
    return QObject::eventFilter(pWatched, pEvent);
}
