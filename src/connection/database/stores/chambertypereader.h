#pragma once

#include "connection/database/stores/signalassembler.h"
#include "domain/api/isqlconnection.h"
#include "domain/api/isqlrowview.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/chambertypekey.h"

#include <QtCore/QHash>
#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QVector>

namespace quelta::base::connection::databaseconnection {

class SqlQuery;

// Builds ChamberTypeData records from the catalogue: a record per article
// variant of each type, with its controller, interfaces, options and, when
// asked for, its signals and control signals.
//
// Each part is read for all requested types at once, with one statement per
// catalogue table, and joined to the types in memory. Failures are reported
// through the store's error function: UNEXPECTED_RESULT for rows of the wrong
// width, a missing type and an ambiguous lookup, as SignalAssembler reports
// missing rows that a signal refers to. A read that fails, also after some
// of its rows, is reported by the connection and as EXECUTION_FAILED, and
// leaves the part it was to fill empty: no records for the types, no
// variants, no controller name, no interfaces or options, or neither signals
// nor control signals. readType() reads the type and a variant's texts as
// single rows, whose failure only the connection's error signal tells from
// no row; the default record then stands for the type.
class ChamberTypeReader
{
public:
    ChamberTypeReader(domain::api::ISqlConnection &connection, SignalAssembler::ErrorReporter reportError);
    ~ChamberTypeReader();

    // Every type of the catalogue.
    QList<domain::types::ChamberTypeData> readTypes(bool withSignals);
    // The types whose ids the sub-query selects.
    QList<domain::types::ChamberTypeData> readTypes(const SqlQuery &chamberTypeIds, bool withSignals);
    // The one record of the key: the given variant, or with additionalInfoId
    // 0 the type's only variant. The default record when the type is missing
    // or has several variants.
    domain::types::ChamberTypeData readType(const domain::types::ChamberTypeKey &key, bool withSignals);

private:
    using Row = domain::api::ISqlConnection::Row;
    struct TypeRow;
    struct Variant;
    using Variants = QVector<Variant>;
    class TypeSelection;
    class TypeStatements;

    static const TypeStatements &typeStatements();

    QList<domain::types::ChamberTypeData> readTypes(const TypeSelection &selection, bool withSignals);
    QList<domain::types::ChamberTypeData> records(const QList<TypeRow> &types, const TypeSelection &selection,
                                                  bool withSignals, const QHash<quint64, Variants> &variants);
    QHash<quint64, Variants> variantsOfTypes(const TypeSelection &selection);
    QHash<int, QString> controllerNames(const QList<TypeRow> &types, const TypeSelection &selection);
    QHash<quint64, QList<int>> interfacesOfTypes(const TypeSelection &selection);
    QHash<quint64, QList<domain::types::ChamberOption>> optionsOfTypes(const TypeSelection &selection);
    // Leaves both maps empty when one of their reads fails.
    void readSignalsOfTypes(const TypeSelection &selection,
                            QHash<quint64, QMap<int, domain::types::ChamberSignal>> &signalMaps,
                            QHash<quint64, QMap<int, domain::types::ControlSignal>> &controlSignalMaps);
    // Runs the read; false, after EXECUTION_FAILED, when it did not run to
    // its end.
    bool readEach(const SqlQuery &query, const domain::api::ISqlConnection::RowViewFunction &take);
    // False, after UNEXPECTED_RESULT, when the row does not hold exactly that
    // many values.
    bool hasWidth(const domain::api::ISqlRowView &row, int width);
    bool hasWidth(const Row &row, int width);

    domain::api::ISqlConnection &m_connection;
    SignalAssembler::ErrorReporter m_reportError;
};

} // namespace quelta::base::connection::databaseconnection
