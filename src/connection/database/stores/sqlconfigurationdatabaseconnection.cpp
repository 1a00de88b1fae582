#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "connection/database/stores/cataloguevocabulary.h"
#include "connection/database/stores/signalassembler.h"
#include "domain/types/unit.h"

#include <QtCore/QHash>
#include <QtCore/QSet>

#include <limits>

namespace quelta::base::connection::databaseconnection {

using domain::types::ChamberOption;
using domain::types::ChamberSignal;
using domain::types::ChamberTypeData;
using domain::types::ChamberTypeKey;
using domain::types::ControllerAddress;
using domain::types::ControlSignal;
using domain::types::ControlSignalId;
using domain::types::DatabaseConnectionError;
using domain::types::ToleranceRange;
using domain::types::ToleranceRangeDefinition;
using domain::types::Unit;
using domain::types::UnitValue;

namespace {

constexpr int NoId = -1;
constexpr int ChamberTypeColumnCount = 14;
constexpr int ToleranceRangeColumnCount = 8;
// Delay of a signal without a tolerance range, in seconds.
constexpr int DefaultSignalDelay = 180;
constexpr int SecondsPerMinute = 60;

// Ids of the catalogue are unsigned 64-bit; read and bind them whole, so
// that ids beyond the range of an int still find their rows.
quint64 toUInt64Or(const QVariant &value, quint64 defaultValue)
{
    return isUsable(value) ? value.toULongLong() : defaultValue;
}

QStringList chamberTypeColumns()
{
    QStringList columns;
    for (int index = 0; index < ChamberTypeColumnCount; ++index)
        columns.append(columnNameChamberType(static_cast<ChamberTypeColumn>(index)));
    return columns;
}

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
    return linkQuery(tableNameChamberTypeHasSignal(),
                     columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID),
                     columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn::SIGNAL_ID), chamberTypeId);
}

SqlQuery typeToleranceRangeIds(quint64 chamberTypeId)
{
    return linkQuery(tableNameChamberTypeHasToleranceRange(),
                     columnNameChamberTypeHasToleranceRange(ChamberTypeHasToleranceRangeColumn::CHAMBER_TYPE_ID),
                     columnNameChamberTypeHasToleranceRange(ChamberTypeHasToleranceRangeColumn::TOLERANCE_RANGE_ID),
                     chamberTypeId);
}

// The signal ids of a type, joined with the signal table so that the caller
// can add a condition on the signal: ... WHERE chamber_type_id = ? AND
SqlQuery typeSignalIdsJoined(quint64 chamberTypeId)
{
    const QString link = tableNameChamberTypeHasSignal();
    const QString signalIdColumn = columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn::SIGNAL_ID);
    SqlQuery query;
    query.select(QList<TableColumn>{{link, signalIdColumn}})
        .from(link)
        .join({link, signalIdColumn, tableNameSignal(), columnNameSignal(SignalColumn::ID)})
        .where(TableColumn{link, columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID)})
        .equals(chamberTypeId);
    return query;
}

// One chamber_type row, read by position.
struct TypeRow
{
    quint64 id = 0;
    QString typeName;
    QString eLevel;
    int size = -1;
    QString voltage;
    QString image;
    QString description;
    QString firmwareStart;
    QString firmwareEnd;
    QString setupIdentifier;
    int setupVersionStart = -1;
    int setupVersionEnd = -1;
    QString programIdentifier;
    int controllerId = NoId;
};

TypeRow parseTypeRow(const QList<QVariant> &row)
{
    const auto text = [&row](ChamberTypeColumn column) {
        return toStringOr(row.at(static_cast<int>(column)), QString());
    };
    const auto number = [&row](ChamberTypeColumn column) {
        return toIntOr(row.at(static_cast<int>(column)), -1);
    };
    TypeRow type;
    type.id = toUInt64Or(row.at(static_cast<int>(ChamberTypeColumn::ID)), 0);
    type.typeName = text(ChamberTypeColumn::TYPE);
    type.eLevel = text(ChamberTypeColumn::DEVELOPEMENT_STATE);
    type.size = number(ChamberTypeColumn::SIZE);
    type.voltage = text(ChamberTypeColumn::VOLTAGE);
    type.image = text(ChamberTypeColumn::IMAGE);
    type.description = text(ChamberTypeColumn::DESCRIPTION);
    type.firmwareStart = text(ChamberTypeColumn::FIRMWARE_START);
    type.firmwareEnd = text(ChamberTypeColumn::FIRMWARE_ENDE);
    type.setupIdentifier = text(ChamberTypeColumn::SETUP_KENNUNG);
    type.setupVersionStart = number(ChamberTypeColumn::SETUP_VERSION_START);
    type.setupVersionEnd = number(ChamberTypeColumn::SETUP_VERSION_ENDE);
    type.programIdentifier = text(ChamberTypeColumn::KENNUNG_PROGRAMME);
    type.controllerId = number(ChamberTypeColumn::CONTROLLER_ID);
    return type;
}

