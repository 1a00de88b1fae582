#pragma once

#include "connection/database/core/tablecolumn.h"
#include "domain/api/isqlconnection.h"
#include "domain/api/isqlrowview.h"
#include "domain/types/chambersignal.h"
#include "domain/types/controlleraddress.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QHash>
#include <QtCore/QList>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>
#include <QtCore/QVarLengthArray>
#include <QtCore/QVariant>
#include <QtGui/QColor>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quelta::base::connection::databaseconnection {

class SqlQuery;

// Turns rows of the catalogue's signal table into ChamberSignal records.
//
// A signal refers to its value type, to up to four register descriptors and
// to its set-point signal, which refers on in turn. Rather than looking each
// of these up on its own, the assembler collects the ids of every row it is
// given, then loads each kind with a few statements (load()), and builds the
// records from what it has loaded. Use one assembler per store operation:
// records built by one assembler share their set-point signals and
// descriptors, and nothing is kept between operations.
//
// Failures are reported through the store's error function:
// UNEXPECTED_RESULT for a descriptor id without a controller_data row and for
// a set-point id without a signal row, as a single lookup of either would,
// and EXECUTION_FAILED, besides the connection's own report, for a read of
// the assembler's own that fails, also after some of its rows; load() then
// tells the caller not to use the records, which would lack what that read
// was to give.
class SignalAssembler
{
public:
    using RowView = domain::api::ISqlRowView;
    using AddressPointer = domain::types::ChamberSignal::AddressPointer;
    using ErrorReporter = std::function<void(domain::types::DatabaseConnectionError)>;

    // The number of signal columns, in the order of signalColumns().
    static constexpr int SignalColumnCount = 16;

    SignalAssembler(domain::api::ISqlConnection &connection, ErrorReporter reportError);

    // The select list of every signal query, qualified with the table name
    // or alias.
    static QList<TableColumn> signalColumns(const QString &table);
    // Whether the signal equals the default one, which stands for a row that
    // names no signal.
    static bool isDefault(const domain::types::ChamberSignal &signal);

    // Reads the rows of the given signal ids and takes them; returns the ids
    // found, in no particular order. A failed read shows in load().
    QList<int> addSignals(const QList<int> &signalIds);
    // Takes the signal whose SignalColumnCount values start at the offset
    // (the caller has checked the row's width) and returns its id.
    int addSignalRow(const RowView &row, int offset = 0);
    // A descriptor that a control signal needs; -1 needs none.
    void addDescriptorId(int descriptorId);

    // Loads the set-point signals that the taken rows refer to, then their
    // value types and descriptors. False when one of the assembler's reads,
    // these or those of addSignals(), failed.
    [[nodiscard]] bool load();

    // The record of a taken signal. A record equal to the default signal
    // stands for a row that names no signal; the map builders drop it.
    domain::types::ChamberSignal signal(int signalId);
    // A loaded descriptor; null for -1, and null with UNEXPECTED_RESULT for
    // an id without a controller_data row. Valid until the next load().
    const AddressPointer &descriptor(int descriptorId);

private:
    struct SignalRow
    {
        int id = -1;
        QString name;
        int unit = 0;
        int userLevel = 0;
        float limitMin = 0.0f;
        float limitMax = 0.0f;
        int bitPosition = -1;
        bool timeProgrammable = false;
        bool weekProgrammable = false;
        int valueType = 0;
        int signalType = 0;
        int setPointSignal = -1;
        // read, write basic, write manual, write auto
        std::array<int, 4> addressIds{};
    };

    struct ValueType
    {
        QColor color;
        int decimalPlaces = 0;
    };

    SignalRow parseSignalRow(const RowView &row, int offset);
    // The row of the id taken last, or null; indexes the rows taken since
    // the last lookup first. The row stays valid until a row is taken.
    const SignalRow *findRow(int signalId);
    void indexRows();
    AddressPointer descriptorFromRow(const RowView &row);
    void loadSetPointSignals();
    void loadValueTypes();
    void loadDescriptors();
    // Runs the function for every row of everyRow whose first column, the
    // id column, holds one of the ids, which are sorted and unique; a row of
    // another width is reported as UNEXPECTED_RESULT instead. A read that
    // fails is noted in m_readFailed.
    void selectEachById(const SqlQuery &everyRow, const QString &idColumn, int width, const std::vector<int> &ids,
                        const std::function<void(const RowView &)> &function);
    // Notes and reports a read that did not run to its end.
    void noteRead(bool whole);

    // The set-point signals that lead to the one being built; seldom long.
    using Chain = QVarLengthArray<int, 8>;

    domain::types::ChamberSignal build(const SignalRow &row, Chain &chain, bool *chainDependent);
    domain::types::ChamberSignal::SignalPointer resolveSetPoint(int signalId, Chain &chain, bool *chainDependent);
    // Where m_descriptorIds holds the id; its size when it does not.
    std::size_t descriptorIndex(int descriptorId) const;

    domain::api::ISqlConnection &m_connection;
    ErrorReporter m_reportError;
    bool m_readFailed = false;

    // The rows taken, in the order taken, and beside them their ids in
    // order, each with the position of the last row taken of it: no set of
    // nodes to allocate for the eighty thousand signals of a catalogue.
    using RowIndexEntry = std::pair<int, std::size_t>;
    std::vector<SignalRow> m_rows;
    std::vector<RowIndexEntry> m_rowIndex;
    std::size_t m_indexedRows = 0;
    // Those of the control signals, in the order given, repeats included.
    std::vector<int> m_controlDescriptorIds;
    QHash<int, ValueType> m_valueTypes;
    // The ids of the descriptors to load, sorted, and beside each the one
    // loaded, or null when the catalogue lacks it: no set of nodes to
    // allocate for the hundred thousand descriptors of a whole catalogue.
    std::vector<int> m_descriptorIds;
    std::vector<AddressPointer> m_descriptors;
    // Set-point signals already built, so that records share them. A set-point
    // signal whose chain was cut by a cycle depends on where it was reached
    // from and is not kept.
    QHash<int, domain::types::ChamberSignal::SignalPointer> m_setPointSignals;

    // Conversions of the catalogue's texts, which repeat from row to row,
    // found by the texts' bytes.
    template<typename Code>
    using TextCodes = std::map<std::string, Code, std::less<>>;
    TextCodes<int> m_unitCodes;
    TextCodes<int> m_signalTypes;
    TextCodes<int> m_accessModes;
    TextCodes<QPair<int, int>> m_variableTypes;
};

} // namespace quelta::base::connection::databaseconnection
