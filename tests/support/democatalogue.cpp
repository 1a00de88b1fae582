#include "support/democatalogue.h"

namespace quelta::test {

namespace {

// Ids of the rows of the controller, protocol, value_type and options tables.
enum Controller { Qx2 = 1, Zk4, Tjv, Cvc3000, Simserv, Cts };
enum Protocol { ModbusRtu = 1, ModbusRtuOverTcp, ModbusTcp, TjvProtocol, Vacuubrand, SimservProtocol, CtsSerial,
                CtsNetwork };
enum ValueType { Temperature = 1, Humidity, Pressure, Digital, Light, Time };
enum Option { TimeProgram = 1, TimeProgramQuelta4, ReadableDataStorage, OperatingModeSwitching };

} // namespace

CatalogueContent DemoCatalogue::content()
{
    CatalogueContent content;
    content.controllers = {{Qx2, "QX2"}, {Zk4, "ZK4"}, {Tjv, "TJV"}, {Cvc3000, "CVC 3000"}, {Simserv, "Simserv"},
                           {Cts, "CTS"}};
    content.protocols = {{ModbusRtu, "Modbus RTU"}, {ModbusRtuOverTcp, "Modbus RTU over TCP"},
                         {ModbusTcp, "Modbus TCP"}, {TjvProtocol, "TJV"}, {Vacuubrand, "Vacuubrand"},
                         {SimservProtocol, "Simserv"}, {CtsSerial, "CTS serial"}, {CtsNetwork, "CTS network"}};
    content.valueTypes = {{Temperature, "temperature", 1, "#e53935"}, {Humidity, "humidity", 1, "#1e88e5"},
                          {Pressure, "pressure", 2, "#43a047"}, {Digital, "digital", 0, "#757575"},
                          {Light, "light", 0, "#fdd835"}, {Time, "time", 0, "#8e24aa"}};
    // A NULL fix flag is not fix.
    content.options = {{TimeProgram, "TimeProgram", true}, {TimeProgramQuelta4, "TimeProgram_QUELTA_4", true},
                       {ReadableDataStorage, "Readable_DataStorage", false},
                       {OperatingModeSwitching, "OperatingModeSwitching", {}}};
    content.additionalInfos = {{ClimateStandard, "640100-01", "Standard"},
                               {ClimateWaterSupply, "640100-02", "With fixed water supply"},
                               {ClimateLight, "640100-03", "With light cassettes"},
                               {301, "630053-01", "Standard"},
                               {401, "20683001", "CVC 3000 with vacuum sensor"},
                               {501, "SC340-01", {}},
                               {601, "C40-600", "Climate chamber, CTS controller"}};

    // id, address, access, variable type, set-point number, description, controller, address type, comment
    content.descriptors = {
        {1001, "0xAC00", "RO", "FLOAT", {}, "Temperature actual value", Zk4, "register", {}},
        {1002, "0xAC02", "RO", "FLOAT", {}, "Temperature set point", Zk4, "register", {}},
        {1003, "0xAC40", "RW", "FLOAT", 1, "Temperature set point, manual mode", Zk4, "register", {}},
        {1004, "0xAC80", "RW", "FLOAT", 1, "Temperature set point, automatic mode", Zk4, "register", {}},
        {1005, "0xAC04", "RO", "FLOAT", {}, "Humidity actual value", Zk4, "register", {}},
        {1006, "0xAC06", "RO", "FLOAT", {}, "Humidity set point", Zk4, "register", {}},
        {1007, "0xAC42", "RW", "FLOAT", 3, "Humidity set point, manual mode", Zk4, "register", {}},
        {1008, "0xAC82", "RW", "FLOAT", 3, "Humidity set point, automatic mode", Zk4, "register", {}},
        {1009, "0xAD00", "RO", "UINT16", {}, "Digital inputs", Zk4, "register", {}},
        {1010, "0xAD10", "RW", "BOOL[16]", 2, "Digital outputs", Zk4, "register", {}},
        {1011, "0xAE00", "RO", "UINT32[2]", {}, "Operating hours", Zk4, "register", {}},
        {1012, "0xAD20", "WO", "UINT16", {}, "Control word", Zk4, "register", {}},
        {1013, "0xAD21", "RO", "UINT16", {}, "Status word", Zk4, "register", {}},
        {1014, "0xAC20", "WO", "FLOAT", {}, "Temperature set point, basic mode", Zk4, "register", {}},
        {2001, "0x1000", "RO", "INT10", {}, "Temperature actual value", Qx2, "register", {}},
        {2002, "0x1002", "RW", "INT10", 1, "Temperature set point", Qx2, "register", {}},
        {2003, "0x1004", "RO", "TIME", {}, "Program time", Qx2, "register", {}},
        {2004, "0x1006", "RO", "INT16", {}, "Fan speed", Qx2, "register", "Percent of the top speed"},
        {3001, "TEMP?", "RO", "FLOAT", {}, "Read the temperature", Tjv, "command", {}},
        {3002, "TEMPSET", "WO", "FLOAT", 1, "Write the temperature set point", Tjv, "command", {}},
        {3003, "DOOR?", "RO", "UINT16", {}, "Door state", Tjv, "command", {}},
        {4001, "IN_PV_1", "RO", "FLOAT", {}, "Pressure actual value", Cvc3000, "command", {}},
        {4002, "OUT_SP_1", "WO", "FLOAT", 1, "Pressure set point", Cvc3000, "command", {}},
        {5001, "11004/1", "RO", "FLOAT", {}, "Temperature actual value", Simserv, "command", {}},
        {6001, "A0", "RO", "FLOAT", {}, "Temperature actual value", Cts, "command", {}},
    };

    // id, name, read, write basic, write manual, write auto, unit, user level, lower and upper limit,
    // bit position, signal type, value type, set-point signal, time and week programmable
    content.signalRows = {
        {1, "Temperature", 1001, {}, {}, {}, "°C", 1, -40.0, 180.0, {}, "process_value", Temperature, 2, false,
         false},
        {2, "Temperature set point", 1002, 1014, 1003, 1004, "°C", 2, -40.0, 180.0, {}, "set_point", Temperature, {},
         true, true},
        {3, "Humidity", 1005, {}, {}, {}, "% r.H.", 1, 10.0, 98.0, {}, "process_value", Humidity, 4, false, false},
        {4, "Humidity set point", 1006, {}, 1007, 1008, "% r.H.", 2, 10.0, 98.0, {}, "set_point", Humidity, {}, true,
         false},
        {5, "Door open", 1009, {}, {}, {}, {}, 1, {}, {}, 3, "process_value", Digital, {}, false, false},
        {6, "Light", 1010, {}, 1010, {}, {}, 2, {}, {}, 0, "set_point_process_value", Light, {}, true, false},
        // A counter without unit, role or value type.
        {7, "Operating hours", 1011, {}, {}, {}, {}, 4, {}, {}, {}, {}, {}, {}, false, false},
        {11, "Temperature", 2001, {}, {}, {}, "°C", 1, -70.0, 200.0, {}, "process_value", Temperature, 12, false,
         false},
        {12, "Temperature set point", 2002, {}, 2002, 2002, "°C", 2, -70.0, 200.0, {}, "set_point", Temperature, {},
         true, false},
        {13, "Program time", 2003, {}, {}, {}, {}, 1, {}, {}, {}, {}, Time, {}, false, false},
        {14, "Fan speed", 2004, {}, {}, {}, "%", 3, 0.0, 100.0, {}, "process_value", {}, {}, false, false},
        {21, "Temperature", 3001, {}, {}, {}, "°C", 1, 20.0, 250.0, {}, "process_value", Temperature, 22, false,
         false},
        {22, "Temperature set point", {}, {}, 3002, {}, "°C", 2, 20.0, 250.0, {}, "set_point", Temperature, {}, true,
         false},
        {23, "Door open", 3003, {}, {}, {}, {}, 1, {}, {}, 0, "process_value", Digital, {}, false, false},
        {31, "Pressure", 4001, {}, {}, {}, "mbar", 1, 0.1, 1100.0, {}, "process_value", Pressure, 32, false, false},
        {32, "Pressure set point", {}, {}, 4002, {}, "mbar", 2, 0.1, 1100.0, {}, "set_point", Pressure, {}, true,
         false},
        {41, "Temperature", 5001, {}, {}, {}, "°C", 1, {}, {}, {}, "process_value", Temperature, {}, false, false},
        {51, "Temperature", 6001, {}, {}, {}, "°C", 1, {}, {}, {}, "process_value", Temperature, {}, false, false},
    };
    // id, name, bit position, user level, read, write; a read of -1 is none
    content.controlSignals = {{1, "Start", 0, 2, 1013, 1012},
                              {2, "Defrost", 1, 3, 1013, 1012},
                              {3, "Alarm reset", 2, 2, -1, 1012}};
    // id, name, set point, process value, range below and above, delay in seconds, second delay in minutes
    content.toleranceRanges = {{1, "Temperature", 2, 1, 2.5, 3.0, 30, 5},
                               {2, "Humidity", 4, 3, 5.0, 5.0, 60, {}},
                               {3, "Temperature", 12, 11, 1.0, 1.0, 120, 10}};

    // id, type, development state, size, voltage, image, description, firmware from and to, setup identifier,
    // setup version from and to, program identifier, controller; the ids of the protocols, variants,
    // signals, control signals, options and tolerance ranges; the data-logger (signal, channel) pairs
    content.chamberTypes = {
        {ClimateChamber, "KLH", "E2", 100, "230 V", "klh.svg", "Climate test chamber", "4.10", "4.99", "KLH", 3, 7,
         "ZK4P", Zk4, {ModbusRtu, ModbusTcp}, {ClimateStandard, ClimateWaterSupply, ClimateLight},
         {1, 2, 3, 4, 5, 6, 7}, {1, 2, 3}, {TimeProgram, ReadableDataStorage, OperatingModeSwitching}, {1, 2},
         // Out of channel order on purpose.
         {{ClimateHumidity, 2}, {ClimateTemperature, 1}, {ClimateLightSwitch, 3}}},
        {TemperatureChamber, "TK", {}, 64, "400 V", {}, "Temperature test chamber", {}, {}, {}, {}, {}, "QX2P", Qx2,
         {ModbusRtuOverTcp, ModbusTcp}, {}, {11, 12, 13, 14}, {}, {TimeProgramQuelta4}, {3}, {{11, 1}}},
        {DryingOven, "VTR", "E1", 53, "230 V", {}, "Vacuum drying oven", {}, {}, {}, {}, {}, {}, Tjv, {TjvProtocol},
         {301}, {21, 22, 23}, {}, {ReadableDataStorage}, {}, {}},
        // No size.
        {VacuumController, "CVC 3000", {}, {}, "100-230 V", {}, "Vacuum controller", {}, {}, {}, {}, {}, {},
         Cvc3000, {Vacuubrand}, {401}, {31, 32}, {}, {}, {}, {}},
        {SimservChamber, "SC", "E1", 340, "400 V", {}, {}, {}, {}, {}, {}, {}, {}, Simserv, {SimservProtocol}, {501},
         {41}, {}, {}, {}, {}},
        {CtsChamber, "C-40", {}, 600, "400 V", {}, {}, {}, {}, {}, {}, {}, {}, Cts, {CtsSerial, CtsNetwork}, {601},
         {51}, {}, {}, {}, {}},
    };
    return content;
}

} // namespace quelta::test
