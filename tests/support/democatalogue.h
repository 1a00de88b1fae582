#pragma once

#include "support/cataloguecontent.h"

#include <QtCore/QtGlobal>

namespace quelta::test {

// A small but realistic chamber-type catalogue: types of every connection
// kind (1 to 8), one type with three article variants and one with none,
// signals read and written through registers and commands of several value
// types, set-point pairs, control signals, options, tolerance ranges and
// data-logger channels. The tests of the stores read it. The one picture
// that it names, the climate chamber's, comes with the demo database that
// the build writes for the program (tools/democatalogue).
class DemoCatalogue
{
public:
    // Chamber types.
    static constexpr quint64 ClimateChamber = 1;     // Modbus RTU and TCP; three variants
    static constexpr quint64 TemperatureChamber = 2; // Modbus RTU over TCP and TCP; no variant
    static constexpr quint64 DryingOven = 3;
    static constexpr quint64 VacuumController = 4;
    static constexpr quint64 SimservChamber = 5;
    static constexpr quint64 CtsChamber = 6;

    // The variants of the climate chamber.
    static constexpr quint64 ClimateStandard = 101;
    static constexpr quint64 ClimateWaterSupply = 102;
    static constexpr quint64 ClimateLight = 103;

    // Signals of the climate chamber, then of the temperature chamber.
    static constexpr int ClimateTemperature = 1;
    static constexpr int ClimateTemperatureSetPoint = 2;
    static constexpr int ClimateHumidity = 3;
    static constexpr int ClimateHumiditySetPoint = 4;
    static constexpr int ClimateDoor = 5;
    static constexpr int ClimateLightSwitch = 6;
    static constexpr int ClimateOperatingHours = 7;
    static constexpr int TemperatureChamberSetPoint = 12;

    static CatalogueContent content();

    DemoCatalogue() = delete;
};

} // namespace quelta::test
