#include "doubles/FakeUi.h"
#include "split/OverlapSetting.h"

#include <gtest/gtest.h>

// One value, under the name "Overlap time" (empty: missing or unreadable); writes end as writeResult says.
struct CMemorySettings : ISettings {
    std::optional<uint32_t> GetUInt32(const std::string& strName) const override
    {
        return strName == "Overlap time" ? value : std::nullopt;
    }
    ESettingsWrite SetUInt32(const std::string& strName, uint32_t nValue) override
    {
        value = strName == "Overlap time" && writeResult == ESettingsWrite::Ok ? std::optional(nValue) : value;
        return writeResult;
    }
    std::optional<std::string> GetString(const std::string&) const override { return std::nullopt; }
    ESettingsWrite SetString(const std::string&, const std::string&) override { return writeResult; }
    std::vector<std::string> GetStringList(const std::string&) const override { return {}; }
    ESettingsWrite SetStringList(const std::string&, const std::vector<std::string>&) override { return writeResult; }
    std::optional<uint32_t> value;
    ESettingsWrite writeResult = ESettingsWrite::Ok;
};

// Saved, the time reads back; refused, it reads 0 and a box says why.
TEST(OverlapSetting, SaveStoresOrSaysWhyNot)
{
    for (const auto& [result, strShown] :
         {std::pair{ESettingsWrite::Ok, ""},
          std::pair{ESettingsWrite::StoreUnavailable, "Error: Unable to save overlap time."},
          std::pair{ESettingsWrite::ValueNotWritten, "Error: Unable save overlap time."}}) {
        CMemorySettings settings;
        settings.writeResult = result;
        CScriptedWindows boxes;
        EXPECT_EQ(SaveOverlap(settings, 42, boxes, nullptr), result == ESettingsWrite::Ok) << strShown;
        EXPECT_EQ(ReadOverlap(settings), result == ESettingsWrite::Ok ? 42u : 0u);
        EXPECT_EQ(boxes.shown, std::vector<std::string>(*strShown ? 1 : 0, strShown));
    }
}
