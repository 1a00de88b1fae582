#include "connection/database/stores/sqlchamberdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "domain/types/unit.h"

#include <QtCore/QLoggingCategory>
#include <QtNetwork/QHostAddress>

#include <array>
#include <iterator>

namespace quelta::base::connection::databaseconnection {

using domain::types::ChamberData;
using domain::types::ChamberLocation;
using domain::types::ChamberSignal;
using domain::types::ChamberTypeKey;
using domain::types::ToleranceRange;
using domain::types::UnitValue;

namespace {

Q_LOGGING_CATEGORY(lcChamberStore, "quelta.SqlChamberDatabaseConnection")

using Column = ChamberColumn;
using RangeColumn = ChamberToleranceRangeColumn;
using SubscriptionColumn = ChamberHasSubscribedSignalColumn;
using DelayColumn = ChamberHasSignalDelayColumn;
using NameColumn = ChamberHasCustomSignalNameColumn;

// The select list of a chamber row; chamberFromRow() reads by these positions.
constexpr std::array<Column, 19> SelectColumns{
    Column::ID, Column::CHAMBER_NAME, Column::SERIAL_NO, Column::CHAMBER_TYPE_ID,
    Column::CHAMBER_TYPE_ADDITIONAL_INFO_ID, Column::IP_V4_ADDRESS, Column::IP_V6_ADDRESS, Column::MAC_ADDRESS,
    Column::IS_ACTIVE, Column::IS_ARCHIVED, Column::COM_PORT, Column::BAUD_RATE, Column::DATA_BITS,
    Column::STOP_BITS, Column::PARITY, Column::MODBUS_ADDRESS, Column::PROTOCOL_ID, Column::CONVERTER_ID,
    Column::IS_SUBSCRIBED,
};
constexpr int ChamberRowWidth = int(SelectColumns.size());

constexpr int selectPosition(Column column)
{
    for (int position = 0; position < ChamberRowWidth; ++position) {
        if (SelectColumns[size_t(position)] == column)
            return position;
    }
    return -1;
}

// Each band query selects five columns.
constexpr int BandRowWidth = 5;
constexpr int AllSignals = -1;
constexpr int NoDelay = -1;

QString chosenDelayColumn(bool signalDelayColumn)
{
    return columnName(signalDelayColumn ? DelayColumn::DELAY1_IN_SECONDS : DelayColumn::DELAY2_IN_SECONDS);
}

// The columns that are unique among the chambers: an empty text in them is
// NULL, so that any number of chambers can be without such an address.
bool isAddressColumn(Column column)
{
    return column == Column::IP_V4_ADDRESS || column == Column::IP_V6_ADDRESS || column == Column::MAC_ADDRESS;
}

QList<QVariant> signalIdsOf(const QMap<int, ChamberSignal> &definitions)
{
    return toVariantList(definitions.keys());
}

int unitOf(const QMap<int, ChamberSignal> &definitions, int signalId)
{
    const auto definition = definitions.constFind(signalId);
    return definition == definitions.cend() ? domain::types::Unit::None : definition->unit();
}

UnitValue boundOf(const QVariant &value, int unit)
{
    return isUsable(value) ? UnitValue(unit, value) : UnitValue();
}

// Every field of the record but the id, as the columns hold it; with
// activation also is_active. Both address columns are written, so that an
// address the chamber gives up is free again.
SqlQuery::ColumnValues chamberColumnValues(const ChamberData &chamber, bool withActivation)
{
    const QHostAddress address = chamber.ipAddress();
    const bool isIpV4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    const QString ipV4 = isIpV4 ? address.toString() : QString();
    const QString ipV6 = isIpV4 ? QString() : address.toString();
    constexpr int DefaultSetting = ChamberData::DefaultSerialSetting;
    SqlQuery::ColumnValues values{
        {columnName(Column::CHAMBER_NAME), textOrNull(chamber.chamberName())},
        {columnName(Column::CHAMBER_TYPE_ID), valueOrNull<quint64>(chamber.chamberTypeId(), 0)},
        {columnName(Column::CHAMBER_TYPE_ADDITIONAL_INFO_ID), valueOrNull<quint64>(chamber.additionalInfoId(), 0)},
        {columnName(Column::SERIAL_NO), textOrNull(chamber.serialNumber())},
        {columnName(Column::IS_ARCHIVED), chamber.isArchived()},
        {columnName(Column::IS_SUBSCRIBED), chamber.isSubscribed()},
        {columnName(Column::IP_V4_ADDRESS), textOrNull(ipV4)},
        {columnName(Column::IP_V6_ADDRESS), textOrNull(ipV6)},
        {columnName(Column::MAC_ADDRESS), textOrNull(chamber.macAddress().toString())},
        {columnName(Column::MODBUS_ADDRESS), valueOrNull<int>(chamber.modbusAddress(), 0)},
        {columnName(Column::COM_PORT), textOrNull(chamber.comPort())},
        {columnName(Column::BAUD_RATE), valueOrNull(chamber.baudRate(), DefaultSetting)},
        {columnName(Column::DATA_BITS), valueOrNull(chamber.dataBits(), DefaultSetting)},
        {columnName(Column::STOP_BITS), valueOrNull(chamber.stopBits(), DefaultSetting)},
        {columnName(Column::PARITY), valueOrNull(chamber.parity(), DefaultSetting)},
        {columnName(Column::PROTOCOL_ID), valueOrNull(chamber.protocol(), ChamberData::ProtocolUndetermined)},
        {columnName(Column::CONVERTER_ID), chamber.converter()},
    };
    if (withActivation)
        values.append({columnName(Column::IS_ACTIVE), chamber.activationState()});
    return values;
}

// One field as the record holds it, without turning absent values into NULL.
QVariant chamberFieldValue(const ChamberData &chamber, Column column)
{
    switch (column) {
    case Column::ID:
        return chamber.id();
    case Column::CHAMBER_NAME:
        return chamber.chamberName();
    case Column::CHAMBER_TYPE_ID:
        return chamber.chamberTypeId();
    case Column::CHAMBER_TYPE_ADDITIONAL_INFO_ID:
        return chamber.additionalInfoId();
    case Column::SERIAL_NO:
        return chamber.serialNumber();
    case Column::IS_ARCHIVED:
        return chamber.isArchived();
    case Column::IS_SUBSCRIBED:
        return chamber.isSubscribed();
    case Column::IP_V4_ADDRESS:
    case Column::IP_V6_ADDRESS:
        return chamber.ipAddress().toString();
    case Column::MAC_ADDRESS:
        return chamber.macAddress().toString();
    case Column::IS_ACTIVE:
        return chamber.activationState();
    case Column::MODBUS_ADDRESS:
        return int(chamber.modbusAddress());
    case Column::COM_PORT:
        return chamber.comPort();
    case Column::BAUD_RATE:
        return chamber.baudRate();
    case Column::DATA_BITS:
        return chamber.dataBits();
    case Column::STOP_BITS:
        return chamber.stopBits();
    case Column::PARITY:
        return chamber.parity();
    case Column::PROTOCOL_ID:
        return chamber.protocol();
    case Column::CONVERTER_ID:
        return chamber.converter();
    }
    return QVariant();
}

SqlQuery selectChambers()
{
    SqlQuery query;
    query.select(columnNames(SelectColumns)).from(tableNameChamber());
    return query;
}

// The newest band of each signal that started at the moment or before: of a
// group with one MAX() aggregate, SQLite takes the other selected columns
// from the row that holds the maximum.
SqlQuery bandsInForce(const QDateTime &moment, int chamberId, const QList<QVariant> &signalIds)
{
    const QString effectiveFrom = columnName(RangeColumn::EFFECTIVE_FROM);
    SqlQuery query;
    query
        .select(QStringList{columnName(RangeColumn::RANGE_TYPE), columnName(RangeColumn::SIGNAL_ID),
                            columnName(RangeColumn::RANGE_MIN), columnName(RangeColumn::RANGE_MAX),
                            QStringLiteral("MAX(%1)").arg(effectiveFrom)})
        .from(tableNameChamberToleranceRange())
        .where(columnName(RangeColumn::CHAMBER_ID))
        .equals(chamberId)
        .andWhere(columnName(RangeColumn::SIGNAL_ID))
        .in(signalIds)
        .andWhere(effectiveFrom)
        .lessThanOrEquals(moment.toUTC())
        .groupBy(columnName(RangeColumn::SIGNAL_ID));
    return query;
}

// Per signal, the newest band that began at the moment or before; the oldest
// band stands for the time before the first one began.
QMap<int, ToleranceRange> bandsAt(const QMap<int, QMap<QDateTime, ToleranceRange>> &history,
                                  const QDateTime &moment)
{
    QMap<int, ToleranceRange> ranges;
    for (auto signal = history.cbegin(); signal != history.cend(); ++signal) {
        const QMap<QDateTime, ToleranceRange> &bands = signal.value();
        auto inForce = bands.cbegin();
        for (auto band = std::next(inForce); band != bands.cend() && band.key() <= moment; ++band)
            inForce = band;
        ranges.insert(signal.key(), inForce.value());
    }
    return ranges;
}

SqlQuery countSubscriptions(int chamberId)
{
    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(tableNameChamberHasSubscribedSignal())
        .where(columnName(SubscriptionColumn::CHAMBER_ID))
        .equals(chamberId);
    return query;
}

// Appends WHERE chamber_id = ? AND signal_id = ? for the delay table.
SqlQuery &whereDelayOf(SqlQuery &query, int chamberId, int signalId)
{
    return query.where(columnName(DelayColumn::CHAMBER_ID))
        .equals(chamberId)
        .andWhere(columnName(DelayColumn::SIGNAL_ID))
        .equals(signalId);
}

} // namespace

SqlChamberDatabaseConnection::SqlChamberDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlChamberDatabaseConnection::~SqlChamberDatabaseConnection() = default;

bool SqlChamberDatabaseConnection::setConnections(domain::api::ISqlConnection *connection,
                                                  domain::api::IConfigurationDatabaseConnection *configuration,
                                                  domain::api::IRoomDatabaseConnection *rooms)
{
    m_frame.setConnections(connection, configuration, rooms);
    return isInitialized();
}

bool SqlChamberDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlChamberDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameChamber(), tableNameChamberHasSubscribedSignal()},
                               MissingTableReport::EmitError);
}

