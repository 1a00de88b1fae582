#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "connection/database/stores/cataloguevocabulary.h"
#include "connection/database/stores/chambertypereader.h"
#include "connection/database/stores/signalassembler.h"
#include "domain/types/unit.h"

#include <limits>

namespace quelta::base::connection::databaseconnection {

using domain::types::ChamberSignal;
using domain::types::ChamberTypeData;
using domain::types::ChamberTypeKey;
using domain::types::DatabaseConnectionError;
using domain::types::ToleranceRange;
using domain::types::ToleranceRangeDefinition;
using domain::types::Unit;
using domain::types::UnitValue;

namespace {

constexpr int NoId = -1;
constexpr int ToleranceRangeColumnCount = 8;
// Delay of a signal without a tolerance range, in seconds.
constexpr int DefaultSignalDelay = 180;
constexpr int SecondsPerMinute = 60;

// SELECT <second> FROM <link table> WHERE <first> = ?
SqlQuery linkQuery(const QString &table, const QString &firstColumn, const QString &secondColumn,
                   quint64 chamberTypeId)
{
    SqlQuery query;
    query.select(secondColumn).from(table).where(firstColumn).equals(chamberTypeId);
    return query;
}

SqlQuery typeSignalIds(quint64 chamberTypeId)
{
    return linkQuery(tableNameChamberTypeHasSignal(), columnName(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID),
                     columnName(ChamberTypeHasSignalColumn::SIGNAL_ID), chamberTypeId);
}

SqlQuery typeToleranceRangeIds(quint64 chamberTypeId)
{
    return linkQuery(tableNameChamberTypeHasToleranceRange(),
                     columnName(ChamberTypeHasToleranceRangeColumn::CHAMBER_TYPE_ID),
                     columnName(ChamberTypeHasToleranceRangeColumn::TOLERANCE_RANGE_ID),
                     chamberTypeId);
}

// The signal ids of a type, joined with the signal table so that the caller
// can add a condition on the signal: ... WHERE chamber_type_id = ? AND
SqlQuery typeSignalIdsJoined(quint64 chamberTypeId)
{
    const QString link = tableNameChamberTypeHasSignal();
    const QString signalIdColumn = columnName(ChamberTypeHasSignalColumn::SIGNAL_ID);
    SqlQuery query;
    query.select(QList<TableColumn>{{link, signalIdColumn}})
        .from(link)
        .join({link, signalIdColumn, tableNameSignal(), columnName(SignalColumn::ID)})
        .where(TableColumn{link, columnName(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID)})
        .equals(chamberTypeId);
    return query;
}

} // namespace

SqlConfigurationDatabaseConnection::SqlConfigurationDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlConfigurationDatabaseConnection::~SqlConfigurationDatabaseConnection() = default;

bool SqlConfigurationDatabaseConnection::setConnections(domain::api::ISqlConnection *connection)
{
    m_frame.setConnections(connection);
    return isInitialized();
}

bool SqlConfigurationDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlConfigurationDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameAdditionalInfo(), tableNameChamberTypeHasAdditionalInfo(),
                                tableNameChamberTypeHasProtocol(), tableNameChamberTypeHasSignal(),
                                tableNameChamberType(), tableNameController(), tableNameControllerData(),
                                tableNameProtocol(), tableNameSignal(), tableNameValueType()},
                               MissingTableReport::EmitError);
}

QList<ChamberTypeData> SqlConfigurationDatabaseConnection::getChamberTypes(bool withSignals)
{
    if (!m_frame.ensureReady())
        return {};
    return ChamberTypeReader(*m_frame.connection(), makeReporter()).readTypes(withSignals);
}

QList<ChamberTypeData> SqlConfigurationDatabaseConnection::getTimeProgrammableChamberTypes()
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery timeProgrammableSignals;
    timeProgrammableSignals.select(columnName(SignalColumn::ID))
        .from(tableNameSignal())
        .where(columnName(SignalColumn::TIME_PROGRAMMABLE))
        .equals(true);
    SqlQuery typeIds;
    typeIds.select(columnName(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID))
        .from(tableNameChamberTypeHasSignal())
        .where(columnName(ChamberTypeHasSignalColumn::SIGNAL_ID))
        .in(timeProgrammableSignals);
    return ChamberTypeReader(*m_frame.connection(), makeReporter()).readTypes(typeIds, false);
}

