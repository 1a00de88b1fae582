#pragma once

#include "support/cataloguecontent.h"

#include <QtCore/QtGlobal>

namespace quelta::test {

// A small but realistic chamber-type catalogue: types of every controller
// generation and of every connection kind (1 to 8), one type with three
// article variants and one with none, signals read and written through
// registers and commands of several value types, set-point pairs, control
// signals, options, tolerance ranges and data-logger channels. The tests of
// the configuration store read it, and it is the demo catalogue of the
// program.
class DemoCatalogue
{
public:
    // Chamber types.
    static constexpr quint64 ClimateChamber = 1;     // ZK4; Modbus RTU and TCP; three variants
    static constexpr quint64 TemperatureChamber = 2; // QX2; RTU over TCP and TCP; no variant
    static constexpr quint64 DryingOven = 3;         // TJV
    static constexpr quint64 VacuumController = 4;   // Vacuubrand CVC 3000
    static constexpr quint64 SimservChamber = 5;
    static constexpr quint64 CtsChamber = 6;         // CTS serial and network
    static constexpr quint64 PlantChamber = 7;       // QX1
    static constexpr quint64 IncubatorChamber = 8;   // ZK3

    // The variants of the climate chamber, and the one of the drying oven.
    static constexpr quint64 ClimateStandard = 101;
    static constexpr quint64 ClimateWaterSupply = 102;
    static constexpr quint64 ClimateLight = 103;
    static constexpr quint64 DryingOvenStandard = 301;

    // Signals of the climate chamber.
    static constexpr int ClimateTemperature = 1;
    static constexpr int ClimateTemperatureSetPoint = 2;
    static constexpr int ClimateHumidity = 3;
    static constexpr int ClimateHumiditySetPoint = 4;
    static constexpr int ClimateDoor = 5;
    static constexpr int ClimateLightSwitch = 6;
    static constexpr int ClimateOperatingHours = 7;
    // Signals of the temperature chamber.
    static constexpr int TemperatureChamberTemperature = 11;
    static constexpr int TemperatureChamberSetPoint = 12;
    static constexpr int TemperatureChamberProgramTime = 13;
    static constexpr int TemperatureChamberFanSpeed = 14;

    // Descriptors (controller_data ids) of the climate chamber.
    static constexpr int ClimateTemperatureRead = 1001;
    static constexpr int ClimateTemperatureSetPointRead = 1002;
    static constexpr int ClimateTemperatureSetPointManual = 1003;
    static constexpr int ClimateTemperatureSetPointAuto = 1004;
    static constexpr int ClimateHumidityRead = 1005;
    static constexpr int ClimateDigitalInputs = 1009;
    static constexpr int ClimateDigitalOutputs = 1010;
    static constexpr int ClimateOperatingHoursRead = 1011;
    static constexpr int ClimateControlWord = 1012;
    static constexpr int ClimateStatusWord = 1013;
    static constexpr int ClimateTemperatureSetPointBasic = 1014;

    // Tolerance ranges of the climate chamber.
    static constexpr int ClimateTemperatureRange = 1;
    static constexpr int ClimateHumidityRange = 2;

    static CatalogueContent content();

    DemoCatalogue() = delete;
};

} // namespace quelta::test
