#!/usr/bin/env python3
"""Writes the well-formed seeds of the fuzz targets whose parsers ask the camera for more (the replies follow the
parsed bytes, as fuzz/scripted_camera.h reads them: per reply a u16 length, then the bytes). Run from the source
root: python3 fuzz/make_seeds.py"""
import os
import struct

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def u8(v): return struct.pack("<B", v & 0xFF)
def u16(v): return struct.pack("<H", v & 0xFFFF)
def u32(v): return struct.pack("<I", v & 0xFFFFFFFF)


def u64(v): return struct.pack("<Q", v & 0xFFFFFFFFFFFFFFFF)


WIDTH = {1: (u8, 1), 2: (u8, 1), 3: (u16, 2), 4: (u16, 2), 5: (u32, 4), 6: (u32, 4), 7: (u64, 8), 8: (u64, 8)}


def ptp_string(text):
    if not text:
        return u8(0)
    return u8(len(text) + 1) + b"".join(u16(ord(c)) for c in text) + u16(0)


def desc(code, kind, current, values=None, rng=None, getset=1):
    """A DevicePropDesc: code, type, get/set, default, current, then an enumeration or a range (or no form)."""
    if kind == 0xFFFF:
        out = u16(code) + u16(kind) + u8(getset) + ptp_string(current) + ptp_string(current)
        if values:
            return out + u8(2) + u16(len(values)) + b"".join(ptp_string(v) for v in values)
        return out + u8(0)
    put, _ = WIDTH[kind]
    out = u16(code) + u16(kind) + u8(getset) + put(current) + put(current)
    if values is not None:
        return out + u8(2) + u16(len(values)) + b"".join(put(v) for v in values)
    if rng is not None:
        return out + u8(1) + b"".join(put(v) for v in rng)
    return out + u8(0)


def object_info(fmt, name, size=120 * 1024):
    return (u32(0x00010001) + u16(fmt) + u16(0) + u32(size) + u16(0x3801) + u32(4096) + u32(160) + u32(120) +
            u32(6048) + u32(4024) + u32(24) + u32(0x90000002) + u16(0) + u32(0) + u32(0) + ptp_string(name) +
            ptp_string("20261210T120000") + ptp_string("20261210T120000") + ptp_string(""))


def replies(*items):
    """The script of replies: per reply a u16 length and the bytes, or 0xFFFF for a refused request."""
    return b"".join(u16(0xFFFF) if r is None else u16(len(r)) + r for r in items)


def nikon_events(*events):
    return u16(len(events)) + b"".join(u16(c) + u32(p) for c, p in events)


def write(target, name, data):
    os.makedirs(os.path.join(root, target), exist_ok=True)
    with open(os.path.join(root, target, name), "wb") as f:
        f.write(data)


APERTURES = [280, 320, 350, 400, 450, 500, 560, 630, 710, 800, 900, 1000, 1100]
SHUTTERS = [0x00010FA0, 0x000101F4, 0x000100FA, 0x0001007D, 0x0001003C, 0x0001001E, 0x00010001, 0x001E0001,
            0xFFFFFFFF]

# Nikon events: each request answered as a camera would.
write("nikon_events", "object_added_jpeg",
      nikon_events((0x4002, 0x0001_0001)) + replies(object_info(0x3801, "DSC_0001.JPG")))
write("nikon_events", "object_added_movie",
      nikon_events((0x4002, 0x0001_0002)) + replies(object_info(0x300D, "DSC_0002.MOV"), None))
write("nikon_events", "program_change",
      nikon_events((0x4006, 0x500E)) +
      replies(desc(0x500E, 4, 3, [1, 2, 3, 4]), desc(0x5010, 3, 0, [0xFC18, 0, 1000]),
              desc(0x5007, 4, 560, APERTURES), desc(0xD100, 6, 0x000100FA, SHUTTERS)))
