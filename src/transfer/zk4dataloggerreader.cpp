#include "transfer/zk4dataloggerreader.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::ControllerAddressId;
using domain::types::Recordset;

namespace {

ControllerAddress zk4Register(const char *address, int access, int valueType, int count = 1)
{
    return ControllerAddress(ControllerAddressId(), QString::fromLatin1(address), access, valueType, count, -1,
                             QString());
}

} // namespace

ZK4DataLoggerReader::ZK4DataLoggerReader(QObject *parent)
    : ModbusDataLoggerReader(
        zk4Register("0xA400", ControllerAddress::ReadWrite, QMetaType::UShort),
        zk4Register("0xA404", ControllerAddress::ReadOnly, QMetaType::UShort),
        zk4Register("0xA401", ControllerAddress::ReadWrite, QMetaType::UInt),
        zk4Register("0xA403", ControllerAddress::ReadWrite, QMetaType::UShort),
        zk4Register("0xA405", ControllerAddress::ReadWrite, QMetaType::UChar, BlockSize),
        zk4Register("0xA477", ControllerAddress::ReadOnly, QMetaType::UInt),
        zk4Register("0xA479", ControllerAddress::ReadOnly, QMetaType::UInt),
        zk4Register("0xA475", ControllerAddress::ReadOnly, QMetaType::UShort),
        zk4Register("0xA476", ControllerAddress::ReadOnly, QMetaType::UShort), parent)
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
