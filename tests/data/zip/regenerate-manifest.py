#!/usr/bin/env python3
"""Regenerates MANIFEST.tsv from the archives in this folder.

The structural columns (entry name bytes, method, flags, sizes, CRC-32) are read
from each archive's central directory. The SHA-256 column is taken from the
content that 7z extracts (p7zip-full), checked against the directory's size and
CRC-32; entries that no local tool decodes (reduce, tokenized) keep the SHA-256
and note of the current MANIFEST.tsv, whose notes are kept for every entry.

    python3 regenerate-manifest.py > MANIFEST.tsv.new && diff MANIFEST.tsv MANIFEST.tsv.new
"""
import hashlib
import os
import subprocess
import sys
import tempfile
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
COLUMNS = ["archive", "entry", "method", "flags", "csize", "usize", "crc32", "sha256", "note"]


def escape(raw: bytes) -> str:
    return "".join(chr(b) if 0x20 <= b < 0x7F and b != 0x5C else "\\x%02x" % b for b in raw)


def raw_name(info: zipfile.ZipInfo) -> bytes:
    if info.flag_bits & 0x800:
        return info.orig_filename.encode("utf-8")
    return info.orig_filename.encode("cp437")


def load_current():
    known = {}
    path = os.path.join(HERE, "MANIFEST.tsv")
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            next(f)
            for line in f:
                cols = line.rstrip("\n").split("\t")
                known[(cols[0], cols[1])] = cols
    return known


def extracted_sha256(archive: str, info: zipfile.ZipInfo, workdir: str):
    """SHA-256 of the entry as 7z extracts it, or None when the output does not match."""
    out = subprocess.run(["7z", "x", "-y", "-ptest", "-so", archive, info.filename],
                         capture_output=True, check=False).stdout
    if len(out) != info.file_size or zlib.crc32(out) != info.CRC:
        return None
    return hashlib.sha256(out).hexdigest()


def main():
    known = load_current()
    print("\t".join(COLUMNS))
    archives = sorted((n for n in os.listdir(HERE) if n.lower().endswith(".zip")), key=str.lower)
    with tempfile.TemporaryDirectory() as workdir:
        for name in archives:
            path = os.path.join(HERE, name)
            with zipfile.ZipFile(path) as archive:
                for info in archive.infolist():
                    entry = escape(raw_name(info))
                    old = known.get((name, entry))
                    if info.is_dir():
                        sha = "-"
                    else:
                        sha = extracted_sha256(path, info, workdir) or (old[7] if old else "?")
                    note = old[8] if old else "new entry: describe it"
                    print("\t".join([name, entry, str(info.compress_type), "0x%04x" % info.flag_bits,
                                     str(info.compress_size), str(info.file_size), "%08x" % info.CRC,
                                     sha, note]))


if __name__ == "__main__":
    sys.exit(main())
