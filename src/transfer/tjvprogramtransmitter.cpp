#include "transfer/tjvprogramtransmitter.h"

#include "transfer/tjvftpconnection.h"
#include "transfer/tjvprogramfile.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

#include <QtCore/QMetaEnum>
#include <QtNetwork/QNetworkReply>

#include <algorithm>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ProgramSection;
using domain::types::ProgramStartOptions;
using domain::types::ProgramTransmittableSection;
using domain::types::SetpointValue;
using domain::types::ToleranceRange;
using domain::types::UnitValue;

namespace {

// The bit column holds eight signals.
constexpr int DigitalBits = 8;

QString slotDirectoryOf(int slot)
{
    return QStringLiteral("/Program/User0/ProgramTime/%1").arg(slot);
}

QString programNameFile()
{
    return QStringLiteral("ProgName.txt");
}

QString signalFileOf(const ChamberSignal &signal)
{
    return QStringLiteral("ID%1.tpg").arg(signal.writeManualAddress()->address());
}

QByteArray upToNul(const QByteArray &text)
{
    const int end = text.indexOf('\0');
    return end < 0 ? text : text.left(end);
}

bool isControlCharacter(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

// A name of a listing that can be addressed in the slot directory just as it
// was listed: valid UTF-8 without control characters, and no path that
// leads elsewhere.
std::optional<QString> plainNameOf(const QByteArray &listed)
{
    const QString name = QString::fromUtf8(listed);
    const bool plain = !name.isEmpty() && name.toUtf8() == listed && name != QLatin1String(".")
        && name != QLatin1String("..") && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && std::none_of(name.cbegin(), name.cend(), isControlCharacter);
    return plain ? std::optional<QString>(name) : std::nullopt;
}

// The plain names of an "ls" reply, whose names are joined by ";"; the others
// are logged and left alone.
QStringList plainNamesIn(QNetworkReply &reply)
{
    QStringList names;
    const QList<QByteArray> listed = reply.readAll().split(';');
    for (const QByteArray &entry : listed) {
        if (entry.isEmpty())
            continue;
        if (const std::optional<QString> name = plainNameOf(entry))
            names.append(*name);
        else
            qCWarning(lcChamberConnection) << "(TJV) Listed name left alone, it is no plain file name:" << entry;
    }
    return names;
}

// The first line of a name file: a name ended by CR LF, as the controllers
// and this class write it.
QString programNameIn(QNetworkReply &reply)
{
    return QString::fromUtf8(upToNul(reply.readLine())).remove(QStringLiteral("\r\n"));
}

std::optional<float> floatIn(const QVariant &value)
{
    return value.isValid() ? std::optional<float>(value.toFloat()) : std::nullopt;
}

// The line of one section in the table of signal; the bit column only in a
// program with digital signals.
TjvProgramFile::Line lineOf(const ProgramTransmittableSection &transmittable, int sectionNumber,
                            const SetpointValue &setpoint, const ChamberSignal &signal, std::optional<int> bits)
{
    const ProgramSection section = transmittable.section();
    const ToleranceRange range = setpoint.toleranceRange();
    TjvProgramFile::Line line;
    line.sectionNumber = sectionNumber;
    line.value = floatIn(setpoint.value().valueIn(signal.unit())).value_or(0.0f);
    line.durationInSeconds = section.durationInSeconds();
    line.reference = transmittable.reference();
    line.repetitions = transmittable.repetitions();
    line.lowerLimit = floatIn(range.lower().differenceIn(signal.unit()));
    line.upperLimit = floatIn(range.upper().differenceIn(signal.unit()));
    line.transitionType = section.transitionType();
    line.bits = bits;
    return line;
}

std::optional<SetpointValue> setpointOf(const ProgramSection &section, int signalId)
{
    const QList<SetpointValue> setpoints = section.setpoints();
    const auto found = std::find_if(setpoints.begin(), setpoints.end(), [signalId](const SetpointValue &setpoint) {
        return setpoint.signalId() == signalId;
    });
    return found == setpoints.end() ? std::nullopt : std::optional<SetpointValue>(*found);
}

// The bit column of a section: bit n is the set-point of the digital signal
// at bit position n.
int bitsOf(const ProgramSection &section, const QList<ChamberSignal> &digitalSignals)
{
    int bits = 0;
    for (const ChamberSignal &digital : digitalSignals) {
        if (const std::optional<SetpointValue> setpoint = setpointOf(section, digital.id())) {
            const int bit = 1 << digital.bitPosition();
            bits = setpoint->rawValue().toBool() ? bits | bit : bits & ~bit;
        }
    }
    return bits;
}

} // namespace

TjvProgramTransmitter::TjvProgramTransmitter(QObject *parent)
    : AbstractProgramTransmitter(parent)
{
}

TjvProgramTransmitter::~TjvProgramTransmitter() = default;

bool TjvProgramTransmitter::setFtpConnection(const QSharedPointer<TjvFtpConnection> &connection)
{
    // A command's requests share one session: its "cd" holds for its uploads.
    if (currentCommand() != INVALID) {
        qCWarning(lcChamberConnection) << "(TJV) FTP connection not replaced while a command runs";
        return false;
    }
    m_ftpConnection = connection;
    return !m_ftpConnection.isNull();
}

bool TjvProgramTransmitter::readProgramName(int)
{
    qCWarning(lcChamberConnection) << "(TJV) Operation 'readProgramName' not implemented";
    return false;
}

bool TjvProgramTransmitter::startProgram(int, const ProgramStartOptions &)
{
    qCWarning(lcChamberConnection) << "(TJV) Operation 'startProgram' not supported";
    return false;
}

bool TjvProgramTransmitter::stopProgram()
{
    qCWarning(lcChamberConnection) << "(TJV) Operation 'stopProgram' not supported";
    return false;
}

void TjvProgramTransmitter::resetCommand()
{
    AbstractProgramTransmitter::resetCommand();
    m_deleteFileList.clear();
    m_digitalSignals.clear();
    m_signalFiles.clear();
    m_bitsRead = false;
    if (m_ftpConnection)
        m_ftpConnection->clearConnectionCache();
}

void TjvProgramTransmitter::await(QNetworkReply *reply, ReplyHandler handler)
{
    if (!reply) {
        resetThenReportError();
        return;
    }
    connect(reply, &QNetworkReply::finished, this, [this, reply, handler] {
        reply->deleteLater();
        (this->*handler)(*reply);
    });
}

bool TjvProgramTransmitter::succeeded(const QNetworkReply &reply)
{
    if (reply.error() == QNetworkReply::NoError)
        return true;
    const QString text = m_ftpConnection->errorString(&reply);
    qCWarning(lcChamberConnection).noquote()
        << "(TJV)" << QMetaEnum::fromType<Command>().valueToKey(currentCommand()) << "failed:" << text;
    resetThenReportError(text);
    return false;
}

QString TjvProgramTransmitter::slotDirectory() const
{
    return slotDirectoryOf(transmissionData().programIndex);
}

void TjvProgramTransmitter::collectDigitalSignals()
{
    m_digitalSignals.clear();
    for (const ChamberSignal &signal : qAsConst(transmissionData().chamberSignals)) {
        if (!signal.writeManualAddress() || !signal.isDigital())
            continue;
        if (signal.bitPosition() >= 0 && signal.bitPosition() < DigitalBits)
            m_digitalSignals.append(signal);
        else
            qCWarning(lcChamberConnection) << "(TJV) Unexpected bitposition:" << signal.bitPosition();
    }
}

// The program index counts the slots.
void TjvProgramTransmitter::prepareReadProgramNames()
{
    const int slot = transmissionData().programIndex;
    if (slot >= programSlotCount()) {
        Q_EMIT readProgramNamesFinished(programNames());
        resetCommand();
        return;
    }
    await(m_ftpConnection ? m_ftpConnection->get(slotDirectoryOf(slot) + QLatin1Char('/') + programNameFile())
                          : nullptr,
          &TjvProgramTransmitter::handleListedName);
}

// Only a missing name file marks an empty slot: a controller that cannot be
// reached must not look like one without programs.
void TjvProgramTransmitter::handleListedName(QNetworkReply &reply)
{
    const bool missing = reply.error() == QNetworkReply::ContentNotFoundError;
    if (!missing && !succeeded(reply))
        return;
    listSlotName(missing ? emptyProgramName : programNameIn(reply));
}

void TjvProgramTransmitter::prepareReadProgram()
{
    collectDigitalSignals();
    await(m_ftpConnection ? m_ftpConnection->get(slotDirectory() + QLatin1Char('/') + programNameFile()) : nullptr,
          &TjvProgramTransmitter::handleProgramName);
}

void TjvProgramTransmitter::handleProgramName(QNetworkReply &reply)
{
    if (!succeeded(reply))
        return;
    transmissionData().programName = programNameIn(reply);
    queueStep(&TjvProgramTransmitter::fetchSignalFile);
}

void TjvProgramTransmitter::fetchSignalFile()
{
    TransmissionData &data = transmissionData();
    while (data.signalIndex < data.chamberSignals.size() && data.chamberSignals.at(data.signalIndex).isDigital())
        ++data.signalIndex;
    if (data.signalIndex == data.chamberSignals.size()) {
        finishRead(data.programName);
        return;
    }
    const ChamberSignal &signal = data.chamberSignals.at(data.signalIndex);
    if (!signal.writeManualAddress()) {
        qCWarning(lcChamberConnection).noquote() << "(TJV) Signal" << signal.name() << "has no table";
        resetThenReportError();
        return;
    }
    await(m_ftpConnection->get(slotDirectory() + QLatin1Char('/') + signalFileOf(signal)),
          &TjvProgramTransmitter::handleSignalFile);
}

void TjvProgramTransmitter::handleSignalFile(QNetworkReply &reply)
{
    TransmissionData &data = transmissionData();
    const ChamberSignal signal = data.chamberSignals.at(data.signalIndex);
    if (reply.error() == QNetworkReply::ContentNotFoundError) {
        qCWarning(lcChamberConnection).noquote()
            << QStringLiteral("(TJV) Signal file for signal '%1' not found").arg(signal.name());
    } else if (!succeeded(reply)) {
        return;
    } else {
        // The bits are the same in every table; they are taken from the
        // first one there is.
        const bool withBits = !m_bitsRead;
        m_bitsRead = true;
        for (bool header = true; !reply.atEnd(); header = false) {
            const QByteArray line = reply.readLine();
            if (header ? !TjvProgramFile::isHeader(line) : !readSectionLine(line, signal, withBits)) {
                qCWarning(lcChamberConnection) << "(TJV) Could not parse line of TJV program:" << line;
                resetThenReportError(QStringLiteral("Could not parse line of TJV program"));
                return;
            }
        }
    }
    ++data.signalIndex;
    queueStep(&TjvProgramTransmitter::fetchSignalFile);
}

// Sections are numbered from 0 without a gap; a later table only adds its
// set-points to the sections an earlier one made.
bool TjvProgramTransmitter::readSectionLine(const QByteArray &text, const ChamberSignal &signal, bool withBits)
{
    const std::optional<TjvProgramFile::Line> line = TjvProgramFile::parse(text);
    QList<ProgramTransmittableSection> &sections = transmissionData().sections;
    if (!line || line->sectionNumber > sections.size())
        return false;
    if (line->sectionNumber == sections.size())
        sections.append(ProgramTransmittableSection(ProgramSection(0, {}, 0, ProgramSection::INVALID, false, {}), 0, 0));

    ProgramTransmittableSection &transmittable = sections[line->sectionNumber];
    ProgramSection section = transmittable.section();
    section.setDurationInSeconds(line->durationInSeconds);
    section.setTransitionType(ProgramSection::TransitionType(line->transitionType));
    transmittable.setReference(line->reference);
    transmittable.setRepetitions(line->repetitions);

    const auto limit = [&signal](std::optional<float> distance) {
        return UnitValue(signal.unit(), distance ? QVariant(*distance) : QVariant());
    };
    QList<SetpointValue> setpoints = section.setpoints();
    setpoints.append(SetpointValue(signal, line->value, signal.unit(),
                                   ToleranceRange(ToleranceRange::Relative, limit(line->lowerLimit),
                                                  limit(line->upperLimit))));
    if (withBits && line->bits) {
        for (const ChamberSignal &digital : qAsConst(m_digitalSignals)) {
            const bool on = (*line->bits >> digital.bitPosition()) & 1;
            setpoints.append(SetpointValue(digital, on));
        }
    }
    section.setSetpoints(setpoints);
    transmittable.setSection(section);
    return true;
}

// The tables are formatted first; then the slot's tables that this program
// does not rewrite are removed, since a read would take them for part of it;
// then the slot directory is entered for the uploads.
void TjvProgramTransmitter::prepareWriteProgram()
{
    collectDigitalSignals();
    if (!m_ftpConnection) {
        resetThenReportError();
        return;
    }
    if (!formatSignalFiles())
        return;
    // The sections travel in the analog tables: without one, only the name
    // would be stored.
    if (m_signalFiles.isEmpty() && !transmissionData().sections.isEmpty()) {
        qCWarning(lcChamberConnection) << "(TJV) Program without analog set-points not written";
        resetThenReportError(tr("The controller cannot store a program without analog setpoints"));
        return;
    }
    await(m_ftpConnection->list(slotDirectory()), &TjvProgramTransmitter::handleStaleTableList);
}

// One table for each analog signal that section 0 sets, in the order of the
// columns. Nothing is sent when a table cannot be written whole.
bool TjvProgramTransmitter::formatSignalFiles()
{
    const TransmissionData &data = transmissionData();
    if (data.sections.isEmpty())
        return true;
    const QList<SetpointValue> setpoints = data.sections.first().section().setpoints();
    for (const SetpointValue &setpoint : setpoints) {
        const auto signal = std::find_if(data.chamberSignals.begin(), data.chamberSignals.end(),
                                         [&setpoint](const ChamberSignal &s) { return s.id() == setpoint.signalId(); });
        if (signal == data.chamberSignals.end()) {
            qCWarning(lcChamberConnection) << "(TJV) Set-point of unknown signal" << setpoint.signalId();
            resetThenReportError();
            return false;
        }
        if (!signal->isDigital() && !formatSignalFile(*signal))
            return false;
    }
    return true;
}

bool TjvProgramTransmitter::formatSignalFile(const ChamberSignal &signal)
{
    const TransmissionData &data = transmissionData();
    if (!signal.writeManualAddress()) {
        qCWarning(lcChamberConnection).noquote() << "(TJV) Signal" << signal.name() << "has no table";
        resetThenReportError();
        return false;
    }
    QByteArray content = TjvProgramFile::header(!m_digitalSignals.isEmpty());
    for (int number = 0; number < data.sections.size(); ++number) {
        const ProgramSection section = data.sections.at(number).section();
        const std::optional<SetpointValue> setpoint = setpointOf(section, signal.id());
        if (!setpoint) {
            qCWarning(lcChamberConnection).noquote()
                << "(TJV) Section" << number << "has no set-point for signal" << signal.name();
            resetThenReportError();
            return false;
        }
        const std::optional<int> bits =
            m_digitalSignals.isEmpty() ? std::nullopt : std::optional<int>(bitsOf(section, m_digitalSignals));
        const QByteArray line =
            TjvProgramFile::format(lineOf(data.sections.at(number), number, *setpoint, signal, bits));
        if (!TjvProgramFile::parse(line)) {
            qCWarning(lcChamberConnection) << "(TJV) Line cannot be read back by the controller:" << line;
            resetThenReportError();
            return false;
        }
        content += line;
    }
    m_signalFiles.append({signalFileOf(signal), content});
    return true;
}

// Many servers refuse the listing of an empty directory ("550 No files
// found") rather than list nothing, so a refusal leaves no table to remove; a
// listing without an answer ends the write. Letter case is not told apart: a
// server that does not tell it apart either would serve "ID...TPG" to a read
// of "ID...tpg".
void TjvProgramTransmitter::handleStaleTableList(QNetworkReply &reply)
{
    if (TjvFtpConnection::isRefusedByServer(reply)) {
        qCInfo(lcChamberConnection).noquote()
            << "(TJV) Slot listing refused, taken as empty:" << m_ftpConnection->errorString(&reply);
        deleteProgramFile();
        return;
    }
    if (!succeeded(reply))
        return;
    const QStringList names = plainNamesIn(reply);
    for (const QString &name : names) {
        const bool rewritten = std::any_of(m_signalFiles.cbegin(), m_signalFiles.cend(), [&name](const auto &file) {
            return file.first.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (name.endsWith(QLatin1String(".tpg"), Qt::CaseInsensitive) && !rewritten)
            m_deleteFileList.append(name);
    }
    deleteProgramFile();
}

void TjvProgramTransmitter::enterSlotDirectory()
{
    await(m_ftpConnection->changeDirectory(slotDirectory()), &TjvProgramTransmitter::writeProgramNameFile);
}

// The files land in the slot directory that the "cd" entered.
void TjvProgramTransmitter::writeProgramNameFile(QNetworkReply &reply)
{
    if (!succeeded(reply))
        return;
    await(m_ftpConnection->put(programNameFile(), transmissionData().programName.toUtf8() + "\r\n"),
          &TjvProgramTransmitter::writeNextSignalFile);
}

void TjvProgramTransmitter::writeNextSignalFile(QNetworkReply &reply)
{
    if (!succeeded(reply))
        return;
    if (m_signalFiles.isEmpty()) {
        Q_EMIT writeProgramFinished();
        resetCommand();
        return;
    }
    const QPair<QString, QByteArray> file = m_signalFiles.takeFirst();
    await(m_ftpConnection->put(file.first, file.second), &TjvProgramTransmitter::writeNextSignalFile);
}

void TjvProgramTransmitter::prepareDeleteProgram()
{
    await(m_ftpConnection ? m_ftpConnection->list(slotDirectory()) : nullptr,
          &TjvProgramTransmitter::handleDeleteFileList);
}

void TjvProgramTransmitter::handleDeleteFileList(QNetworkReply &reply)
{
    if (!succeeded(reply))
        return;
    m_deleteFileList = plainNamesIn(reply);
    queueStep(&TjvProgramTransmitter::deleteProgramFile);
}

// From the last listed file to the first; the slot directory stays. A write
// goes on into the slot directory once its stale tables are gone.
void TjvProgramTransmitter::deleteProgramFile()
{
    if (m_deleteFileList.isEmpty()) {
        if (currentCommand() == WRITE) {
            enterSlotDirectory();
            return;
        }
        resetCommand();
        Q_EMIT deleteProgramFinished();
        return;
    }
    const QString name = m_deleteFileList.takeLast();
    qCInfo(lcChamberConnection).noquote() << "Deleting file" << name;
    await(m_ftpConnection->deleteFile(slotDirectory() + QLatin1Char('/') + name),
          &TjvProgramTransmitter::handleDeletedFile);
}

void TjvProgramTransmitter::handleDeletedFile(QNetworkReply &reply)
{
    if (succeeded(reply))
        queueStep(&TjvProgramTransmitter::deleteProgramFile);
}

} // namespace quelta::base::connection::chamberconnection