// One article variant of a type: its additional_info id and texts.
struct Variant
{
    quint64 id = 0;
    QString articleNumber;
    QString info;
};

// One control_signals row, with the ids of its two descriptors.
struct ControlSignalRow
{
    ControlSignalId id;
    QString name;
    int bitPosition = -1;
    int userLevel = -1;
    int readId = NoId;
    int writeId = NoId;
};

} // namespace

// Which chamber types a statement over a link table covers.
class SqlConfigurationDatabaseConnection::TypeSelection
{
public:
    static TypeSelection all() { return TypeSelection(); }
    static TypeSelection one(quint64 chamberTypeId)
    {
        TypeSelection selection;
        selection.m_kind = Kind::One;
        selection.m_chamberTypeId = chamberTypeId;
        return selection;
    }
    // The types whose ids the sub-query selects.
    static TypeSelection matching(const SqlQuery &chamberTypeIds)
    {
        TypeSelection selection;
        selection.m_kind = Kind::Matching;
        selection.m_chamberTypeIds = chamberTypeIds;
        return selection;
    }

    // Adds the WHERE clause that restricts the column to the selected types.
    void restrict(SqlQuery &query, const TableColumn &chamberTypeIdColumn) const
    {
        switch (m_kind) {
        case Kind::All:
            return;
        case Kind::One:
            query.where(chamberTypeIdColumn).equals(m_chamberTypeId);
            return;
        case Kind::Matching:
            query.where(chamberTypeIdColumn).in(m_chamberTypeIds);
            return;
        }
    }

private:
    enum class Kind {
        All,
        One,
        Matching,
    };

    TypeSelection() = default;

    Kind m_kind = Kind::All;
    quint64 m_chamberTypeId = 0;
    SqlQuery m_chamberTypeIds;
};

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

    SqlQuery query;
    query.select(chamberTypeColumns()).from(tableNameChamberType());
    return chamberTypesFromRows(m_frame.connection()->select(query), TypeSelection::all(), withSignals, 0,
                                RecordLimit::Any);
}

QList<ChamberTypeData> SqlConfigurationDatabaseConnection::getTimeProgrammableChamberTypes()
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery timeProgrammableSignals;
    timeProgrammableSignals.select(columnNameSignal(SignalColumn::ID))
        .from(tableNameSignal())
        .where(columnNameSignal(SignalColumn::TIME_PROGRAMMABLE))
        .equals(true);
    SqlQuery typeIds;
    typeIds.select(columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID))
        .from(tableNameChamberTypeHasSignal())
        .where(columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn::SIGNAL_ID))
        .in(timeProgrammableSignals);
    SqlQuery query;
    query.select(chamberTypeColumns())
        .from(tableNameChamberType())
        .where(columnNameChamberType(ChamberTypeColumn::ID))
        .in(typeIds);
    return chamberTypesFromRows(m_frame.connection()->select(query), TypeSelection::matching(typeIds), false, 0,
                                RecordLimit::Any);
}

ChamberTypeData SqlConfigurationDatabaseConnection::getChamberType(const ChamberTypeKey &key, bool withSignals)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(chamberTypeColumns())
        .from(tableNameChamberType())
        .where(columnNameChamberType(ChamberTypeColumn::ID))
        .equals(key.chamberTypeId());
    // A missing type gives an empty row, which the assembly reports.
    const QList<ChamberTypeData> records =
        chamberTypesFromRows({m_frame.connection()->selectRow(query)}, TypeSelection::one(key.chamberTypeId()),
                             withSignals, key.additionalInfoId(), RecordLimit::AtMostOne);
    return records.isEmpty() ? ChamberTypeData() : records.first();
}

