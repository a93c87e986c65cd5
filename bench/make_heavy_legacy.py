#!/usr/bin/env python3
"""Writes flat OpenDocument texts like the large reports that take longest
through LibreOffice: pages of sentences with floating pictures anchored to
paragraphs and embedded formula objects between sentences. Converted to .doc,
.rtf or .odt by LibreOffice they give the heavy legacy documents of the
legacy benchmark.

    make_heavy_legacy.py OUT.fodt [--paragraphs N] [--pictures N]
                         [--formulas N] [--seed S]
"""

import argparse
import base64
import random
import struct
import zlib

WORDS = ("the report shows that costs rose in the second quarter while sales "
         "held steady across most regions and the board asked for a review "
         "of every contract signed before the new rules came into force").split()

NAMESPACES = (
    'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
    'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
    'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
    'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
    'xmlns:xlink="http://www.w3.org/1999/xlink" '
    'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
    'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
    'xmlns:math="http://www.w3.org/1998/Math/MathML"')


def png(rng, width, height):
    """A picture of noisy bands, which compresses about as photographs do."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        base = (y * 7) % 256
        for _ in range(width):
            rows += bytes((base + rng.randrange(48)) % 256 for _ in range(3))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def sentence(rng):
    words = [rng.choice(WORDS) for _ in range(rng.randrange(6, 16))]
    words[0] = words[0].capitalize()
    return " ".join(words) + rng.choice(".....?!")


def picture(rng, number):
    data = base64.b64encode(png(rng, 96, 64)).decode()
    return (f'<draw:frame draw:style-name="Float" draw:name="Picture{number}" '
            'text:anchor-type="paragraph" svg:x="9cm" svg:y="0cm" '
            'svg:width="6cm" svg:height="4cm" draw:z-index="0">'
            f'<draw:image><office:binary-data>{data}</office:binary-data>'
            '</draw:image></draw:frame>')


def formula(number):
    return (f'<draw:frame draw:name="Formula{number}" text:anchor-type="as-char" '
            'svg:width="2cm" svg:height="0.6cm"><draw:object><math:math>'
            '<math:semantics><math:mrow><math:mi>x</math:mi><math:mo>+</math:mo>'
            f'<math:mn>{number}</math:mn></math:mrow>'
            f'<math:annotation encoding="StarMath 5.0">x + {number}</math:annotation>'
            '</math:semantics></math:math></draw:object></draw:frame>')


def document(paragraphs, pictures, formulas, rng):
    picture_at = set(rng.sample(range(paragraphs), min(pictures, paragraphs)))
    formula_at = set(rng.sample(range(paragraphs), min(formulas, paragraphs)))
    body = []
    for p in range(paragraphs):
        parts = [sentence(rng) for _ in range(rng.randrange(3, 7))]
        if p in formula_at:
            parts.insert(1, formula(p))
        if p in picture_at:
            parts.insert(0, picture(rng, p))
        body.append("<text:p>" + "  ".join(parts) + "</text:p>")
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<office:document {NAMESPACES} office:version="1.2" '
            'office:mimetype="application/vnd.oasis.opendocument.text">'
            '<office:automatic-styles><style:style style:name="Float" '
            'style:family="graphic"><style:graphic-properties style:wrap="parallel" '
            'style:horizontal-pos="right" style:vertical-pos="top"/></style:style>'
            '</office:automatic-styles><office:body><office:text>' +
            "\n".join(body) + "</office:text></office:body></office:document>\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--paragraphs", type=int, default=400)
    parser.add_argument("--pictures", type=int, default=12)
    parser.add_argument("--formulas", type=int, default=6)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    with open(args.output, "w", encoding="utf-8") as out:
        out.write(document(args.paragraphs, args.pictures, args.formulas, rng))


if __name__ == "__main__":
    main()
