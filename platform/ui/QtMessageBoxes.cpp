#include "platform/ui/QtMessageBoxes.h"

#include "platform/ui/QtWindow.h"

#include <QMessageBox>

EMsgAnswer CQtMessageBoxes::MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption,
                                       EMsgIcon icon, EMsgButtons buttons)
{
    QMessageBox box(CQtWnd::WidgetOf(pOwner));
    box.setWindowTitle(QString::fromStdString(strCaption));
    box.setText(QString::fromStdString(strText));
    switch (icon) {
    case EMsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case EMsgIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case EMsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case EMsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case EMsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (buttons == EMsgButtons::YesNo)
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    else
        box.setStandardButtons(QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return EMsgAnswer::Yes;
    case QMessageBox::No:
        return EMsgAnswer::No;
    case QMessageBox::Ok:
        return EMsgAnswer::Ok;
    default:
        return buttons == EMsgButtons::YesNo ? EMsgAnswer::No : EMsgAnswer::Cancel;
    }
}