QList<ChamberTypeData> SqlConfigurationDatabaseConnection::chamberTypesFromRows(const QList<Row> &rows,
                                                                               const TypeSelection &selection,
                                                                               bool withSignals,
                                                                               quint64 additionalInfoId,
                                                                               RecordLimit limit)
{
    QList<TypeRow> types;
    QSet<int> controllerIds;
    for (const Row &row : rows) {
        if (!hasWidth(row, ChamberTypeColumnCount))
            continue;
        types.append(parseTypeRow(row));
        if (types.last().controllerId != NoId)
            controllerIds.insert(types.last().controllerId);
    }
    if (types.isEmpty())
        return {};

    domain::api::ISqlConnection &connection = *m_frame.connection();

    // The variants come first, so that a lookup that must find one record
    // stops before it reads any signal.
    QHash<quint64, QList<Variant>> variants;
    if (additionalInfoId == 0) {
        const QString link = tableNameChamberTypeHasAdditionalInfo();
        const TableColumn typeColumn{
            link, columnNameChamberTypeHasAdditionalInfo(ChamberTypeHasAdditionalInfoColumn::CHAMBER_TYPE_ID)};
        const TableColumn variantColumn{
            link, columnNameChamberTypeHasAdditionalInfo(ChamberTypeHasAdditionalInfoColumn::ADDITIONAL_INFO_ID)};
        const QString info = tableNameAdditionalInfo();
        SqlQuery query;
        query
            .select(QList<TableColumn>{typeColumn, variantColumn,
                                       {info, columnNameAdditionalInfo(AdditionalInfoColumn::ARTICLE_NR)},
                                       {info, columnNameAdditionalInfo(AdditionalInfoColumn::INFO)}})
            .from(link)
            .leftJoin({link, variantColumn.column, info, columnNameAdditionalInfo(AdditionalInfoColumn::ID)});
        selection.restrict(query, typeColumn);
        query.orderBy(variantColumn);
        for (const Row &row : connection.select(query)) {
            if (!hasWidth(row, 4))
                continue;
            variants[toUInt64Or(row.at(0), 0)].append(
                {toUInt64Or(row.at(1), 0), toStringOr(row.at(2), QString()), toStringOr(row.at(3), QString())});
        }
    } else {
        // The requested variant is taken as it is, whether or not the link
        // table ties it to the type.
        SqlQuery query;
        query
            .select(QStringList{columnNameAdditionalInfo(AdditionalInfoColumn::ARTICLE_NR),
                                columnNameAdditionalInfo(AdditionalInfoColumn::INFO)})
            .from(tableNameAdditionalInfo())
            .where(columnNameAdditionalInfo(AdditionalInfoColumn::ID))
            .equals(additionalInfoId);
        const Row row = connection.selectRow(query);
        const Variant variant{additionalInfoId, row.size() == 2 ? toStringOr(row.at(0), QString()) : QString(),
                              row.size() == 2 ? toStringOr(row.at(1), QString()) : QString()};
        for (const TypeRow &type : qAsConst(types))
            variants[type.id] = {variant};
    }
    if (limit == RecordLimit::AtMostOne && (types.size() > 1 || variants.value(types.first().id).size() > 1)) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return {};
    }

    QHash<int, QString> controllers;
    if (!controllerIds.isEmpty()) {
        QList<QVariant> ids;
        for (int id : qAsConst(controllerIds))
            ids.append(id);
        SqlQuery query;
        query
            .select(QStringList{columnNameController(ControllerColumn::ID),
                                columnNameController(ControllerColumn::TYPE)})
            .from(tableNameController())
            .where(columnNameController(ControllerColumn::ID))
            .in(ids);
        for (const Row &row : connection.select(query)) {
            if (hasWidth(row, 2))
                controllers.insert(toIntOr(row.at(0), NoId), toStringOr(row.at(1), QString()));
        }
    }

    QHash<quint64, QList<int>> interfaces;
    {
        const QString link = tableNameChamberTypeHasProtocol();
        const TableColumn typeColumn{link, columnNameChamberTypeHasProtocol(ChamberTypeHasProtocolColumn::CHAMBER_TYPE_ID)};
        const TableColumn protocolColumn{link, columnNameChamberTypeHasProtocol(ChamberTypeHasProtocolColumn::PROTOCOL_ID)};
        SqlQuery query;
        query.select(QList<TableColumn>{typeColumn, protocolColumn}).from(link);
        selection.restrict(query, typeColumn);
        query.orderBy(protocolColumn);
        for (const Row &row : connection.select(query)) {
            if (hasWidth(row, 2))
                interfaces[toUInt64Or(row.at(0), 0)].append(toIntOr(row.at(1), 0));
        }
    }

    QHash<quint64, QList<ChamberOption>> options;
    {
        const QString link = tableNameChamberTypeHasOptions();
        const QString table = tableNameOptions();
        const TableColumn typeColumn{link, columnNameChamberTypeHasOptions(ChamberTypeHasOptionsColumn::CHAMBER_TYPE_ID)};
        const TableColumn idColumn{table, columnNameOptions(OptionsColumn::ID)};
        SqlQuery query;
        query
            .select(QList<TableColumn>{typeColumn, idColumn, {table, columnNameOptions(OptionsColumn::NAME)},
                                       {table, columnNameOptions(OptionsColumn::FIX)}})
            .from(link)
            .join({link, columnNameChamberTypeHasOptions(ChamberTypeHasOptionsColumn::OPTIONS_ID), table,
                   idColumn.column});
        selection.restrict(query, typeColumn);
        query.orderBy(idColumn);
        // A type lists each option once, however often the link table names it.
        QSet<QPair<quint64, int>> listed;
        for (const Row &row : connection.select(query)) {
            if (!hasWidth(row, 4))
                continue;
            const quint64 typeId = toUInt64Or(row.at(0), 0);
            if (listed.contains({typeId, toIntOr(row.at(1), NoId)}))
                continue;
            listed.insert({typeId, toIntOr(row.at(1), NoId)});
            options[typeId].append(ChamberOption(toStringOr(row.at(2), QString()), toBoolOr(row.at(3), false)));
        }
    }

    QHash<quint64, QMap<int, ChamberSignal>> signalMaps;
    QHash<quint64, QMap<int, ControlSignal>> controlSignalMaps;
    if (withSignals) {
        SignalAssembler assembler = makeAssembler();

        QHash<quint64, QList<int>> signalIds;
        {
            const QString link = tableNameChamberTypeHasSignal();
            const TableColumn typeColumn{link, columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID)};
            SqlQuery query;
            query.select(QList<TableColumn>{typeColumn} + SignalAssembler::signalColumns(tableNameSignal()))
                .from(link)
                .join({link, columnNameChamberTypeHasSignal(ChamberTypeHasSignalColumn::SIGNAL_ID), tableNameSignal(),
                       columnNameSignal(SignalColumn::ID)});
            selection.restrict(query, typeColumn);
            for (const Row &row : connection.select(query)) {
                if (hasWidth(row, 1 + SignalAssembler::SignalColumnCount))
                    signalIds[toUInt64Or(row.at(0), 0)].append(assembler.addSignalRow(row, 1));
            }
        }

        QHash<quint64, QList<ControlSignalRow>> controlSignalRows;
        {
            const QString link = tableNameChamberTypeHasControlSignals();
            const QString table = tableNameControlSignals();
            const TableColumn typeColumn{
                link, columnNameChamberTypeHasControlSignals(ChamberTypeHasControlSignalsColumn::CHAMBER_TYPE_ID)};
            QList<TableColumn> columns{typeColumn};
            for (int index = 0; index <= static_cast<int>(ControlSignalsColumn::WRITE); ++index)
                columns.append({table, columnNameControlSignals(static_cast<ControlSignalsColumn>(index))});
            SqlQuery query;
            query.select(columns).from(link).join(
                {link, columnNameChamberTypeHasControlSignals(ChamberTypeHasControlSignalsColumn::CONTROL_SIGNALS_ID),
                 table, columnNameControlSignals(ControlSignalsColumn::ID)});
            selection.restrict(query, typeColumn);
            for (const Row &row : connection.select(query)) {
                if (!hasWidth(row, columns.size()))
                    continue;
                const ControlSignalRow controlSignal{ControlSignalId(toIntOr(row.at(1), NoId)),
                                                     toStringOr(row.at(2), QString()),
                                                     toIntOr(row.at(3), -1),
                                                     toIntOr(row.at(4), -1),
                                                     toIntOr(row.at(5), NoId),
                                                     toIntOr(row.at(6), NoId)};
                assembler.addDescriptorId(controlSignal.readId);
                assembler.addDescriptorId(controlSignal.writeId);
                controlSignalRows[toUInt64Or(row.at(0), 0)].append(controlSignal);
            }
        }

        assembler.load();

        for (auto it = signalIds.cbegin(); it != signalIds.cend(); ++it) {
            QMap<int, ChamberSignal> &map = signalMaps[it.key()];
            for (int signalId : it.value()) {
                const ChamberSignal signal = assembler.signal(signalId);
                if (signal != ChamberSignal())
                    map.insert(signal.id(), signal);
            }
        }
        for (auto it = controlSignalRows.cbegin(); it != controlSignalRows.cend(); ++it) {
            QMap<int, ControlSignal> &map = controlSignalMaps[it.key()];
            for (const ControlSignalRow &row : it.value()) {
                const auto descriptorOrEmpty = [&assembler](int descriptorId) {
                    const QSharedPointer<ControllerAddress> descriptor = assembler.descriptor(descriptorId);
                    return descriptor.isNull() ? ControllerAddress() : *descriptor;
                };
                const ControllerAddress readAddress = descriptorOrEmpty(row.readId);
                const ControllerAddress writeAddress = descriptorOrEmpty(row.writeId);
                map.insert(row.id.value(),
                           ControlSignal(row.id, row.name, row.bitPosition, row.userLevel, readAddress, writeAddress));
            }
        }
    }

    QList<ChamberTypeData> records;
    for (const TypeRow &type : qAsConst(types)) {
        const QString controller = controllers.value(type.controllerId);
        const QList<Variant> typeVariants =
            variants.value(type.id, QList<Variant>{Variant()});
        for (const Variant &variant : typeVariants) {
            records.append(ChamberTypeData(ChamberTypeKey(type.id, variant.id), type.typeName, type.eLevel, type.size,
                                           type.voltage, type.image, type.description, type.firmwareStart,
                                           type.firmwareEnd, type.setupIdentifier, type.setupVersionStart,
                                           type.setupVersionEnd, type.programIdentifier, variant.articleNumber,
                                           variant.info, controller, interfaces.value(type.id),
                                           signalMaps.value(type.id), controlSignalMaps.value(type.id),
                                           options.value(type.id), {}));
        }
    }
    return records;
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::getChamberTypeSignals(const ChamberTypeKey &key)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(SignalAssembler::signalColumns(tableNameSignal()))
        .from(tableNameSignal())
        .where(columnNameSignal(SignalColumn::ID))
        .in(typeSignalIds(key.chamberTypeId()));
    SignalAssembler assembler = makeAssembler();
    return signalMapFromRows(assembler, m_frame.connection()->select(query));
}

