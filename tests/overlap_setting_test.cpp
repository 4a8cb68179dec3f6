#include "doubles/FakeUi.h"
#include "split/OverlapSetting.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

// Stored values in memory; writing ends as scripted and stores only on Ok.
class CMemorySettings : public ISettings {
public:
    std::optional<uint32_t> GetUInt32(const std::string& strName) const override
    {
        const auto it = values.find(strName);
        return it == values.end() ? std::nullopt : it->second;
    }
    ESettingsWrite SetUInt32(const std::string& strName, uint32_t nValue) override
    {
        writes.push_back(strName);
        if (writeResult == ESettingsWrite::Ok)
            values[strName] = nValue;
        return writeResult;
    }

    std::map<std::string, std::optional<uint32_t>> values; // empty optional: there but unreadable
    ESettingsWrite writeResult = ESettingsWrite::Ok;
    std::vector<std::string> writes;
};

} // namespace

TEST(OverlapSetting, ReadIsZeroWhenMissingOrUnreadable)
{
    CMemorySettings settings;
    EXPECT_EQ(ReadOverlap(settings), 0u);
    settings.values = {{"Overlap time", std::nullopt}, {"Overlap", 7}}; // unreadable; another name
    EXPECT_EQ(ReadOverlap(settings), 0u);
    settings.values["Overlap time"] = 4294967295u;
    EXPECT_EQ(ReadOverlap(settings), 4294967295u);
}

// Each way a write ends: stored and silent, or one exclamation box of its own and nothing stored.
TEST(OverlapSetting, SaveStoresUnderItsNameOrSaysWhyNot)
{
    for (const auto& [result, strText] : {std::pair{ESettingsWrite::Ok, ""},
                                          std::pair{ESettingsWrite::StoreUnavailable, "Unable to save overlap time."},
                                          std::pair{ESettingsWrite::ValueNotWritten, "Unable save overlap time."}}) {
        CMemorySettings settings;
        settings.writeResult = result;
        CFakeUi ui;
        EXPECT_EQ(SaveOverlap(settings, 42, ui, nullptr), result == ESettingsWrite::Ok) << strText;
        EXPECT_EQ(settings.writes, std::vector<std::string>{"Overlap time"}); // no other value is tried
        EXPECT_EQ(ReadOverlap(settings), result == ESettingsWrite::Ok ? 42u : 0u);
        ASSERT_EQ(ui.messages.size(), result == ESettingsWrite::Ok ? 0u : 1u);
        if (!ui.messages.empty()) {
            EXPECT_EQ(ui.messages[0].strText, strText);
            EXPECT_EQ(ui.messages[0].strCaption, "Error");
            EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Exclamation);
            EXPECT_EQ(ui.messages[0].buttons, EMsgButtons::Ok);
        }
    }
}

TEST(OverlapSetting, ArrowsStopAtZeroAndThreeHundred)
{
    struct SStep {
        uint32_t nValue;
        bool bUp;
        uint32_t nExpected;
    };
    for (const SStep& step : {SStep{0, true, 1}, {0, false, 0}, {1, false, 0}, {10, true, 11}, {10, false, 9},
                              {299, true, 300}, {300, true, 300}, {300, false, 299}, {500, true, 500},
                              {500, false, 499}, {4294967295u, true, 4294967295u}})
        EXPECT_EQ(StepOverlap(step.nValue, step.bUp), step.nExpected)
            << step.nValue << (step.bUp ? " up" : " down");
}

TEST(OverlapSetting, FieldTextAsNumber)
{
    for (const auto& [strText, nExpected] : std::initializer_list<std::pair<std::string, uint32_t>>{
             {"", 0}, {"0", 0}, {"500", 500}, {"007", 7}, {"4294967295", 4294967295u}, {"4294967296", 0},
             {"99999999999", 0}, {"12a", 0}, {"-3", 0}, {" 5", 0}})
        EXPECT_EQ(ParseOverlapText(strText), nExpected) << '"' << strText << '"';
}
