#pragma once

#include <QWidget>

// The control of a window with the given id (its "controlId" property), as T;
// null when there is none or it is not a T.
template <typename T = QWidget>
T* ByControlId(QWidget& root, int nId)
{
    for (QWidget* pChild : root.findChildren<QWidget*>())
        if (pChild->property("controlId").toInt() == nId)
            return qobject_cast<T*>(pChild);
    return nullptr;
}