QList<QPair<ChamberSignal, ToleranceRangeDefinition>> SqlConfigurationDatabaseConnection::getChamberSignals(
    const ChamberTypeKey &key)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery timeProgrammable = typeSignalIdsJoined(key.chamberTypeId());
    timeProgrammable.andWhere(TableColumn{tableNameSignal(), columnNameSignal(SignalColumn::TIME_PROGRAMMABLE)})
        .equals(true);

    const QString descriptors = tableNameControllerData();
    SqlQuery query;
    query.select(SignalAssembler::signalColumns(tableNameSignal()))
        .from(tableNameSignal())
        .join({tableNameSignal(), columnNameSignal(SignalColumn::WRITE_MANUAL), descriptors,
               columnNameControllerData(ControllerDataColumn::ID)})
        .where(TableColumn{tableNameSignal(), columnNameSignal(SignalColumn::ID)})
        .in(timeProgrammable)
        .orderBy(TableColumn{descriptors, columnNameControllerData(ControllerDataColumn::SET_POINT_NR)});

    QList<QPair<ChamberSignal, ToleranceRangeDefinition>> pairs;
    for (const ChamberSignal &signal : signalListFromRows(m_frame.connection()->select(query)))
        pairs.append({signal, getToleranceRange(key, signal.id(), true)});
    return pairs;
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::getSetpointSignals(const ChamberTypeKey &key)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery setPoints = typeSignalIdsJoined(key.chamberTypeId());
    setPoints.andWhere(TableColumn{tableNameSignal(), columnNameSignal(SignalColumn::SIGNAL_TYPE)})
        .equals(signalTypeText(ChamberSignal::SetPoint));
    SqlQuery query;
    query.select(SignalAssembler::signalColumns(tableNameSignal()))
        .from(tableNameSignal())
        .where(columnNameSignal(SignalColumn::ID))
        .in(setPoints);
    SignalAssembler assembler = makeAssembler();
    return signalMapFromRows(assembler, m_frame.connection()->select(query));
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::getSignals(const QList<int> &signalIds)
{
    if (!m_frame.ensureReady() || signalIds.isEmpty())
        return {};

    SignalAssembler assembler = makeAssembler();
    return signalMapFromRows(assembler, assembler.selectSignalRows(signalIds));
}

