#include "connection/database/stores/chambertypereader.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"

#include <QtCore/QSet>

namespace quelta::base::connection::databaseconnection {

using domain::types::ChamberOption;
using domain::types::ChamberSignal;
using domain::types::ChamberTypeData;
using domain::types::ChamberTypeKey;
using domain::types::ControllerAddress;
using domain::types::ControlSignal;
using domain::types::ControlSignalId;

namespace {

constexpr int NoId = -1;
constexpr ChamberTypeColumn LastChamberTypeColumn = ChamberTypeColumn::CONTROLLER_ID;
constexpr int ChamberTypeColumnCount = columnCountThrough(LastChamberTypeColumn);

QStringList chamberTypeColumns()
{
    return columnNamesThrough(LastChamberTypeColumn);
}

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

// One chamber_type row, read by position.
struct ChamberTypeReader::TypeRow
{
    explicit TypeRow(const Row &row)
    {
        const auto text = [&row](ChamberTypeColumn column) {
            return toStringOr(row.at(static_cast<int>(column)), QString());
        };
        const auto number = [&row](ChamberTypeColumn column) {
            return toIntOr(row.at(static_cast<int>(column)), -1);
        };
        id = toUInt64Or(row.at(static_cast<int>(ChamberTypeColumn::ID)), 0);
        typeName = text(ChamberTypeColumn::TYPE);
        eLevel = text(ChamberTypeColumn::DEVELOPEMENT_STATE);
        size = number(ChamberTypeColumn::SIZE);
        voltage = text(ChamberTypeColumn::VOLTAGE);
        image = text(ChamberTypeColumn::IMAGE);
        description = text(ChamberTypeColumn::DESCRIPTION);
        firmwareStart = text(ChamberTypeColumn::FIRMWARE_START);
        firmwareEnd = text(ChamberTypeColumn::FIRMWARE_ENDE);
        setupIdentifier = text(ChamberTypeColumn::SETUP_KENNUNG);
        setupVersionStart = number(ChamberTypeColumn::SETUP_VERSION_START);
        setupVersionEnd = number(ChamberTypeColumn::SETUP_VERSION_ENDE);
        programIdentifier = text(ChamberTypeColumn::KENNUNG_PROGRAMME);
        controllerId = number(ChamberTypeColumn::CONTROLLER_ID);
    }

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

// One article variant of a type: its additional_info id and texts.
struct ChamberTypeReader::Variant
{
    quint64 id = 0;
    QString articleNumber;
    QString info;
};

// Which chamber types a statement over a link table covers.
class ChamberTypeReader::TypeSelection
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

