#pragma once

#include "platform/MessageBox.h"

// Message boxes as Qt dialogs, owned by the owner's widget when there is one.
class CQtMessageBoxes : public IMessageBoxes {
public:
    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons buttons) override;
};
