#include "platform/QtMessageBoxes.h"
#include "platform/QtWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct SSeen {
    QString strTitle, strText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* pParent = nullptr;
    int nButtons = 0;
};

// Closes the next message box with the given button, noting what it showed.
void AnswerNextBox(QMessageBox::StandardButton button, SSeen& seen)
{
    QTimer::singleShot(0, [button, &seen] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(pBox, nullptr);
        seen = {pBox->windowTitle(), pBox->text(), pBox->icon(), pBox->parentWidget(),
                static_cast<int>(pBox->buttons().size())};
        pBox->button(button)->click();
    });
}

} // namespace

TEST(QtMessageBoxes, AskAndAnswer)
{
    QWidget owner;
    CQtWnd wnd(&owner);
    CQtMessageBoxes boxes;
    SSeen seen;

    AnswerNextBox(QMessageBox::Yes, seen);
    EXPECT_EQ(boxes.MessageBox(&wnd, "Keep it?", "Confirm", EMsgIcon::Question, EMsgButtons::YesNo),
              EMsgAnswer::Yes);
    EXPECT_EQ(seen.strTitle, QStringLiteral("Confirm"));
    EXPECT_EQ(seen.strText, QStringLiteral("Keep it?"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.pParent, &owner);
    EXPECT_EQ(seen.nButtons, 2);

    AnswerNextBox(QMessageBox::No, seen);
    EXPECT_EQ(boxes.MessageBox(nullptr, "Again?", "Confirm", EMsgIcon::Question, EMsgButtons::YesNo),
              EMsgAnswer::No);
    EXPECT_EQ(seen.pParent, nullptr);

    AnswerNextBox(QMessageBox::Ok, seen);
    EXPECT_EQ(boxes.MessageBox(&wnd, "Cannot open audio file.", "Error", EMsgIcon::Stop, EMsgButtons::Ok),
              EMsgAnswer::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.nButtons, 1);
}
