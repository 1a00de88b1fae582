#include "zk3controllermodel.h"

#include <QtCore/QMetaType>

namespace {

constexpr quint16 ProgramNumber = 0x03F5;
constexpr quint16 SectionNumber = 0x03F6;
constexpr quint16 LastSection = 0x03F7;
constexpr quint16 DeleteMarker = 255;
constexpr quint16 Failed = 1;

RegisterBank::ControllerAddress word(const char *address)
{
    return {{}, QString::fromLatin1(address), 2, QMetaType::UShort, 1, -1, QString()};
}

} // namespace

Zk3ControllerModel::Zk3ControllerModel()
    : HandshakeControllerModel(word("0x03F3"), word("0x03F4"), 0x2, 0x0)
{
}

quint16 Zk3ControllerModel::execute(RegisterBank &bank, quint32 command)
{
    const int program = bank.at(ProgramNumber) & 0xFF;
    const int section = bank.at(SectionNumber) & 0xFF;
    if (program >= int(programs.size()))
        return Failed;
    QVector<QVector<quint16>> &sections = programs[program];

    if (command == 1) {
        if (section >= sections.size())
            return Failed;
        bank.setRegisters(SectionBlock, sections.at(section));
        bank.setRegisters(LastSection, {quint16(sections.size() - 1)});
        return 0;
    }
    if (command == 5 && section == DeleteMarker) {
        const bool hadProgram = !sections.isEmpty();
        sections.clear();
        return hadProgram ? 0 : Failed;
    }
    if (command == 5 && section <= sections.size()) {
        sections.resize((bank.at(LastSection) & 0xFF) + 1);
        sections[section] = bank.registers(SectionBlock, SectionBlockSize);
        return 0;
    }
    return Failed;
}
