#include "connection/database/stores/chambertypereader.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "connection/database/stores/failedreadwatch.h"

#include <algorithm>
#include <utility>

namespace quelta::base::connection::databaseconnection {

using domain::api::ISqlConnection;
using domain::api::ISqlRowView;
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

// The conversions of a column, of a row read in place or into values.
QString textAt(const ISqlRowView &row, int column)
{
    return toStringOr(row, column, QString());
}

QString textAt(const ISqlConnection::Row &row, int column)
{
    return toStringOr(row.at(column), QString());
}

int numberAt(const ISqlRowView &row, int column)
{
    return toIntOr(row, column, -1);
}

int numberAt(const ISqlConnection::Row &row, int column)
{
    return toIntOr(row.at(column), -1);
}

quint64 idAt(const ISqlRowView &row, int column)
{
    return toUInt64Or(row, column, 0);
}

quint64 idAt(const ISqlConnection::Row &row, int column)
{
    return toUInt64Or(row.at(column), 0);
}

// An item of a type's list, with the id that orders the list.
template<typename Item>
struct TypeItem
{
    quint64 chamberTypeId;
    qint64 id;
    Item item;
};

// The items, read for many types in the database's order, as one list per
// type. A type lists its variants, interfaces and options by their ids, as
// the integers that the database stores; with dropRepeatedIds an id that the
// link table names again adds nothing.
template<typename List, typename Item>
QHash<quint64, List> listsPerType(std::vector<TypeItem<Item>> items, bool dropRepeatedIds)
{
    std::stable_sort(items.begin(), items.end(), [](const TypeItem<Item> &left, const TypeItem<Item> &right) {
        return left.chamberTypeId != right.chamberTypeId ? left.chamberTypeId < right.chamberTypeId
                                                         : left.id < right.id;
    });
    QHash<quint64, List> lists;
    auto first = items.begin();
    while (first != items.end()) {
        const auto end = std::find_if(first, items.end(), [first](const TypeItem<Item> &item) {
            return item.chamberTypeId != first->chamberTypeId;
        });
        List list;
        list.reserve(int(end - first));
        for (auto item = first; item != end; ++item) {
            if (!dropRepeatedIds || item == first || item->id != std::prev(item)->id)
                list.append(std::move(item->item));
        }
        lists.insert(first->chamberTypeId, list);
        first = end;
    }
    return lists;
}

// The value of the key, or an empty one, without a copy.
template<typename Key, typename Value>
const Value &valueOrEmpty(const QHash<Key, Value> &hash, const Key &key)
{
    static const Value empty;
    const auto found = hash.constFind(key);
    return found == hash.cend() ? empty : *found;
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

// One chamber_type row, read by position, in place or from its values.
struct ChamberTypeReader::TypeRow
{
    template<typename Row>
    explicit TypeRow(const Row &row)
    {
        const auto text = [&row](ChamberTypeColumn column) { return textAt(row, static_cast<int>(column)); };
        const auto number = [&row](ChamberTypeColumn column) { return numberAt(row, static_cast<int>(column)); };
        id = idAt(row, static_cast<int>(ChamberTypeColumn::ID));
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

    bool isAll() const { return m_kind == Kind::All; }
    bool isOne() const { return m_kind == Kind::One; }
    quint64 chamberTypeId() const { return m_chamberTypeId; }

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

// A statement over the selected types, written by a builder. Building one
// costs more than running it for one type, so the texts for every type and
// for one type are written once; the one type's id, the last value, is
// bound on each use. A selection by sub-query is written anew.
class ChamberTypeReader::TypeStatements
{
public:
    using Builder = SqlQuery (*)(const TypeSelection &selection);

    explicit TypeStatements(Builder build)
        : m_build(build)
        , m_forAll(build(TypeSelection::all()))
        , m_forOne(build(TypeSelection::one(0)))
    {
    }

    SqlQuery of(const TypeSelection &selection) const
    {
        if (selection.isAll())
            return m_forAll;
        if (!selection.isOne())
            return m_build(selection);
        SqlQuery query = m_forOne;
        query.bindValue(query.getValues().size() - 1, selection.chamberTypeId());
        return query;
    }

private:
    const Builder m_build;
    const SqlQuery m_forAll;
    const SqlQuery m_forOne;
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

const ChamberTypeReader::TypeStatements &ChamberTypeReader::typeStatements()
{
    static const TypeStatements statements([](const TypeSelection &selection) {
        SqlQuery query;
        query.select(chamberTypeColumns()).from(tableNameChamberType());
        selection.restrict(query, columnName(ChamberTypeColumn::ID));
        return query;
    });
    return statements;
}

QList<ChamberTypeData> ChamberTypeReader::readTypes(const TypeSelection &selection, bool withSignals)
{
    QList<TypeRow> types;
    const auto take = [this, &types](const ISqlRowView &row, int) {
        if (hasWidth(row, ChamberTypeColumnCount))
            types.append(TypeRow(row));
    };
    if (!readEach(typeStatements().of(selection), take) || types.isEmpty())
        return {};
    return records(types, selection, withSignals, variantsOfTypes(selection));
}

ChamberTypeData ChamberTypeReader::readType(const ChamberTypeKey &key, bool withSignals)
{
    // A missing type gives an empty row, which is reported as unexpected; so
    // does a failed read, which only the connection's report tells apart.
    const FailedReadWatch typeRead(&m_connection);
    const Row row = m_connection.selectRow(typeStatements().of(TypeSelection::one(key.chamberTypeId())));
    if (typeRead.hasFailed()) {
        m_reportError(domain::types::EXECUTION_FAILED);
        return {};
    }
    if (!hasWidth(row, ChamberTypeColumnCount))
        return {};
    const TypeRow type(row);
    const TypeSelection selection = TypeSelection::one(type.id);

    // The variant comes first, so that an ambiguous lookup stops before it
    // reads any signal.
    QHash<quint64, Variants> variants;
    if (key.additionalInfoId() == 0) {
        variants = variantsOfTypes(selection);
        if (variants.value(type.id).size() > 1) {
            m_reportError(domain::types::UNEXPECTED_RESULT);
            return {};
        }
    } else {
        // The requested variant is taken as it is, whether or not the link
        // table ties it to the type.
        static const SqlQuery variantTexts =
            SqlQuery()
                .select(QStringList{columnName(AdditionalInfoColumn::ARTICLE_NR), columnName(AdditionalInfoColumn::INFO)})
                .from(tableNameAdditionalInfo())
                .where(columnName(AdditionalInfoColumn::ID))
                .equals(quint64(0));
        const Row texts = m_connection.selectRow(SqlQuery(variantTexts).bindValue(0, key.additionalInfoId()));
        if (typeRead.hasFailed()) {
            m_reportError(domain::types::EXECUTION_FAILED);
            return {};
        }
        const bool found = texts.size() == 2;
        variants[type.id] = {{key.additionalInfoId(), found ? toStringOr(texts.at(0), QString()) : QString(),
                              found ? toStringOr(texts.at(1), QString()) : QString()}};
    }
    return records({type}, selection, withSignals, variants).value(0);
}

QList<ChamberTypeData> ChamberTypeReader::records(const QList<TypeRow> &types, const TypeSelection &selection,
                                                  bool withSignals, const QHash<quint64, Variants> &variants)
{
    const QHash<int, QString> controllers = controllerNames(types, selection);
    const QHash<quint64, QList<int>> interfaces = interfacesOfTypes(selection);
    const QHash<quint64, QList<ChamberOption>> options = optionsOfTypes(selection);
    QHash<quint64, QMap<int, ChamberSignal>> signalMaps;
    QHash<quint64, QMap<int, ControlSignal>> controlSignalMaps;
    if (withSignals)
        readSignalsOfTypes(selection, signalMaps, controlSignalMaps);

    // A type without any variant gives one record without one.
    const Variants noVariant{Variant()};
    QList<ChamberTypeData> records;
    records.reserve(types.size());
    for (const TypeRow &type : types) {
        const QString &controller = valueOrEmpty(controllers, type.controllerId);
        const auto typeVariants = variants.constFind(type.id);
        for (const Variant &variant : typeVariants == variants.cend() ? noVariant : *typeVariants) {
            // Moved into the list: appending a copy would count up each of
            // the record's shared texts, lists and maps once more.
            records.append(ChamberTypeData());
            records.last() = ChamberTypeData(
                ChamberTypeKey(type.id, variant.id), type.typeName, type.eLevel, type.size, type.voltage, type.image,
                type.description, type.firmwareStart, type.firmwareEnd, type.setupIdentifier, type.setupVersionStart,
                type.setupVersionEnd, type.programIdentifier, variant.articleNumber, variant.info, controller,
                valueOrEmpty(interfaces, type.id), valueOrEmpty(signalMaps, type.id),
                valueOrEmpty(controlSignalMaps, type.id), valueOrEmpty(options, type.id), {});
        }
    }
    return records;
}

QHash<quint64, ChamberTypeReader::Variants> ChamberTypeReader::variantsOfTypes(const TypeSelection &selection)
{
    static const TypeStatements statements([](const TypeSelection &forSelection) {
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
        forSelection.restrict(query, typeColumn);
        return query;
    });

    std::vector<TypeItem<Variant>> variants;
    const auto take = [this, &variants](const ISqlRowView &row, int) {
        if (hasWidth(row, 4))
            variants.push_back({idAt(row, 0), toInt64Or(row, 1, 0), {idAt(row, 1), textAt(row, 2), textAt(row, 3)}});
    };
    if (!readEach(statements.of(selection), take))
        return {};
    return listsPerType<Variants>(std::move(variants), false);
}

QHash<int, QString> ChamberTypeReader::controllerNames(const QList<TypeRow> &types, const TypeSelection &selection)
{
    // A type names its controller by id; one type needs one controller,
    // several types read them all rather than bind one value per type.
    static const SqlQuery everyController =
        SqlQuery()
            .select(QStringList{columnName(ControllerColumn::ID), columnName(ControllerColumn::TYPE)})
            .from(tableNameController());
    static const SqlQuery oneController = SqlQuery(everyController).where(columnName(ControllerColumn::ID)).equals(0);

    QHash<int, QString> names;
    const auto name = [this, &names](const ISqlRowView &row, int) {
        if (hasWidth(row, 2))
            names.insert(toIntOr(row, 0, NoId), textAt(row, 1));
    };
    const SqlQuery query =
        selection.isOne() ? SqlQuery(oneController).bindValue(0, types.first().controllerId) : everyController;
    if (!readEach(query, name))
        return {};
    return names;
}

QHash<quint64, QList<int>> ChamberTypeReader::interfacesOfTypes(const TypeSelection &selection)
{
    static const TypeStatements statements([](const TypeSelection &forSelection) {
        const QString link = tableNameChamberTypeHasProtocol();
        const TableColumn typeColumn{link, columnName(ChamberTypeHasProtocolColumn::CHAMBER_TYPE_ID)};
        SqlQuery query;
        query.select(QList<TableColumn>{typeColumn, {link, columnName(ChamberTypeHasProtocolColumn::PROTOCOL_ID)}})
            .from(link);
        forSelection.restrict(query, typeColumn);
        return query;
    });

    std::vector<TypeItem<int>> interfaces;
    const auto take = [this, &interfaces](const ISqlRowView &row, int) {
        if (hasWidth(row, 2))
            interfaces.push_back({idAt(row, 0), toInt64Or(row, 1, 0), toIntOr(row, 1, 0)});
    };
    if (!readEach(statements.of(selection), take))
        return {};
    return listsPerType<QList<int>>(std::move(interfaces), false);
}

QHash<quint64, QList<ChamberOption>> ChamberTypeReader::optionsOfTypes(const TypeSelection &selection)
{
    static const TypeStatements statements([](const TypeSelection &forSelection) {
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
        forSelection.restrict(query, typeColumn);
        return query;
    });

    std::vector<TypeItem<ChamberOption>> options;
    const auto take = [this, &options](const ISqlRowView &row, int) {
        if (hasWidth(row, 4))
            options.push_back({idAt(row, 0), toIntOr(row, 1, NoId), {textAt(row, 2), toBoolOr(row, 3, false)}});
    };
    if (!readEach(statements.of(selection), take))
        return {};
    // A type lists each option once, however often the link table names it.
    return listsPerType<QList<ChamberOption>>(std::move(options), true);
}

void ChamberTypeReader::readSignalsOfTypes(const TypeSelection &selection,
                                           QHash<quint64, QMap<int, ChamberSignal>> &signalMaps,
                                           QHash<quint64, QMap<int, ControlSignal>> &controlSignalMaps)
{
    SignalAssembler assembler(m_connection, m_reportError);

    static const TypeStatements signalStatements([](const TypeSelection &forSelection) {
        const QString link = tableNameChamberTypeHasSignal();
        const TableColumn typeColumn{link, columnName(ChamberTypeHasSignalColumn::CHAMBER_TYPE_ID)};
        SqlQuery query;
        query.select(QList<TableColumn>{typeColumn} + SignalAssembler::signalColumns(tableNameSignal()))
            .from(link)
            .join({link, columnName(ChamberTypeHasSignalColumn::SIGNAL_ID), tableNameSignal(),
                   columnName(SignalColumn::ID)});
        forSelection.restrict(query, typeColumn);
        return query;
    });
    QHash<quint64, QList<int>> signalIds;
    const auto takeSignal = [&](const ISqlRowView &row, int) {
        if (hasWidth(row, 1 + SignalAssembler::SignalColumnCount))
            signalIds[idAt(row, 0)].append(assembler.addSignalRow(row, 1));
    };
    if (!readEach(signalStatements.of(selection), takeSignal))
        return;

    // The type's id, then the columns of control_signals through write.
    constexpr int ControlSignalRowWidth = 1 + columnCountThrough(ControlSignalsColumn::WRITE);
    static const TypeStatements controlSignalStatements([](const TypeSelection &forSelection) {
        const QString link = tableNameChamberTypeHasControlSignals();
        const QString table = tableNameControlSignals();
        const TableColumn typeColumn{link, columnName(ChamberTypeHasControlSignalsColumn::CHAMBER_TYPE_ID)};
        QList<TableColumn> columns{typeColumn};
        for (const QString &column : columnNamesThrough(ControlSignalsColumn::WRITE))
            columns.append({table, column});
        SqlQuery query;
        query.select(columns).from(link).join({link, columnName(ChamberTypeHasControlSignalsColumn::CONTROL_SIGNALS_ID),
                                               table, columnName(ControlSignalsColumn::ID)});
        forSelection.restrict(query, typeColumn);
        return query;
    });
    QHash<quint64, QList<ControlSignalRow>> controlSignalRows;
    const auto takeControlSignal = [&](const ISqlRowView &row, int) {
        if (!hasWidth(row, ControlSignalRowWidth))
            return;
        const ControlSignalRow controlSignal{ControlSignalId(toIntOr(row, 1, NoId)), textAt(row, 2), numberAt(row, 3),
                                             numberAt(row, 4), toIntOr(row, 5, NoId), toIntOr(row, 6, NoId)};
        assembler.addDescriptorId(controlSignal.readId);
        assembler.addDescriptorId(controlSignal.writeId);
        controlSignalRows[idAt(row, 0)].append(controlSignal);
    };
    // Signals and control signals share the descriptors that the assembler
    // loads: a read of either that fails leaves both empty.
    if (!readEach(controlSignalStatements.of(selection), takeControlSignal) || !assembler.load())
        return;

    for (auto it = signalIds.cbegin(); it != signalIds.cend(); ++it) {
        QMap<int, ChamberSignal> &signalMap = signalMaps[it.key()];
        for (int signalId : it.value()) {
            ChamberSignal signal = assembler.signal(signalId);
            if (SignalAssembler::isDefault(signal))
                continue;
            // Moved into the map: a copy would count up every descriptor it shares.
            const int id = signal.id();
            signalMap[id] = std::move(signal);
        }
    }

    // A descriptor that is not there leaves the empty one.
    const auto descriptorOrEmpty = [&assembler](int descriptorId) {
        const SignalAssembler::AddressPointer &descriptor = assembler.descriptor(descriptorId);
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

bool ChamberTypeReader::readEach(const SqlQuery &query, const domain::api::ISqlConnection::RowViewFunction &take)
{
    if (m_connection.selectEachView(query, take))
        return true;
    m_reportError(domain::types::EXECUTION_FAILED);
    return false;
}

bool ChamberTypeReader::hasWidth(const ISqlRowView &row, int width)
{
    if (row.columnCount() == width)
        return true;
    m_reportError(domain::types::UNEXPECTED_RESULT);
    return false;
}

bool ChamberTypeReader::hasWidth(const Row &row, int width)
{
    if (row.size() == width)
        return true;
    m_reportError(domain::types::UNEXPECTED_RESULT);
    return false;
}

} // namespace quelta::base::connection::databaseconnection
