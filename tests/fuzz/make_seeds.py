#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets (corpus/<target>/) from the fixtures in tests/data.

Run again after a fixture changes; the files it writes are kept in the repository, as are seeds
whose fixture has gone. Files of one input are joined by the separator of fuzz_support.h.
"""
import json
import pathlib
import plistlib

HERE = pathlib.Path(__file__).resolve().parent
DATA = HERE.parent / "data"
APP_DATA = HERE.parent / "app" / "data"
SEPARATOR = b"\n@@@@\n"


def write(target, name, content):
    directory = HERE / "corpus" / target
    directory.mkdir(parents=True, exist_ok=True)
    (directory / name).write_bytes(content if isinstance(content, bytes) else content.encode())


def joined(*parts):
    return SEPARATOR.join(p if isinstance(p, bytes) else p.encode() for p in parts)


def list_file(key, items):
    return plistlib.dumps({key: items}, fmt=plistlib.FMT_XML)


brands = [{"brandid": "12", "brand_name_en": "Anker", "brand_name_cn": "安克"},
          {"brandid": "3", "brand_name_en": "A & B <c>", "brand_name_cn": ""}]
history = (DATA / "history_plistlib.plist").read_bytes()
curve_history = (DATA / "curve_history" / "history").read_bytes()
curve_samples = (DATA / "curve_history" / "samples").read_bytes()

# List files as they are read, alone.
write("list_codec", "history", history)
write("list_codec", "curve_history", curve_history)
write("list_codec", "samples", curve_samples)
write("list_codec", "brandInfo", list_file("brandInfo", brands))
write("list_codec", "empty", list_file("history", []))

# The data directory: history, samples, brandInfo.
write("history_files", "curve", joined(curve_history, curve_samples, list_file("brandInfo", brands)))
write("history_files", "plistlib", joined(history, b"", list_file("brandInfo", brands)))

# The preferences file, and one charger description alone.
config = [json.dumps({"startTime": 700000000.5, "brand": 12, "watt": 18, "type": 1, "port": 2,
                      "capacity": 0}).encode(),
          json.dumps({"startTime": 700000100, "brand": 0, "watt": 0, "type": 0, "port": 0,
                      "capacity": 0}).encode()]
write("settings", "preferences", plistlib.dumps({
    "config": config, "brand1": 12, "watt1": 18, "watt2": 12, "capacity1": 10000,
    "vendorIdentifier": "6F9619FF-8B86-4D01-B42D-00CF4FC964FF",
    "batteryCapacity": 4500, "nominalVoltage": "3.85", "maxChargingWatts": 25.5,
    "ratingUses": 3}, fmt=plistlib.FMT_XML))
write("settings", "config_item", config[0])

# Replies of the remote service; the first byte is the status (200) and the language flag ("1").
for name, reply in {
    "brands": [{"brand_id": 12, "brand_name_en": "Anker", "brand_name_cn": "安克"}, 5, "x",
               {"brand_id": "7", "brand_name_en": "Ugreen", "brand_name_cn": "绿联"}],
    "result": {"content": "Faster than 80 %", "content_cn": "快", "content_tr": "快",
               "content_jp": "速い"},
    "result_number": {"content": 5},
}.items():
    write("service_replies", name, b"\x00" + json.dumps(reply, ensure_ascii=False).encode())
write("service_replies", "empty_204", b"\x01")

# Replay scripts.
for script in list(DATA.glob("*.script")) + list(APP_DATA.glob("*.script")):
    write("session_script", script.name, script.read_bytes())

# Watch lines; the first byte sets the piece size.
write("watch_line", "exchange", b"\x05" + b"\n".join([
    b'{"hello":"watch"}', b'{"id":1,"message":{"ask":"level"}}',
    b'{"reply":{"level":"0.5","state":"2","model":"Pine"}}\r', b'', b'{"message":{}}', b'']))

# Power-supply trees, in the order of sysfs_fuzz.cpp's files.
FILES = ["capacity", "status", "power_now", "current_now", "voltage_now", "charge_full_design",
         "energy_full_design", "voltage_min_design", "type", "scope"]


def supply_tree(root, battery, mains):
    def read(path):
        return path.read_bytes() if path.exists() else b""
    parts = [read(root / "class/power_supply" / battery / f) for f in FILES]
    parts += [read(root / "class/power_supply" / mains / "type"),
              read(root / "class/power_supply" / mains / "online"),
              read(root / "class/dmi/id/sys_vendor"), read(root / "class/dmi/id/product_name"),
              read(root / "firmware/devicetree/base/model")]
    return joined(*parts)


write("sysfs", "laptop", supply_tree(DATA / "sysfs-laptop", "BAT0", "AC"))
write("sysfs", "phone", supply_tree(DATA / "sysfs-phone", "axp20x-battery", "axp20x-usb"))
write("sysfs", "number", b"-9223372036854775808")

# Requests to the server: query text, then Accept-Language.
write("server_params", "test_result", joined(
    "date=1678307200&watt=18.5&min=36&amp=44.4&startlevel=20&finishlevel=22&userStartlevel=21"
    "&starttime=700000000&finishtime=700003600&userStartTime=700000005&averageTime=45"
    "&levellist=20.0%2C21.0%2C22.0&timelist=700000000%2C700000045.5&model=Pine%20Phone"
    "&language_code=en&region_code=GB&version=0.1.0"
    "&vindor_id=6F9619FF-8B86-4D01-B42D-00CF4FC964FF", "ja,en;q=0.8"))
write("server_params", "charger", joined(
    "starttime=700000000&brand_id=12&charger_watts=20&charger_type=1&charger_port=2"
    "&charger_capacity=0&vindor_id=6f9619ff-8b86-4d01-b42d-00cf4fc964ff", ""))
write("server_params", "leaderboard", joined("model=Pine&lang=zh_TW", "zh-CN"))