bool SqlChamberDatabaseConnection::addChamber(ChamberData &chamber)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.insertInto(tableNameChamber()).columnsAndValues(chamberColumnValues(chamber, true));
    const QPair<bool, quint64> result = m_frame.connection()->execute(query);
    if (!result.first) {
        qCWarning(lcChamberStore) << "Failed to add chamber" << chamber.chamberName();
        return false;
    }
    chamber.setId(int(result.second));
    return true;
}

QList<QSharedPointer<ChamberData>> SqlChamberDatabaseConnection::getChambers(bool withLocation)
{
    if (!m_frame.ensureReady())
        return {};

    QList<QSharedPointer<ChamberData>> chambers;
    const QList<Row> rows = m_frame.connection()->select(selectChambers());
    for (const Row &row : rows) {
        if (const QSharedPointer<ChamberData> chamber = chamberFromRow(row, ChamberRowWidth, withLocation))
            chambers.append(chamber);
    }
    return chambers;
}

QSharedPointer<ChamberData> SqlChamberDatabaseConnection::getChamber(const int &chamberId, bool withLocation)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query = selectChambers();
    query.where(columnName(Column::ID)).equals(chamberId);
    return chamberFromRow(m_frame.connection()->selectRow(query), ChamberRowWidth, withLocation);
}

