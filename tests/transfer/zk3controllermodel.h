#pragma once

#include "handshakecontrollermodel.h"

#include <QtCore/QVector>

#include <array>

// A ZK3 controller: two programs, each a list of sections held as the image
// of the nine section registers from 0x03F9 (three floats, the duration, the
// digital bits). Command 1 loads a section into those registers and the
// number of the program's last section into 0x03F7; command 5 stores them as
// a section and cuts the program after it, or, with section number 255,
// deletes the program. An empty slot, a missing section or a delete of an
// empty program answers error code 1.
class Zk3ControllerModel : public HandshakeControllerModel
{
public:
    static constexpr quint16 SectionBlock = 0x03F9;
    static constexpr int SectionBlockSize = 9;

    Zk3ControllerModel();

    std::array<QVector<QVector<quint16>>, 2> programs;

protected:
    quint16 execute(RegisterBank &bank, quint32 command) override;
};