ChamberTypeData SqlConfigurationDatabaseConnection::getChamberType(const ChamberTypeKey &key, bool withSignals)
{
    if (!m_frame.ensureReady())
        return {};
    return ChamberTypeReader(*m_frame.connection(), makeReporter()).readType(key, withSignals);
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::getChamberTypeSignals(const ChamberTypeKey &key)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(SignalAssembler::signalColumns(tableNameSignal()))
        .from(tableNameSignal())
        .where(columnName(SignalColumn::ID))
        .in(typeSignalIds(key.chamberTypeId()));
    return byId(readSignals(query));
}

QList<QPair<ChamberSignal, ToleranceRangeDefinition>> SqlConfigurationDatabaseConnection::getChamberSignals(
    const ChamberTypeKey &key)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery timeProgrammable = typeSignalIdsJoined(key.chamberTypeId());
    timeProgrammable.andWhere(TableColumn{tableNameSignal(), columnName(SignalColumn::TIME_PROGRAMMABLE)})
        .equals(true);

    const QString descriptors = tableNameControllerData();
    SqlQuery query;
    query.select(SignalAssembler::signalColumns(tableNameSignal()))
        .from(tableNameSignal())
        .join({tableNameSignal(), columnName(SignalColumn::WRITE_MANUAL), descriptors,
               columnName(ControllerDataColumn::ID)})
        .where(TableColumn{tableNameSignal(), columnName(SignalColumn::ID)})
        .in(timeProgrammable)
        .orderBy(TableColumn{descriptors, columnName(ControllerDataColumn::SET_POINT_NR)});

    QList<QPair<ChamberSignal, ToleranceRangeDefinition>> pairs;
    for (const ChamberSignal &signal : readSignals(query))
        pairs.append({signal, getToleranceRange(key, signal.id(), true)});
    return pairs;
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::getSetpointSignals(const ChamberTypeKey &key)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery setPoints = typeSignalIdsJoined(key.chamberTypeId());
    setPoints.andWhere(TableColumn{tableNameSignal(), columnName(SignalColumn::SIGNAL_TYPE)})
        .equals(signalTypeText(ChamberSignal::SetPoint));
    SqlQuery query;
    query.select(SignalAssembler::signalColumns(tableNameSignal()))
        .from(tableNameSignal())
        .where(columnName(SignalColumn::ID))
        .in(setPoints);
    return byId(readSignals(query));
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::getSignals(const QList<int> &signalIds)
{
    if (!m_frame.ensureReady() || signalIds.isEmpty())
        return {};

    SignalAssembler assembler = makeAssembler();
    const QList<int> found = assembler.addSignals(signalIds);
    return byId(builtSignals(assembler, found));
}

