#include "app/AboutDlg.h"
#include "platform/ui/KeyFilter.h"
#include "platform/ui/QtSettings.h"
#include "split/ui/OverlapDlg.h"
#include "support/TempDir.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
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

namespace {

TEST(AboutDlg, OnlyOkClosesItAltOIncluded)
{
    CAboutDlg about(nullptr);
    about.show();
    QApplication::setActiveWindow(&about);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(&about, key);
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("versionLabel"))->text().startsWith(QStringLiteral("Tolvane Version ")));
    QTest::keyClick(&about, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !about.isVisible(); }));
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

} // namespace
