#pragma once

#include "platform/Settings.h"

#include <QString>
#include <QVariant>

// The stored values in an INI file. The file and its folder are made when a
// value is first written; reading a missing file finds no value.
class CQtSettings : public ISettings {
public:
    // The program's own file: Tolvane/Tolvane.conf in the user's configuration folder.
    CQtSettings();
    explicit CQtSettings(const QString& strPath);

    static QString DefaultPath();
    const QString& GetPath() const { return m_strPath; }

    std::optional<uint32_t> GetUInt32(const std::string& strName) const override;
    ESettingsWrite SetUInt32(const std::string& strName, uint32_t nValue) override;
    std::optional<std::string> GetString(const std::string& strName) const override;
    ESettingsWrite SetString(const std::string& strName, const std::string& strValue) override;
    std::vector<std::string> GetStringList(const std::string& strName) const override;
    ESettingsWrite SetStringList(const std::string& strName, const std::vector<std::string>& values) override;

private:
    // The stored value of that name; invalid when the file or the value is missing.
    QVariant Read(const std::string& strName) const;
    // Stores the value, making the file and its folder first.
    ESettingsWrite Write(const std::string& strName, const QVariant& value);

    QString m_strPath;
};
