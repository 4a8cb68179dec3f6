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
    settings.values["Overlap time"] = std::nullopt;
    EXPECT_EQ(ReadOverlap(settings), 0u);
    settings.values["Overlap"] = 7; // another name is not the overlap time
    EXPECT_EQ(ReadOverlap(settings), 0u);
    settings.values["Overlap time"] = 4294967295u;
    EXPECT_EQ(ReadOverlap(settings), 4294967295u);
}

TEST(OverlapSetting, SaveStoresUnderItsNameAndSaysNothing)
{
    CMemorySettings settings;
    CFakeUi ui;
    EXPECT_TRUE(SaveOverlap(settings, 42, ui, nullptr));
    EXPECT_EQ(settings.writes, std::vector<std::string>{"Overlap time"});
    EXPECT_EQ(ReadOverlap(settings), 42u);
    EXPECT_TRUE(ui.messages.empty());
}

class OverlapSaveFailure : public ::testing::TestWithParam<std::pair<ESettingsWrite, std::string>> {};

TEST_P(OverlapSaveFailure, ShowsItsOwnMessage)
{
    const auto& [result, strText] = GetParam();
    CMemorySettings settings;
    settings.writeResult = result;
    CFakeUi ui;
    EXPECT_FALSE(SaveOverlap(settings, 15, ui, nullptr));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].strText, strText);
    EXPECT_EQ(ui.messages[0].strCaption, "Error");
    EXPECT_EQ(ui.messages[0].icon, EMsgIcon::Exclamation);
    EXPECT_EQ(ui.messages[0].buttons, EMsgButtons::Ok);
    EXPECT_EQ(settings.writes, std::vector<std::string>{"Overlap time"}); // no other value is tried
    EXPECT_EQ(ReadOverlap(settings), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    BothKinds, OverlapSaveFailure,
    ::testing::Values(std::pair{ESettingsWrite::StoreUnavailable, std::string("Unable to save overlap time.")},
                      std::pair{ESettingsWrite::ValueNotWritten, std::string("Unable save overlap time.")}),
    [](const auto& param) {
        return std::string(param.param.first == ESettingsWrite::StoreUnavailable ? "StoreUnavailable"
                                                                                 : "ValueNotWritten");
    });

TEST(OverlapSetting, ArrowsStopAtZeroAndThreeHundred)
{
    struct SStep {
        uint32_t nValue;
        bool bUp;
        uint32_t nExpected;
    };
    const SStep steps[] = {
        {0, true, 1},     {0, false, 0},     {1, false, 0},     {10, true, 11},   {10, false, 9},
        {299, true, 300}, {300, true, 300},  {300, false, 299}, {500, true, 500}, {500, false, 499},
        {4294967295u, true, 4294967295u},
    };
    for (const SStep& step : steps)
        EXPECT_EQ(StepOverlap(step.nValue, step.bUp), step.nExpected)
            << step.nValue << (step.bUp ? " up" : " down");
}

TEST(OverlapSetting, FieldTextAsNumber)
{
    const std::pair<std::string, uint32_t> cases[] = {
        {"", 0},           {"0", 0},          {"500", 500},         {"007", 7},          {"4294967295", 4294967295u},
        {"4294967296", 0}, {"99999999999", 0}, {"12a", 0},          {"-3", 0},           {" 5", 0},
    };
    for (const auto& [strText, nExpected] : cases)
        EXPECT_EQ(ParseOverlapText(strText), nExpected) << '"' << strText << '"';
}
