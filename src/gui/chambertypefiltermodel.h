#pragma once

#include "domain/types/chamberoption.h"

#include <QtCore/QList>
#include <QtCore/QSortFilterProxyModel>
#include <QtCore/QString>
#include <QtCore/QStringList>

namespace quelta::gui {

// The chamber-type catalogue as the type selection shows it: the rows of a
// ChamberTypeModel, in its order, that pass every filter. The text filters
// keep a row whose value contains the filter text, ignoring case; an empty
// filter keeps every row. Every change re-filters at once.
class ChamberTypeFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(QString filterArticleNumber READ filterArticleNumber WRITE setFilterArticleNumber
                   NOTIFY signalFilterChanged)
    Q_PROPERTY(QString filterTypeName READ filterTypeName WRITE setFilterTypeName NOTIFY signalFilterChanged)
    Q_PROPERTY(QString filterELevel READ filterELevel WRITE setFilterELevel NOTIFY signalFilterChanged)
    // Kept as a number: a text that is no number filters nothing and reads
    // back as a null text.
    Q_PROPERTY(QString filterSize READ filterSize WRITE setFilterSize NOTIFY signalFilterChanged)
    Q_PROPERTY(QString filterVoltage READ filterVoltage WRITE setFilterVoltage NOTIFY signalFilterChanged)
    Q_PROPERTY(QString filterController READ filterController WRITE setFilterController NOTIFY signalFilterChanged)

public:
    explicit ChamberTypeFilterModel(QObject *parent = nullptr);

    QString filterArticleNumber() const { return m_filter.articleNumber; }
    void setFilterArticleNumber(const QString &text);
    QString filterTypeName() const { return m_filter.typeName; }
    void setFilterTypeName(const QString &text);
    QString filterELevel() const { return m_filter.eLevel; }
    void setFilterELevel(const QString &text);
    QString filterSize() const;
    void setFilterSize(const QString &text);
    QString filterVoltage() const { return m_filter.voltage; }
    void setFilterVoltage(const QString &text);
    QString filterController() const { return m_filter.controller; }
    void setFilterController(const QString &text);

    // Clears every filter, the selected options and the id filter; always
    // announces a change.
    Q_INVOKABLE void resetFilter();
    // The option vocabulary of the catalogue, translated as the type model
    // translates a type's options.
    Q_INVOKABLE QStringList getAllOptions() const;
    // Selects the option, or deselects it when it is selected.
    Q_INVOKABLE void updateSelectedOptions(const QString &optionName);
    Q_INVOKABLE bool isSelectedOption(const QString &optionName) const;
    // The row of this model that shows the type, -1 when none does. A single
    // row with the type id (or else a single row with the additional-info id)
    // is taken whatever its other id.
    Q_INVOKABLE int findRow(int chamberTypeId, int additionalInfoId) const;

    // Keeps only the types with one of these ids; an empty list keeps all.
    void setChamberTypeIdFilter(const QList<quint64> &chamberTypeIds);

Q_SIGNALS:
    void signalFilterChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    struct Filter
    {
        QString articleNumber;
        QString typeName;
        QString eLevel;
        int size = -1;
        QString voltage;
        QString controller;
        QList<quelta::domain::types::ChamberOption> selectedOptions;
    };

    void setText(QString Filter::*field, const QString &text);
    bool passesOptions(const QModelIndex &sourceIndex) const;

    Filter m_filter;
    QList<quint64> m_chamberTypeIds;
};

} // namespace quelta::gui
