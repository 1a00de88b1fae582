#include "transfer/zk4dataloggerreader.h"

#include "transfer/holdingregister.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::Recordset;

ZK4DataLoggerReader::ZK4DataLoggerReader(QObject *parent)
    : ModbusDataLoggerReader(
        holdingRegister("0xA400", QMetaType::UShort),
        holdingRegister("0xA404", QMetaType::UShort, 1, ControllerAddress::ReadOnly),
        holdingRegister("0xA401", QMetaType::UInt),
        holdingRegister("0xA403", QMetaType::UShort),
        holdingRegister("0xA405", QMetaType::UChar, BlockSize),
        holdingRegister("0xA477", QMetaType::UInt, 1, ControllerAddress::ReadOnly),
        holdingRegister("0xA479", QMetaType::UInt, 1, ControllerAddress::ReadOnly),
        holdingRegister("0xA475", QMetaType::UShort, 1, ControllerAddress::ReadOnly),
        holdingRegister("0xA476", QMetaType::UShort, 1, ControllerAddress::ReadOnly), parent)
{
}

ZK4DataLoggerReader::~ZK4DataLoggerReader() = default;

std::optional<DataLoggerRecordLayout> ZK4DataLoggerReader::recordLayout(quint16 readCommand)
{
    using Channel = DataLoggerRecordLayout::Channel;
    switch (readCommand) {
    case FirstDatasetCommand:
        return DataLoggerRecordLayout(19, {Channel::Float, Channel::Float});
    case SecondDatasetCommand:
        return DataLoggerRecordLayout(29, {Channel::Float, Channel::Float, Channel::Float, Channel::Float,
                                           Channel::Byte, Channel::Byte});
    default:
        return std::nullopt;
    }
}

quint16 ZK4DataLoggerReader::recordSize(quint16 readCommand) const
{
    const std::optional<DataLoggerRecordLayout> layout = recordLayout(readCommand);
    return layout ? quint16(layout->recordSize()) : 0;
}

int ZK4DataLoggerReader::parseLoggerData(QList<Recordset> &recordsets, const QList<ChamberSignal> &chamberSignals,
                                         const QVector<uchar> &block)
{
    const ReadData &read = readData();
    const std::optional<DataLoggerRecordLayout> layout = recordLayout(read.readCommand);
    if (!layout)
        return 0;
    const uint recordingId = read.readCommand == SecondDatasetCommand ? read.recording.id() : 0;
    return appendRecords(recordsets, chamberSignals, block, *layout, recordingId);
}

} // namespace quelta::base::connection::chamberconnection
