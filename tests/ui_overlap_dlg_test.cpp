#include "doubles/FakeUi.h"
#include "platform/ui/QtSettings.h"
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

// The arrows step the time held (at most 300), not the text typed; OK takes
// the field and stores it only with the box checked, telling when it cannot.
TEST(OverlapDlg, LeavesTheTimeAndStoresItOnlyWithTheBoxAndOk)
{
    const std::tuple<uint32_t, std::string, uint32_t, std::optional<uint32_t>, bool> cases[] = {
        {10, "uudu<500>c", 12, std::nullopt, false}, // start, script, time left, time stored, store blocked
        {298, "uuuuu", 300, std::nullopt, false},
        {10, "<500>o", 500, std::nullopt, false},
        {10, "<500>so", 500, 500, false},
        {10, "<500>so", 500, std::nullopt, true}};
    for (const auto& [nStart, strScript, nOverlap, stored, bStoreBlocked] : cases) {
        CTempDir dir;
        WriteBytes(dir / "plain", {'x'}); // a plain file where the blocked store's folder would be
        const QString strStore = QPath(dir / (bStoreBlocked ? "plain/Tolvane/Tolvane.conf" : "conf/Tolvane.conf"));
        CQtSettings settings(strStore);
        CFakeUi ui;
        COverlapDlg dlg(nStart, true, settings, ui, nullptr);
        dlg.show();
        RunScript(dlg, strScript, {{'u', {1033, -1}}, {'d', {1033, 1}}, {'s', {1042, 0}}, {'o', {1, 0}}, {'c', {2, 0}},
                                   {'<', {1034, 0}}});
        EXPECT_EQ(dlg.GetOverlap(), nOverlap) << strScript;
        EXPECT_EQ(CQtSettings(strStore).GetUInt32(kName), stored) << strScript;
        EXPECT_EQ(ui.messages.size(), bStoreBlocked ? 1u : 0u) << strScript; // the error shown
    }
}

// "Exact cuts" shows the stored setting; OK stores the box as it is left, Cancel stores nothing.
TEST(OverlapDlg, ExactCutsIsStoredOnOk)
{
    const std::tuple<std::optional<uint32_t>, std::string, std::optional<uint32_t>> cases[] = {
        {std::nullopt, "xo", 1}, {1, "xo", 0}, {1, "o", 1}, {std::nullopt, "xc", std::nullopt},
        {std::nullopt, "o", std::nullopt}};
    for (const auto& [stored, strScript, after] : cases) {
        CTempDir dir;
        CQtSettings settings(QPath(dir / "Tolvane.conf"));
        if (stored)
            settings.SetUInt32("Exact cuts", *stored);
        CFakeUi ui;
        COverlapDlg dlg(settings, ui, nullptr);
        dlg.show();
        EXPECT_EQ(ByControlId<QAbstractButton>(dlg, 1047)->isChecked(), stored == 1u) << strScript;
        RunScript(dlg, strScript, {{'x', {1047, 0}}, {'o', {1, 0}}, {'c', {2, 0}}});
        EXPECT_EQ(settings.GetUInt32("Exact cuts"), after) << strScript;
    }
}

} // namespace