QSharedPointer<ChamberSignal> SqlConfigurationDatabaseConnection::getSignal(const int &signalId)
{
    if (!m_frame.ensureReady())
        return {};

    const QMap<int, ChamberSignal> signalMap = getSignals({signalId});
    if (signalMap.size() != 1 || signalMap.firstKey() != signalId) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return {};
    }
    return QSharedPointer<ChamberSignal>::create(signalMap.first());
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::matchSignalsByValueType(const ChamberTypeKey &source,
                                                                                     const ChamberTypeKey &destination)
{
    if (!m_frame.ensureReady())
        return {};

    const QString sourceAlias = QLatin1String("source_") + tableNameSignal();
    const QString destinationAlias = QLatin1String("destination_") + tableNameSignal();
    const QString idColumn = columnName(SignalColumn::ID);
    const QString valueTypeColumn = columnName(SignalColumn::VALUE_TYPE);

    SqlQuery query;
    query.select(SignalAssembler::signalColumns(destinationAlias) + QList<TableColumn>{{sourceAlias, idColumn}})
        .from(tableNameSignal(), sourceAlias)
        .join({sourceAlias, valueTypeColumn, destinationAlias, valueTypeColumn}, tableNameSignal())
        .where(TableColumn{sourceAlias, idColumn})
        .in(typeSignalIds(source.chamberTypeId()))
        .andWhere(TableColumn{destinationAlias, idColumn})
        .in(typeSignalIds(destination.chamberTypeId()));

    SignalAssembler assembler = makeAssembler();
    QList<QPair<int, int>> matches;
    const auto take = [this, &assembler, &matches](const RowView &row, int) {
        if (!m_frame.hasWidth(row, SignalAssembler::SignalColumnCount + 1))
            return;
        const int destinationId = assembler.addSignalRow(row);
        matches.append({toIntOr(row, SignalAssembler::SignalColumnCount, NoId), destinationId});
    };
    if (!m_frame.readEach(query, take) || !assembler.load())
        return {};

    QMap<int, ChamberSignal> matched;
    for (const QPair<int, int> &match : qAsConst(matches))
        matched.insert(match.first, assembler.signal(match.second));
    return matched;
}

QList<ChamberSignal> SqlConfigurationDatabaseConnection::getDataLoggerSignals(const ChamberTypeKey &key)
{
    if (!m_frame.ensureReady())
        return {};

    using Column = ChamberTypeHasDataloggerSignalColumn;
    const QString link = tableNameChamberTypeHasDataloggerSignal();
    SqlQuery query;
    query.select(SignalAssembler::signalColumns(tableNameSignal()))
        .from(tableNameSignal())
        .join({tableNameSignal(), columnName(SignalColumn::ID), link, columnName(Column::DATALOGGER_SIGNAL_ID)})
        .where(TableColumn{link, columnName(Column::CHAMBER_TYPE_ID)})
        .equals(key.chamberTypeId())
        .orderBy(TableColumn{link, columnName(Column::CHANNEL)});
    return readSignals(query);
}

ToleranceRangeDefinition SqlConfigurationDatabaseConnection::getToleranceRange(const ChamberTypeKey &key,
                                                                               const int &signalId, bool bySetPoint)
{
    if (!m_frame.ensureReady())
        return {};

    const QString ranges = tableNameToleranceRange();
    const QString matchingColumn =
        columnName(bySetPoint ? ToleranceRangeColumn::SET_POINT : ToleranceRangeColumn::PROCESS_VALUE);
    QList<TableColumn> columns;
    for (int index = static_cast<int>(ToleranceRangeColumn::NAME);
         index <= static_cast<int>(ToleranceRangeColumn::DELAY2); ++index)
        columns.append({ranges, columnName(static_cast<ToleranceRangeColumn>(index))});
    columns.append({tableNameSignal(), columnName(SignalColumn::UNIT)});

    SqlQuery query;
    query.select(columns)
        .from(ranges)
        .join({ranges, matchingColumn, tableNameSignal(), columnName(SignalColumn::ID)})
        .where(TableColumn{ranges, columnName(ToleranceRangeColumn::ID)})
        .in(typeToleranceRangeIds(key.chamberTypeId()))
        .andWhere(TableColumn{ranges, matchingColumn})
        .equals(signalId);

    const QList<ToleranceRangeDefinition> definitions = toleranceRangesFromQuery(query);
    if (definitions.size() > 1)
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
    return definitions.isEmpty() ? ToleranceRangeDefinition() : definitions.first();
}

int SqlConfigurationDatabaseConnection::getDefaultSignalDelay(const ChamberTypeKey &key, const int &signalId,
                                                              bool second)
{
    if (!m_frame.ensureReady())
        return 0;

    SqlQuery query;
    query.select(columnName(second ? ToleranceRangeColumn::DELAY2 : ToleranceRangeColumn::DELAY1))
        .from(tableNameToleranceRange())
        .where(columnName(ToleranceRangeColumn::PROCESS_VALUE))
        .equals(signalId)
        .andWhere(columnName(ToleranceRangeColumn::ID))
        .in(typeToleranceRangeIds(key.chamberTypeId()));
    const QVariant value = selectValue(query);
    if (!value.isValid())
        return DefaultSignalDelay;

    // An unset delay stays unset, whichever unit it would have had.
    const int delay = toIntOr(value, -1);
    if (delay == -1 || !second)
        return delay;
    const qint64 seconds = qint64(delay) * SecondsPerMinute;
    return int(qBound<qint64>(std::numeric_limits<int>::min(), seconds, std::numeric_limits<int>::max()));
}

