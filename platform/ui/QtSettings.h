#pragma once

#include "platform/Settings.h"

#include <QString>

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

private:
    QString m_strPath;
};