write("nikon_events", "format_change",
      nikon_events((0x4006, 0x5004), (0x4006, 0xD0B6), (0x4006, 0x5003)) +
      replies(desc(0x5004, 2, 4, [0, 1, 2, 3, 4, 5, 7, 8]), desc(0x5003, 0xFFFF, "6048x4024", ["6048x4024", "4528x3016"]),
              desc(0xD0B6, 0xFFFF, "L", ["L", "M", "S"]), desc(0x5004, 2, 4, [0, 1, 2, 3, 4]),
              desc(0x5003, 0xFFFF, "6048x4024", ["6048x4024", "4528x3016"]), desc(0xD0B6, 0xFFFF, "M", ["L", "M"]),
              desc(0x5003, 0xFFFF, "4528x3016", ["6048x4024", "4528x3016"])))
write("nikon_events", "mirror_and_removed",
      nikon_events((0x4006, 0xD1F7), (0x4003, 0x0001_0001), (0x4006, 0x5001), (0x4006, 0xD1F6)) +
      replies(desc(0xD1F7, 2, 1, [0, 1]), desc(0x5001, 2, 80, rng=[0, 100, 1], getset=0), desc(0xD1F6, 2, 0, [0, 1])))


def snapshot(model, *descs):
    return u8(model) + b"".join(u32(len(d)) + d for d in descs)


# Nikon snapshots whose rebuild writes the focus mode (0xD1A0 at 0) and asks for the image size (0x5003 missing).
BASE = [desc(0x5001, 2, 80, rng=[0, 100, 1], getset=0), desc(0x5004, 2, 4, [0, 1, 2, 3, 4, 5, 7]),
        desc(0x5007, 4, 560, APERTURES), desc(0x500E, 4, 3, [1, 2, 3, 4], getset=0),
        desc(0x500F, 4, 400, [100, 200, 400, 800, 1600]), desc(0x5010, 3, 0, [0xFC18, 0xFE0C, 0, 500, 1000]),
        desc(0xD100, 6, 0x000100FA, SHUTTERS), desc(0xD0B6, 0xFFFF, "L", ["L", "M", "S"]),
        desc(0xD161, 2, 1, [0, 1, 2, 4]), desc(0xD16A, 2, 0, [0, 1])]
write("nikon_snapshot", "focus_write_and_size_read",
      snapshot(0, *BASE, desc(0xD1A0, 2, 0, [0, 1])) +
      replies(b"", desc(0xD1A0, 2, 1, [0, 1]), desc(0x5003, 0xFFFF, "6048x4024", ["6048x4024", "4528x3016"])))
write("nikon_snapshot", "colour_index_model",
      snapshot(4, *BASE, desc(0xD01E, 2, 20, rng=[0, 30, 1]), desc(0xD1A0, 2, 0, [0, 1])) +
      replies(None, desc(0x5003, 0xFFFF, "4928x3264", ["4928x3264", "3696x2448"])))
write("nikon_snapshot", "z_body_size_refused",
      snapshot(3, *BASE, desc(0xD1A0, 2, 1, [0, 1]), desc(0xD1BD, 4, 0, [0, 360, 512])) + replies(None))


def record(code, value, enabled=1):
    """A 38-byte device event record of a property change."""
    r = u16(0x4FF1) + u32(code) + u32(value) + u8(enabled)
    return r + bytes(38 - len(r))


# A record of kind 0: the end of an event block in the record targets, the script follows.
END = bytes(38)


def object_record(size, name):
    r = u16(0x4FF0) + u32(size) + name.encode()[:32].ljust(32, b"\0")
    return r + bytes(38 - len(r))


# Sony: a reload answered with the all-properties reply of a simulated body (its header, then the descriptors of
# the sony_descriptors seed, whose first byte picks that target's body), a program change with the focus toggled.
with open(os.path.join(root, "sony_descriptors", "a7m3"), "rb") as f:
    a7m3 = f.read()[1:]
with open(os.path.join(root, "sony_descriptors", "a7rm4"), "rb") as f:
    a7rm4 = f.read()[1:]
write("sony_event_records", "reload_answered",
      u8(0x10) + record(0x12345678, 0) + record(0x5007, 400) + END + replies(bytes(8) + a7m3))