QSharedPointer<ChamberSignal> SqlConfigurationDatabaseConnection::getSignal(int signalId)
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
    const QString idColumn = columnNameSignal(SignalColumn::ID);
    const QString valueTypeColumn = columnNameSignal(SignalColumn::VALUE_TYPE);

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
    for (const Row &row : m_frame.connection()->select(query)) {
        if (!hasWidth(row, SignalAssembler::SignalColumnCount + 1))
            continue;
        const int destinationId = assembler.addSignalRow(row);
        matches.append({toIntOr(row.at(SignalAssembler::SignalColumnCount), NoId), destinationId});
    }
    assembler.load();

    QMap<int, ChamberSignal> matched;
    for (const QPair<int, int> &match : qAsConst(matches))
        matched.insert(match.first, assembler.signal(match.second));
    return matched;
}

QList<ChamberSignal> SqlConfigurationDatabaseConnection::getDataLoggerSignals(const ChamberTypeKey &key)
{
    if (!m_frame.ensureReady())
        return {};

    const QString link = tableNameChamberTypeHasDataloggerSignal();
    SqlQuery query;
    query.select(SignalAssembler::signalColumns(tableNameSignal()))
        .from(tableNameSignal())
        .join({tableNameSignal(), columnNameSignal(SignalColumn::ID), link,
               columnNameChamberTypeHasDataloggerSignal(ChamberTypeHasDataloggerSignalColumn::DATALOGGER_SIGNAL_ID)})
        .where(TableColumn{link, columnNameChamberTypeHasDataloggerSignal(ChamberTypeHasDataloggerSignalColumn::CHAMBER_TYPE_ID)})
        .equals(key.chamberTypeId())
        .orderBy(TableColumn{link, columnNameChamberTypeHasDataloggerSignal(ChamberTypeHasDataloggerSignalColumn::CHANNEL)});
    return signalListFromRows(m_frame.connection()->select(query));
}

