#!/usr/bin/env python3
"""Writes versioned.dll: a minimal PE32+ image (headers and one .rsrc
section) whose only resource is a version record (RT_VERSION, name 1,
language 1033) with the file version 4.12.1.300 and the product version
9.8.7.6. The condition tests read its file version through the system's
version API under Wine and through the portable PE reader."""
import struct, sys, os

FILE_VERSION = (4, 12, 1, 300)
PRODUCT_VERSION = (9, 8, 7, 6)

def version_block():
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    header_len = 6 + len(key)
    pad = (4 - header_len % 4) % 4
    fixed = struct.pack("<13I",
        0xFEEF04BD, 0x00010000,
        (FILE_VERSION[0] << 16) | FILE_VERSION[1], (FILE_VERSION[2] << 16) | FILE_VERSION[3],
        (PRODUCT_VERSION[0] << 16) | PRODUCT_VERSION[1], (PRODUCT_VERSION[2] << 16) | PRODUCT_VERSION[3],
        0x3F, 0, 0x00040004, 2, 0, 0, 0)  # mask, flags, VOS_NT_WINDOWS32, VFT_DLL
    body = key + b"\0" * pad + fixed
    total = 6 + len(body)
    return struct.pack("<HHH", total, len(fixed), 0) + body

def build():
    file_align, sect_align = 0x200, 0x1000
    rsrc_rva = 0x1000
    block = version_block()
    # Resource tree: root -> type 16 -> name 1 -> language 1033 -> data entry.
    root = struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", 16, 0x80000000 | 0x18)
    names = struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", 1, 0x80000000 | 0x30)
    langs = struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", 1033, 0x48)
    entry = struct.pack("<IIII", rsrc_rva + 0x58, len(block), 1200, 0)
    rsrc = root + names + langs + entry
    assert len(rsrc) == 0x58
    rsrc += block
    raw_size = (len(rsrc) + file_align - 1) // file_align * file_align
    rsrc += b"\0" * (raw_size - len(rsrc))

    pe_off = 0x80
    dos = bytearray(pe_off)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, pe_off)
    opt_size = 112 + 16 * 8
    coff = struct.pack("<4sHHIIIHH", b"PE\0\0", 0x8664, 1, 0, 0, 0, opt_size, 0x2022)  # EXE|LARGE_ADDRESS|DLL
    image_size = rsrc_rva + (len(rsrc) + sect_align - 1) // sect_align * sect_align
    headers_size = file_align
    opt = struct.pack("<HBBIIIII", 0x20B, 14, 0, 0, raw_size, 0, 0, 0x1000)
    opt += struct.pack("<QIIHHHHHHIIIIHHQQQQII",
        0x180000000, sect_align, file_align, 6, 0, 0, 0, 6, 0, 0,
        image_size, headers_size, 0, 2, 0x0160,
        0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    dirs = [(0, 0)] * 16
    dirs[2] = (rsrc_rva, len(root + names + langs + entry) + len(block))
    opt += b"".join(struct.pack("<II", a, s) for a, s in dirs)
    assert len(opt) == opt_size
    section = struct.pack("<8sIIIIIIHHI", b".rsrc", len(rsrc), rsrc_rva, raw_size, headers_size, 0, 0, 0, 0, 0x40000040)
    head = bytes(dos) + coff + opt + section
    head += b"\0" * (headers_size - len(head))
    return head + rsrc

if __name__ == "__main__":
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "versioned.dll")
    with open(out, "wb") as f:
        f.write(build())
