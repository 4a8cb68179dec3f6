#include "platform/ui/KeyFilter.h"
#include "platform/ui/QtSettings.h"
#include "split/ui/OverlapDlg.h"
#include "support/TempDir.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct CNoBoxes : IMessageBoxes {
    EMsgAnswer MessageBox(CWnd*, const std::string&, const std::string&, EMsgIcon, EMsgButtons) override
    {
        return EMsgAnswer::Ok;
    }
};

class KeyFilter : public ::testing::TestWithParam<Qt::Key> {};

// The program's own dialogs stay open whatever Enter or Escape would do;
// a message box still answers to them.
TEST_P(KeyFilter, OwnDialogsIgnoreTheKeyMessageBoxesKeepIt)
{
    CTempDir dir;
    CQtSettings settings(QString::fromStdString(dir.Path() + "/Tolvane.conf"));
    CNoBoxes boxes;
    COverlapDlg dlg(5, true, settings, boxes, nullptr);
    dlg.show();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dlg, GetParam());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);

    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    box.show();
    QTest::keyClick(&box, GetParam());
    EXPECT_FALSE(box.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyFilter, ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape));

} // namespace
