#pragma once

#include "connection/database/core/tablecolumn.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/chambersignal.h"
#include "domain/types/controlleraddress.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QHash>
#include <QtCore/QList>
#include <QtCore/QSet>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>
#include <QtCore/QVariant>
#include <QtCore/QVector>
#include <QtGui/QColor>

#include <array>
#include <functional>

namespace quelta::base::connection::databaseconnection {

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
// a set-point id without a signal row, as a single lookup of either would.
class SignalAssembler
{
public:
    using Row = domain::api::ISqlConnection::Row;
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
    // found, in no particular order.
    QList<int> addSignals(const QList<int> &signalIds);
    // Takes the signal whose SignalColumnCount values start at the offset
    // (the caller has checked the row's width) and returns its id.
    int addSignalRow(const Row &row, int offset = 0);
    // A descriptor that a control signal needs; -1 needs none.
    void addDescriptorId(int descriptorId);

    // Loads the set-point signals that the taken rows refer to, then their
    // value types and descriptors.
    void load();

    // The record of a taken signal. A record equal to the default signal
    // stands for a row that names no signal; the map builders drop it.
    domain::types::ChamberSignal signal(int signalId);
    // A loaded descriptor; null for -1, and null with UNEXPECTED_RESULT for
    // an id without a controller_data row.
    QSharedPointer<domain::types::ControllerAddress> descriptor(int descriptorId);

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

    SignalRow parseSignalRow(const Row &row, int offset);
    QSharedPointer<domain::types::ControllerAddress> descriptorFromRow(const Row &row);
    void loadSetPointSignals();
    void loadValueTypes();
    void loadDescriptors();
    // Runs the function for every row of the table whose first column holds
    // one of the ids; a row of another width than the columns' is reported
    // as UNEXPECTED_RESULT instead.
    void selectEachById(const QString &table, const QStringList &columns, const QSet<int> &ids,
                        const std::function<void(const Row &)> &function);

    domain::types::ChamberSignal build(const SignalRow &row, QVector<int> &chain, bool *chainDependent);
    QSharedPointer<domain::types::ChamberSignal> resolveSetPoint(int signalId, QVector<int> &chain,
                                                                 bool *chainDependent);

    domain::api::ISqlConnection &m_connection;
    ErrorReporter m_reportError;

    QHash<int, SignalRow> m_rows;
    QSet<int> m_descriptorIds;
    QHash<int, ValueType> m_valueTypes;
    QHash<int, QSharedPointer<domain::types::ControllerAddress>> m_descriptors;
    // Set-point signals already built, so that records share them. A set-point
    // signal whose chain was cut by a cycle depends on where it was reached
    // from and is not kept.
    QHash<int, QSharedPointer<domain::types::ChamberSignal>> m_setPointSignals;

    // Conversions of the catalogue's texts, which repeat from row to row.
    QHash<QString, int> m_unitCodes;
    QHash<QString, int> m_accessModes;
    QHash<QString, QPair<int, int>> m_variableTypes;
};

} // namespace quelta::base::connection::databaseconnection
