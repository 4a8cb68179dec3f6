#include "support/SmallDisk.h"

#include "support/RunCommand.h"

#include <filesystem>

CSmallDisk::CSmallDisk(const std::string& strPath, const std::string& strOptions) : m_strPath(strPath)
{
    std::filesystem::create_directories(strPath);
    m_bMounted = RunCommand({"mount", "-t", "tmpfs", "-o", strOptions, "tmpfs", strPath}).nExit == 0;
}

CSmallDisk::~CSmallDisk()
{
    if (m_bMounted)
        RunCommand({"umount", m_strPath});
}
