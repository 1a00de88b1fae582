#!/usr/bin/python3
"""A Modbus server for the connection tests, built on pymodbus 3.0.

Without --device it listens on 127.0.0.1 at a free port and prints
"PORT <n>" on its own line once it accepts connections; the framing is
either Modbus TCP (MBAP header) or RTU frames with CRC-16 carried over the
TCP stream. With --device it opens that serial device (one end of a socat
pseudo-terminal pair), answers in RTU framing and prints "READY" on its own
line once the device is open.

The holding registers of the one unit start as the words given on the
command line; a write changes them for every later read. The server runs
until stdin closes, so it never outlives the test that started it.

    pymodbus_server.py --framer tcp|rtu --unit 17 --registers 100:0001abcd...
    pymodbus_server.py --device /tmp/x/b --unit 17 --registers 100:0001abcd...
"""

import argparse
import asyncio
import logging
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.framer.rtu_framer import ModbusRtuFramer
from pymodbus.framer.socket_framer import ModbusSocketFramer
from pymodbus.server.async_io import ModbusSerialServer, ModbusTcpServer

REGISTER_COUNT = 0x10000


def parse_registers(text):
    """Parse "start:hexwords" into (start, list of 16-bit words)."""
    start, _, words = text.partition(":")
    data = bytes.fromhex(words)
    if len(data) % 2:
        raise argparse.ArgumentTypeError("registers need an even number of bytes")
    return int(start, 0), [int.from_bytes(data[i:i + 2], "big")
                           for i in range(0, len(data), 2)]


def server_context(arguments):
    values = [0] * REGISTER_COUNT
    for start, words in arguments.registers:
        values[start:start + len(words)] = words
    # zero_mode: register address n is entry n, without pymodbus's default
    # offset of one.
    unit = ModbusSlaveContext(hr=ModbusSequentialDataBlock(0, values),
                              zero_mode=True)
    return ModbusServerContext(slaves={arguments.unit: unit}, single=False)


async def serve_serial(context, arguments):
    server = ModbusSerialServer(context, framer=ModbusRtuFramer,
                                port=arguments.device,
                                baudrate=arguments.baudrate,
                                ignore_missing_slaves=True)
    await server.start()
    print("READY", flush=True)
    await until_stdin_closes()
    await server.shutdown()


async def serve_tcp(context, arguments):
    framer = ModbusRtuFramer if arguments.framer == "rtu" else ModbusSocketFramer
    server = ModbusTcpServer(context, framer=framer,
                             address=("127.0.0.1", 0),
                             ignore_missing_slaves=True)
    serving = asyncio.ensure_future(server.serve_forever())
    await server.serving
    port = server.server.sockets[0].getsockname()[1]
    print(f"PORT {port}", flush=True)
    await until_stdin_closes()
    await server.server_close()
    serving.cancel()


async def until_stdin_closes():
    loop = asyncio.get_running_loop()
    await loop.run_in_executor(None, sys.stdin.read)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--device",
                        help="serve RTU on this serial device instead of TCP")
    parser.add_argument("--baudrate", type=int, default=19200,
                        help="baud rate of --device")
    parser.add_argument("--framer", choices=("tcp", "rtu"), default="tcp",
                        help="framing on TCP")
    parser.add_argument("--unit", type=int, default=1)
    parser.add_argument("--registers", type=parse_registers, action="append",
                        default=[])
    arguments = parser.parse_args()
    logging.basicConfig(level=logging.CRITICAL)
    context = server_context(arguments)
    serve = serve_serial if arguments.device else serve_tcp
    asyncio.run(serve(context, arguments))


if __name__ == "__main__":
    main()
