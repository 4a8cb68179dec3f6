#include "platform/ui/QtSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <limits>

CQtSettings::CQtSettings() : CQtSettings(DefaultPath()) {}

CQtSettings::CQtSettings(const QString& strPath) : m_strPath(strPath) {}

QString CQtSettings::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tolvane/Tolvane.conf");
}

std::optional<uint32_t> CQtSettings::GetUInt32(const std::string& strName) const
{
    if (!QFileInfo(m_strPath).isFile())
        return std::nullopt;
    const QSettings settings(m_strPath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    const QVariant value = settings.value(QString::fromStdString(strName));
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
    settings.setValue(QString::fromStdString(strName), QString::number(nValue));
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
