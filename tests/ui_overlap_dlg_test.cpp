#include "platform/MessageBox.h"
#include "platform/ui/QtSettings.h"
#include "platform/ui/QtWindow.h"
#include "split/ui/OverlapDlg.h"
#include "support/TempDir.h"
#include "support/UiControls.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

const std::string kName = "Overlap time";

QString QPath(const std::string& strPath) { return QString::fromStdString(strPath); }

// The largest time comes back whole.
TEST(OverlapQtSettings, ValuesRoundTrip)
{
    CTempDir dir;
    EXPECT_EQ(CQtSettings(QPath(dir / "a/b/Tolvane.conf")).SetUInt32(kName, 4294967295u), ESettingsWrite::Ok);
    EXPECT_EQ(CQtSettings(QPath(dir / "a/b/Tolvane.conf")).GetUInt32(kName), 4294967295u);
}

struct CRecordingBoxes : IMessageBoxes {
    EMsgAnswer MessageBox(CWnd* pOwner, const std::string& strText, const std::string& strCaption, EMsgIcon icon,
                          EMsgButtons) override
    {
        shown.push_back(strCaption + ": " + strText + (icon == EMsgIcon::Exclamation ? " (!)" : ""));
        owners.push_back(CQtWnd::WidgetOf(pOwner));
        return EMsgAnswer::Ok;
    }
    std::vector<std::string> shown;
    std::vector<QWidget*> owners;
};

struct SOverlapCase {
    uint32_t nStart;
    std::string strScript, strField;
    uint32_t nOverlap;
    std::optional<uint32_t> stored;
    bool bStoreBlocked = false; // a plain file stands where the store's folder would be
};
void PrintTo(const SOverlapCase& c, std::ostream* pOut) { *pOut << c.nStart << " " << c.strScript; }
class OverlapDlg : public testing::TestWithParam<SOverlapCase> {};

// The arrows step the time held (0 to 300), not the text typed, and stop while
// the box is checked; OK takes the field and stores it only with the box
// checked, telling over the dialog when it cannot; Enter and Escape do nothing.
TEST_P(OverlapDlg, LeavesTheTimeAndStoresItOnlyWithTheBoxAndOk)
{
    const SOverlapCase& c = GetParam();
    CTempDir dir;
    WriteBytes(dir / "plain", {'x'});
    const QString strStore = QPath(dir / (c.bStoreBlocked ? "plain/Tolvane/Tolvane.conf" : "conf/Tolvane.conf"));
    CQtSettings settings(strStore);
    CRecordingBoxes boxes;
    COverlapDlg dlg(c.nStart, true, settings, boxes, nullptr);
    dlg.show();
    RunScript(dlg, c.strScript,
              {{'u', {1033, -1}}, {'d', {1033, 1}}, {'s', {1042, 0}}, {'o', {1, 0}}, {'c', {2, 0}}, {'<', {1034, 0}}});
    EXPECT_EQ(Texts(dlg, {1034})[0], c.strField);
    EXPECT_EQ(dlg.GetOverlap(), c.nOverlap);
    EXPECT_EQ(dlg.result(), c.strScript.ends_with('o') ? QDialog::Accepted : QDialog::Rejected);
    EXPECT_EQ(dlg.isVisible(), !c.strScript.ends_with('o') && !c.strScript.ends_with('c'));
    EXPECT_EQ(ByControlId(dlg, 1034)->isEnabled(), !ByControlId<QAbstractButton>(dlg, 1042)->isChecked());
    EXPECT_EQ(CQtSettings(strStore).GetUInt32(kName), c.stored);
    EXPECT_EQ(boxes.shown, c.bStoreBlocked ? std::vector<std::string>{"Error: Unable to save overlap time. (!)"}
                                           : std::vector<std::string>{});
    EXPECT_EQ(boxes.owners, std::vector<QWidget*>(boxes.shown.size(), &dlg));
    EXPECT_EQ(ReadBytes(dir / "plain"), Bytes{'x'});
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, OverlapDlg,
    testing::Values(SOverlapCase{10, "uudu<500>c", "500", 12}, SOverlapCase{298, "uuuuu", "300", 300},
                    SOverlapCase{2, "ddddd", "0", 0}, SOverlapCase{10, "<500>u<7>d", "10", 10},
                    SOverlapCase{10, "sudd", "10", 10}, SOverlapCase{10, "<500>RNX", "500", 10},
                    SOverlapCase{10, "<500>o", "500", 500}, SOverlapCase{10, "<500>so", "500", 500, 500},
                    SOverlapCase{10, "<500>so", "500", 500, std::nullopt, true}));

} // namespace
