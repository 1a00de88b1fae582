#include "connection/database/stores/signalassembler.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "connection/database/stores/cataloguevocabulary.h"
#include "domain/types/unit.h"
#include "domain/types/userlevel.h"

#include <QtCore/QSet>
#include <QtCore/QStringList>

#include <algorithm>
#include <utility>

namespace quelta::base::connection::databaseconnection {

namespace {

using domain::api::ISqlRowView;
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

// The code that a text column stands for, converted once for each text and
// then found by the text's bytes. A value stored otherwise than as text is
// converted from the text that toStringOr() makes of it, each time.
template<typename Code, typename Convert>
Code codeOf(std::map<std::string, Code, std::less<>> &codes, const ISqlRowView &row, int column, Convert convert)
{
    const ISqlRowView::Storage storage = row.storage(column);
    if (storage != ISqlRowView::Storage::Null && storage != ISqlRowView::Storage::Text)
        return convert(toStringOr(row, column, QString()));
    const std::string_view bytes = row.utf8(column);
    auto code = codes.find(bytes);
    if (code == codes.end()) {
        // NULL and the empty text both read as the absent text.
        const QString text = bytes.empty() ? QString() : textFromUtf8(bytes);
        code = codes.emplace(std::string(bytes), convert(text)).first;
    }
    return code->second;
}

// Sorted and without repeats, as selectEachById() takes them.
std::vector<int> sortedUnique(std::vector<int> ids)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

// SELECT <the columns> FROM <the table>, written once; each lookup adds the
// ids it needs. The first column is the id.
template<typename Column>
SqlQuery everyRow(const QString &table, Column lastColumn)
{
    SqlQuery query;
    query.select(columnNamesThrough(lastColumn)).from(table);
    return query;
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
    static const SqlQuery signalRows = everyRow(tableNameSignal(), SignalColumn::WRITE_AUTO);
    QList<int> found;
    selectEachById(signalRows, columnName(SignalColumn::ID), columnCountThrough(SignalColumn::WRITE_AUTO),
                   sortedUnique({signalIds.cbegin(), signalIds.cend()}),
                   [this, &found](const RowView &row) { found.append(addSignalRow(row)); });
    return found;
}

SignalAssembler::SignalRow SignalAssembler::parseSignalRow(const RowView &row, int offset)
{
    const auto column = [offset](SignalColumn signalColumn) { return offset + static_cast<int>(signalColumn); };

    SignalRow signal;
    signal.id = toIntOr(row, column(SignalColumn::ID), NoId);
    signal.name = toStringOr(row, column(SignalColumn::NAME), QString());
    signal.unit = codeOf(m_unitCodes, row, column(SignalColumn::UNIT), &Unit::fromString);
    signal.userLevel = toIntOr(row, column(SignalColumn::USER_LEVEL), 0);
    signal.limitMin = toFloatOr(row, column(SignalColumn::LIMIT_MIN), ChamberSignal::NoLowerLimit);
    signal.limitMax = toFloatOr(row, column(SignalColumn::LIMIT_MAX), ChamberSignal::NoUpperLimit);
    signal.bitPosition = toIntOr(row, column(SignalColumn::BITPOSITION), -1);
    signal.timeProgrammable = toBoolOr(row, column(SignalColumn::TIME_PROGRAMMABLE), false);
    signal.weekProgrammable = toBoolOr(row, column(SignalColumn::WEEK_PROGRAMMABLE), false);
    signal.valueType = toIntOr(row, column(SignalColumn::VALUE_TYPE), 0);
    signal.signalType = codeOf(m_signalTypes, row, column(SignalColumn::SIGNAL_TYPE), &signalTypeId);
    signal.setPointSignal = toIntOr(row, column(SignalColumn::SET_POINT_SIGNAL), NoId);
    signal.addressIds = {toIntOr(row, column(SignalColumn::READ), NoId),
                         toIntOr(row, column(SignalColumn::WRITE_BASIC), NoId),
                         toIntOr(row, column(SignalColumn::WRITE_MANUAL), NoId),
                         toIntOr(row, column(SignalColumn::WRITE_AUTO), NoId)};
    return signal;
}

int SignalAssembler::addSignalRow(const RowView &row, int offset)
{
    m_rows.push_back(parseSignalRow(row, offset));
    return m_rows.back().id;
}

void SignalAssembler::addDescriptorId(int descriptorId)
{
    if (descriptorId != NoId)
        m_controlDescriptorIds.push_back(descriptorId);
}

bool SignalAssembler::load()
{
    loadSetPointSignals();
    loadValueTypes();
    loadDescriptors();
    return !m_readFailed;
}

void SignalAssembler::loadSetPointSignals()
{
    // Follow the set-point references level by level until every signal
    // that a taken row reaches is loaded or known to be missing.
    QSet<int> requested;
    QList<int> pending;
    const auto collectReference = [&](const SignalRow &signal) {
        const int reference = signal.setPointSignal;
        if (reference == NoId || reference == signal.id || findRow(reference) || requested.contains(reference))
            return;
        requested.insert(reference);
        pending.append(reference);
    };
    for (const SignalRow &signal : m_rows)
        collectReference(signal);

    while (!pending.isEmpty()) {
        const QList<int> level = std::exchange(pending, {});
        for (int id : addSignals(level))
            collectReference(*findRow(id));
    }
}

void SignalAssembler::loadValueTypes()
{
    // Thousands of signals share a handful of value types.
    QSet<int> ids;
    for (const SignalRow &signal : m_rows) {
        if (signal.valueType != 0)
            ids.insert(signal.valueType);
    }
    static const SqlQuery valueTypeRows =
        SqlQuery()
            .select(QStringList{columnName(ValueTypeColumn::ID), columnName(ValueTypeColumn::COLOR),
                                columnName(ValueTypeColumn::DECIMAL_PLACES)})
            .from(tableNameValueType());
    const auto take = [this](const RowView &row) {
        const QString colorName = toStringOr(row, 1, QString());
        m_valueTypes.insert(toIntOr(row, 0, 0),
                            {colorName.isEmpty() ? QColor() : QColor(colorName), toIntOr(row, 2, 0)});
    };
    selectEachById(valueTypeRows, columnName(ValueTypeColumn::ID), 3, sortedUnique({ids.cbegin(), ids.cend()}), take);
}

void SignalAssembler::loadDescriptors()
{
    // Nearly every signal names descriptors of its own: sorting the ids
    // costs less than a set of them.
    std::vector<int> ids = m_controlDescriptorIds;
    ids.reserve(ids.size() + 4 * size_t(m_rows.size()));
    for (const SignalRow &signal : m_rows) {
        for (int id : signal.addressIds) {
            if (id != NoId)
                ids.push_back(id);
        }
    }
    m_descriptorIds = sortedUnique(std::move(ids));
    m_descriptors.assign(m_descriptorIds.size(), AddressPointer());
    static const SqlQuery descriptorRows = everyRow(tableNameControllerData(), ControllerDataColumn::DESCRIPTION);
    const auto take = [this](const RowView &row) {
        AddressPointer address = descriptorFromRow(row);
        const std::size_t index = descriptorIndex(address->id().value());
        // A later row of one id replaces an earlier one.
        if (index != m_descriptorIds.size())
            m_descriptors[index] = std::move(address);
    };
    selectEachById(descriptorRows, columnName(ControllerDataColumn::ID),
                   columnCountThrough(ControllerDataColumn::DESCRIPTION), m_descriptorIds, take);
}

std::size_t SignalAssembler::descriptorIndex(int descriptorId) const
{
    const auto id = std::lower_bound(m_descriptorIds.cbegin(), m_descriptorIds.cend(), descriptorId);
    return id != m_descriptorIds.cend() && *id == descriptorId ? std::size_t(id - m_descriptorIds.cbegin())
                                                               : m_descriptorIds.size();
}

SignalAssembler::AddressPointer SignalAssembler::descriptorFromRow(const RowView &row)
{
    const int access = codeOf(m_accessModes, row, 2, &accessModeId);
    const QPair<int, int> variableType = codeOf(m_variableTypes, row, 3, &parseVariableType);
    return AddressPointer::create(ControllerAddressId(toIntOr(row, 0, NoId)), toStringOr(row, 1, QString()), access,
                                  variableType.first, variableType.second, toIntOr(row, 4, NoId),
                                  toStringOr(row, 5, QString()));
}

void SignalAssembler::selectEachById(const SqlQuery &everyRow, const QString &idColumn, int width,
                                     const std::vector<int> &ids,
                                     const std::function<void(const RowView &)> &function)
{
    // After a failed read the records go unused: nothing more is read.
    if (m_readFailed)
        return;
    const auto take = [this, &function, width](const RowView &row) {
        if (row.columnCount() == width)
            function(row);
        else
            m_reportError(domain::types::UNEXPECTED_RESULT);
    };
    if (ids.size() >= size_t(IdsForTableScan)) {
        const bool whole = m_connection.selectEachView(everyRow, [&take, &ids, width](const RowView &row, int) {
            // A row of the wrong width goes on, to be reported.
            if (row.columnCount() != width || std::binary_search(ids.cbegin(), ids.cend(), toIntOr(row, 0, NoId)))
                take(row);
        });
        noteRead(whole);
        return;
    }

    for (size_t first = 0; first < ids.size() && !m_readFailed; first += MaxIdsPerStatement) {
        const size_t end = std::min(ids.size(), first + MaxIdsPerStatement);
        QList<QVariant> values;
        values.reserve(int(end - first));
        for (size_t index = first; index < end; ++index)
            values.append(ids[index]);
        SqlQuery query = everyRow;
        query.where(idColumn).in(values);
        noteRead(m_connection.selectEachView(query, [&take](const RowView &row, int) { take(row); }));
    }
}

void SignalAssembler::noteRead(bool whole)
{
    if (whole)
        return;
    m_readFailed = true;
    m_reportError(domain::types::EXECUTION_FAILED);
}

const SignalAssembler::AddressPointer &SignalAssembler::descriptor(int descriptorId)
{
    static const AddressPointer none;
    if (descriptorId == NoId)
        return none;
    const std::size_t index = descriptorIndex(descriptorId);
    const AddressPointer &address = index != m_descriptorIds.size() ? m_descriptors[index] : none;
    if (address.isNull())
        m_reportError(domain::types::UNEXPECTED_RESULT);
    return address;
}

const SignalAssembler::SignalRow *SignalAssembler::findRow(int signalId)
{
    if (m_indexedRows != m_rows.size())
        indexRows();
    const auto entry = std::lower_bound(m_rowIndex.cbegin(), m_rowIndex.cend(), signalId,
                                        [](const RowIndexEntry &entry, int id) { return entry.first < id; });
    return entry != m_rowIndex.cend() && entry->first == signalId ? &m_rows[entry->second] : nullptr;
}

void SignalAssembler::indexRows()
{
    m_rowIndex.clear();
    m_rowIndex.reserve(m_rows.size());
    for (std::size_t position = 0; position < m_rows.size(); ++position)
        m_rowIndex.push_back({m_rows[position].id, position});
    // By id, then by position: of the rows of one id the one taken last
    // replaces the others.
    std::sort(m_rowIndex.begin(), m_rowIndex.end());
    auto kept = m_rowIndex.begin();
    for (auto entry = m_rowIndex.cbegin(); entry != m_rowIndex.cend(); ++entry) {
        const auto next = std::next(entry);
        if (next == m_rowIndex.cend() || next->first != entry->first)
            *kept++ = *entry;
    }
    m_rowIndex.erase(kept, m_rowIndex.end());
    m_indexedRows = m_rows.size();
}

ChamberSignal SignalAssembler::signal(int signalId)
{
    const SignalRow *row = findRow(signalId);
    if (!row)
        return ChamberSignal();
    Chain chain;
    chain.append(signalId);
    bool chainDependent = false;
    return build(*row, chain, &chainDependent);
}

ChamberSignal SignalAssembler::build(const SignalRow &row, Chain &chain, bool *chainDependent)
{
    ChamberSignal::SignalPointer setPointSignal;
    if (row.setPointSignal != NoId && row.setPointSignal != row.id)
        setPointSignal = resolveSetPoint(row.setPointSignal, chain, chainDependent);

    const ValueType valueType = row.valueType != 0 ? m_valueTypes.value(row.valueType) : ValueType();
    return ChamberSignal(row.id, row.name, row.unit, valueType.color, valueType.decimalPlaces,
                         UserLevel(row.userLevel), row.limitMin, row.limitMax, row.bitPosition, row.signalType,
                         setPointSignal, row.timeProgrammable, row.weekProgrammable, descriptor(row.addressIds[0]),
                         descriptor(row.addressIds[1]), descriptor(row.addressIds[2]), descriptor(row.addressIds[3]));
}

ChamberSignal::SignalPointer SignalAssembler::resolveSetPoint(int signalId, Chain &chain, bool *chainDependent)
{
    const auto built = m_setPointSignals.constFind(signalId);
    if (built != m_setPointSignals.cend())
        return *built;

    if (chain.contains(signalId)) {
        // A catalogue whose set-point signals name each other would otherwise
        // nest without end; the signal that closes the cycle gets none.
        *chainDependent = true;
        return {};
    }

    const SignalRow *row = findRow(signalId);
    if (!row) {
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
    const auto shared = ChamberSignal::SignalPointer::create(signal);
    if (cutBelow)
        *chainDependent = true;
    else
        m_setPointSignals.insert(signalId, shared);
    return shared;
}

} // namespace quelta::base::connection::databaseconnection