int SqlConfigurationDatabaseConnection::getSignalUnit(const int &signalId)
{
    if (!m_frame.ensureReady())
        return Unit::None;

    SqlQuery query;
    query.select(columnName(SignalColumn::UNIT))
        .from(tableNameSignal())
        .where(columnName(SignalColumn::ID))
        .equals(signalId);
    return Unit::fromString(toStringOr(selectValue(query), QString()));
}

QList<ChamberSignal> SqlConfigurationDatabaseConnection::readSignals(const SqlQuery &query)
{
    SignalAssembler assembler = makeAssembler();
    QList<int> ids;
    const auto take = [this, &assembler, &ids](const RowView &row, int) {
        if (m_frame.hasWidth(row, SignalAssembler::SignalColumnCount))
            ids.append(assembler.addSignalRow(row));
    };
    if (!m_frame.readEach(query, take))
        return {};
    return builtSignals(assembler, ids);
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::byId(const QList<ChamberSignal> &signalList)
{
    QMap<int, ChamberSignal> signalMap;
    for (const ChamberSignal &signal : signalList)
        signalMap.insert(signal.id(), signal);
    return signalMap;
}

QList<ChamberSignal> SqlConfigurationDatabaseConnection::builtSignals(SignalAssembler &assembler,
                                                                     const QList<int> &signalIds)
{
    if (!assembler.load())
        return {};
    QList<ChamberSignal> signalList;
    for (int id : signalIds) {
        const ChamberSignal signal = assembler.signal(id);
        if (!SignalAssembler::isDefault(signal))
            signalList.append(signal);
    }
    return signalList;
}

QList<ToleranceRangeDefinition> SqlConfigurationDatabaseConnection::toleranceRangesFromQuery(const SqlQuery &query)
{
    QList<ToleranceRangeDefinition> definitions;
    const auto take = [this, &definitions](const RowView &row, int) {
        if (!m_frame.hasWidth(row, ToleranceRangeColumnCount))
            return;
        // The catalogue keeps the lower limit as a positive distance below
        // the set point, which is how a relative ToleranceRange holds it too;
        // negating it would move the band's lower edge above the set point.
        const int unit = Unit::fromString(toStringOr(row, 7, QString()));
        const ToleranceRange range(ToleranceRange::Relative, UnitValue(unit, toFloatOr(row, 3, 0.0f)),
                                   UnitValue(unit, toFloatOr(row, 4, 0.0f)));
        definitions.append(ToleranceRangeDefinition(toStringOr(row, 0, QString()), toIntOr(row, 1, NoId),
                                                    toIntOr(row, 2, NoId), range, toIntOr(row, 5, -1),
                                                    toIntOr(row, 6, -1)));
    };
    if (!m_frame.readEach(query, take))
        return {};
    return definitions;
}

QVariant SqlConfigurationDatabaseConnection::selectValue(const SqlQuery &query)
{
    // No row and a failed read both give an invalid value; only the
    // connection's report tells them apart.
    return m_frame.unlessReadsFail([&] { return m_frame.connection()->selectValue(query); }, m_frame.connection())
        .value_or(QVariant());
}

SignalAssembler::ErrorReporter SqlConfigurationDatabaseConnection::makeReporter()
{
    return [this](DatabaseConnectionError error) { m_frame.reportError(error); };
}

SignalAssembler SqlConfigurationDatabaseConnection::makeAssembler()
{
    return SignalAssembler(*m_frame.connection(), makeReporter());
}

} // namespace quelta::base::connection::databaseconnection
