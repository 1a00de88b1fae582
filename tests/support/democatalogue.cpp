#include "support/democatalogue.h"

namespace quelta::test {

namespace {

// Controllers.
constexpr int Qx1 = 1;
constexpr int Qx2 = 2;
constexpr int Zk3 = 3;
constexpr int Zk4 = 4;
constexpr int Tjv = 5;
constexpr int Cvc3000 = 6;
constexpr int Simserv = 7;
constexpr int Cts = 8;

// Connection kinds.
constexpr int ModbusRtu = 1;
constexpr int ModbusRtuOverTcp = 2;
constexpr int ModbusTcp = 3;
constexpr int TjvProtocol = 4;
constexpr int VacuubrandProtocol = 5;
constexpr int SimservProtocol = 6;
constexpr int CtsSerial = 7;
constexpr int CtsNetwork = 8;

// Value types.
constexpr int Temperature = 1;
constexpr int Humidity = 2;
constexpr int Pressure = 3;
constexpr int Digital = 4;
constexpr int Light = 5;
constexpr int Time = 6;

// Options.
constexpr int TimeProgram = 1;
constexpr int TimeProgramQuelta4 = 2;
constexpr int ReadableDataStorage = 3;
constexpr int OperatingModeSwitching = 4;

CatalogueDescriptor descriptor(int id, const QString &address, const QString &access, const QString &variableType,
                               const QVariant &setPointNr, const QString &description, int controllerId)
{
    CatalogueDescriptor row;
    row.id = id;
    row.address = address;
    row.access = access;
    row.variableType = variableType;
    row.setPointNr = setPointNr;
    row.description = description;
    row.controllerId = controllerId;
    row.addressType = address.startsWith("0x") ? QStringLiteral("register") : QStringLiteral("command");
    return row;
}

CatalogueSignal signal(int id, const QString &name, const QString &unit, const QString &signalType,
                       const QVariant &valueType, int userLevel)
{
    CatalogueSignal row;
    row.id = id;
    row.name = name;
    row.unit = unit;
    row.signalType = signalType;
    row.valueType = valueType;
    row.userLevel = userLevel;
    row.timeProgrammable = false;
    row.weekProgrammable = false;
    return row;
}

// A process value and the set point that belongs to it, both of the value
// type, the set point programmable and written in the manual and automatic
// modes.
void addSetPointPair(CatalogueContent &content, int processValueId, int setPointId, const QString &name,
                     const QString &unit, int valueType, int read, int setPointRead, int writeManual,
                     int writeAuto, double limitMin, double limitMax)
{
    CatalogueSignal processValue = signal(processValueId, name, unit, "process_value", valueType, 1);
    processValue.read = read;
    processValue.setPointSignal = setPointId;
    processValue.limitMin = limitMin;
    processValue.limitMax = limitMax;
    content.signalRows.append(processValue);

    CatalogueSignal setPoint = signal(setPointId, name + " set point", unit, "set_point", valueType, 2);
    setPoint.read = setPointRead;
    setPoint.writeManual = writeManual;
    setPoint.writeAuto = writeAuto;
    setPoint.limitMin = limitMin;
    setPoint.limitMax = limitMax;
    setPoint.timeProgrammable = true;
    content.signalRows.append(setPoint);
}

CatalogueChamberType chamberType(quint64 id, const QString &type, const QString &eLevel, const QVariant &size,
                                 const QString &voltage, int controllerId, const QList<int> &protocols)
{
    CatalogueChamberType row;
    row.id = id;
    row.type = type;
    row.developementState = eLevel;
    row.size = size;
    row.voltage = voltage;
    row.controllerId = controllerId;
    row.protocolIds = protocols;
    return row;
}

void addClimateChamber(CatalogueContent &content)
{
    using D = DemoCatalogue;
    content.additionalInfos.append({D::ClimateStandard, "640100-01", "Standard"});
    content.additionalInfos.append({D::ClimateWaterSupply, "640100-02", "With fixed water supply"});
    content.additionalInfos.append({D::ClimateLight, "640100-03", "With light cassettes"});

    content.descriptors.append({
        descriptor(D::ClimateTemperatureRead, "0xAC00", "RO", "FLOAT", {}, "Temperature actual value", Zk4),
        descriptor(D::ClimateTemperatureSetPointRead, "0xAC02", "RO", "FLOAT", {}, "Temperature set point", Zk4),
        descriptor(D::ClimateTemperatureSetPointManual, "0xAC40", "RW", "FLOAT", 1,
                   "Temperature set point, manual mode", Zk4),
        descriptor(D::ClimateTemperatureSetPointAuto, "0xAC80", "RW", "FLOAT", 1,
                   "Temperature set point, automatic mode", Zk4),
        descriptor(D::ClimateHumidityRead, "0xAC04", "RO", "FLOAT", {}, "Humidity actual value", Zk4),
        descriptor(1006, "0xAC06", "RO", "FLOAT", {}, "Humidity set point", Zk4),
        descriptor(1007, "0xAC42", "RW", "FLOAT", 2, "Humidity set point, manual mode", Zk4),
        descriptor(1008, "0xAC82", "RW", "FLOAT", 2, "Humidity set point, automatic mode", Zk4),
        descriptor(D::ClimateDigitalInputs, "0xAD00", "RO", "UINT16", {}, "Digital inputs", Zk4),
        descriptor(D::ClimateDigitalOutputs, "0xAD10", "RW", "BOOL[16]", 3, "Digital outputs", Zk4),
        descriptor(D::ClimateOperatingHoursRead, "0xAE00", "RO", "UINT32[2]", {}, "Operating hours", Zk4),
        descriptor(D::ClimateControlWord, "0xAD20", "WO", "UINT16", {}, "Control word", Zk4),
        descriptor(D::ClimateStatusWord, "0xAD21", "RO", "UINT16", {}, "Status word", Zk4),
        descriptor(D::ClimateTemperatureSetPointBasic, "0xAC20", "WO", "FLOAT", {},
                   "Temperature set point, basic mode", Zk4),
    });

    addSetPointPair(content, D::ClimateTemperature, D::ClimateTemperatureSetPoint, "Temperature", "°C", Temperature,
                    D::ClimateTemperatureRead, D::ClimateTemperatureSetPointRead,
                    D::ClimateTemperatureSetPointManual, D::ClimateTemperatureSetPointAuto, -40.0, 180.0);
    content.signalRows.last().writeBasic = D::ClimateTemperatureSetPointBasic;
    content.signalRows.last().weekProgrammable = true;
    addSetPointPair(content, D::ClimateHumidity, D::ClimateHumiditySetPoint, "Humidity", "% r.H.", Humidity,
                    D::ClimateHumidityRead, 1006, 1007, 1008, 10.0, 98.0);

    CatalogueSignal door = signal(D::ClimateDoor, "Door open", QString(), "process_value", Digital, 1);
    door.read = D::ClimateDigitalInputs;
    door.bitposition = 3;
    content.signalRows.append(door);

    CatalogueSignal lightSwitch =
        signal(D::ClimateLightSwitch, "Light", QString(), "set_point_process_value", Light, 2);
    lightSwitch.read = D::ClimateDigitalOutputs;
    lightSwitch.writeManual = D::ClimateDigitalOutputs;
    lightSwitch.bitposition = 0;
    lightSwitch.timeProgrammable = true;
    content.signalRows.append(lightSwitch);

    // A counter without unit, role or value type.
    CatalogueSignal hours = signal(D::ClimateOperatingHours, "Operating hours", QString(), QString(), {}, 4);
    hours.read = D::ClimateOperatingHoursRead;
    content.signalRows.append(hours);

    content.controlSignals.append({1, "Start", 0, 2, D::ClimateStatusWord, D::ClimateControlWord});
    content.controlSignals.append({2, "Defrost", 1, 3, D::ClimateStatusWord, D::ClimateControlWord});
    content.controlSignals.append({3, "Alarm reset", 2, 2, -1, D::ClimateControlWord});

    content.toleranceRanges.append({D::ClimateTemperatureRange, "Temperature", D::ClimateTemperatureSetPoint,
                                    D::ClimateTemperature, 2.5, 3.0, 30, 5});
    content.toleranceRanges.append({D::ClimateHumidityRange, "Humidity", D::ClimateHumiditySetPoint,
                                    D::ClimateHumidity, 5.0, 5.0, 60, {}});

    CatalogueChamberType type = chamberType(D::ClimateChamber, "KLH", "E2", 100, "230 V", Zk4, {ModbusRtu, ModbusTcp});
    type.image = "klh.png";
    type.description = "Climate test chamber";
    type.firmwareStart = "4.10";
    type.firmwareEnde = "4.99";
    type.setupKennung = "KLH";
    type.setupVersionStart = 3;
    type.setupVersionEnde = 7;
    type.kennungProgramme = "ZK4P";
    type.additionalInfoIds = {D::ClimateStandard, D::ClimateWaterSupply, D::ClimateLight};
    type.signalIds = {D::ClimateTemperature, D::ClimateTemperatureSetPoint, D::ClimateHumidity,
                      D::ClimateHumiditySetPoint, D::ClimateDoor, D::ClimateLightSwitch, D::ClimateOperatingHours};
    type.controlSignalIds = {1, 2, 3};
    type.optionIds = {TimeProgram, ReadableDataStorage, OperatingModeSwitching};
    type.toleranceRangeIds = {D::ClimateTemperatureRange, D::ClimateHumidityRange};
    // Written out of channel order on purpose.
    type.dataloggerSignals = {{D::ClimateHumidity, 2}, {D::ClimateTemperature, 1}, {D::ClimateLightSwitch, 3}};
    content.chamberTypes.append(type);
}

void addTemperatureChamber(CatalogueContent &content)
{
    using D = DemoCatalogue;
    content.descriptors.append({
        descriptor(2001, "0x1000", "RO", "INT10", {}, "Temperature actual value", Qx2),
        descriptor(2002, "0x1002", "RW", "INT10", 1, "Temperature set point", Qx2),
        descriptor(2003, "0x1004", "RO", "TIME", {}, "Program time", Qx2),
        descriptor(2004, "0x1006", "RO", "INT16", {}, "Fan speed", Qx2),
        descriptor(2005, "0x1010", "RO", "CHAR[16]", {}, "Program name", Qx2),
        descriptor(2006, "0x1008", "RO", "UINT8", {}, "Program number", Qx2),
    });
    addSetPointPair(content, D::TemperatureChamberTemperature, D::TemperatureChamberSetPoint, "Temperature", "°C",
                    Temperature, 2001, 2002, 2002, 2002, -70.0, 200.0);
    CatalogueSignal programTime = signal(D::TemperatureChamberProgramTime, "Program time", QString(), QString(),
                                         Time, 1);
    programTime.read = 2003;
    content.signalRows.append(programTime);
    CatalogueSignal fan = signal(D::TemperatureChamberFanSpeed, "Fan speed", "%", "process_value", {}, 3);
    fan.read = 2004;
    content.signalRows.append(fan);

    content.toleranceRanges.append({3, "Temperature", D::TemperatureChamberSetPoint, D::TemperatureChamberTemperature,
                                    1.0, 1.0, 120, 10});

    CatalogueChamberType type =
        chamberType(D::TemperatureChamber, "TK", QString(), 64, "400 V", Qx2, {ModbusRtuOverTcp, ModbusTcp});
    type.description = "Temperature test chamber";
    type.kennungProgramme = "QX2P";
    type.signalIds = {D::TemperatureChamberTemperature, D::TemperatureChamberSetPoint,
                      D::TemperatureChamberProgramTime, D::TemperatureChamberFanSpeed};
    type.optionIds = {TimeProgramQuelta4};
    type.toleranceRangeIds = {3};
    type.dataloggerSignals = {{D::TemperatureChamberTemperature, 1}};
    content.chamberTypes.append(type);
}

void addTextProtocolTypes(CatalogueContent &content)
{
    using D = DemoCatalogue;

    content.additionalInfos.append({D::DryingOvenStandard, "630053-01", "Standard"});
    content.descriptors.append({
        descriptor(3001, "TEMP?", "RO", "FLOAT", {}, "Read the temperature", Tjv),
        descriptor(3002, "TEMPSET", "WO", "FLOAT", 1, "Write the temperature set point", Tjv),
        descriptor(3003, "11004/1", "RO", "UINT16", {}, "Door state", Tjv),
    });
    addSetPointPair(content, 21, 22, "Temperature", "°C", Temperature, 3001, -1, 3002, -1, 20.0, 250.0);
    content.signalRows.last().read = {};
    content.signalRows.last().writeAuto = {};
    CatalogueSignal door = signal(23, "Door open", QString(), "process_value", Digital, 1);
    door.read = 3003;
    door.bitposition = 0;
    content.signalRows.append(door);
    CatalogueChamberType oven = chamberType(D::DryingOven, "VTR", "E1", 53, "230 V", Tjv, {TjvProtocol});
    oven.description = "Vacuum drying oven";
    oven.additionalInfoIds = {D::DryingOvenStandard};
    oven.signalIds = {21, 22, 23};
    oven.optionIds = {ReadableDataStorage};
    content.chamberTypes.append(oven);

    content.additionalInfos.append({401, "20683001", "CVC 3000 with vacuum sensor"});
    content.descriptors.append({
        descriptor(4001, "IN_PV_1", "RO", "FLOAT", {}, "Pressure actual value", Cvc3000),
        descriptor(4002, "OUT_SP_1", "WO", "FLOAT", 1, "Pressure set point", Cvc3000),
    });
    addSetPointPair(content, 31, 32, "Pressure", "mbar", Pressure, 4001, -1, 4002, -1, 0.1, 1100.0);
    content.signalRows.last().read = {};
    content.signalRows.last().writeAuto = {};
    CatalogueChamberType vacuum =
        chamberType(D::VacuumController, "CVC 3000", QString(), {}, "100-230 V", Cvc3000, {VacuubrandProtocol});
    vacuum.description = "Vacuum controller";
    vacuum.additionalInfoIds = {401};
    vacuum.signalIds = {31, 32};
    content.chamberTypes.append(vacuum);

    content.additionalInfos.append({501, "SC340-01", QString()});
    content.descriptors.append(descriptor(5001, "11004/1", "RO", "FLOAT", {}, "Temperature actual value", Simserv));
    CatalogueSignal simservTemperature = signal(41, "Temperature", "°C", "process_value", Temperature, 1);
    simservTemperature.read = 5001;
    content.signalRows.append(simservTemperature);
    CatalogueChamberType simserv =
        chamberType(D::SimservChamber, "SC", "E1", 340, "400 V", Simserv, {SimservProtocol});
    simserv.additionalInfoIds = {501};
    simserv.signalIds = {41};
    content.chamberTypes.append(simserv);

    content.additionalInfos.append({601, "C40-600", "Climate chamber, CTS controller"});
    content.descriptors.append(descriptor(6001, "A0", "RO", "FLOAT", {}, "Temperature actual value", Cts));
    CatalogueSignal ctsTemperature = signal(51, "Temperature", "°C", "process_value", Temperature, 1);
    ctsTemperature.read = 6001;
    content.signalRows.append(ctsTemperature);
    CatalogueChamberType cts =
        chamberType(D::CtsChamber, "C-40", QString(), 600, "400 V", Cts, {CtsSerial, CtsNetwork});
    cts.additionalInfoIds = {601};
    cts.signalIds = {51};
    content.chamberTypes.append(cts);
}

void addOlderModbusTypes(CatalogueContent &content)
{
    using D = DemoCatalogue;

    content.additionalInfos.append({701, "651600-01", "Plant growth chamber"});
    content.descriptors.append({
        descriptor(7001, "0x1A10", "RO", "INT16", {}, "Temperature actual value", Qx1),
        descriptor(7002, "0x1A11", "RW", "INT16", 1, "Temperature set point", Qx1),
        descriptor(7003, "0x1A12", "RO", "UINT16", {}, "Light intensity", Qx1),
        descriptor(7004, "0x1A13", "RW", "UINT16", 2, "Light set point", Qx1),
    });
    addSetPointPair(content, 61, 62, "Temperature", "°C", Temperature, 7001, 7002, 7002, 7002, 0.0, 50.0);
    addSetPointPair(content, 63, 64, "Light", "kLUX", Light, 7003, 7004, 7004, 7004, 0.0, 40.0);
    CatalogueChamberType plant =
        chamberType(D::PlantChamber, "KPK", "E3", 600, "230 V", Qx1, {ModbusRtu, ModbusRtuOverTcp});
    plant.additionalInfoIds = {701};
    plant.signalIds = {61, 62, 63, 64};
    plant.optionIds = {TimeProgram, OperatingModeSwitching};
    content.chamberTypes.append(plant);

    content.additionalInfos.append({801, "610053-01", QString()});
    content.descriptors.append({
        descriptor(8001, "0x0100", "RO", "INT16", {}, "Temperature actual value", Zk3),
        descriptor(8002, "0x0101", "RW", "INT16", 1, "Temperature set point", Zk3),
        descriptor(8003, "0x0102", "RO", "UINT8", {}, "CO2 actual value", Zk3),
    });
    addSetPointPair(content, 71, 72, "Temperature", "°C", Temperature, 8001, 8002, 8002, -1, 5.0, 70.0);
    content.signalRows.last().writeAuto = {};
    CatalogueSignal co2 = signal(73, "CO2", "Vol.-%", "process_value", {}, 1);
    co2.read = 8003;
    content.signalRows.append(co2);
    CatalogueChamberType incubator = chamberType(D::IncubatorChamber, "BK", QString(), 53, "230 V", Zk3, {ModbusRtu});
    incubator.additionalInfoIds = {801};
    incubator.signalIds = {71, 72, 73};
    incubator.optionIds = {TimeProgram};
    content.chamberTypes.append(incubator);
}

} // namespace

CatalogueContent DemoCatalogue::content()
{
    CatalogueContent content;
    content.controllers = {{Qx1, "QX1"},  {Qx2, "QX2"},     {Zk3, "ZK3"},         {Zk4, "ZK4"},
                           {Tjv, "TJV"}, {Cvc3000, "CVC 3000"}, {Simserv, "Simserv"}, {Cts, "CTS"}};
    content.protocols = {{ModbusRtu, "Modbus RTU"},       {ModbusRtuOverTcp, "Modbus RTU over TCP"},
                         {ModbusTcp, "Modbus TCP"},       {TjvProtocol, "TJV"},
                         {VacuubrandProtocol, "Vacuubrand"}, {SimservProtocol, "Simserv"},
                         {CtsSerial, "CTS serial"},       {CtsNetwork, "CTS network"}};
    content.valueTypes = {{Temperature, "temperature", 1, "#e53935"}, {Humidity, "humidity", 1, "#1e88e5"},
                          {Pressure, "pressure", 2, "#43a047"},       {Digital, "digital", 0, "#757575"},
                          {Light, "light", 0, "#fdd835"},             {Time, "time", 0, "#8e24aa"}};
    content.options = {{TimeProgram, "TimeProgram", true},
                       {TimeProgramQuelta4, "TimeProgram_QUELTA_4", true},
                       {ReadableDataStorage, "Readable_DataStorage", false},
                       {OperatingModeSwitching, "OperatingModeSwitching", {}}};

    addClimateChamber(content);
    addTemperatureChamber(content);
    addTextProtocolTypes(content);
    addOlderModbusTypes(content);
    return content;
}

} // namespace quelta::test
