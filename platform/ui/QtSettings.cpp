#include "platform/ui/QtSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <limits>

CQtSettings::CQtSettings() : CQtSettings(DefaultPath()) {}

CQtSettings::CQtSettings(const QString& strPath) : m_strPath(strPath) {}

QString CQtSettings::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tolvane/Tolvane.conf");
}

QVariant CQtSettings::Read(const std::string& strName) const
{
    if (!QFileInfo(m_strPath).isFile())
        return {};
    const QSettings settings(m_strPath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return {};
    return settings.value(QString::fromStdString(strName));
}

ESettingsWrite CQtSettings::Write(const std::string& strName, const QVariant& value)
{
    // The folder and the file first: QSettings would only say it could not write.
    const QFileInfo info(m_strPath);
    if (!QDir().mkpath(info.absolutePath()))
        return ESettingsWrite::StoreUnavailable;
    QFile file(m_strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return ESettingsWrite::StoreUnavailable;
    file.close();

    QSettings settings(m_strPath, QSettings::IniFormat);
    if (!settings.isWritable())
        return ESettingsWrite::StoreUnavailable;
    settings.setValue(QString::fromStdString(strName), value);
    settings.sync();
    switch (settings.status()) {
    case QSettings::NoError:
        return ESettingsWrite::Ok;
    case QSettings::AccessError:
        return ESettingsWrite::StoreUnavailable;
    case QSettings::FormatError:
        break;
    }
    return ESettingsWrite::ValueNotWritten;
}

std::optional<uint32_t> CQtSettings::GetUInt32(const std::string& strName) const
{
    const QVariant value = Read(strName);
    if (!value.isValid())
        return std::nullopt;
    // Only plain decimal digits count: no sign, no blanks, nothing past 32 bits.
    const QString strText = value.toString();
    if (strText.isEmpty() || !std::all_of(strText.begin(), strText.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool bOk = false;
    const qulonglong nValue = strText.toULongLong(&bOk);
    if (!bOk || nValue > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    return static_cast<uint32_t>(nValue);
}

ESettingsWrite CQtSettings::SetUInt32(const std::string& strName, uint32_t nValue)
{
    return Write(strName, QString::number(nValue));
}

std::optional<std::string> CQtSettings::GetString(const std::string& strName) const
{
    const QVariant value = Read(strName);
    // A list stored under the name is no single text.
    if (!value.isValid() || value.typeId() == QMetaType::QStringList)
        return std::nullopt;
    return value.toString().toStdString();
}

ESettingsWrite CQtSettings::SetString(const std::string& strName, const std::string& strValue)
{
    return Write(strName, QString::fromStdString(strValue));
}

std::vector<std::string> CQtSettings::GetStringList(const std::string& strName) const
{
    std::vector<std::string> values;
    const QVariant value = Read(strName);
    if (!value.isValid())
        return values;
    // A list of one is stored as a plain text.
    for (const QString& strValue : value.toStringList())
        values.push_back(strValue.toStdString());
    return values;
}

ESettingsWrite CQtSettings::SetStringList(const std::string& strName, const std::vector<std::string>& values)
{
    QStringList list;
    for (const std::string& strValue : values)
        list << QString::fromStdString(strValue);
    return Write(strName, list);
}
