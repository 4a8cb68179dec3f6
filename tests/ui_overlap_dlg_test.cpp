#include "platform/MessageBox.h"
#include "platform/ui/QtSettings.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/OverlapDlg.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <tuple>

namespace {

const std::string kName = "Overlap time";

QString QPath(const std::string& strPath)
{
    return QString::fromStdString(strPath);
}

template <typename T>
T* ByControlId(QWidget& root, int nId)
{
    for (QWidget* w : root.findChildren<QWidget*>())
        if (w->property("controlId").toInt() == nId)
            return qobject_cast<T*>(w);
    return nullptr;
}

// Message boxes that record what they showed: "caption: text", the icon and the owning widget.
struct CRecordingBoxes : IMessageBoxes {
    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons) override
    {
        shown.emplace_back(strCaption + ": " + strText, icon, CQtWnd::WidgetOf(pOwner));
        return EMsgAnswer::Ok;
    }
    std::vector<std::tuple<std::string, EMsgIcon, QWidget*>> shown;
};

// The dialog, shown, with its controls at hand.
struct CShownDlg {
    CShownDlg(ISettings& settings, IMessageBoxes& boxes, uint32_t nStart)
        : dlg(nStart, true, settings, boxes, nullptr), pEdit(ByControlId<QLineEdit>(dlg, 1034)),
          pArrows(ByControlId<QScrollBar>(dlg, 1033)), pSave(ByControlId<QCheckBox>(dlg, 1042)),
          pOk(ByControlId<QPushButton>(dlg, 1)), pCancel(ByControlId<QPushButton>(dlg, 2))
    {
        dlg.show();
    }
    void Key(int nKey, const QString& strText = {})
    {
        QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier, strText);
        QCoreApplication::sendEvent(pEdit, &press);
    }
    // Works the dialog: u/d the arrows, U/D the keys in the field, s the check box, <text> typed over
    // the field, then o, c or x for OK, Cancel or the close box.
    void Run(const std::string& strScript)
    {
        for (size_t i = 0; i < strScript.size(); ++i) {
            switch (strScript[i]) {
            case 'u': pArrows->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
            case 'd': pArrows->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
            case 'U': Key(Qt::Key_Up); break;
            case 'D': Key(Qt::Key_Down); break;
            case 's': pSave->click(); break;
            case 'o': pOk->click(); break;
            case 'c': pCancel->click(); break;
            case 'x': dlg.close(); break;
            case '<':
                pEdit->selectAll();
                Key(Qt::Key_Backspace);
                for (; strScript[++i] != '>';)
                    Key(QChar::fromLatin1(strScript[i]).toUpper().unicode(), QString(QChar::fromLatin1(strScript[i])));
                break;
            }
        }
    }

    COverlapDlg dlg;
    QLineEdit* pEdit;
    QScrollBar* pArrows;
    QCheckBox* pSave;
    QPushButton* pOk;
    QPushButton* pCancel;
};

struct SScript {
    const char* name;
    uint32_t nStart;
    std::string strScript, strField;
    uint32_t nOverlap;
    std::optional<uint32_t> stored;
};

class OverlapDlgScript : public ::testing::TestWithParam<SScript> {};

} // namespace

