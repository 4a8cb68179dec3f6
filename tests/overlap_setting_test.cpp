#include "doubles/FakeUi.h"
#include "split/OverlapSetting.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

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
        ASSERT_EQ(ui.messages.size(), *strText ? 1u : 0u);
        for (const auto& m : ui.messages)
            EXPECT_EQ(m.strCaption + ": " + m.strText + (m.icon == EMsgIcon::Exclamation ? "!" : ""),
                      "Error: " + std::string(strText) + "!");
    }
}

TEST(OverlapSetting, FieldTextAsNumber)
{
    for (const auto& [strText, nExpected] : std::initializer_list<std::pair<std::string, uint32_t>>{
             {"007", 7}, {"4294967295", 4294967295u}, {"4294967296", 0}, {"12a", 0}})
        EXPECT_EQ(ParseOverlapText(strText), nExpected) << '"' << strText << '"';
}
