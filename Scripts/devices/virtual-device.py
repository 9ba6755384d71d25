#!/usr/bin/env python3
"""One virtual input device of the devices suite, plugged in through the
kernel's uinput (or UHID, for a pad with a serial) while this runs.

  virtual-device.py KIND [SERIAL]     KIND: pad, stick, wheel, keyboard, mouse

Each line of standard input is one report: "TYPE CODE VALUE" triples (evdev
numbers), then a sync. End of input unplugs the device. Prints "ready" once
the device exists."""
import fcntl
import glob
import os
import struct
import sys
import time

EV_KEY, EV_REL, EV_ABS = 1, 2, 3
# name, product, keys, relative axes, absolute axes {code: (min, max)}
KINDS = {
    "pad": ("Keyscout Twin Pad", 1, range(0x130, 0x136), [],
            {0x00: (-128, 127), 0x01: (-128, 127), 0x10: (-1, 1), 0x11: (-1, 1)}),
    # X, Y, Rz and a throttle
    "stick": ("Keyscout Flight Stick", 2, range(0x120, 0x124), [],
              {0x00: (0, 1023), 0x01: (0, 1023), 0x05: (-128, 127), 0x06: (0, 255)}),
    # wheel, accelerator and brake
    "wheel": ("Keyscout Racing Wheel", 3, range(0x120, 0x124), [],
              {0x08: (-512, 511), 0x09: (0, 255), 0x0A: (0, 255)}),
    "keyboard": ("Keyscout Keyboard", 4, range(1, 200), [], {}),
    # left, right, middle, side, extra; X, Y and the wheel
    "mouse": ("Keyscout Mouse", 5, range(0x110, 0x115), [0, 1, 8], {}),
}


def ioc(direction, number, size):
    return (direction << 30) | (size << 16) | (ord("U") << 8) | number


def make_uinput(kind):
    name, product, keys, rels, axes = KINDS[kind]
    fd = os.open("/dev/uinput", os.O_WRONLY)
    for event_type, codes, number in ((EV_KEY, keys, 101), (EV_REL, rels, 102), (EV_ABS, axes, 103)):
        if codes:
            fcntl.ioctl(fd, ioc(1, 100, 4), event_type)
            for code in codes:
                fcntl.ioctl(fd, ioc(1, number, 4), code)
    minimum, maximum = [0] * 64, [0] * 64
    for code, (low, high) in axes.items():
        minimum[code], maximum[code] = low, high
    # struct uinput_user_dev: name, id (bus, vendor, product, version), effects, then the axis ranges
    os.write(fd, struct.pack("80sHHHHi64i64i64i64i", name.encode(), 3, 0x7A57, product, 1, 0,
                             *maximum, *minimum, *([0] * 128)))
    fcntl.ioctl(fd, ioc(0, 1, 0))
    return fd


# A pad of UHID: eight buttons and X, Y, each a byte (128 at rest).
PAD_REPORT = bytes([0x05, 0x01, 0x09, 0x05, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x08, 0x15, 0x00,
                    0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31,
                    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0xC0])


def make_uhid(serial):
    fd = os.open("/dev/uhid", os.O_RDWR)
    # struct uhid_create2_req after the event type UHID_CREATE2 (11)
    os.write(fd, struct.pack("<I128s64s64sHHIIII4096s", 11, b"Keyscout Serial Pad", b"", serial.encode(),
                             len(PAD_REPORT), 3, 0x7A57, 6, 1, 0, PAD_REPORT))
    # Until its first report the kernel holds the axes at 0, the far end of
    # 0..255, which a reader takes for their rest; a USB pad reports its rest
    # on the first poll. Reports sent while the kernel still sets the device
    # up are dropped, so this one is sent until its X axis reads it.
    for _ in range(200):
        send_uhid(fd, [0, 128, 128], [])
        if x_axis_of(serial) == 128:
            break
        time.sleep(0.05)
    return fd


def x_axis_of(serial):
    for uniq in glob.glob("/sys/class/input/input*/uniq"):
        nodes = glob.glob(os.path.dirname(uniq) + "/event*")
        if open(uniq).read().strip() == serial and nodes:
            try:
                with open("/dev/input/" + os.path.basename(nodes[0]), "rb") as node:
                    # EVIOCGABS(ABS_X): struct input_absinfo, the value first
                    absinfo = fcntl.ioctl(node, (2 << 30) | (24 << 16) | (ord("E") << 8) | 0x40, bytes(24))
                    return struct.unpack("6i", absinfo)[0]
            except OSError:
                return None
    return None


def send_uhid(fd, state, triples):
    for event_type, code, value in triples:
        if event_type == EV_KEY:
            bit = 1 << (code - 0x130)
            state[0] = state[0] | bit if value else state[0] & ~bit
        elif event_type == EV_ABS and code < 2:
            state[1 + code] = value + 128
    # UHID_INPUT2 (12): size, then the report
    os.write(fd, struct.pack("<IH", 12, 3) + bytes(state))


def send_uinput(fd, triples):
    now = time.time()
    seconds, micros = int(now), int(now % 1 * 1e6)
    for event in triples + [(0, 0, 0)]:
        os.write(fd, struct.pack("llHHi", seconds, micros, *event))


def main():
    kind, serial = sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else None
    fd = make_uhid(serial) if serial else make_uinput(kind)
    state = [0, 128, 128]
    print("ready", flush=True)
    for line in sys.stdin:
        numbers = [int(word, 0) for word in line.split()]
        triples = [tuple(numbers[i:i + 3]) for i in range(0, len(numbers) - 2, 3)]
        if serial:
            send_uhid(fd, state, triples)
        else:
            send_uinput(fd, triples)
    if not serial:
        fcntl.ioctl(fd, ioc(0, 2, 0))
    os.close(fd)


main()