ToleranceRangeDefinition SqlConfigurationDatabaseConnection::getToleranceRange(const ChamberTypeKey &key,
                                                                               int signalId, bool bySetPoint)
{
    if (!m_frame.ensureReady())
        return {};

    const QString ranges = tableNameToleranceRange();
    const QString matchingColumn =
        columnNameToleranceRange(bySetPoint ? ToleranceRangeColumn::SET_POINT : ToleranceRangeColumn::PROCESS_VALUE);
    QList<TableColumn> columns;
    for (int index = static_cast<int>(ToleranceRangeColumn::NAME);
         index <= static_cast<int>(ToleranceRangeColumn::DELAY2); ++index)
        columns.append({ranges, columnNameToleranceRange(static_cast<ToleranceRangeColumn>(index))});
    columns.append({tableNameSignal(), columnNameSignal(SignalColumn::UNIT)});

    SqlQuery query;
    query.select(columns)
        .from(ranges)
        .join({ranges, matchingColumn, tableNameSignal(), columnNameSignal(SignalColumn::ID)})
        .where(TableColumn{ranges, columnNameToleranceRange(ToleranceRangeColumn::ID)})
        .in(typeToleranceRangeIds(key.chamberTypeId()))
        .andWhere(TableColumn{ranges, matchingColumn})
        .equals(signalId);

    const QList<ToleranceRangeDefinition> definitions = toleranceRangesFromQuery(query);
    if (definitions.size() > 1)
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
    return definitions.isEmpty() ? ToleranceRangeDefinition() : definitions.first();
}

