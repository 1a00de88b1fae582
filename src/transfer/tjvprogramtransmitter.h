#pragma once

#include "transfer/abstractprogramtransmitter.h"

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QPair>
#include <QtCore/QSharedPointer>
#include <QtCore/QStringList>

class QNetworkReply;

namespace quelta::base::connection::chamberconnection {

class TjvFtpConnection;

// Transfers the programs of a TJV controller, which keeps each of its 52
// programs as files in a slot directory of its FTP server:
//
//   /Program/User0/ProgramTime/<slot>   the 0-based slot: program index - 1
//     ProgName.txt                      the name, UTF-8, ended by CR LF
//     ID<address>.tpg                   one table per analog signal, named
//                                       after its manual-mode write address
//
// The table format is TjvProgramFile's; the digital signals (bit positions
// 0 to 7) travel as the bit column of every table.
//
// Each command is a chain of FTP requests, one at a time, each started by
// the previous reply or by a step queued for the next turn of the event
// loop. The program list reads the 52 name files, a missing one naming an
// empty slot; a read fetches the name file and the tables of the chamber's
// analog signals, a missing table leaving that signal out; a write formats
// and checks all tables before the first request, removes the slot's other
// tables (none when the server refuses to list the slot, as many do for an
// empty directory), enters the slot directory and uploads the name file and
// then the tables; a delete lists the directory and deletes its files from
// the last listed to the first. Only plain listed names are deleted, never a
// path that leads out of the slot. Every end of a command drops the
// connection's session, so the next command logs in afresh. Reading a single
// name, starting and stopping are not possible over FTP: they are refused
// with a warning and no signal.
class TjvProgramTransmitter : public AbstractProgramTransmitter
{
    Q_OBJECT

public:
    explicit TjvProgramTransmitter(QObject *parent = nullptr);
    ~TjvProgramTransmitter() override;

    // False when connection is null, and while a command runs, which keeps
    // the connection it started on.
    bool setFtpConnection(const QSharedPointer<TjvFtpConnection> &connection);

    bool readProgramName(int programIndex) override;
    bool startProgram(int programIndex, const domain::types::ProgramStartOptions &options) override;
    bool stopProgram() override;

    int generationValue() const override { return 6; }
    int maxStepCount() const override { return 100; }
    int programSlotCount() const override { return 52; }

protected:
    void prepareReadProgramNames() override;
    void prepareReadProgram() override;
    void prepareDeleteProgram() override;
    void prepareWriteProgram() override;
    void resetCommand() override;

private:
    using ReplyHandler = void (TjvProgramTransmitter::*)(QNetworkReply &reply);

    // Hands the reply to handler once it has finished and deletes it after;
    // ends the command with "Unknown Error" when there is no reply.
    void await(QNetworkReply *reply, ReplyHandler handler);
    // True for a reply without error; otherwise ends the command with the
    // reply's text.
    bool succeeded(const QNetworkReply &reply);
    QString slotDirectory() const;
    void collectDigitalSignals();

    void handleListedName(QNetworkReply &reply);
    void handleProgramName(QNetworkReply &reply);
    void fetchSignalFile();
    void handleSignalFile(QNetworkReply &reply);
    bool readSectionLine(const QByteArray &text, const domain::types::ChamberSignal &signal, bool withBits);
    bool formatSignalFiles();
    bool formatSignalFile(const domain::types::ChamberSignal &signal);
    void handleStaleTableList(QNetworkReply &reply);
    void enterSlotDirectory();
    void writeProgramNameFile(QNetworkReply &reply);
    void writeNextSignalFile(QNetworkReply &reply);
    void handleDeleteFileList(QNetworkReply &reply);
    void deleteProgramFile();
    void handleDeletedFile(QNetworkReply &reply);

    QSharedPointer<TjvFtpConnection> m_ftpConnection;
    // The listed files still to delete: all of a deleted slot's, the stale
    // tables of a written one.
    QStringList m_deleteFileList;
    // The digital signals that travel in the bit column.
    QList<domain::types::ChamberSignal> m_digitalSignals;
    // Write: the tables still to upload, by relative path.
    QList<QPair<QString, QByteArray>> m_signalFiles;
    // Read: the bit column has been taken, from the first table read.
    bool m_bitsRead = false;
};

} // namespace quelta::base::connection::chamberconnection
