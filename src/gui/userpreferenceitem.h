#pragma once

#include "domain/types/localepreferences.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QUrl>

namespace quelta::gui {

// One set of display preferences as the settings screens edit it. The item
// keeps the record being edited apart from the one last handed in, so that a
// screen can tell whether anything changed and undo the edits; the owner
// reads the edited record back to store it.
//
// Choosing a language also chooses its units and decimal separator; the
// time and date formats stay as they are.
class UserPreferenceItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool changed READ isChanged NOTIFY signalChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY signalChanged)
    Q_PROPERTY(QString timeFormat READ timeFormat WRITE setTimeFormat NOTIFY signalChanged)
    Q_PROPERTY(QString dateFormat READ dateFormat WRITE setDateFormat NOTIFY signalChanged)
    Q_PROPERTY(QString decimalSeparator READ decimalSeparator WRITE setDecimalSeparator NOTIFY signalChanged)
    Q_PROPERTY(QString temperatureUnit READ temperatureUnit WRITE setTemperatureUnit NOTIFY signalChanged)
    Q_PROPERTY(QString humidityUnit READ humidityUnit WRITE setHumidityUnit NOTIFY signalChanged)
    Q_PROPERTY(QUrl defaultFolder READ defaultFolder CONSTANT)
    Q_PROPERTY(QStringList weekdaysList READ weekdaysList NOTIFY signalWeekdaysListChanged)
    Q_PROPERTY(QStringList languageList READ languageList CONSTANT)
    Q_PROPERTY(QStringList timeFormatList READ timeFormatList CONSTANT)
    Q_PROPERTY(QStringList dateFormatList READ dateFormatList CONSTANT)
    Q_PROPERTY(QStringList temperatureUnitList READ temperatureUnitList CONSTANT)
    Q_PROPERTY(QStringList humidityUnitList READ humidityUnitList CONSTANT)

public:
    UserPreferenceItem(const domain::types::LocalePreferences &preferences, QObject *parent = nullptr);

    // The name of a QLocale::Language value among "English", "Français",
    // "Deutsch", "Italiano" and "Español"; a null text for any other.
    static QString languageName(int language);

    bool isChanged() const;
    QString language() const;
    // Only the exact name of one of the five languages is taken.
    void setLanguage(const QString &name);
    QString timeFormat() const;
    void setTimeFormat(const QString &format);
    QString dateFormat() const;
    void setDateFormat(const QString &format);
    QString decimalSeparator() const;
    // Takes the first character when it is "," or ".".
    void setDecimalSeparator(const QString &separator);
    QString temperatureUnit() const;
    // A text that names no unit stores "no unit".
    void setTemperatureUnit(const QString &unit);
    QString humidityUnit() const;
    void setHumidityUnit(const QString &unit);
    QUrl defaultFolder() const { return m_defaultFolder; }
    // Monday to Sunday in the edited language.
    QStringList weekdaysList() const;
    QStringList languageList() const;
    QStringList timeFormatList() const;
    QStringList dateFormatList() const;
    QStringList temperatureUnitList() const;
    QStringList humidityUnitList() const;

    Q_INVOKABLE void resetUserPreferences();

    // Replaces both records.
    void setPreferences(const domain::types::LocalePreferences &preferences);
    domain::types::LocalePreferences preferences() const { return m_editedPreferences; }
    // Sets the QLocale::Language value and, for the five languages, their
    // units and decimal separator.
    void setLanguageCode(int language);

Q_SIGNALS:
    void signalChanged();
    void signalWeekdaysListChanged();

private:
    // Replaces the edited record and announces it.
    void setEdited(const domain::types::LocalePreferences &preferences);

    domain::types::LocalePreferences m_editedPreferences;
    domain::types::LocalePreferences m_storedPreferences;
    const QUrl m_defaultFolder;
};

} // namespace quelta::gui
