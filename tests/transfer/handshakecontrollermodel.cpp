#include "handshakecontrollermodel.h"

using quelta::base::connection::chamberconnection::ValueCodec;

HandshakeControllerModel::HandshakeControllerModel(const ControllerAddress &controlWord,
                                                   const ControllerAddress &errorCode, quint32 readyWord,
                                                   quint32 busyWord)
    : m_controlWord(controlWord)
    , m_errorCode(errorCode)
    , m_readyWord(readyWord)
    , m_busyWord(busyWord)
{
}

void HandshakeControllerModel::written(RegisterBank &bank, quint16 first, int)
{
    if (first != ValueCodec::registerAddress(m_controlWord))
        return;
    const quint32 command = bank.value(m_controlWord).toUInt();
    commands.append(command);
    const quint16 errorCode = execute(bank, command);
    bank.setValue(m_errorCode, forcedErrorCode.value_or(errorCode));
    m_busyLeft = busyPolls;
}

void HandshakeControllerModel::aboutToRead(RegisterBank &bank, quint16 first, int)
{
    if (first != ValueCodec::registerAddress(m_controlWord))
        return;
    bank.setValue(m_controlWord, m_busyLeft > 0 ? m_busyWord : m_readyWord);
    m_busyLeft = qMax(0, m_busyLeft - 1);
}
