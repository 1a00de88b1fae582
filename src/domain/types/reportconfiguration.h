#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// How and where reports are made. -1 in a number means "not set".
class ReportConfiguration
{
public:
    ReportConfiguration() = default;
    ReportConfiguration(int creationInterval, int language, int fileFormat, const QString &filePrefix,
                        const QString &filePath, const QString &headerLogoPath, int headerLogoPosition,
                        const QString &headerTitle, const QString &watermarkPath, int enabledChapters,
                        const QString &watermarkText);

    int creationInterval() const { return m_creationInterval; }
    void setCreationInterval(int interval) { m_creationInterval = interval; }
    int language() const { return m_language; }
    void setLanguage(int language) { m_language = language; }
    int fileFormat() const { return m_fileFormat; }
    void setFileFormat(int format) { m_fileFormat = format; }
    QString filePrefix() const { return m_filePrefix; }
    void setFilePrefix(const QString &prefix) { m_filePrefix = prefix; }
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }
    QString headerLogoPath() const { return m_headerLogoPath; }
    void setHeaderLogoPath(const QString &path) { m_headerLogoPath = path; }
    int headerLogoPosition() const { return m_headerLogoPosition; }
    void setHeaderLogoPosition(int position) { m_headerLogoPosition = position; }
    QString headerTitle() const { return m_headerTitle; }
    void setHeaderTitle(const QString &title) { m_headerTitle = title; }
    QString watermarkPath() const { return m_watermarkPath; }
    void setWatermarkPath(const QString &path) { m_watermarkPath = path; }
    // A bit set of chapters.
    int enabledChapters() const { return m_enabledChapters; }
    void setEnabledChapters(int chapters) { m_enabledChapters = chapters; }
    QString watermarkText() const { return m_watermarkText; }
    void setWatermarkText(const QString &text) { m_watermarkText = text; }

    friend bool operator==(const ReportConfiguration &lhs, const ReportConfiguration &rhs);
    friend bool operator!=(const ReportConfiguration &lhs, const ReportConfiguration &rhs) { return !(lhs == rhs); }

private:
    int m_creationInterval = -1;
    int m_language = -1;
    int m_fileFormat = -1;
    QString m_filePrefix;
    QString m_filePath;
    QString m_headerLogoPath;
    int m_headerLogoPosition = 0;
    QString m_headerTitle;
    QString m_watermarkPath;
    int m_enabledChapters = -1;
    QString m_watermarkText;
};

QDebug operator<<(QDebug debug, const ReportConfiguration &configuration);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ReportConfiguration)
