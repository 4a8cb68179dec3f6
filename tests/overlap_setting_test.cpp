#include "doubles/FakeUi.h"
#include "split/OverlapSetting.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

// Stored values in memory; a write ends as scripted and stores only on Ok.
struct CMemorySettings : ISettings {
    std::optional<uint32_t> GetUInt32(const std::string& strName) const override
    {
        const auto it = values.find(strName);
        return it == values.end() ? std::nullopt : it->second;
    }
    ESettingsWrite SetUInt32(const std::string& strName, uint32_t nValue) override
    {
        if (writeResult == ESettingsWrite::Ok)
            values[strName] = nValue;
        return writeResult;
    }
    std::map<std::string, std::optional<uint32_t>> values; // empty optional: there but unreadable
    ESettingsWrite writeResult = ESettingsWrite::Ok;
};

} // namespace

TEST(OverlapSetting, ReadIsZeroWhenUnreadableOrUnderAnotherName)
{
    CMemorySettings settings;
    settings.values = {{"Overlap time", std::nullopt}, {"Overlap", 7}};
    EXPECT_EQ(ReadOverlap(settings), 0u);
}

// Stored and silent, or one exclamation box naming the failure and nothing stored.
TEST(OverlapSetting, SaveStoresOrSaysWhyNot)
{
    for (const auto& [result, strText] : {std::pair{ESettingsWrite::Ok, ""},
                                          std::pair{ESettingsWrite::StoreUnavailable, "Unable to save overlap time."},
                                          std::pair{ESettingsWrite::ValueNotWritten, "Unable save overlap time."}}) {
        CMemorySettings settings;
        settings.writeResult = result;
        CFakeUi ui;
        EXPECT_EQ(SaveOverlap(settings, 42, ui, nullptr), result == ESettingsWrite::Ok) << strText;
        EXPECT_EQ(ReadOverlap(settings), result == ESettingsWrite::Ok ? 42u : 0u);
        ASSERT_EQ(ui.messages.size(), result == ESettingsWrite::Ok ? 0u : 1u);
        if (!ui.messages.empty()) {
            EXPECT_EQ(ui.messages[0].strCaption + ": " + ui.messages[0].strText, "Error: " + std::string(strText));
            EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Exclamation);
        }
    }
}

TEST(OverlapSetting, ArrowsStopAtZeroAndThreeHundred)
{
    struct { uint32_t nValue; bool bUp; uint32_t nExpected; } const steps[] = {
        {0, false, 0}, {10, true, 11}, {10, false, 9}, {300, true, 300}, {500, true, 500}, {500, false, 499}};
    for (const auto& s : steps)
        EXPECT_EQ(StepOverlap(s.nValue, s.bUp), s.nExpected) << s.nValue << (s.bUp ? " up" : " down");
}

TEST(OverlapSetting, FieldTextAsNumber)
{
    for (const auto& [strText, nExpected] : std::initializer_list<std::pair<std::string, uint32_t>>{
             {"", 0}, {"007", 7}, {"4294967295", 4294967295u}, {"4294967296", 0}, {"12a", 0}})
        EXPECT_EQ(ParseOverlapText(strText), nExpected) << '"' << strText << '"';
}
