#pragma once

#include <QObject>

class QWidget;

// Return, Enter and Escape do nothing in the program's own windows: the main
// window and the dialogs it runs close only through their buttons and close
// box, never by a stray key. Message boxes and file dialogs keep the keys.
//
// One filter is installed on the application; each window that wants the rule
// marks itself with SwallowEnterAndEscape. Everything else (message boxes,
// file dialogs, popups) is left alone.
class CKeyFilter : public QObject {
    Q_OBJECT
public:
    // Installs the one filter on the running application (once).
    static void Install();
    // Marks a top-level window as one of the program's own.
    static void SwallowEnterAndEscape(QWidget* pWindow);
    // Lets Return and Enter reach one control of such a window (a field that
    // takes what was typed on Return); it must use them up itself.
    static void LetEnterThrough(QWidget* pControl);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    using QObject::QObject;
};