QVariant SqlChamberDatabaseConnection::getChamberValue(const int &chamberId, ChamberColumn column)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(columnName(column)).from(tableNameChamber()).where(columnName(Column::ID)).equals(chamberId);
    return m_frame.connection()->selectValue(query);
}

QMap<int, ChamberSignal> SqlChamberDatabaseConnection::getChamberSignalDefinitions(const int &chamberId)
{
    if (!m_frame.ensureReady())
        return {};

    const quint64 chamberTypeId = toUInt64Or(getChamberValue(chamberId, Column::CHAMBER_TYPE_ID), 0);
    return configuration()->getChamberTypeSignals(ChamberTypeKey(chamberTypeId, 0));
}

bool SqlChamberDatabaseConnection::updateChamber(const ChamberData &chamber, bool withLocation)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.update(tableNameChamber())
        .set(chamberColumnValues(chamber, false))
        .where(columnName(Column::ID))
        .equals(chamber.id());
    if (!m_frame.execute(query))
        return false;
    return !withLocation || rooms()->setChamberPosition(chamber.id(), chamber.location());
}

void SqlChamberDatabaseConnection::updateChamberField(const ChamberData &chamber, ChamberColumn column)
{
    setChamberValue(chamber.id(), column, chamberFieldValue(chamber, column));
}

