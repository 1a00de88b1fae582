#include "transfer/qx2dataloggerreader.h"

#include "transfer/holdingregister.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::Recordset;

namespace {

constexpr int RecordSize = 27;

} // namespace

QX2DataLoggerReader::QX2DataLoggerReader(QObject *parent)
    : ModbusDataLoggerReader(
        holdingRegister("0x1307", QMetaType::UShort),
        holdingRegister("0x130B", QMetaType::UShort, 1, ControllerAddress::ReadOnly),
        holdingRegister("0x1308", QMetaType::UInt),
        holdingRegister("0x130A", QMetaType::UShort),
        holdingRegister("0x6500", QMetaType::UChar, BlockSize, ControllerAddress::ReadOnly),
        holdingRegister("0x1310", QMetaType::UInt, 1, ControllerAddress::ReadOnly),
        holdingRegister("0x1312", QMetaType::UInt, 1, ControllerAddress::ReadOnly),
        holdingRegister("0x130E", QMetaType::UShort, 1, ControllerAddress::ReadOnly),
        holdingRegister("0x130F", QMetaType::UShort, 1, ControllerAddress::ReadOnly), parent)
{
}

QX2DataLoggerReader::~QX2DataLoggerReader() = default;

DataLoggerRecordLayout QX2DataLoggerReader::recordLayout()
{
    using Channel = DataLoggerRecordLayout::Channel;
    return DataLoggerRecordLayout(RecordSize, {Channel::Float, Channel::Float, Channel::Float, Channel::Float,
                                               Channel::Switch, Channel::Switch, Channel::Switch});
}

quint16 QX2DataLoggerReader::recordSize(quint16) const
{
    return RecordSize;
}

int QX2DataLoggerReader::parseLoggerData(QList<Recordset> &recordsets, const QList<ChamberSignal> &chamberSignals,
                                         const QVector<uchar> &block)
{
    return appendRecords(recordsets, chamberSignals, block, recordLayout(), readData().recording.id());
}

} // namespace quelta::base::connection::chamberconnection
