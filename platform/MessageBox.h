#pragma once

#include <string>

class CWnd;

enum class EMsgIcon { None, Stop, Question, Exclamation, Information };
enum class EMsgButtons { Ok, YesNo };
enum class EMsgAnswer { Ok, Cancel, Yes, No };

// Shows a modal message box and returns the button that closed it.
class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    virtual EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption,
                                  EMsgIcon icon, EMsgButtons buttons) = 0;
};
