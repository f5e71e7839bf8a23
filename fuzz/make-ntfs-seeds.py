#!/usr/bin/env python3
"""Seed corpora for the NTFS fuzz targets, cut from the fixture images.

Usage: fuzz/make-ntfs-seeds.py FIXTURE_DIR OUT_DIR
FIXTURE_DIR is where the build unpacked tests/fixtures/*.tar.xz (for example
build/asan/tests/fixtures). Writes OUT_DIR/mft_record (FILE records),
OUT_DIR/index_record (INDX records) and OUT_DIR/data_runs (a volume's cluster
count followed by the run list of one non-resident attribute).
"""
import hashlib, os, struct, sys

SECTOR = 512
IMAGES = ("ntfs-full.img", "ntfs-two.img", "ntfs-mftgone.img", "ntfs-fat.img")
LIMIT = 400


def fixed_up(record):
    record = bytearray(record)
    offset, count = struct.unpack_from("<HH", record, 4)
    for i in range(max(count - 1, 0)):
        tail = 510 + SECTOR * i
        saved = offset + 2 + 2 * i
        if tail + 2 > len(record) or saved + 2 > len(record):
            break
        record[tail:tail + 2] = record[saved:saved + 2]
    return bytes(record)


def run_lists(record, clusters):
    at = struct.unpack_from("<h", record, 0x14)[0]
    while 0 <= at < len(record) - 8:
        kind, length = struct.unpack_from("<II", record, at)
        if kind in (0, 0xFFFFFFFF) or length == 0 or at + length > len(record):
            return
        if record[at + 8] == 1:
            runs = struct.unpack_from("<H", record, at + 0x20)[0]
            yield struct.pack("<Q", clusters) + record[at + runs:at + length]
        at += length


def main(fixtures, out):
    seeds = {"mft_record": {}, "index_record": {}, "data_runs": {}}
    for name in IMAGES:
        path = os.path.join(fixtures, name)
        if not os.path.exists(path):
            continue
        with open(path, "rb") as f:
            disk = f.read()
        clusters = 1 << 20
        for s in range(0, len(disk) // SECTOR):
            sector = disk[s * SECTOR:(s + 1) * SECTOR]
            if sector[510:512] == b"\x55\xaa":
                if sector[3:7] == b"NTFS":
                    clusters = struct.unpack_from("<Q", sector, 0x28)[0] // max(sector[13], 1)
                continue
            if sector[:4] == b"FILE":
                record = disk[s * SECTOR:s * SECTOR + 1024]
                seeds["mft_record"][hashlib.sha1(record).hexdigest()] = record
                for runs in run_lists(fixed_up(record), clusters):
                    seeds["data_runs"][hashlib.sha1(runs).hexdigest()] = runs
            elif sector[:4] == b"INDX":
                record = disk[s * SECTOR:s * SECTOR + 4096]
                seeds["index_record"][hashlib.sha1(record).hexdigest()] = record
    for target, found in seeds.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for digest in sorted(found)[:LIMIT]:
            with open(os.path.join(folder, digest), "wb") as f:
                f.write(found[digest])
        print("%s: %d seeds" % (folder, min(len(found), LIMIT)))


if __name__ == "__main__":
    main(*sys.argv[1:])