void SqlChamberDatabaseConnection::setChamberValue(const int &chamberId, ChamberColumn column, const QVariant &value)
{
    if (!m_frame.ensureReady())
        return;

    const bool isNull = isAddressColumn(column) && !isUsable(value);
    SqlQuery query;
    query.update(tableNameChamber())
        .set(columnName(column), isNull ? QVariant() : value)
        .where(columnName(Column::ID))
        .equals(chamberId);
    m_frame.execute(query);
}

void SqlChamberDatabaseConnection::setCustomSignalNames(int chamberId, const QMap<int, QString> &names)
{
    if (!m_frame.ensureReady())
        return;

    const QStringList columns = columnNamesThrough(NameColumn::SIGNAL_NAME);
    // Each name on its own: one that cannot be stored keeps none of the others out.
    for (auto name = names.cbegin(); name != names.cend(); ++name) {
        SqlQuery query;
        query.insertOrReplaceInto(tableNameChamberHasCustomSignalName())
            .columns(columns)
            .values({chamberId, name.key(), name.value()});
        m_frame.execute(query);
    }
}

QMap<int, QString> SqlChamberDatabaseConnection::getCustomSignalNames(int chamberId)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query
        .select(QStringList{columnName(NameColumn::SIGNAL_ID), columnName(NameColumn::SIGNAL_NAME)})
        .from(tableNameChamberHasCustomSignalName())
        .where(columnName(NameColumn::CHAMBER_ID))
        .equals(chamberId);
    QMap<int, QString> names;
    const QList<Row> rows = m_frame.connection()->select(query);
    for (const Row &row : rows) {
        const int signalId = toIntOr(row.value(0), 0);
        if (signalId != 0)
            names.insert(signalId, toStringOr(row.value(1), QString()));
    }
    return names;
}

bool SqlChamberDatabaseConnection::deleteChamber(const int &chamberId)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.deleteFrom(tableNameChamber()).where(columnName(Column::ID)).equals(chamberId);
    return m_frame.execute(query);
}

void SqlChamberDatabaseConnection::archiveChamber(const int &chamberId)
{
    setChamberValue(chamberId, Column::IS_ARCHIVED, true);
}

void SqlChamberDatabaseConnection::unarchiveChamber(const int &chamberId)
{
    setChamberValue(chamberId, Column::IS_ARCHIVED, false);
}

QMap<int, ToleranceRange> SqlChamberDatabaseConnection::getToleranceRanges(
    const QDateTime &moment, const int &chamberId, const QMap<int, ChamberSignal> &definitions)
{
    if (!m_frame.ensureReady())
        return {};
    return toleranceRangesFromQuery(bandsInForce(moment, chamberId, signalIdsOf(definitions)), BandRowWidth,
                                    definitions);
}

QMap<int, ToleranceRange> SqlChamberDatabaseConnection::getRecordingToleranceRanges(
    const QDateTime &moment, const uint &recordingId, const QMap<int, ChamberSignal> &definitions)
{
    const std::lock_guard<std::mutex> locker(m_toleranceMutex);
    if (!m_frame.ensureReady())
        return {};

    const HistoryKey key(recordingId, definitions.keys());
    if (const BandHistory *cached = m_recordingToleranceCache.object(key))
        return bandsAt(*cached, moment);
    const std::optional<BandHistory> loaded = loadBandHistory(recordingId, definitions);
    // A read that stopped short is not the history: kept, it would stand for
    // a chamber without bands until the store goes.
    if (!loaded) {
        m_frame.reportError(domain::types::EXECUTION_FAILED);
        return {};
    }
    m_recordingToleranceCache.insert(key, new BandHistory(*loaded));
    return bandsAt(*loaded, moment);
}

ToleranceRange SqlChamberDatabaseConnection::getToleranceRange(const QDateTime &moment, const int &chamberId,
                                                               const int &signalId)
{
    if (!m_frame.ensureReady())
        return {};

    const std::optional<QMap<int, ChamberSignal>> definitions = catalogueSignals({signalId});
    if (!definitions)
        return {};
    const QMap<int, ToleranceRange> ranges =
        toleranceRangesFromQuery(bandsInForce(moment, chamberId, {signalId}), BandRowWidth, *definitions);
    if (ranges.size() > 1) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return {};
    }
    return ranges.value(signalId);
}

