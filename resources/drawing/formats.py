"""PNG files and Windows icon and cursor files, written and read back by hand.

Images are lists of rows, top to bottom, of straight (r, g, b, a) tuples.
Icons and cursors hold one 32-bit DIB each: the colour bitmap bottom-up in
BGRA order, then the 1-bit AND mask (set where the pixel is fully transparent).
In a cursor's directory entry the hotspot takes the place of the planes and
bit-count fields.
"""

import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
ICON, CURSOR = 1, 2
_DIRECTORY = struct.Struct("<HHH")
_ENTRY = struct.Struct("<BBBBHHII")
_BITMAP_INFO = struct.Struct("<IiiHHIIiiII")


class FormatError(Exception):
    """A file that does not hold what this module writes."""


# ---- PNG ---------------------------------------------------------------------


def png_bytes(rows):
    width, height = len(rows[0]), len(rows)
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (
        PNG_SIGNATURE
        + _png_chunk(b"IHDR", header)
        + _png_chunk(b"IDAT", zlib.compress(raw, 9))
        + _png_chunk(b"IEND", b"")
    )


def _png_chunk(kind, data):
    crc = zlib.crc32(kind + data)
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def read_png(data):
    """The rows of an 8-bit RGBA, non-interlaced PNG; FormatError for anything else."""
    if not data.startswith(PNG_SIGNATURE):
        raise FormatError("no PNG signature")
    chunks, offset = {}, len(PNG_SIGNATURE)
    while offset + 12 <= len(data):
        (length,) = struct.unpack_from(">I", data, offset)
        kind, body = data[offset + 4 : offset + 8], data[offset + 8 : offset + 8 + length]
        (crc,) = struct.unpack_from(">I", data, offset + 8 + length)
        if zlib.crc32(kind + body) != crc:
            raise FormatError(f"bad CRC in the {kind.decode()} chunk")
        chunks[kind] = chunks.get(kind, b"") + body
        offset += 12 + length
    width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    if (depth, colour_type, interlace) != (8, 6, 0):
        raise FormatError("not an 8-bit RGBA non-interlaced PNG")
    if b"IEND" not in chunks:
        raise FormatError("no IEND chunk")
    raw = _unfilter(zlib.decompress(chunks[b"IDAT"]), width * 4, height)
    return [
        [tuple(raw[y][x * 4 : x * 4 + 4]) for x in range(width)] for y in range(height)
    ]


def _unfilter(raw, stride, height):
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1 : (y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up, up_left = previous[i], previous[i - 4] if i >= 4 else 0
            line[i] = (line[i] + _predict(kind, left, up, up_left)) & 255
        rows.append(line)
        previous = line
    return rows


def _predict(kind, left, up, up_left):
    if kind == 0:
        return 0
    if kind == 1:
        return left
    if kind == 2:
        return up
    if kind == 3:
        return (left + up) // 2
    if kind == 4:
        guess = left + up - up_left
        options = [(abs(guess - value), value) for value in (left, up, up_left)]
        return min(options, key=lambda option: option[0])[1]
    raise FormatError(f"unknown PNG filter {kind}")


# ---- ICO and CUR -------------------------------------------------------------


def icon_bytes(rows, kind=ICON, hotspot=(0, 0)):
    """An .ico (kind ICON) or .cur (kind CURSOR, with its hotspot) holding one image."""
    width, height = len(rows[0]), len(rows)
    if width > 256 or height > 256:
        raise FormatError("icons are at most 256 pixels wide and high")
    dib = _dib_bytes(rows)
    planes, bits = hotspot if kind == CURSOR else (1, 32)
    entry = _ENTRY.pack(width % 256, height % 256, 0, 0, planes, bits, len(dib), 6 + 16)
    return _DIRECTORY.pack(0, kind, 1) + entry + dib


def _dib_bytes(rows):
    width, height = len(rows[0]), len(rows)
    colours = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask = b"".join(_mask_row(row) for row in reversed(rows))
    info = _BITMAP_INFO.pack(40, width, 2 * height, 1, 32, 0, len(colours) + len(mask), 0, 0, 0, 0)
    return info + colours + mask


def _mask_row(row):
    stride = (len(row) + 31) // 32 * 4
    bits = bytearray(stride)
    for x, pixel in enumerate(row):
        if pixel[3] == 0:
            bits[x // 8] |= 0x80 >> (x % 8)
    return bytes(bits)


def read_icon(data):
    """(kind, hotspot or None, rows) of a one-image .ico or .cur written by icon_bytes."""
    if len(data) < 22:
        raise FormatError("shorter than a directory with one entry")
    reserved, kind, count = _DIRECTORY.unpack_from(data, 0)
    if reserved != 0 or kind not in (ICON, CURSOR) or count != 1:
        raise FormatError("not a one-image icon or cursor directory")
    width, height, colours, _, field1, field2, size, offset = _ENTRY.unpack_from(data, 6)
    width, height = width or 256, height or 256
    if colours != 0 or offset + size > len(data):
        raise FormatError("the directory entry points outside the file")
    image = data[offset : offset + size]
    rows = read_png(image) if image.startswith(PNG_SIGNATURE) else _read_dib(image)
    if (len(rows[0]), len(rows)) != (width, height):
        raise FormatError("the image size differs from the directory entry")
    if kind == ICON and (field1, field2) != (1, 32):
        raise FormatError("an icon entry with planes and bit count other than 1 and 32")
    return kind, ((field1, field2) if kind == CURSOR else None), rows


def _read_dib(image):
    header_size, width, double_height, planes, bits, compression, *_ = _BITMAP_INFO.unpack_from(
        image, 0
    )
    height = double_height // 2
    if (header_size, planes, bits, compression) != (40, 1, 32, 0) or double_height != 2 * height:
        raise FormatError("not an uncompressed 32-bit DIB with its AND mask")
    stride = (width + 31) // 32 * 4
    if len(image) != 40 + width * height * 4 + stride * height:
        raise FormatError("the DIB's size does not match its header")
    colours, mask = image[40 : 40 + width * height * 4], image[40 + width * height * 4 :]
    rows = []
    for y in reversed(range(height)):
        line = colours[y * width * 4 : (y + 1) * width * 4]
        row = [(line[i + 2], line[i + 1], line[i], line[i + 3]) for i in range(0, len(line), 4)]
        if _mask_row(row) != mask[y * stride : (y + 1) * stride]:
            raise FormatError("the AND mask disagrees with the alpha channel")
        rows.append(row)
    return rows
