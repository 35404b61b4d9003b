#!/usr/bin/env python3
"""Writes history_plistlib.plist: a history file made by another property-list writer
(python's plistlib: tabs, "57.0" for whole reals, integers as <integer>, keys in insertion
order). Run from this folder; the test compares the records with the values below."""
import plistlib

first = {  # keys deliberately not in alphabetical order
    "starttime": 700000000.25, "finishtime": 700003600.75, "userStartTime": 700000012.5,
    "date": 1678307200.123456, "watt": 18.123456789012345, "min": 36.0, "amp": 44.4,
    "startlevel": 57.0, "finishlevel": 100.0, "userStartlevel": 58.0, "averageTime": 36.0,
    "type": 0.0, "brandid": 0.0, "watts": 0.0, "port": 0.0,
}
second = dict(first, date=1678307300.5, watt=1e-07, type=2, brandid=7, watts=20, port=2,
              capacity=10000)
third = {"starttime": 0.1, "watt": -3.5}

with open("history_plistlib.plist", "wb") as f:
    plistlib.dump({"history": [first, second, third]}, f, sort_keys=False)
