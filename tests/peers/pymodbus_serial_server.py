#!/usr/bin/python3
"""A Modbus RTU server on a serial line for the connection tests, built on
pymodbus 3.0.

It opens the given serial device (one end of a socat pseudo-terminal pair),
answers one unit in RTU framing and prints "READY" on its own line once the
device is open. The holding registers start as the words given on the
command line; a write changes them for every later read. The server runs
until stdin closes, so it never outlives the test that started it.

    pymodbus_serial_server.py --device /tmp/x/b --unit 17 --registers 100:0001abcd...
"""

import argparse
import asyncio
import logging
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.framer.rtu_framer import ModbusRtuFramer
from pymodbus.server.async_io import ModbusSerialServer

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
    server = ModbusSerialServer(context, framer=ModbusRtuFramer,
                                port=arguments.device,
                                baudrate=arguments.baudrate,
                                ignore_missing_slaves=True)
    await server.start()
    print("READY", flush=True)

    loop = asyncio.get_running_loop()
    await loop.run_in_executor(None, sys.stdin.read)
    await server.shutdown()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--device", required=True)
    parser.add_argument("--unit", type=int, default=1)
    parser.add_argument("--baudrate", type=int, default=19200)
    parser.add_argument("--registers", type=parse_registers, action="append",
                        default=[])
    arguments = parser.parse_args()
    logging.basicConfig(level=logging.CRITICAL)
    asyncio.run(serve(arguments))


if __name__ == "__main__":
    main()