    // Adds the WHERE clause that restricts the column, a column name or a
    // TableColumn, to the selected types.
    template<typename Column>
    void restrict(SqlQuery &query, const Column &chamberTypeIdColumn) const
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

ChamberTypeReader::ChamberTypeReader(domain::api::ISqlConnection &connection,
                                     SignalAssembler::ErrorReporter reportError)
    : m_connection(connection)
    , m_reportError(std::move(reportError))
{
}

ChamberTypeReader::~ChamberTypeReader() = default;

QList<ChamberTypeData> ChamberTypeReader::readTypes(bool withSignals)
{
    return readTypes(TypeSelection::all(), withSignals);
}

QList<ChamberTypeData> ChamberTypeReader::readTypes(const SqlQuery &chamberTypeIds, bool withSignals)
{
    return readTypes(TypeSelection::matching(chamberTypeIds), withSignals);
}

QList<ChamberTypeData> ChamberTypeReader::readTypes(const TypeSelection &selection, bool withSignals)
{
    SqlQuery query;
    query.select(chamberTypeColumns()).from(tableNameChamberType());
    selection.restrict(query, columnName(ChamberTypeColumn::ID));
    const QList<TypeRow> types = typeRows(query);
    if (types.isEmpty())
        return {};
    return records(types, selection, withSignals, variantsOfTypes(selection));
}

ChamberTypeData ChamberTypeReader::readType(const ChamberTypeKey &key, bool withSignals)
{
    SqlQuery query;
    query.select(chamberTypeColumns())
        .from(tableNameChamberType())
        .where(columnName(ChamberTypeColumn::ID))
        .equals(key.chamberTypeId());
    // A missing type gives an empty row, which is reported as unexpected.
    const Row row = m_connection.selectRow(query);
    if (!hasWidth(row, ChamberTypeColumnCount))
        return {};
    const TypeRow type(row);
    const TypeSelection selection = TypeSelection::one(type.id);

    // The variant comes first, so that an ambiguous lookup stops before it
    // reads any signal.
    QHash<quint64, QList<Variant>> variants;
    if (key.additionalInfoId() == 0) {
        variants = variantsOfTypes(selection);
        if (variants.value(type.id).size() > 1) {
            m_reportError(domain::types::UNEXPECTED_RESULT);
            return {};
        }
    } else {
        // The requested variant is taken as it is, whether or not the link
        // table ties it to the type.
        SqlQuery variantQuery;
        variantQuery
            .select(QStringList{columnName(AdditionalInfoColumn::ARTICLE_NR), columnName(AdditionalInfoColumn::INFO)})
            .from(tableNameAdditionalInfo())
            .where(columnName(AdditionalInfoColumn::ID))
            .equals(key.additionalInfoId());
        const Row texts = m_connection.selectRow(variantQuery);
        const bool found = texts.size() == 2;
        variants[type.id] = {{key.additionalInfoId(), found ? toStringOr(texts.at(0), QString()) : QString(),
                              found ? toStringOr(texts.at(1), QString()) : QString()}};
    }
    return records({type}, selection, withSignals, variants).value(0);
}

QList<ChamberTypeData> ChamberTypeReader::records(const QList<TypeRow> &types, const TypeSelection &selection,
                                                  bool withSignals, const QHash<quint64, QList<Variant>> &variants)
{
    const QHash<int, QString> controllers = controllerNames(selection);
    const QHash<quint64, QList<int>> interfaces = interfacesOfTypes(selection);
    const QHash<quint64, QList<ChamberOption>> options = optionsOfTypes(selection);
    QHash<quint64, QMap<int, ChamberSignal>> signalMaps;
    QHash<quint64, QMap<int, ControlSignal>> controlSignalMaps;
    if (withSignals)
        readSignalsOfTypes(selection, signalMaps, controlSignalMaps);

    // A type without any variant gives one record without one.
    const QList<Variant> noVariant{Variant()};
    QList<ChamberTypeData> records;
    records.reserve(types.size());
    for (const TypeRow &type : types) {
        const QString controller = controllers.value(type.controllerId);
        const auto typeVariants = variants.constFind(type.id);
        for (const Variant &variant : typeVariants == variants.cend() ? noVariant : *typeVariants) {
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

QList<ChamberTypeReader::TypeRow> ChamberTypeReader::typeRows(const SqlQuery &query)
{
    QList<TypeRow> types;
    m_connection.selectEach(query, [this, &types](const Row &row, int) {
        if (hasWidth(row, ChamberTypeColumnCount))
            types.append(TypeRow(row));
    });
    return types;
}

QHash<quint64, QList<ChamberTypeReader::Variant>> ChamberTypeReader::variantsOfTypes(const TypeSelection &selection)
{
    const QString link = tableNameChamberTypeHasAdditionalInfo();
    const TableColumn typeColumn{link, columnName(ChamberTypeHasAdditionalInfoColumn::CHAMBER_TYPE_ID)};
    const TableColumn variantColumn{link, columnName(ChamberTypeHasAdditionalInfoColumn::ADDITIONAL_INFO_ID)};
    const QString info = tableNameAdditionalInfo();
    SqlQuery query;
    // A variant without an additional_info row keeps its id and has no texts.
    query
        .select(QList<TableColumn>{typeColumn, variantColumn, {info, columnName(AdditionalInfoColumn::ARTICLE_NR)},
                                   {info, columnName(AdditionalInfoColumn::INFO)}})
        .from(link)
        .leftJoin({link, variantColumn.column, info, columnName(AdditionalInfoColumn::ID)});
    selection.restrict(query, typeColumn);
    query.orderBy(variantColumn);

    QHash<quint64, QList<Variant>> variants;
    m_connection.selectEach(query, [this, &variants](const Row &row, int) {
        if (hasWidth(row, 4)) {
            variants[toUInt64Or(row.at(0), 0)].append(
                {toUInt64Or(row.at(1), 0), toStringOr(row.at(2), QString()), toStringOr(row.at(3), QString())});
        }
    });
    return variants;
}

QHash<int, QString> ChamberTypeReader::controllerNames(const TypeSelection &selection)
{
    // The controllers are found through the selected types, so that the
    // statement binds no list of ids, however many types it covers.
    SqlQuery controllerIds;
    controllerIds.select(columnName(ChamberTypeColumn::CONTROLLER_ID)).from(tableNameChamberType());
    selection.restrict(controllerIds, TableColumn{tableNameChamberType(), columnName(ChamberTypeColumn::ID)});
    SqlQuery query;
    query
        .select(QStringList{columnName(ControllerColumn::ID), columnName(ControllerColumn::TYPE)})
        .from(tableNameController())
        .where(columnName(ControllerColumn::ID))
        .in(controllerIds);

    QHash<int, QString> names;
    m_connection.selectEach(query, [this, &names](const Row &row, int) {
        if (hasWidth(row, 2))
            names.insert(toIntOr(row.at(0), NoId), toStringOr(row.at(1), QString()));
    });
    return names;
}

QHash<quint64, QList<int>> ChamberTypeReader::interfacesOfTypes(const TypeSelection &selection)
{
    const QString link = tableNameChamberTypeHasProtocol();
    const TableColumn typeColumn{link, columnName(ChamberTypeHasProtocolColumn::CHAMBER_TYPE_ID)};
    const TableColumn protocolColumn{link, columnName(ChamberTypeHasProtocolColumn::PROTOCOL_ID)};
    SqlQuery query;
    query.select(QList<TableColumn>{typeColumn, protocolColumn}).from(link);
    selection.restrict(query, typeColumn);
    query.orderBy(protocolColumn);

    QHash<quint64, QList<int>> interfaces;
    m_connection.selectEach(query, [this, &interfaces](const Row &row, int) {
        if (hasWidth(row, 2))
            interfaces[toUInt64Or(row.at(0), 0)].append(toIntOr(row.at(1), 0));
    });
    return interfaces;
}

QHash<quint64, QList<ChamberOption>> ChamberTypeReader::optionsOfTypes(const TypeSelection &selection)
{
    const QString link = tableNameChamberTypeHasOptions();
    const QString table = tableNameOptions();
    const TableColumn typeColumn{link, columnName(ChamberTypeHasOptionsColumn::CHAMBER_TYPE_ID)};
    const TableColumn idColumn{table, columnName(OptionsColumn::ID)};
    SqlQuery query;
    query
        .select(QList<TableColumn>{typeColumn, idColumn, {table, columnName(OptionsColumn::NAME)},
                                   {table, columnName(OptionsColumn::FIX)}})
        .from(link)
        .join({link, columnName(ChamberTypeHasOptionsColumn::OPTIONS_ID), table, idColumn.column});
    selection.restrict(query, typeColumn);
    query.orderBy(idColumn);

    // A type lists each option once, however often the link table names it.
    QHash<quint64, QList<ChamberOption>> options;
    QSet<QPair<quint64, int>> listed;
    m_connection.selectEach(query, [this, &options, &listed](const Row &row, int) {
        if (!hasWidth(row, 4))
            return;
        const QPair<quint64, int> entry{toUInt64Or(row.at(0), 0), toIntOr(row.at(1), NoId)};
        if (listed.contains(entry))
            return;
        listed.insert(entry);
        options[entry.first].append(ChamberOption(toStringOr(row.at(2), QString()), toBoolOr(row.at(3), false)));
    });
    return options;
}

void ChamberTypeReader::readSignalsOfTypes(const TypeSelection &selection,
                                           QHash<quint64, QMap<int, ChamberSignal>> &signalMaps,
                                           QHash<quint64, QMap<int, ControlSignal>> &controlSignalMaps)
{
    SignalAssembler assembler(m_connection, m_reportError);

    QHash<quint64, QList<int>> signalIds;
    {
        const QString link = tableNameChamberTypeHasSignal();
        const TableColumn typeColumn{link, columnName(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID)};
        SqlQuery query;
        query.select(QList<TableColumn>{typeColumn} + SignalAssembler::signalColumns(tableNameSignal()))
            .from(link)
            .join({link, columnName(ChamberTypeHasSignalColumn::SIGNAL_ID), tableNameSignal(),
                   columnName(SignalColumn::ID)});
        selection.restrict(query, typeColumn);
        m_connection.selectEach(query, [&](const Row &row, int) {
            if (hasWidth(row, 1 + SignalAssembler::SignalColumnCount))
                signalIds[toUInt64Or(row.at(0), 0)].append(assembler.addSignalRow(row, 1));
        });
    }

    QHash<quint64, QList<ControlSignalRow>> controlSignalRows;
    {
        const QString link = tableNameChamberTypeHasControlSignals();
        const QString table = tableNameControlSignals();
        const TableColumn typeColumn{link, columnName(ChamberTypeHasControlSignalsColumn::CHAMBER_TYPE_ID)};
        QList<TableColumn> columns{typeColumn};
        for (int index = 0; index <= static_cast<int>(ControlSignalsColumn::WRITE); ++index)
            columns.append({table, columnName(static_cast<ControlSignalsColumn>(index))});
        SqlQuery query;
        query.select(columns).from(link).join({link, columnName(ChamberTypeHasControlSignalsColumn::CONTROL_SIGNALS_ID),
                                               table, columnName(ControlSignalsColumn::ID)});
        selection.restrict(query, typeColumn);
        m_connection.selectEach(query, [&](const Row &row, int) {
            if (!hasWidth(row, columns.size()))
                return;
            const ControlSignalRow controlSignal{ControlSignalId(toIntOr(row.at(1), NoId)),
                                                 toStringOr(row.at(2), QString()),
                                                 toIntOr(row.at(3), -1),
                                                 toIntOr(row.at(4), -1),
                                                 toIntOr(row.at(5), NoId),
                                                 toIntOr(row.at(6), NoId)};
            assembler.addDescriptorId(controlSignal.readId);
            assembler.addDescriptorId(controlSignal.writeId);
            controlSignalRows[toUInt64Or(row.at(0), 0)].append(controlSignal);
        });
    }

    assembler.load();

    for (auto it = signalIds.cbegin(); it != signalIds.cend(); ++it) {
        QMap<int, ChamberSignal> &signalMap = signalMaps[it.key()];
        for (int signalId : it.value()) {
            const ChamberSignal signal = assembler.signal(signalId);
            if (!SignalAssembler::isDefault(signal))
                signalMap.insert(signal.id(), signal);
        }
    }

    // A descriptor that is not there leaves the empty one.
    const auto descriptorOrEmpty = [&assembler](int descriptorId) {
        const QSharedPointer<ControllerAddress> descriptor = assembler.descriptor(descriptorId);
        return descriptor.isNull() ? ControllerAddress() : *descriptor;
    };
    for (auto it = controlSignalRows.cbegin(); it != controlSignalRows.cend(); ++it) {
        QMap<int, ControlSignal> &controlSignalMap = controlSignalMaps[it.key()];
        for (const ControlSignalRow &row : it.value()) {
            // Later rows of one id replace earlier ones.
            controlSignalMap.insert(row.id.value(),
                                    ControlSignal(row.id, row.name, row.bitPosition, row.userLevel,
                                                  descriptorOrEmpty(row.readId), descriptorOrEmpty(row.writeId)));
        }
    }
}

bool ChamberTypeReader::hasWidth(const Row &row, int width)
{
    if (row.size() == width)
        return true;
    m_reportError(domain::types::UNEXPECTED_RESULT);
    return false;
}

} // namespace quelta::base::connection::databaseconnection
