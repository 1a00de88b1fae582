#include "gui/chambertypefiltermodel.h"

#include "gui/assignifchanged.h"
#include "gui/chambertypedisplay.h"
#include "gui/chambertypemodel.h"

#include <algorithm>

namespace quelta::gui {

using quelta::domain::types::ChamberOption;

namespace {

// A null or empty filter text is contained in every value.
bool containsFilterText(const QVariant &value, const QString &filterText)
{
    return filterText.isEmpty() || value.toString().contains(filterText, Qt::CaseInsensitive);
}

QString sizeFilterText(int size)
{
    return size > 0 ? QString::number(size) : QString();
}

} // namespace

ChamberTypeFilterModel::ChamberTypeFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    connect(this, &ChamberTypeFilterModel::signalFilterChanged, this, [this] { invalidateFilter(); });
}

void ChamberTypeFilterModel::setText(QString Filter::*field, const QString &text)
{
    if (assignIfChanged(m_filter.*field, text))
        Q_EMIT signalFilterChanged();
}

void ChamberTypeFilterModel::setFilterArticleNumber(const QString &text)
{
    setText(&Filter::articleNumber, text);
}

void ChamberTypeFilterModel::setFilterTypeName(const QString &text)
{
    setText(&Filter::typeName, text);
}

void ChamberTypeFilterModel::setFilterELevel(const QString &text)
{
    setText(&Filter::eLevel, text);
}

QString ChamberTypeFilterModel::filterSize() const
{
    return sizeFilterText(m_filter.size);
}

void ChamberTypeFilterModel::setFilterSize(const QString &text)
{
    if (assignIfChanged(m_filter.size, text.toInt(nullptr, 10)))
        Q_EMIT signalFilterChanged();
}

void ChamberTypeFilterModel::setFilterVoltage(const QString &text)
{
    setText(&Filter::voltage, text);
}

void ChamberTypeFilterModel::setFilterController(const QString &text)
{
    setText(&Filter::controller, text);
}

void ChamberTypeFilterModel::resetFilter()
{
    m_filter = Filter();
    m_chamberTypeIds.clear();
    Q_EMIT signalFilterChanged();
}

QStringList ChamberTypeFilterModel::getAllOptions() const
{
    QStringList options;
    const QStringList &names = quelta::domain::types::chamberOptionNames();
    options.reserve(names.size());
    for (const QString &name : names)
        options.append(translatedOptionName(name));
    return options;
}

void ChamberTypeFilterModel::updateSelectedOptions(const QString &optionName)
{
    const ChamberOption option(optionName, false);
    if (isSelectedOption(optionName))
        m_filter.selectedOptions.removeAll(option);
    else
        m_filter.selectedOptions.append(option);
    Q_EMIT signalFilterChanged();
}

bool ChamberTypeFilterModel::isSelectedOption(const QString &optionName) const
{
    return std::any_of(m_filter.selectedOptions.cbegin(), m_filter.selectedOptions.cend(),
                       [&optionName](const ChamberOption &option) { return option.name() == optionName; });
}

int ChamberTypeFilterModel::findRow(int chamberTypeId, int additionalInfoId) const
{
    const QModelIndex first = index(0, 0);
    const QModelIndexList typeHits =
        match(first, ChamberTypeModel::CHAMBER_TYPE_ID, chamberTypeId, -1, Qt::MatchExactly);
    const QModelIndexList infoHits =
        match(first, ChamberTypeModel::ADDITIONAL_INFO_ID, additionalInfoId, -1, Qt::MatchExactly);

    if (typeHits.isEmpty() || infoHits.isEmpty())
        return -1;
    if (typeHits.size() == 1)
        return typeHits.first().row();
    if (infoHits.size() == 1)
        return infoHits.first().row();
    const auto both = std::find_if(typeHits.cbegin(), typeHits.cend(),
                                   [&infoHits](const QModelIndex &hit) { return infoHits.contains(hit); });
    return both == typeHits.cend() ? -1 : both->row();
}

void ChamberTypeFilterModel::setChamberTypeIdFilter(const QList<quint64> &chamberTypeIds)
{
    m_chamberTypeIds = chamberTypeIds;
    Q_EMIT signalFilterChanged();
}

bool ChamberTypeFilterModel::passesOptions(const QModelIndex &sourceIndex) const
{
    const QStringList options = sourceIndex.data(ChamberTypeModel::OPTIONS).toStringList();
    return std::all_of(m_filter.selectedOptions.cbegin(), m_filter.selectedOptions.cend(),
                       [&options](const ChamberOption &selected) {
                           return options.contains(selected.name(), Qt::CaseInsensitive);
                       });
}

bool ChamberTypeFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QModelIndex source = sourceModel()->index(sourceRow, 0, sourceParent);

    if (!m_chamberTypeIds.isEmpty()
        && !m_chamberTypeIds.contains(source.data(ChamberTypeModel::CHAMBER_TYPE_ID).toULongLong()))
        return false;

    const bool passesTexts =
        containsFilterText(source.data(ChamberTypeModel::ARTICLE_NUMBER), m_filter.articleNumber)
        && containsFilterText(source.data(ChamberTypeModel::TYPE_NAME), m_filter.typeName)
        && containsFilterText(source.data(ChamberTypeModel::DEVELOPMENT_STATE), m_filter.eLevel)
        && containsFilterText(source.data(ChamberTypeModel::SIZE), sizeFilterText(m_filter.size))
        && containsFilterText(source.data(ChamberTypeModel::VOLTAGE), m_filter.voltage)
        && containsFilterText(source.data(ChamberTypeModel::CONTROLLER), m_filter.controller);
    return passesTexts && passesOptions(source);
}

} // namespace quelta::gui
