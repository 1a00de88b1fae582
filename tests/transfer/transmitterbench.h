#pragma once

#include "fakemodbuschamberconnection.h"

#include "domain/api/metatypes.h"
#include "transfer/abstractprogramtransmitter.h"

#include <QtCore/QSharedPointer>
#include <QtTest/QSignalSpy>

// Every result signal of a transmitter, to prove that each command ends in
// exactly one of them.
struct TransmitterSpy
{
    using Transmitter = quelta::base::connection::chamberconnection::AbstractProgramTransmitter;

    explicit TransmitterSpy(Transmitter *transmitter)
        : names(withArgumentTypes(transmitter), &Transmitter::readProgramNamesFinished)
        , name(transmitter, &Transmitter::readProgramNameFinished)
        , read(transmitter, &Transmitter::readProgramFinished)
        , written(transmitter, &Transmitter::writeProgramFinished)
        , deleted(transmitter, &Transmitter::deleteProgramFinished)
        , started(transmitter, &Transmitter::startProgramFinished)
        , stopped(transmitter, &Transmitter::stopProgramFinished)
        , errors(transmitter, &Transmitter::error)
    {
    }

    int outcomes() const
    {
        return names.count() + name.count() + read.count() + written.count() + deleted.count() + started.count()
            + stopped.count() + errors.count();
    }
    QString lastError() const { return errors.isEmpty() ? QString() : errors.last().first().toString(); }

    QSignalSpy names, name, read, written, deleted, started, stopped, errors;

private:
    // The spies need the signals' argument types registered, as the
    // application registers them at start-up.
    static Transmitter *withArgumentTypes(Transmitter *transmitter)
    {
        quelta::domain::api::registerApiMetaTypes();
        return transmitter;
    }
};

// A transmitter of one generation wired to a fake connection that a model of
// its controller answers, with a spy on its results.
template<typename Model, typename Transmitter>
struct TransmitterBench
{
    TransmitterBench() { transmitter.setChamberConnection(connection); }

    Model controller;
    const QSharedPointer<FakeModbusChamberConnection> connection =
        QSharedPointer<FakeModbusChamberConnection>::create(&controller);
    Transmitter transmitter;
    TransmitterSpy spy{&transmitter};
};
