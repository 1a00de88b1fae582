#include "connection/database/stores/signalassembler.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "connection/database/stores/cataloguevocabulary.h"
#include "domain/types/unit.h"
#include "domain/types/userlevel.h"

#include <QtCore/QStringList>

namespace quelta::base::connection::databaseconnection {

namespace {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::ControllerAddressId;
using domain::types::DatabaseConnectionError;
using domain::types::Unit;
using domain::types::UserLevel;

// SQLite allows 999 bound values per statement; stay well below.
constexpr int MaxIdsPerStatement = 500;
// From this many ids on, one pass over the whole table is cheaper than
// looking the ids up in batches; the table holds at least that many rows.
constexpr int IdsForTableScan = 5000;

constexpr int NoId = -1;

int column(SignalColumn signalColumn)
{
    return static_cast<int>(signalColumn);
}

int userLevelOf(const QVariant &value)
{
    if (!isUsable(value))
        return 0;
    bool isNumber = false;
    const int level = value.toInt(&isNumber);
    return isNumber ? level : 0;
}

QStringList descriptorColumns()
{
    return columnNamesThrough(ControllerDataColumn::DESCRIPTION);
}

} // namespace

SignalAssembler::SignalAssembler(domain::api::ISqlConnection &connection, ErrorReporter reportError)
    : m_connection(connection)
    , m_reportError(std::move(reportError))
{
}

QList<TableColumn> SignalAssembler::signalColumns(const QString &table)
{
    QList<TableColumn> columns;
    columns.reserve(SignalColumnCount);
    for (int index = 0; index < SignalColumnCount; ++index)
        columns.append({table, columnName(static_cast<SignalColumn>(index))});
    return columns;
}

bool SignalAssembler::isDefault(const ChamberSignal &signal)
{
    // Every field is compared only for the rare signal without an id.
    return signal.id() == NoId && signal == ChamberSignal();
}

QList<int> SignalAssembler::addSignals(const QList<int> &signalIds)
{
    const QSet<int> ids(signalIds.cbegin(), signalIds.cend());
    QList<int> found;
    selectEachById(tableNameSignal(), columnNamesThrough(SignalColumn::WRITE_AUTO), ids,
                   [this, &found](const Row &row) { found.append(addSignalRow(row)); });
    return found;
}

SignalAssembler::SignalRow SignalAssembler::parseSignalRow(const Row &row, int offset)
{
    const auto value = [&row, offset](SignalColumn signalColumn) -> const QVariant & {
        return row.at(offset + column(signalColumn));
    };

    SignalRow signal;
    signal.id = toIntOr(value(SignalColumn::ID), NoId);
    signal.name = toStringOr(value(SignalColumn::NAME), QString());
    const QString unitText = toStringOr(value(SignalColumn::UNIT), QString());
    auto unit = m_unitCodes.constFind(unitText);
    if (unit == m_unitCodes.cend())
        unit = m_unitCodes.insert(unitText, Unit::fromString(unitText));
    signal.unit = *unit;
    signal.userLevel = userLevelOf(value(SignalColumn::USER_LEVEL));
    signal.limitMin = toFloatOr(value(SignalColumn::LIMIT_MIN), ChamberSignal::NoLowerLimit);
    signal.limitMax = toFloatOr(value(SignalColumn::LIMIT_MAX), ChamberSignal::NoUpperLimit);
    signal.bitPosition = toIntOr(value(SignalColumn::BITPOSITION), -1);
    signal.timeProgrammable = toBoolOr(value(SignalColumn::TIME_PROGRAMMABLE), false);
    signal.weekProgrammable = toBoolOr(value(SignalColumn::WEEK_PROGRAMMABLE), false);
    signal.valueType = toIntOr(value(SignalColumn::VALUE_TYPE), 0);
    signal.signalType = signalTypeId(toStringOr(value(SignalColumn::SIGNAL_TYPE), QString()));
    signal.setPointSignal = toIntOr(value(SignalColumn::SET_POINT_SIGNAL), NoId);
    signal.addressIds = {toIntOr(value(SignalColumn::READ), NoId), toIntOr(value(SignalColumn::WRITE_BASIC), NoId),
                         toIntOr(value(SignalColumn::WRITE_MANUAL), NoId),
                         toIntOr(value(SignalColumn::WRITE_AUTO), NoId)};
    return signal;
}

int SignalAssembler::addSignalRow(const Row &row, int offset)
{
    const SignalRow signal = parseSignalRow(row, offset);
    m_rows.insert(signal.id, signal);
    return signal.id;
}

void SignalAssembler::addDescriptorId(int descriptorId)
{
    if (descriptorId != NoId)
        m_descriptorIds.insert(descriptorId);
}

void SignalAssembler::load()
{
    loadSetPointSignals();
    loadValueTypes();
    loadDescriptors();
}

void SignalAssembler::loadSetPointSignals()
{
    // Follow the set-point references level by level until every signal
    // that a taken row reaches is loaded or known to be missing.
    QSet<int> known;
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
        known.insert(it.key());

    QSet<int> pending;
    const auto collectReferences = [&](const SignalRow &signal) {
        const int reference = signal.setPointSignal;
        if (reference != NoId && reference != signal.id && !known.contains(reference))
            pending.insert(reference);
    };
    for (const SignalRow &signal : qAsConst(m_rows))
        collectReferences(signal);

    while (!pending.isEmpty()) {
        const QList<int> requested(pending.cbegin(), pending.cend());
        known.unite(pending);
        pending.clear();
        for (int id : addSignals(requested))
            collectReferences(m_rows.value(id));
    }
}

void SignalAssembler::loadValueTypes()
{
    QSet<int> ids;
    for (const SignalRow &signal : qAsConst(m_rows)) {
        if (signal.valueType != 0)
            ids.insert(signal.valueType);
    }
    const QStringList columns{columnName(ValueTypeColumn::ID), columnName(ValueTypeColumn::COLOR),
                              columnName(ValueTypeColumn::DECIMAL_PLACES)};
    selectEachById(tableNameValueType(), columns, ids, [this](const Row &row) {
        const QString colorName = toStringOr(row.at(1), QString());
        m_valueTypes.insert(toIntOr(row.at(0), 0),
                            {colorName.isEmpty() ? QColor() : QColor(colorName), toIntOr(row.at(2), 0)});
    });
}

void SignalAssembler::loadDescriptors()
{
    QSet<int> ids = m_descriptorIds;
    for (const SignalRow &signal : qAsConst(m_rows)) {
        for (int id : signal.addressIds) {
            if (id != NoId)
                ids.insert(id);
        }
    }
    m_descriptors.reserve(ids.size());
    selectEachById(tableNameControllerData(), descriptorColumns(), ids, [this](const Row &row) {
        const QSharedPointer<ControllerAddress> address = descriptorFromRow(row);
        m_descriptors.insert(address->id().value(), address);
    });
}

QSharedPointer<ControllerAddress> SignalAssembler::descriptorFromRow(const Row &row)
{
    const QString accessText = toStringOr(row.at(2), QString());
    auto access = m_accessModes.constFind(accessText);
    if (access == m_accessModes.cend())
        access = m_accessModes.insert(accessText, accessModeId(accessText));

    const QString variableTypeText = toStringOr(row.at(3), QString());
    auto variableType = m_variableTypes.constFind(variableTypeText);
    if (variableType == m_variableTypes.cend())
        variableType = m_variableTypes.insert(variableTypeText, parseVariableType(variableTypeText));

    return QSharedPointer<ControllerAddress>::create(ControllerAddressId(toIntOr(row.at(0), NoId)),
                                                     toStringOr(row.at(1), QString()), *access,
                                                     variableType->first, variableType->second,
                                                     toIntOr(row.at(4), NoId), toStringOr(row.at(5), QString()));
}

void SignalAssembler::selectEachById(const QString &table, const QStringList &columns, const QSet<int> &ids,
                                     const std::function<void(const Row &)> &function)
{
    const auto take = [this, &function, &columns](const Row &row) {
        if (row.size() == columns.size())
            function(row);
        else
            m_reportError(domain::types::UNEXPECTED_RESULT);
    };
    if (ids.size() >= IdsForTableScan) {
        SqlQuery query;
        query.select(columns).from(table);
        m_connection.selectEach(query, [&take, &ids, &columns](const Row &row, int) {
            // A row of the wrong width goes on, to be reported.
            if (row.size() != columns.size() || ids.contains(toIntOr(row.at(0), NoId)))
                take(row);
        });
        return;
    }

    const QList<QVariant> values = toVariantList(ids.values());
    for (int first = 0; first < values.size(); first += MaxIdsPerStatement) {
        SqlQuery query;
        query.select(columns).from(table).where(columns.first()).in(values.mid(first, MaxIdsPerStatement));
        m_connection.selectEach(query, [&take](const Row &row, int) { take(row); });
    }
}

QSharedPointer<ControllerAddress> SignalAssembler::descriptor(int descriptorId)
{
    if (descriptorId == NoId)
        return {};
    const QSharedPointer<ControllerAddress> address = m_descriptors.value(descriptorId);
    if (address.isNull())
        m_reportError(domain::types::UNEXPECTED_RESULT);
    return address;
}

ChamberSignal SignalAssembler::signal(int signalId)
{
    const auto row = m_rows.constFind(signalId);
    if (row == m_rows.cend())
        return ChamberSignal();
    QVector<int> chain{signalId};
    bool chainDependent = false;
    return build(*row, chain, &chainDependent);
}

ChamberSignal SignalAssembler::build(const SignalRow &row, QVector<int> &chain, bool *chainDependent)
{
    QSharedPointer<ChamberSignal> setPointSignal;
    if (row.setPointSignal != NoId && row.setPointSignal != row.id)
        setPointSignal = resolveSetPoint(row.setPointSignal, chain, chainDependent);

    const ValueType valueType = row.valueType != 0 ? m_valueTypes.value(row.valueType) : ValueType();
    return ChamberSignal(row.id, row.name, row.unit, valueType.color, valueType.decimalPlaces,
                         UserLevel(row.userLevel), row.limitMin, row.limitMax, row.bitPosition, row.signalType,
                         setPointSignal, row.timeProgrammable, row.weekProgrammable, descriptor(row.addressIds[0]),
                         descriptor(row.addressIds[1]), descriptor(row.addressIds[2]), descriptor(row.addressIds[3]));
}

QSharedPointer<ChamberSignal> SignalAssembler::resolveSetPoint(int signalId, QVector<int> &chain,
                                                               bool *chainDependent)
{
    const QSharedPointer<ChamberSignal> built = m_setPointSignals.value(signalId);
    if (!built.isNull())
        return built;

    if (chain.contains(signalId)) {
        // A catalogue whose set-point signals name each other would otherwise
        // nest without end; the signal that closes the cycle gets none.
        *chainDependent = true;
        return {};
    }

    const auto row = m_rows.constFind(signalId);
    if (row == m_rows.cend()) {
        m_reportError(domain::types::UNEXPECTED_RESULT);
        return {};
    }

    chain.append(signalId);
    bool cutBelow = false;
    const ChamberSignal signal = build(*row, chain, &cutBelow);
    chain.removeLast();

    if (isDefault(signal)) {
        m_reportError(domain::types::UNEXPECTED_RESULT);
        return {};
    }
    const auto shared = QSharedPointer<ChamberSignal>::create(signal);
    if (cutBelow)
        *chainDependent = true;
    else
        m_setPointSignals.insert(signalId, shared);
    return shared;
}

} // namespace quelta::base::connection::databaseconnection