int SqlConfigurationDatabaseConnection::getDefaultSignalDelay(const ChamberTypeKey &key, int signalId, bool second)
{
    if (!m_frame.ensureReady())
        return 0;

    SqlQuery query;
    query.select(columnNameToleranceRange(second ? ToleranceRangeColumn::DELAY2 : ToleranceRangeColumn::DELAY1))
        .from(tableNameToleranceRange())
        .where(columnNameToleranceRange(ToleranceRangeColumn::PROCESS_VALUE))
        .equals(signalId)
        .andWhere(columnNameToleranceRange(ToleranceRangeColumn::ID))
        .in(typeToleranceRangeIds(key.chamberTypeId()));
    const QVariant value = m_frame.connection()->selectValue(query);
    if (!value.isValid())
        return DefaultSignalDelay;

    // An unset delay stays unset, whichever unit it would have had.
    const int delay = toIntOr(value, -1);
    if (delay == -1 || !second)
        return delay;
    const qint64 seconds = qint64(delay) * SecondsPerMinute;
    return int(qBound<qint64>(std::numeric_limits<int>::min(), seconds, std::numeric_limits<int>::max()));
}

int SqlConfigurationDatabaseConnection::getSignalUnit(int signalId)
{
    if (!m_frame.ensureReady())
        return Unit::None;

    SqlQuery query;
    query.select(columnNameSignal(SignalColumn::UNIT))
        .from(tableNameSignal())
        .where(columnNameSignal(SignalColumn::ID))
        .equals(signalId);
    return Unit::fromString(toStringOr(m_frame.connection()->selectValue(query), QString()));
}

QMap<int, ChamberSignal> SqlConfigurationDatabaseConnection::signalMapFromRows(SignalAssembler &assembler,
                                                                              const QList<Row> &rows)
{
    QList<int> ids;
    for (const Row &row : rows) {
        if (hasWidth(row, SignalAssembler::SignalColumnCount))
            ids.append(assembler.addSignalRow(row));
    }
    assembler.load();

    QMap<int, ChamberSignal> signalMap;
    for (int id : qAsConst(ids)) {
        const ChamberSignal signal = assembler.signal(id);
        if (signal != ChamberSignal())
            signalMap.insert(signal.id(), signal);
    }
    return signalMap;
}

QList<ChamberSignal> SqlConfigurationDatabaseConnection::signalListFromRows(const QList<Row> &rows)
{
    SignalAssembler assembler = makeAssembler();
    QList<int> ids;
    for (const Row &row : rows) {
        if (hasWidth(row, SignalAssembler::SignalColumnCount))
            ids.append(assembler.addSignalRow(row));
    }
    assembler.load();

    QList<ChamberSignal> signalList;
    for (int id : qAsConst(ids)) {
        const ChamberSignal signal = assembler.signal(id);
        if (signal != ChamberSignal())
            signalList.append(signal);
    }
    return signalList;
}

QList<ToleranceRangeDefinition> SqlConfigurationDatabaseConnection::toleranceRangesFromQuery(const SqlQuery &query)
{
    QList<ToleranceRangeDefinition> definitions;
    for (const Row &row : m_frame.connection()->select(query)) {
        if (!hasWidth(row, ToleranceRangeColumnCount))
            continue;
        // The catalogue keeps the lower limit as a distance below the set
        // point.
        const int unit = Unit::fromString(toStringOr(row.at(7), QString()));
        const ToleranceRange range(ToleranceRange::Relative, UnitValue(unit, -toFloatOr(row.at(3), 0.0f)),
                                   UnitValue(unit, toFloatOr(row.at(4), 0.0f)));
        definitions.append(ToleranceRangeDefinition(toStringOr(row.at(0), QString()), toIntOr(row.at(1), NoId),
                                                    toIntOr(row.at(2), NoId), range, toIntOr(row.at(5), -1),
                                                    toIntOr(row.at(6), -1)));
    }
    return definitions;
}

bool SqlConfigurationDatabaseConnection::hasWidth(const Row &row, int width)
{
    if (row.size() == width)
        return true;
    m_frame.reportError(domain::types::UNEXPECTED_RESULT);
    return false;
}

SignalAssembler SqlConfigurationDatabaseConnection::makeAssembler()
{
    return SignalAssembler(*m_frame.connection(),
                           [this](DatabaseConnectionError error) { m_frame.reportError(error); });
}

} // namespace quelta::base::connection::databaseconnection
