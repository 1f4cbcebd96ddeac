#!/usr/bin/env python3
"""Writes an earlier release's fingerprint, by which the library's upgrade of
a per-user database of that release tells the shipped rows from the user's.

    fingerprint.py RELEASE.db OUT.bin

Little-endian uint32s: the city count, then each city's ID and the FNV-1a
hash of its columns as placehash() in database/upgrade.cpp computes it;
then the Region2County link count and each link's RegionID and CountyID.

The files built into the library were made so:

    git show 9713339:data/KVCities > release1.db    # 24,334 cities
    fingerprint.py release1.db database/release1.bin
    git show d8abb39:data/KVCities > release2.db    # 134,308 cities
    fingerprint.py release2.db database/release2.bin

(b9d0ca9's data, the same places before the search index, has the same
fingerprint as d8abb39's.)
"""
import sqlite3
import struct
import sys

COLUMNS = "name, arabic_name, longitude_Degree, longitude_Minute, latitude_Degree, latitude_Minute, gmt, County_ID"


def place_hash(values):
    h = 0x811C9DC5
    for v in values:
        data = b"\x00N" if v is None else str(v).encode("utf-8")
        for byte in data + b"\x1f":
            h = ((h ^ byte) * 0x01000193) & 0xFFFFFFFF
    return h


def main(source, out):
    db = sqlite3.connect(source)
    db.create_collation("english", lambda a, b: (a > b) - (a < b))
    db.create_collation("arabic", lambda a, b: (a > b) - (a < b))
    cities = db.execute(f"SELECT ID, {COLUMNS} FROM City ORDER BY ID").fetchall()
    links = db.execute("SELECT RegionID, CountyID FROM Region2County ORDER BY 1, 2").fetchall()
    with open(out, "wb") as f:
        f.write(struct.pack("<I", len(cities)))
        for row in cities:
            f.write(struct.pack("<II", row[0], place_hash(row[1:])))
        f.write(struct.pack("<I", len(links)))
        for region, country in links:
            f.write(struct.pack("<II", region, country))


if __name__ == "__main__":
    main(*sys.argv[1:3])
