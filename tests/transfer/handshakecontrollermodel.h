#pragma once

#include "registerbank.h"

#include <QtCore/QList>

#include <optional>

// A controller that takes a command code in its control word, carries it
// out, and confirms it through a ready flag in the control word and an error
// code: the handshake of the Modbus program transmitters.
class HandshakeControllerModel : public ControllerModel
{
public:
    using ControllerAddress = RegisterBank::ControllerAddress;

    // Reads of the control word answered busy after each command.
    int busyPolls = 0;
    // The error code of every command instead of the model's own.
    std::optional<quint16> forcedErrorCode;
    // The command codes received, in order.
    QList<quint32> commands;

    void written(RegisterBank &bank, quint16 first, int count) override;
    void aboutToRead(RegisterBank &bank, quint16 first, int count) override;

protected:
    // readyWord and busyWord are what the control word reads as.
    HandshakeControllerModel(const ControllerAddress &controlWord, const ControllerAddress &errorCode,
                             quint32 readyWord, quint32 busyWord);

    // Carries the command out on the bank; returns its error code.
    virtual quint16 execute(RegisterBank &bank, quint32 command) = 0;

private:
    const ControllerAddress m_controlWord;
    const ControllerAddress m_errorCode;
    const quint32 m_readyWord;
    const quint32 m_busyWord;
    int m_busyLeft = 0;
};
