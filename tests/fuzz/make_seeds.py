#!/usr/bin/env python3
"""Seeds for the zip and deflate fuzzers, made from the engine's seed documents.

    make_seeds.py DOCUMENTS ZIP_SEEDS DEFLATE_SEEDS

The zip seeds are the small documents and a few packages small enough that
most mutations land on their records: one plain, one with a comment and one
written with the large-archive end record. A deflate seed is fuzz_deflate's 8-byte header and
a part's text: to be deflated by zlib at a level and strategy and damaged in
one of its ways, or already deflated, with the size it inflates to.
"""
import pathlib
import sys
import zipfile
import zlib

MAX_ZIP_SEED = 24 * 1024
MAX_PART = 2 * 1024
MAX_PARTS = 48
WINDOW_15_MEMORY_8 = 6 * 9 + 7
# Level and strategy: 6 default, 1 filtered, 6 Huffman only, 6 runs, 6 fixed codes, 0 stored.
ZLIB_SETTINGS = [6, 11, 26, 36, 46, 0]
DAMAGES = 8


def header(flags, settings, field):
    return bytes([flags, settings, WINDOW_15_MEMORY_8]) + field.to_bytes(3, "little") + b"\x80\x80"


def small_package(path, comment=b"", large_archive=False):
    # Python writes the large-archive end record beyond this many entries.
    zipfile.ZIP_FILECOUNT_LIMIT = 1 if large_archive else 0xFFFF
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        package.writestr("[Content_Types].xml", "<Types/>")
        package.writestr("word/document.xml", "<w:document>It ends.  Next one.</w:document>")
        package.writestr("docProps/app.xml", "<Properties/>", zipfile.ZIP_STORED)
        package.comment = comment


def parts(documents):
    found = []
    for document in sorted(documents.iterdir()):
        try:
            with zipfile.ZipFile(document) as package:
                found += [package.read(name)[:MAX_PART] for name in package.namelist()[:3]]
        except (zipfile.BadZipFile, OSError, RuntimeError, ValueError, EOFError, zlib.error):
            continue
    return found[:MAX_PARTS]


def main(documents, zip_seeds, deflate_seeds):
    documents, zip_seeds, deflate_seeds = map(pathlib.Path, (documents, zip_seeds, deflate_seeds))
    for document in documents.iterdir():
        if document.stat().st_size <= MAX_ZIP_SEED:
            (zip_seeds / document.name).write_bytes(document.read_bytes())
    small_package(zip_seeds / "small.docx")
    small_package(zip_seeds / "small-with-comment.docx", comment=b"a comment")
    small_package(zip_seeds / "small-large-archive-end.docx", large_archive=True)
    for i, data in enumerate([b""] * len(ZLIB_SETTINGS) + parts(documents)):
        settings = ZLIB_SETTINGS[i % len(ZLIB_SETTINGS)]
        damage = i % DAMAGES << 1
        (deflate_seeds / f"{i}-zlib").write_bytes(header(damage, settings, 1000 + i) + data)
        compressor = zlib.compressobj(6, zlib.DEFLATED, -15)
        stream = compressor.compress(data) + compressor.flush()
        (deflate_seeds / f"{i}-raw").write_bytes(header(1, 0, len(data)) + stream)


if __name__ == "__main__":
    main(*sys.argv[1:])