bool SqlChamberDatabaseConnection::addToleranceRange(const QDateTime &effectiveFrom, const int &chamberId,
                                                     const int &signalId, const ToleranceRange &range)
{
    // Held until the band is stored, so that no lookup caches the history
    // without it in between.
    const std::lock_guard<std::mutex> locker(m_toleranceMutex);
    m_recordingToleranceCache.clear();
    if (!m_frame.ensureReady())
        return false;

    // The bounds are kept in the signal's unit: an absolute band as values, a
    // relative one as differences, which no offset between units may shift.
    const std::optional<QMap<int, ChamberSignal>> definitions = catalogueSignals({signalId});
    if (!definitions)
        return false;
    const int unit = unitOf(*definitions, signalId);
    QVariant minimum;
    QVariant maximum;
    if (range.type() == ToleranceRange::Absolute) {
        minimum = range.lower().valueIn(unit);
        maximum = range.upper().valueIn(unit);
    } else if (range.type() == ToleranceRange::Relative) {
        minimum = range.lower().differenceIn(unit);
        maximum = range.upper().differenceIn(unit);
    }
    SqlQuery query;
    query.insertInto(tableNameChamberToleranceRange())
        .columns(columnNamesThrough(RangeColumn::RANGE_MAX))
        .values({effectiveFrom.toUTC(), chamberId, signalId, range.type(), minimum, maximum});
    return m_frame.execute(query);
}

bool SqlChamberDatabaseConnection::isChamberSubscribed(const int &chamberId)
{
    return toBoolOr(getChamberValue(chamberId, Column::IS_SUBSCRIBED), false);
}

QList<int> SqlChamberDatabaseConnection::getSubscribedSignals(const int &chamberId)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(columnName(SubscriptionColumn::SIGNAL_ID))
        .from(tableNameChamberHasSubscribedSignal())
        .where(columnName(SubscriptionColumn::CHAMBER_ID))
        .equals(chamberId);
    QList<int> signalIds;
    const QList<Row> rows = m_frame.connection()->select(query);
    for (const Row &row : rows) {
        if (m_frame.hasWidth(row, 1))
            signalIds.append(toIntOr(row.at(0), -1));
    }
    return signalIds;
}

bool SqlChamberDatabaseConnection::isAnySignalSubscribed(const int &chamberId, const QList<int> &signalIds)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query = countSubscriptions(chamberId);
    query.andWhere(columnName(SubscriptionColumn::SIGNAL_ID)).in(toVariantList(signalIds));
    return toIntOr(m_frame.connection()->selectValue(query), 0) > 0;
}

bool SqlChamberDatabaseConnection::isSignalSubscribed(const int &chamberId, const int &signalId)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query = countSubscriptions(chamberId);
    query.andWhere(columnName(SubscriptionColumn::SIGNAL_ID)).equals(signalId);
    return toIntOr(m_frame.connection()->selectValue(query), 0) > 0;
}

void SqlChamberDatabaseConnection::subscribeChamber(const int &chamberId)
{
    setChamberValue(chamberId, Column::IS_SUBSCRIBED, true);
}

void SqlChamberDatabaseConnection::unsubscribeChamber(const int &chamberId)
{
    if (unsubscribeSignal(chamberId, AllSignals))
        setChamberValue(chamberId, Column::IS_SUBSCRIBED, false);
}

bool SqlChamberDatabaseConnection::subscribeChambers(const QList<int> &chamberIds)
{
    if (!m_frame.ensureReady())
        return false;
    return setChambersSubscribed(chamberIds, true);
}

bool SqlChamberDatabaseConnection::unsubscribeChambers(const QList<int> &chamberIds)
{
    if (!m_frame.ensureReady())
        return false;

    for (const int chamberId : chamberIds) {
        if (!unsubscribeSignal(chamberId, AllSignals))
            return false;
    }
    return setChambersSubscribed(chamberIds, false);
}

bool SqlChamberDatabaseConnection::subscribeSignal(const int &chamberId, const int &signalId)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.insertInto(tableNameChamberHasSubscribedSignal())
        .columns({columnName(SubscriptionColumn::CHAMBER_ID), columnName(SubscriptionColumn::SIGNAL_ID)})
        .values({chamberId, signalId});
    return executeOrReport(query);
}

bool SqlChamberDatabaseConnection::unsubscribeSignal(const int &chamberId, const int &signalId)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.deleteFrom(tableNameChamberHasSubscribedSignal())
        .where(columnName(SubscriptionColumn::CHAMBER_ID))
        .equals(chamberId);
    if (signalId != AllSignals)
        query.andWhere(columnName(SubscriptionColumn::SIGNAL_ID)).equals(signalId);
    return executeOrReport(query);
}

