#include "platform/MessageBox.h"
#include "platform/ui/QtSettings.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/OverlapDlg.h"
#include "support/TempDir.h"
#include "support/UiControls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <optional>
#include <tuple>

namespace {

const std::string kName = "Overlap time";

QString QPath(const std::string& strPath) { return QString::fromStdString(strPath); }
struct CRecordingBoxes : IMessageBoxes {
    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons) override
    {
        shown.emplace_back(strCaption + ": " + strText, icon, CQtWnd::WidgetOf(pOwner));
        return EMsgAnswer::Ok;
    }
    std::vector<std::tuple<std::string, EMsgIcon, QWidget*>> shown;
};

// Works a shown dialog: u/d the arrows, s the check box, <text> typed over the field, o/c OK or Cancel.
struct CShownDlg {
    CShownDlg(ISettings& settings, IMessageBoxes& boxes, uint32_t nStart)
        : dlg(nStart, true, settings, boxes, nullptr), pEdit(ByControlId<QLineEdit>(dlg, 1034)),
          pArrows(ByControlId<QScrollBar>(dlg, 1033)), pSave(ByControlId<QCheckBox>(dlg, 1042))
    {
        dlg.show();
    }
    void Key(int nKey, const QString& strText = {})
    {
        QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier, strText);
        QCoreApplication::sendEvent(pEdit, &press);
    }
    void Run(const std::string& strScript)
    {
        for (size_t i = 0; i < strScript.size(); ++i) {
            switch (strScript[i]) {
            case 'u': pArrows->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
            case 'd': pArrows->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
            case 's': pSave->click(); break;
            case 'o': ByControlId<QPushButton>(dlg, 1)->click(); break;
            case 'c': ByControlId<QPushButton>(dlg, 2)->click(); break;
            case '<':
                pEdit->selectAll();
                Key(Qt::Key_Backspace);
                for (; strScript[++i] != '>';)
                    Key(QChar::fromLatin1(strScript[i]).unicode(), QString(QChar::fromLatin1(strScript[i])));
                break;
            }
        }
    }

    COverlapDlg dlg;
    QLineEdit* pEdit;
    QScrollBar* pArrows;
    QCheckBox* pSave;
};

} // namespace

TEST(OverlapQtSettings, ValuesRoundTripOrTheFailureIsReported)
{
    CTempDir dir;
    const QString strPath = QPath(dir / "a/b/Tolvane.conf");
    EXPECT_EQ(CQtSettings(strPath).GetUInt32(kName), std::nullopt);
    EXPECT_EQ(CQtSettings(strPath).SetUInt32(kName, 4294967295u), ESettingsWrite::Ok);
    EXPECT_EQ(CQtSettings(strPath).GetUInt32(kName), 4294967295u);
    WriteBytes(dir / "plain", {'x'});
    EXPECT_EQ(CQtSettings(QPath(dir / "plain/Tolvane/Tolvane.conf")).SetUInt32(kName, 5),
              ESettingsWrite::StoreUnavailable);
    EXPECT_EQ(ReadBytes(dir / "plain"), Bytes{'x'});
}

TEST(OverlapDlg, LeavesTheTimeAndStoresItOnlyWithTheBoxAndOk)
{
    struct { uint32_t nStart; std::string strScript, strField; uint32_t nOverlap; std::optional<uint32_t> stored; }
    const cases[] = {
        {10, "uudu<500>c", "500", 12}, {298, "uuuuu", "300", 300},  {2, "ddddd", "0", 0},
        {10, "<500>u<7>d", "10", 10},  {10, "sudd", "10", 10},     {10, "<500>o", "500", 500},
        {10, "<500>so", "500", 500, 500}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strScript);
        CTempDir dir;
        CQtSettings settings(QPath(dir / "conf/Tolvane.conf"));
        CRecordingBoxes boxes;
        CShownDlg shown(settings, boxes, c.nStart);
        shown.Run(c.strScript);
        EXPECT_EQ(shown.pEdit->text(), QString::fromStdString(c.strField));
        EXPECT_EQ(shown.dlg.GetOverlap(), c.nOverlap);
        EXPECT_EQ(shown.pEdit->isEnabled(), !shown.pSave->isChecked());
        EXPECT_EQ(CQtSettings(QPath(dir / "conf/Tolvane.conf")).GetUInt32(kName), c.stored);
        EXPECT_TRUE(boxes.shown.empty());
    }
}

TEST(OverlapDlg, FailedSaveIsShownOverTheDialogWhichStillEndsWithOk)
{
    CTempDir dir;
    WriteBytes(dir / "plain", {'x'});
    CQtSettings settings(QPath(dir / "plain/Tolvane/Tolvane.conf"));
    CRecordingBoxes boxes;
    CShownDlg shown(settings, boxes, 10);
    shown.Run("<500>so");
    EXPECT_EQ(shown.dlg.result(), QDialog::Accepted);
    EXPECT_EQ(shown.dlg.GetOverlap(), 500u);
    EXPECT_EQ(boxes.shown, (std::vector<std::tuple<std::string, EMsgIcon, QWidget*>>{
                               {"Error: Unable to save overlap time.", EMsgIcon::Exclamation, &shown.dlg}}));
}
