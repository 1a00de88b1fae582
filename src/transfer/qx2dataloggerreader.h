#pragma once

#include "transfer/dataloggerrecordlayout.h"
#include "transfer/modbusdataloggerreader.h"

namespace quelta::base::connection::chamberconnection {

// Reads the data logger of a QX2 controller. Its registers:
//
//   0x1307  control word: the read command, bit 15 set while busy
//   0x1308  read position, 32 bits
//   0x130A  records wanted; then the records in the block
//   0x130B  error code, 0 for success
//   0x130E  record interval of dataset 0 in seconds, 0x130F of dataset 1
//   0x1310  record counter of dataset 0, 32 bits; 0x1312 of dataset 1
//   0x6500  the block, 110 registers
//
// Both datasets log records of 27 bytes, eight to a block: four floats and
// three switches.
class QX2DataLoggerReader : public ModbusDataLoggerReader
{
    Q_OBJECT

public:
    explicit QX2DataLoggerReader(QObject *parent = nullptr);
    ~QX2DataLoggerReader() override;

    static DataLoggerRecordLayout recordLayout();

    quint16 recordSize(quint16 readCommand) const override;

protected:
    int parseLoggerData(QList<domain::types::Recordset> &recordsets,
                        const QList<domain::types::ChamberSignal> &chamberSignals,
                        const QVector<uchar> &block) override;
};

} // namespace quelta::base::connection::chamberconnection
