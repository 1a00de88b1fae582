#pragma once

#include <QtCore/QList>
#include <QtCore/QPair>
#include <QtCore/QString>
#include <QtCore/QVariant>

// The rows of a chamber-type catalogue as CatalogueBuilder writes them, one
// struct per table. A QVariant field is a column that may be NULL: an
// invalid QVariant (and a null QString in a text field) is written as NULL.
// A chamber type carries the rows of its link tables.

namespace quelta::test {

// A row of the controller or of the protocol table.
struct CatalogueName
{
    int id = 0;
    QString name;
};

struct CatalogueAdditionalInfo
{
    quint64 id = 0;
    QString articleNr;
    QString info;
};

struct CatalogueValueType
{
    int id = 0;
    QString name;
    QVariant decimalPlaces;
    QString color;
};

// A row of controller_data: a register or command of a controller.
struct CatalogueDescriptor
{
    int id = 0;
    QString address;
    QString access;
    QString variableType;
    QVariant setPointNr;
    QString description;
    int controllerId = 0;
    QString addressType;
    QString comment;
};

struct CatalogueSignal
{
    int id = 0;
    QString name;
    QVariant read;
    QVariant writeBasic;
    QVariant writeManual;
    QVariant writeAuto;
    QString unit;
    QVariant userLevel;
    QVariant limitMin;
    QVariant limitMax;
    QVariant bitposition;
    QString signalType;
    QVariant valueType;
    QVariant setPointSignal;
    QVariant timeProgrammable;
    QVariant weekProgrammable;
};

struct CatalogueControlSignal
{
    int id = 0;
    QString name;
    QVariant bitposition;
    QVariant userlevel;
    QVariant read;
    QVariant write;
};

struct CatalogueOption
{
    int id = 0;
    QString name;
    QVariant fix;
};

struct CatalogueToleranceRange
{
    int id = 0;
    QString name;
    QVariant setPoint;
    QVariant processValue;
    QVariant rangeMin;
    QVariant rangeMax;
    QVariant delay1;
    QVariant delay2;
};

struct CatalogueChamberType
{
    quint64 id = 0;
    QString type;
    QString developementState;
    QVariant size;
    QString voltage;
    QString image;
    QString description;
    QString firmwareStart;
    QString firmwareEnde;
    QString setupKennung;
    QVariant setupVersionStart;
    QVariant setupVersionEnde;
    QString kennungProgramme;
    QVariant controllerId;

    QList<int> protocolIds;
    QList<quint64> additionalInfoIds;
    QList<int> signalIds;
    QList<int> controlSignalIds;
    QList<int> optionIds;
    QList<int> toleranceRangeIds;
    // (signal id, channel)
    QList<QPair<int, int>> dataloggerSignals;
};

struct CatalogueContent
{
    QList<CatalogueName> controllers;
    QList<CatalogueName> protocols;
    QList<CatalogueAdditionalInfo> additionalInfos;
    QList<CatalogueValueType> valueTypes;
    QList<CatalogueDescriptor> descriptors;
    QList<CatalogueSignal> signalRows;
    QList<CatalogueControlSignal> controlSignals;
    QList<CatalogueOption> options;
    QList<CatalogueToleranceRange> toleranceRanges;
    QList<CatalogueChamberType> chamberTypes;
};

} // namespace quelta::test