TEST(OverlapQtSettings, ValuesRoundTripThroughTheFile)
{
    CTempDir dir;
    const QString strPath = QPath(dir / "a/b/Tolvane.conf");
    EXPECT_EQ(CQtSettings(strPath).GetUInt32(kName), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(strPath)); // reading makes nothing
    for (const uint32_t nValue : {125u, 4294967295u}) {
        EXPECT_EQ(CQtSettings(strPath).SetUInt32(kName, nValue), ESettingsWrite::Ok);
        EXPECT_EQ(CQtSettings(strPath).GetUInt32(kName), nValue);
    }
    EXPECT_EQ(CQtSettings(strPath).GetUInt32("Other"), std::nullopt);
    for (const char* pStored : {"abc", "-1", "4294967296", "", "12 ", "1.5"}) {
        QSettings(strPath, QSettings::IniFormat).setValue(QString::fromStdString(kName), QString::fromLatin1(pStored));
        EXPECT_EQ(CQtSettings(strPath).GetUInt32(kName), std::nullopt) << pStored;
    }
    EXPECT_EQ(CQtSettings().GetPath(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                           QStringLiteral("/Tolvane/Tolvane.conf"));
}

TEST(OverlapQtSettings, StoreThatCannotBeMadeIsReported)
{
    CTempDir dir;
    WriteBytes(dir / "plain", {'x'});
    std::filesystem::create_directories(dir / "folder/Tolvane.conf");
    for (const std::string& strPath : {dir / "plain/Tolvane/Tolvane.conf", dir / "folder/Tolvane.conf"})
        EXPECT_EQ(CQtSettings(QPath(strPath)).SetUInt32(kName, 5), ESettingsWrite::StoreUnavailable) << strPath;
    EXPECT_EQ(ReadBytes(dir / "plain"), Bytes{'x'});
}

TEST(OverlapDlg, StartsFromTheStoredOrTheGivenTimeAndTabsThroughItsControls)
{
    CTempDir dir;
    CQtSettings settings(QPath(dir / "Tolvane.conf")), missing(QPath(dir / "none/Tolvane.conf"));
    ASSERT_EQ(settings.SetUInt32(kName, 33), ESettingsWrite::Ok);
    CRecordingBoxes boxes;
    EXPECT_EQ(COverlapDlg(settings, boxes, nullptr).GetOverlap(), 33u);
    EXPECT_EQ(COverlapDlg(missing, boxes, nullptr).GetOverlap(), 0u);
    for (const auto& [nGiven, bUse, nExpected] : {std::tuple{7u, true, 7u}, std::tuple{7u, false, 33u}, std::tuple{0u, true, 0u}}) {
        COverlapDlg dlg(nGiven, bUse, settings, boxes, nullptr);
        dlg.show();
        EXPECT_EQ(ByControlId<QLineEdit>(dlg, 1034)->text(), QString::number(nExpected));
    }
    CShownDlg shown(settings, boxes, 10);
    QList<QWidget*> chain;
    QWidget* w = shown.pEdit;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled())
            chain << w;
        w = w->nextInFocusChain();
    } while (w != shown.pEdit && chain.size() < 20);
    EXPECT_EQ(chain, (QList<QWidget*>{shown.pEdit, shown.pSave, shown.pOk, shown.pCancel}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_P(OverlapDlgScript, LeavesTheTimeAndStoresItOnlyWithTheBoxAndOk)
{
    const SScript& c = GetParam();
    CTempDir dir;
    CQtSettings settings(QPath(dir / "conf/Tolvane.conf"));
    CRecordingBoxes boxes;
    CShownDlg shown(settings, boxes, c.nStart);
    const int nRest = shown.pArrows->value();
    shown.Run(c.strScript);
    EXPECT_EQ(shown.pEdit->text(), QString::fromStdString(c.strField));
    EXPECT_EQ(shown.dlg.GetOverlap(), c.nOverlap);
    EXPECT_EQ(shown.pEdit->isEnabled(), !shown.pSave->isChecked());
    const char cEnd = c.strScript.back();
    EXPECT_EQ(shown.dlg.isVisible(), !std::strchr("ocx", cEnd));
    if (std::strchr("ocx", cEnd)) {
        EXPECT_EQ(shown.dlg.result(), cEnd == 'o' ? QDialog::Accepted : QDialog::Rejected);
    }
    // The bar itself never moves, so both arrows keep working.
    EXPECT_EQ(shown.pArrows->value(), nRest);
    EXPECT_TRUE(nRest > shown.pArrows->minimum() && nRest < shown.pArrows->maximum());
    EXPECT_EQ(CQtSettings(QPath(dir / "conf/Tolvane.conf")).GetUInt32(kName), c.stored);
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, OverlapDlgScript,
    ::testing::Values(SScript{"CancelKeepsArrowSteps", 10, "uudu<500>c", "500", 12},
                      SScript{"CloseBoxKeepsArrowSteps", 10, "uudux", "12", 12},
                      SScript{"UpStopsAt300", 298, "uuuuu", "300", 300},
                      SScript{"DownStopsAt0", 2, "ddddd", "0", 0}, SScript{"UpAbove300Stays", 500, "u", "500", 500},
                      SScript{"DownAbove300Steps", 500, "d", "499", 499},
                      SScript{"KeysWorkTheArrows", 10, "UUD", "11", 11},
                      SScript{"ArrowReplacesTypedText", 10, "<500>u<7>d", "10", 10},
                      SScript{"CheckedBoxStopsArrows", 10, "sudd", "10", 10},
                      SScript{"UncheckedBoxLetsArrowsStepAgain", 10, "suddsu", "11", 11},
                      SScript{"CheckedBoxWithCancelStoresNothing", 10, "<40>sc", "40", 10},
                      SScript{"OkTakesTheTypedNumber", 10, "<500>o", "500", 500},
                      SScript{"OkWithTheBoxStoresIt", 10, "<500>so", "500", 500, 500},
                      SScript{"NonDigitsAreFiltered", 10, "<5a0b>o", "50", 50},
                      SScript{"EmptyFieldIsZero", 10, "u<>o", "", 0},
                      SScript{"TooLargeIsZero", 10, "<99999999999>so", "99999999999", 0, 0}),
    [](const auto& p) { return std::string(p.param.name); });

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