QMap<int, int> SqlChamberDatabaseConnection::getSignalDelays(const int &chamberId, bool signalDelayColumn)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(QStringList{columnName(DelayColumn::SIGNAL_ID), chosenDelayColumn(signalDelayColumn)})
        .from(tableNameChamberHasSignalDelay())
        .where(columnName(DelayColumn::CHAMBER_ID))
        .equals(chamberId);
    QMap<int, int> delays;
    const QList<Row> rows = m_frame.connection()->select(query);
    for (const Row &row : rows) {
        if (row.value(1).isValid())
            delays.insert(toIntOr(row.at(0), -1), toIntOr(row.at(1), NoDelay));
    }
    return delays;
}

int SqlChamberDatabaseConnection::getSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn)
{
    if (!m_frame.ensureReady())
        return NoDelay;
    return toIntOr(selectSignalDelay(chamberId, signalId, signalDelayColumn), NoDelay);
}

bool SqlChamberDatabaseConnection::hasSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn)
{
    if (!m_frame.ensureReady())
        return false;
    // NULL arrives as a valid value: a row whose chosen delay is unset counts.
    return selectSignalDelay(chamberId, signalId, signalDelayColumn).isValid();
}

bool SqlChamberDatabaseConnection::setSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn,
                                                  int seconds)
{
    if (!m_frame.ensureReady())
        return false;

    const QString chosen = chosenDelayColumn(signalDelayColumn);
    SqlQuery query;
    if (signalDelayExists(chamberId, signalId)) {
        query.update(tableNameChamberHasSignalDelay()).set(chosen, seconds);
        whereDelayOf(query, chamberId, signalId);
    } else {
        query.insertInto(tableNameChamberHasSignalDelay())
            .columns({columnName(DelayColumn::CHAMBER_ID), columnName(DelayColumn::SIGNAL_ID), chosen})
            .values({chamberId, signalId, seconds});
    }
    return m_frame.execute(query);
}

QSharedPointer<ChamberData> SqlChamberDatabaseConnection::chamberFromRow(const Row &row, int width,
                                                                         bool withLocation)
{
    if (!m_frame.hasWidth(row, width))
        return {};

    const auto at = [&row](Column column) { return row.at(selectPosition(column)); };
    const int id = toIntOr(at(Column::ID), ChamberData::NewChamberId);
    const QVariant ipV4 = at(Column::IP_V4_ADDRESS);
    const QHostAddress address(toStringOr(isUsable(ipV4) ? ipV4 : at(Column::IP_V6_ADDRESS), QString()));
    const ChamberLocation location = withLocation ? rooms()->getChamberPosition(id) : ChamberLocation();
    constexpr int DefaultSetting = ChamberData::DefaultSerialSetting;
    return QSharedPointer<ChamberData>::create(
        id, toStringOr(at(Column::CHAMBER_NAME), QString()), toStringOr(at(Column::SERIAL_NO), QString()),
        ChamberTypeKey(toUInt64Or(at(Column::CHAMBER_TYPE_ID), 0),
                       toUInt64Or(at(Column::CHAMBER_TYPE_ADDITIONAL_INFO_ID), 0)),
        address, domain::types::MacAddress::fromString(toStringOr(at(Column::MAC_ADDRESS), QString())),
        toIntOr(at(Column::IS_ACTIVE), domain::types::ActivationState::STATE_UNDEFINED),
        domain::types::ChamberOperationMode::MODE_UNDEFINED, toBoolOr(at(Column::IS_ARCHIVED), false),
        toBoolOr(at(Column::IS_SUBSCRIBED), false), toStringOr(at(Column::COM_PORT), QString()),
        toIntOr(at(Column::BAUD_RATE), DefaultSetting), toIntOr(at(Column::DATA_BITS), DefaultSetting),
        toIntOr(at(Column::STOP_BITS), DefaultSetting), toIntOr(at(Column::PARITY), DefaultSetting),
        quint8(toUIntOr(at(Column::MODBUS_ADDRESS), 0)),
        toIntOr(at(Column::PROTOCOL_ID), ChamberData::ProtocolUndetermined),
        toIntOr(at(Column::CONVERTER_ID), ChamberData::NoConverter), location);
}

