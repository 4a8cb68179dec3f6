#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <map>
#include <string>
#include <utility>
#include <vector>

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

// The texts of labels or fields, in the order of the ids.
inline std::vector<std::string> Texts(QWidget& root, std::vector<int> ids)
{
    std::vector<std::string> texts;
    for (int nId : ids) {
        QWidget* pControl = ByControlId(root, nId);
        texts.push_back(pControl ? pControl->property("text").toString().toStdString() : "");
    }
    return texts;
}

// What each letter of a script works: a control's id, and for arrows the step.
using ScriptLetters = std::map<char, std::pair<int, int>>;

// Works a dialog as a user would: a button letter clicks, an arrow letter
// steps, and "<text>" or "[text]" types over the field its bracket names.
inline void RunScript(QWidget& dlg, const std::string& strScript, const ScriptLetters& letters)
{
    for (size_t i = 0; i < strScript.size(); ++i) {
        const auto [nId, nStep] = letters.at(strScript[i]);
        if (auto* pEdit = ByControlId<QLineEdit>(dlg, nId)) {
            const size_t nEnd = strScript.find(strScript[i] == '<' ? '>' : ']', i);
            pEdit->selectAll();
            QTest::keyClick(pEdit, Qt::Key_Backspace);
            QTest::keyClicks(pEdit, QString::fromStdString(strScript.substr(i + 1, nEnd - i - 1)));
            i = nEnd;
        } else if (auto* pArrows = ByControlId<QScrollBar>(dlg, nId)) {
            pArrows->triggerAction(nStep < 0 ? QAbstractSlider::SliderSingleStepSub
                                             : QAbstractSlider::SliderSingleStepAdd);
        } else {
            ByControlId<QAbstractButton>(dlg, nId)->click();
        }
    }
}