write("sony_event_records", "reload_extended_answered",
      u8(0x21) + record(0x12345678, 0) + object_record(4096, "DSC00001.JPG") + END + replies(bytes(8) + a7rm4))
write("sony_event_records", "program_with_toggle",
      u8(0x12) + record(0x500E, 3) + record(0xD20D, 0x0001007D) + record(0x5004, 0x13) + record(0xD203, 2) + END +
      replies(b"", b"", bytes(8) + a7m3))

# Fujifilm: changes whose re-reads are answered (values as GetDevicePropValue returns them, or descriptions).
write("fuji_records", "rereads_answered",
      u8(0x31) + record(0x500E, 3) + record(0x5007, 560) + record(0x500D, 0x3D09) + record(0x5010, 0) +
      record(0x5003, 0) + record(0xD20D, 0) + END +
      replies(u16(3), desc(0x5007, 4, 560, [280, 400, 560, 800]), u32(0x3D09), u16(0),
              desc(0x5003, 0xFFFF, "6240x4160", ["6240x4160", "4416x2944"]), ptp_string("1234"), u16(560),
              desc(0x500D, 6, 0x3D09, [0x3D09, 0x3D0, 1000000]), desc(0x5010, 3, 0, [0xFC18, 0, 1000])))
write("fuji_records", "priority_off_rereads",
      u8(0x10) + record(0x500E, 1) + record(0x5005, 2) + record(0xD20D, 0) + object_record(120 * 1024, "DSCF0001.JPG") + END +
      replies(u16(1), u16(2), ptp_string("999"), desc(0x5005, 4, 2, [2, 4, 6]), None))

# A program change re-reads the aperture (its description, the lens's aperture text after the request switch), the
# shutter and the compensation; text records re-read their values.
write("fuji_records", "program_change_rereads",
      u8(0x31) + record(0x500E, 3) + record(0x5003, 0) + record(0xD20D, 0) + END +
      replies(desc(0x5007, 4, 560, [280, 400, 560, 800]), b"", ptp_string("280,400,560,800,1100,1600"),
              desc(0x500D, 6, 0x3D09, [0x3D09, 0x3D0, 1000000, 0xFFFFFFFF]), desc(0x5010, 3, 0, [0xFC18, 0, 1000]),
              ptp_string("6240x4160"), ptp_string("1234")))
write("fuji_records", "manual_program_rereads",
      u8(0x10) + record(0x500E, 1) + record(0x5007, 800) + record(0x500D, 0xFFFFFFFF) + END +
      replies(desc(0x5007, 4, 800, [280, 400, 560, 800], getset=0), None, desc(0x500D, 6, 0xFFFFFFFF, rng=[1, 64000030, 1]),
              desc(0x5010, 3, 0xFC18, rng=[0xF830, 0x07D0, 0x014D])))

def for_model(data, index):
    """The nikon_events target picks the model by the input's length modulo 3: trailing zero bytes (an empty
    reply, then a cut length) make it `index`."""
    while len(data) % 3 != index:
        data += b"\0"
    return data


# Focus modes (whose lists the body trims), the colour temperature (an index on some bodies), the ISO.
FOCUS_AND_COLOUR = (
      nikon_events((0x4006, 0xD161), (0x4006, 0xD061), (0x4006, 0xD01E), (0x4006, 0xD0B5), (0x4006, 0x500F)) +
      replies(desc(0xD161, 2, 3, [0, 1, 2, 3, 4]), desc(0xD061, 2, 4, [0, 1, 2, 3, 4]), desc(0xD01E, 2, 20, rng=[0, 30, 1]),
              desc(0xD0B5, 4, 400, [100, 200, 400, 800]), desc(0x500F, 4, 400, [100, 200, 400, 800, 1600])))
for index, body in enumerate(["d850", "d7000", "z6"]):
    write("nikon_events", "focus_modes_and_colour_" + body, for_model(FOCUS_AND_COLOUR, index))

