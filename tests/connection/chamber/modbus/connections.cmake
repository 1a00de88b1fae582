# Tests of the Modbus chamber connections: their wrappers, worker threads and
# shared clients, against socat pseudo-terminals, Qt's Modbus servers and
# pymodbus. They run with QT_FATAL_WARNINGS=1: a warning of Qt itself, such
# as a timer started from the wrong thread, ends the test.
add_library(quelta_test_modbus_connection_peers STATIC
    loopbackmodbustcpserver.cpp
    pymodbusserialserver.cpp
    socatptypair.cpp)
target_link_libraries(quelta_test_modbus_connection_peers
    PUBLIC Qt5::Core Qt5::Network Qt5::SerialBus Qt5::Test
    PRIVATE quelta_settings)
target_include_directories(quelta_test_modbus_connection_peers PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
target_compile_definitions(quelta_test_modbus_connection_peers
    PRIVATE QUELTA_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}/tests")
target_compile_options(quelta_test_modbus_connection_peers PRIVATE -UQT_NO_CAST_FROM_ASCII)

quelta_add_test(tst_modbustransactionplan
    SOURCES tst_modbustransactionplan.cpp
    LIBS quelta_connection_chamber_modbus
    TIMEOUT 30)

quelta_add_test(tst_modbusmasterwappermulticlient
    SOURCES tst_modbusmasterwappermulticlient.cpp
    LIBS quelta_connection_chamber_modbus quelta_test_modbus_connection_peers Qt5::Network
    LABELS peer
    TIMEOUT 60
    ENVIRONMENT QT_FATAL_WARNINGS=1)

quelta_add_test(tst_modbuschamberconnection
    SOURCES tst_modbuschamberconnection.cpp
    LIBS
        quelta_connection_chamber_modbus
        quelta_test_modbus_peers
        quelta_test_modbus_connection_peers
        Qt5::Network
        Qt5::SerialPort
    LABELS peer
    TIMEOUT 180
    ENVIRONMENT QT_FATAL_WARNINGS=1)

foreach(test IN ITEMS tst_qx1operatingmodeconnection tst_qx2operatingmodeconnection)
    quelta_add_test(${test}
        SOURCES ${test}.cpp
        LIBS quelta_connection_chamber_modbus quelta_test_modbus_connection_peers
        LABELS peer
        TIMEOUT 60
        ENVIRONMENT QT_FATAL_WARNINGS=1)
endforeach()

quelta_add_test(tst_modbusmasterthread
    SOURCES tst_modbusmasterthread.cpp
    LIBS quelta_connection_chamber_modbus Qt5::Network
    TIMEOUT 60)
