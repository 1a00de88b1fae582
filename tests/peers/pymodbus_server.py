#!/usr/bin/python3
"""A Modbus server on loopback for the client tests, built on pymodbus 3.0.

It listens on 127.0.0.1 at a free port and prints "PORT <n>" on its own line
once it accepts connections. The framing is either Modbus TCP (MBAP header)
or RTU frames with CRC-16 carried over the TCP stream. The holding registers
of the one unit start as the words given on the command line; a write changes
them for every later read. The server runs until stdin closes, so it never
outlives the test that started it.

    pymodbus_server.py --framer tcp|rtu --unit 17 --registers 100:0001abcd...
"""

import argparse
import asyncio
import logging
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.framer.rtu_framer import ModbusRtuFramer
from pymodbus.framer.socket_framer import ModbusSocketFramer
from pymodbus.server.async_io import ModbusTcpServer

REGISTER_COUNT = 0x10000


def parse_registers(text):
    """Parse "start:hexwords" into (start, list of 16-bit words)."""
    start, _, words = text.partition(":")
    data = bytes.fromhex(words)
    if len(data) % 2:
        raise argparse.ArgumentTypeError("registers need an even number of bytes")
    return int(start, 0), [int.from_bytes(data[i:i + 2], "big")
                           for i in range(0, len(data), 2)]


async def serve(arguments):
    values = [0] * REGISTER_COUNT
    for start, words in arguments.registers:
        values[start:start + len(words)] = words
    # zero_mode: register address n is entry n, without pymodbus's default
    # offset of one.
    unit = ModbusSlaveContext(hr=ModbusSequentialDataBlock(0, values),
                              zero_mode=True)
    context = ModbusServerContext(slaves={arguments.unit: unit}, single=False)
    framer = ModbusRtuFramer if arguments.framer == "rtu" else ModbusSocketFramer
    server = ModbusTcpServer(context, framer=framer,
                             address=("127.0.0.1", 0),
                             ignore_missing_slaves=True)
    serving = asyncio.ensure_future(server.serve_forever())
    await server.serving
    port = server.server.sockets[0].getsockname()[1]
    print(f"PORT {port}", flush=True)

    loop = asyncio.get_running_loop()
    await loop.run_in_executor(None, sys.stdin.read)
    await server.server_close()
    serving.cancel()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--framer", choices=("tcp", "rtu"), default="tcp")
    parser.add_argument("--unit", type=int, default=1)
    parser.add_argument("--registers", type=parse_registers, action="append",
                        default=[])
    arguments = parser.parse_args()
    logging.basicConfig(level=logging.CRITICAL)
    asyncio.run(serve(arguments))


if __name__ == "__main__":
    main()