# Each exposure program with the three records whose settability follows it; descriptions of every numeric width.
for program in (2, 3, 4, 6):
    write("fuji_records", "program_%d_dependents" % program,
          u8(0x01 | program << 4) + record(0x500E, program) + record(0x5010, 0xFC18) + record(0x500D, 0x3D0) +
          record(0x5007, 400) + record(0x5005, 4) + END +
          replies(desc(0x5007, 5, 400, [280, 400, 560]), b"", ptp_string("280,400,560"),
                  desc(0x500D, 8, 0x3D0, [0x3D09, 0x3D0]), desc(0x5010, 1, 0xF0, rng=[0xE0, 0x20, 1])))
write("fuji_records", "descriptions_of_every_width",
      u8(0x31) + record(0x500E, 3) + record(0x500E, 1) + END +
      replies(desc(0x5007, 7, 560, rng=[280, 2200, 10]), b"", ptp_string("x,,560,abc,1100"),
              desc(0x500D, 6, 0x3D09, rng=[1, 0xFFFFFFFF, 1]), desc(0x5010, 2, 0, [0, 1, 2]),
              desc(0x5007, 1, 0x10, [0x10, 0x20]), None, None, desc(0x500D, 3, 0xFFFF, [0xFFFF, 1]),
              desc(0x5010, 0xFFFF, "x", ["x", "y"])))

# device_replies: four command picks, then the device's packets. A pick p asks command p % 22; in round r it also
# picks the sharing sub-code from (p * 37 + r), which these seeds keep at "not shared".
DEVICE_COMMANDS = 22


def pick(command, rnd):
    for p in range(256):
        if p % DEVICE_COMMANDS == command and ((p * 37 + rnd) & 0x60) == 0:
            return p
    raise ValueError(command)


def picks(*commands):
    return bytes(pick(c, r) for r, c in enumerate(commands))


def response(payload=b"", code=0x2001):
    """A ResponsePacket: total length, type 0x0D, inner length, one byte, the response code, the payload."""
    inner = 4 + 1 + 2 + len(payload)
    return u32(5 + inner) + u8(0x0D) + u32(inner) + u8(0) + u16(code) + payload


def ptp_packet(kind, code, tid, payload=b""):
    """A PtpPacket (type 0x0A) around one container: its length, type, code, transaction id and payload."""
    container = u32(12 + len(payload)) + u16(kind) + u16(code) + u32(tid) + payload
    return u32(5 + len(container)) + u8(0x0A) + container


def accessory(result):
    return u32(9) + u8(0x09) + u32(result)


BATTERY = u16(0) * 4 + u16(7400) + u16(0) * 2 + u16(2000) + u16(1500) + u16(2000) + u16(0xFF38) + u16(95) + \
    u16(0) * 4 + u16(75) + u16(0) + u16(31) + u16(0) * 3
write("device_replies", "status_card_and_list",
      picks(3, 11, 12, 14) + response(BATTERY) + response(u64(1) + u64(32 << 30)) +
      response(b"IMG_0001.JPG:IMG_0002.CR3:DSC_0042.ARW\0") + response(u64(6)))
write("device_replies", "file_in_one_and_in_two_replies",
      picks(16, 16, 16, 16) + response(u64(6)) + response(b"ABCDEF") + response(u64(10)) + response(b"0123") +
      response(b"456789"))
write("device_replies", "object_ranges_and_transfer",
      picks(17, 18, 19, 15) + response(b"\xff\xd8\xff\xe1") + response(b"range of a named file") +
      response(b"\xff\xd8whole object\xff\xd9") + response(b"\xff\xd8part\xff\xd9"))
write("device_replies", "object_downloaded_whole",
      picks(20, 20, 20, 20) + ptp_packet(2, 0x1009, 0, b"\xff\xd8object\xff\xd9") + ptp_packet(3, 0x2001, 0))
write("device_replies", "names_versions_and_flags",
      picks(5, 1, 0, 6) + response(b"Canon EOS R5\0") + response(u8(0x23)) + response(u8(1)) + response(u8(6)))
write("device_replies", "live_view_thumbnail_share",
      picks(10, 13, 9, 4) + response(b"\xff\xd8frame\xff\xd9") + response(u8(8) + b"\xff\xd8thumb\xff\xd9") +
      response(u8(1)) + response(u16(0x2001)))