QMap<int, ToleranceRange> SqlChamberDatabaseConnection::toleranceRangesFromQuery(
    const SqlQuery &query, int width, const QMap<int, ChamberSignal> &definitions)
{
    QMap<int, ToleranceRange> ranges;
    const QList<Row> rows = m_frame.connection()->select(query);
    for (const Row &row : rows) {
        if (!m_frame.hasWidth(row, width))
            continue;
        const int signalId = toIntOr(row.at(1), -1);
        const int unit = unitOf(definitions, signalId);
        ranges.insert(signalId, ToleranceRange(toIntOr(row.at(0), ToleranceRange::Invalid), boundOf(row.at(2), unit),
                                               boundOf(row.at(3), unit)));
    }
    return ranges;
}

std::optional<SqlChamberDatabaseConnection::BandHistory> SqlChamberDatabaseConnection::loadBandHistory(
    uint recordingId, const QMap<int, ChamberSignal> &definitions)
{
    SqlQuery chamberOfRecording;
    chamberOfRecording.select(columnName(RecordingColumn::CHAMBER_ID))
        .from(tableNameRecording())
        .where(columnName(RecordingColumn::ID))
        .equals(recordingId);
    SqlQuery query;
    query
        .select(QStringList{columnName(RangeColumn::EFFECTIVE_FROM), columnName(RangeColumn::RANGE_TYPE),
                            columnName(RangeColumn::SIGNAL_ID), columnName(RangeColumn::RANGE_MIN),
                            columnName(RangeColumn::RANGE_MAX)})
        .from(tableNameChamberToleranceRange())
        .where(columnName(RangeColumn::CHAMBER_ID))
        .equalsSubQuery(chamberOfRecording)
        .andWhere(columnName(RangeColumn::SIGNAL_ID))
        .in(signalIdsOf(definitions));

    BandHistory history;
    const bool whole = m_frame.connection()->selectEach(query, [&](const Row &row, int) {
        if (!m_frame.hasWidth(row, BandRowWidth))
            return;
        const int signalId = toIntOr(row.at(2), -1);
        const int unit = unitOf(definitions, signalId);
        history[signalId].insert(toDateTimeOr(row.at(0), QDateTime()),
                                 ToleranceRange(toIntOr(row.at(1), ToleranceRange::Invalid),
                                                boundOf(row.at(3), unit), boundOf(row.at(4), unit)));
    });
    if (!whole)
        return std::nullopt;
    return history;
}

std::optional<QMap<int, ChamberSignal>> SqlChamberDatabaseConnection::catalogueSignals(const QList<int> &signalIds)
{
    return m_frame.unlessReadsFail([&] { return configuration()->getSignals(signalIds); }, configuration());
}

bool SqlChamberDatabaseConnection::executeOrReport(const SqlQuery &query)
{
    if (m_frame.execute(query))
        return true;
    m_frame.reportError(domain::types::EXECUTION_FAILED);
    return false;
}

bool SqlChamberDatabaseConnection::setChambersSubscribed(const QList<int> &chamberIds, bool subscribed)
{
    SqlQuery query;
    query.update(tableNameChamber())
        .set(columnName(Column::IS_SUBSCRIBED), subscribed)
        .where(columnName(Column::ID))
        .in(toVariantList(chamberIds));
    return m_frame.execute(query);
}

bool SqlChamberDatabaseConnection::signalDelayExists(int chamberId, int signalId)
{
    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString()).from(tableNameChamberHasSignalDelay());
    return toIntOr(m_frame.connection()->selectValue(whereDelayOf(query, chamberId, signalId)), 0) > 0;
}

QVariant SqlChamberDatabaseConnection::selectSignalDelay(int chamberId, int signalId, bool signalDelayColumn)
{
    SqlQuery query;
    query.select(chosenDelayColumn(signalDelayColumn)).from(tableNameChamberHasSignalDelay());
    return m_frame.connection()->selectValue(whereDelayOf(query, chamberId, signalId));
}

domain::api::IConfigurationDatabaseConnection *SqlChamberDatabaseConnection::configuration() const
{
    return m_frame.dependency<domain::api::IConfigurationDatabaseConnection>();
}

domain::api::IRoomDatabaseConnection *SqlChamberDatabaseConnection::rooms() const
{
    return m_frame.dependency<domain::api::IRoomDatabaseConnection>();
}

} // namespace quelta::base::connection::databaseconnection
