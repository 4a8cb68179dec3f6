#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How writing a stored value ended.
enum class ESettingsWrite {
    Ok,
    StoreUnavailable, // the store (its folder or file) cannot be made or written
    ValueNotWritten,  // the store is there, but the value did not go in
};

// The program's stored values, kept by name between runs.
class ISettings {
public:
    virtual ~ISettings() = default;

    // The unsigned 32-bit value of that name; empty when it is missing or
    // is not such a number.
    virtual std::optional<uint32_t> GetUInt32(const std::string& strName) const = 0;
    // Stores the value under that name, making the store first if need be.
    virtual ESettingsWrite SetUInt32(const std::string& strName, uint32_t nValue) = 0;

    // The text of that name; empty when it is missing.
    virtual std::optional<std::string> GetString(const std::string& strName) const = 0;
    virtual ESettingsWrite SetString(const std::string& strName, const std::string& strValue) = 0;
    // The list of texts of that name, in the order stored; none when missing.
    virtual std::vector<std::string> GetStringList(const std::string& strName) const = 0;
    virtual ESettingsWrite SetStringList(const std::string& strName, const std::vector<std::string>& values) = 0;
};