write("device_replies", "events_snapshot_tripod_hardware",
      picks(7, 8, 21, 2) + response(u16(0x4006) + u32(0x5007) + b"\0" * 32) +
      response(u32(6) + u16(0x5007) + u16(4) + u8(1) + u8(0) + u32(4) + b"\x40") + accessory(87) +
      response(b"", 0xFF15))

# camera_replies: the vendor and model byte (bits 0-1 Canon, Nikon, Sony, Fujifilm; bits 2-3 the model), the read to
# begin with, then the replies. Standard datasets come from the dataset targets' seeds.
def seed(target, name, skip=0):
    with open(os.path.join(root, target, name), "rb") as f:
        return f.read()[skip:]


DEVICE_INFO = seed("device_info", "full")
OBJECT_INFO = object_info(0x3801, "IMG_0001.JPG")
JPEG = b"\xff\xd8\xff\xe0" + bytes(12) + b"\xff\xd9"
for vendor, label in enumerate(["canon", "nikon", "sony", "fuji"]):
    write("camera_replies", "standard_reads_" + label,
          u8(vendor) + u8(0) + replies(DEVICE_INFO, u32(1) + u32(0x00010001), u32(2) + u32(0x90000001) + u32(0x90000002),
                                       OBJECT_INFO, JPEG, JPEG))
write("camera_replies", "live_view_canon", u8(0) + u8(7) + replies(seed("canon_liveview", "jpeg", 1)))
write("camera_replies", "live_view_nikon", u8(1) + u8(7) + replies(seed("nikon_liveview", "prefixed", 1)))
write("camera_replies", "live_view_sony", u8(2) + u8(7) + replies(seed("sony_liveview", "a7m3_frame")))
write("camera_replies", "refresh_sony", u8(2) + u8(8) + replies(bytes(8) + a7m3))
write("camera_replies", "property_value_nikon", u8(1) + u8(9) + replies(u16(560)))
write("camera_replies", "focus_area_fuji", u8(3) + u8(9) + replies(ptp_string("3,4,2")) + replies(u16(230)))
write("camera_replies", "property_value_sony", u8(2) + u8(9) + replies(bytes(8) + a7m3))


def u16_array(items):
    return u32(len(items)) + b"".join(u16(i) for i in items)


def device_info(manufacturer, model, operations, properties):
    """A DeviceInfo dataset as a camera sends it."""
    return (u16(100) + u32(6) + u16(100) + ptp_string("") + u16(0) + u16_array(operations) +
            u16_array([0x4002, 0x4006]) + u16_array(properties) + u16_array([0x3801]) + u16_array([0x3801, 0x3000]) +
            ptp_string(manufacturer) + ptp_string(model) + ptp_string("1.0") + ptp_string("0042"))


STANDARD_OPS = [0x1001, 0x1002, 0x1003, 0x1004, 0x1005, 0x1007, 0x1008, 0x1009, 0x100A, 0x100B, 0x1014, 0x1015, 0x1016]
SESSION_OPENS = [
    ("canon", 0, "Canon Inc.", "Canon EOS R5", [0x9114, 0x9115, 0x9116, 0x9127, 0x9128, 0x9153, 0x913E]),
    ("nikon", 1, "Nikon Corporation", "D850", [0x90C2, 0x90C8, 0x9201, 0x9202, 0x9203]),
    ("sony", 2, "Sony Corporation", "ILCE-7M3", [0x9201, 0x9202, 0x9205, 0x9207, 0x9209]),
    ("fuji", 3, "FUJIFILM", "X-T3", [0x900C, 0x900D, 0x901D]),
]
for label, vendor, maker, model, ops in SESSION_OPENS:
    info = device_info(maker, model, STANDARD_OPS + ops, [0x5001, 0x5003, 0x5004, 0x5005, 0x5007, 0x500E])
    extra = [bytes(8) + a7m3] if label == "sony" else [b"", b"", b""]
    write("camera_replies", "session_open_" + label, u8(vendor) + u8(13) + replies(info, *extra))
