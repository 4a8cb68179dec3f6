#pragma once

// A window as the model sees it: only something to own message boxes and the
// progress window. The user-interface layer derives its own handle from it; the
// model never looks inside. A null pointer means "no owner".
class CWnd {
public:
    virtual ~CWnd() = default;
};
