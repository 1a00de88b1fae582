#include "transfer/qx2dataloggerreader.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::ControllerAddressId;
using domain::types::Recordset;

namespace {

constexpr int RecordSize = 27;

ControllerAddress qx2Register(const char *address, int access, int valueType, int count = 1)
{
    return ControllerAddress(ControllerAddressId(), QString::fromLatin1(address), access, valueType, count, -1,
                             QString());
}

} // namespace

QX2DataLoggerReader::QX2DataLoggerReader(QObject *parent)
    : ModbusDataLoggerReader(
        qx2Register("0x1307", ControllerAddress::ReadWrite, QMetaType::UShort),
        qx2Register("0x130B", ControllerAddress::ReadOnly, QMetaType::UShort),
        qx2Register("0x1308", ControllerAddress::ReadWrite, QMetaType::UInt),
        qx2Register("0x130A", ControllerAddress::ReadWrite, QMetaType::UShort),
        qx2Register("0x6500", ControllerAddress::ReadOnly, QMetaType::UChar, BlockSize),
        qx2Register("0x1310", ControllerAddress::ReadOnly, QMetaType::UInt),
        qx2Register("0x1312", ControllerAddress::ReadOnly, QMetaType::UInt),
        qx2Register("0x130E", ControllerAddress::ReadOnly, QMetaType::UShort),
        qx2Register("0x130F", ControllerAddress::ReadOnly, QMetaType::UShort), parent)
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
