#!/usr/bin/env python3
"""Writes curve_history/: a history of three tests of one device (the default 2716 mAh
battery, 30 W at most) and the samples kept for the two newer ones, as the application writes
them. The newest charges at 40 s a percent to 80 % and slows down above; the one before at 60 s
a percent to 70 %. The oldest has no samples kept. Run from this folder."""
import plistlib

CAPACITY, CAP = 2716, 30


def samples(start, level, steps):
    times, levels, time = [start], [level], start
    for seconds, count in steps:
        for _ in range(count):
            time += seconds
            level += 1
            times.append(time)
            levels.append(level)
    return times, levels


def record(times, levels, date, **charger):
    seconds = int(times[-1] - times[0])
    rise = levels[-1] - levels[0]
    per_second = rise * (CAPACITY // 100) / seconds
    watt = min(per_second * 3600 * 5 / 1000, CAP)
    average = float(seconds // (len(times) - 1))
    result = {
        "date": date, "watt": round(watt, 6), "min": average, "amp": round(per_second * 60, 6),
        "startlevel": float(levels[0]), "finishlevel": float(levels[-1]),
        "userStartlevel": float(levels[0]), "starttime": times[0], "finishtime": times[-1],
        "userStartTime": times[0], "averageTime": average,
        "type": 0.0, "brandid": 0.0, "watts": 0.0, "port": 0.0,
    }
    result.update({key: float(value) for key, value in charger.items()})
    return result


def text(values):
    return ",".join(repr(float(v)).removesuffix(".0") for v in values)


def kept(times, levels):
    return {"starttime": text([times[0]]), "finishtime": text([times[-1]]), "times": text(times),
            "levels": text(levels), "batteryCapacity": str(CAPACITY),
            "maxChargingWatts": str(CAP), "model": "x86_64"}


old_times, old_levels = samples(817000000.0, 40, [(90, 20)])
previous = samples(817900000.0, 35, [(60, 35), (75, 20)])
newest = samples(818000000.0, 50, [(40, 30), (70, 10), (130, 10)])

history = [record(old_times, old_levels, 1795307300.0),
           record(*previous, 1796207300.0, type=2, watts=0, port=1, capacity=10000),
           record(*newest, 1796310500.0, type=1, watts=18, port=2)]
with open("curve_history/history", "wb") as f:
    plistlib.dump({"history": history}, f, sort_keys=False)
with open("curve_history/samples", "wb") as f:
    plistlib.dump({"samples": [kept(*previous), kept(*newest)]}, f, sort_keys=False)
