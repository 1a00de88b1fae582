#include "gui/userpreferenceitem.h"

#include "domain/types/unit.h"
#include "gui/preferencelanguages.h"

#include <QtCore/QLocale>
#include <QtCore/QStandardPaths>

namespace quelta::gui {

using domain::types::LocalePreferences;
using domain::types::Unit;

namespace {

constexpr int DaysPerWeek = 7;

QStringList unitTexts(int first, int last)
{
    QStringList texts;
    for (int unit = first; unit <= last; ++unit)
        texts.append(Unit::toString(unit));
    return texts;
}

struct ChoiceLists
{
    QStringList languages;
    QStringList timeFormats;
    QStringList dateFormats;
    QStringList temperatureUnits;
    QStringList humidityUnits;
};

const ChoiceLists &choiceLists()
{
    static const ChoiceLists lists = [] {
        const QLocale german(QLocale::German);
        const QLocale english(QLocale::English);
        ChoiceLists choices;
        for (const PreferenceLanguage &language : PreferenceLanguages)
            choices.languages.append(QString::fromUtf16(language.name));
        choices.timeFormats = QStringList{german.timeFormat(QLocale::ShortFormat), QStringLiteral("HH:mm:ss"),
                                          english.timeFormat(QLocale::ShortFormat), QStringLiteral("h:mm:ss AP")};
        choices.dateFormats =
            QStringList{german.dateFormat(QLocale::ShortFormat), english.dateFormat(QLocale::ShortFormat)};
        choices.temperatureUnits = unitTexts(Unit::DegreeCelsius, Unit::Kelvin);
        choices.humidityUnits = unitTexts(Unit::RelativeHumidityRF, Unit::RelativeHumidityRH);
        return choices;
    }();
    return lists;
}

} // namespace

UserPreferenceItem::UserPreferenceItem(const LocalePreferences &preferences, QObject *parent)
    : QObject(parent)
    , m_editedPreferences(preferences)
    , m_storedPreferences(preferences)
    , m_defaultFolder(QStringLiteral("file:///") + QStandardPaths::writableLocation(QStandardPaths::HomeLocation),
                      QUrl::TolerantMode)
{
}

QString UserPreferenceItem::languageName(int language)
{
    for (const PreferenceLanguage &entry : PreferenceLanguages) {
        if (entry.language == language)
            return QString::fromUtf16(entry.name);
    }
    return QString();
}

bool UserPreferenceItem::isChanged() const
{
    return m_editedPreferences != m_storedPreferences;
}

QString UserPreferenceItem::language() const
{
    return languageName(m_editedPreferences.localization());
}

void UserPreferenceItem::setLanguage(const QString &name)
{
    for (const PreferenceLanguage &entry : PreferenceLanguages) {
        if (name == QString::fromUtf16(entry.name)) {
            setLanguageCode(entry.language);
            return;
        }
    }
}

QString UserPreferenceItem::timeFormat() const
{
    return m_editedPreferences.timeFormat();
}

void UserPreferenceItem::setTimeFormat(const QString &format)
{
    m_editedPreferences.setTimeFormat(format);
    Q_EMIT signalChanged();
}

QString UserPreferenceItem::dateFormat() const
{
    return m_editedPreferences.dateFormat();
}

void UserPreferenceItem::setDateFormat(const QString &format)
{
    m_editedPreferences.setDateFormat(format);
    Q_EMIT signalChanged();
}

QString UserPreferenceItem::decimalSeparator() const
{
    return QString(m_editedPreferences.decimalSeparator());
}

void UserPreferenceItem::setDecimalSeparator(const QString &separator)
{
    if (separator.isEmpty())
        return;
    const QChar first = separator.front();
    if (first != QLatin1Char(',') && first != QLatin1Char('.'))
        return;
    m_editedPreferences.setDecimalSeparator(first);
    Q_EMIT signalChanged();
}

QString UserPreferenceItem::temperatureUnit() const
{
    return Unit::toString(m_editedPreferences.temperatureUnit());
}

void UserPreferenceItem::setTemperatureUnit(const QString &unit)
{
    m_editedPreferences.setTemperatureUnit(Unit::fromString(unit));
    Q_EMIT signalChanged();
}

QString UserPreferenceItem::humidityUnit() const
{
    return Unit::toString(m_editedPreferences.humidityUnit());
}

void UserPreferenceItem::setHumidityUnit(const QString &unit)
{
    m_editedPreferences.setHumidityUnit(Unit::fromString(unit));
    Q_EMIT signalChanged();
}

QStringList UserPreferenceItem::weekdaysList() const
{
    const QLocale locale(localeLanguage(m_editedPreferences.localization()), QLocale::AnyCountry);
    QStringList days;
    days.reserve(DaysPerWeek);
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day)
        days.append(locale.standaloneDayName(day, QLocale::LongFormat));
    return days;
}

QStringList UserPreferenceItem::languageList() const
{
    return choiceLists().languages;
}

QStringList UserPreferenceItem::timeFormatList() const
{
    return choiceLists().timeFormats;
}

QStringList UserPreferenceItem::dateFormatList() const
{
    return choiceLists().dateFormats;
}

QStringList UserPreferenceItem::temperatureUnitList() const
{
    return choiceLists().temperatureUnits;
}

QStringList UserPreferenceItem::humidityUnitList() const
{
    return choiceLists().humidityUnits;
}

void UserPreferenceItem::resetUserPreferences()
{
    setEdited(m_storedPreferences);
}

void UserPreferenceItem::setPreferences(const LocalePreferences &preferences)
{
    m_storedPreferences = preferences;
    setEdited(preferences);
}

void UserPreferenceItem::setLanguageCode(int language)
{
    LocalePreferences preferences = m_editedPreferences;
    preferences.setLocalization(language);
    for (const PreferenceLanguage &entry : PreferenceLanguages) {
        if (entry.language == language) {
            preferences.setTemperatureUnit(entry.temperatureUnit);
            preferences.setHumidityUnit(entry.humidityUnit);
            preferences.setDecimalSeparator(QChar(entry.decimalSeparator));
        }
    }
    setEdited(preferences);
}

void UserPreferenceItem::setEdited(const LocalePreferences &preferences)
{
    const bool languageChanged = preferences.localization() != m_editedPreferences.localization();
    m_editedPreferences = preferences;
    Q_EMIT signalChanged();
    // The weekday names follow the language; without this QML would keep
    // showing those of the previous one.
    if (languageChanged)
        Q_EMIT signalWeekdaysListChanged();
}

} // namespace quelta::gui
