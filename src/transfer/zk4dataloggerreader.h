#pragma once

#include "transfer/dataloggerrecordlayout.h"
#include "transfer/modbusdataloggerreader.h"

#include <optional>

namespace quelta::base::connection::chamberconnection {

// Reads the data logger of a ZK4 controller. Its registers:
//
//   0xA400  control word: the read command, bit 15 set while busy
//   0xA401  read position, 32 bits
//   0xA403  records wanted; then the records in the block
//   0xA404  error code, 0 for success
//   0xA405  the block, 110 registers
//   0xA475  record interval of dataset 0 in seconds, 0xA476 of dataset 1
//   0xA477  record counter of dataset 0, 32 bits; 0xA479 of dataset 1
//
// Dataset 0 logs records of 19 bytes, eleven to a block, with two floats;
// they come back under recording id 0. Dataset 1 logs records of 29 bytes,
// seven to a block, with four floats and two bytes.
class ZK4DataLoggerReader : public ModbusDataLoggerReader
{
    Q_OBJECT

public:
    explicit ZK4DataLoggerReader(QObject *parent = nullptr);
    ~ZK4DataLoggerReader() override;

    // Empty for a command that reads no dataset.
    static std::optional<DataLoggerRecordLayout> recordLayout(quint16 readCommand);

    quint16 recordSize(quint16 readCommand) const override;

protected:
    int parseLoggerData(QList<domain::types::Recordset> &recordsets,
                        const QList<domain::types::ChamberSignal> &chamberSignals,
                        const QVector<uchar> &block) override;
};

} // namespace quelta::base::connection::chamberconnection
