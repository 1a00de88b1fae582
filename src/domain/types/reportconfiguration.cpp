#include "domain/types/reportconfiguration.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ReportConfiguration::ReportConfiguration(int creationInterval, int language, int fileFormat,
                                         const QString &filePrefix, const QString &filePath,
                                         const QString &headerLogoPath, int headerLogoPosition,
                                         const QString &headerTitle, const QString &watermarkPath,
                                         int enabledChapters, const QString &watermarkText)
    : m_creationInterval(creationInterval)
    , m_language(language)
    , m_fileFormat(fileFormat)
    , m_filePrefix(filePrefix)
    , m_filePath(filePath)
    , m_headerLogoPath(headerLogoPath)
    , m_headerLogoPosition(headerLogoPosition)
    , m_headerTitle(headerTitle)
    , m_watermarkPath(watermarkPath)
    , m_enabledChapters(enabledChapters)
    , m_watermarkText(watermarkText)
{
}

bool operator==(const ReportConfiguration &lhs, const ReportConfiguration &rhs)
{
    return lhs.m_creationInterval == rhs.m_creationInterval && lhs.m_language == rhs.m_language
        && lhs.m_fileFormat == rhs.m_fileFormat && lhs.m_filePrefix == rhs.m_filePrefix
        && lhs.m_filePath == rhs.m_filePath && lhs.m_headerLogoPath == rhs.m_headerLogoPath
        && lhs.m_headerLogoPosition == rhs.m_headerLogoPosition && lhs.m_headerTitle == rhs.m_headerTitle
        && lhs.m_watermarkPath == rhs.m_watermarkPath && lhs.m_enabledChapters == rhs.m_enabledChapters
        && lhs.m_watermarkText == rhs.m_watermarkText;
}

QDebug operator<<(QDebug debug, const ReportConfiguration &configuration)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ReportConfiguration(interval " << configuration.creationInterval() << ", language "
                    << configuration.language() << ", format " << configuration.fileFormat() << ", "
                    << configuration.filePath() << '/' << configuration.filePrefix() << ", chapters "
                    << configuration.enabledChapters() << ')';
    return debug;
}

} // namespace quelta::domain::types
