#!/usr/bin/env python3
"""Writes the seeds that no test fixture provides:
  seeds/package/  small packages: a language-neutral frame (the condition
                  fixture versioned.dll with its record made neutral) whose
                  version record's subtype holds the container start, then
                  entries from tests/data/package; a package with a
                  settings entry after the cabinet and trailing bytes; a
                  bare container without a frame; a damaged entry.
  seeds/cmdline/  command lines (UTF-16LE, no byte-order mark).
Run it again after changing the fixtures; the harnesses read the seeds as
they are."""
import os, struct

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "data")
MARKER = "{20726377-9F91-41b8-B514-20AE00AA235D}".encode("utf-16-le")


def data(*parts):
    with open(os.path.join(DATA, *parts), "rb") as f:
        return f.read()


def neutral_frame():
    frame = bytearray(data("conditions", "versioned.dll"))
    lang = struct.pack("<II", 1033, 0x48)
    at = frame.find(lang)
    assert at > 0
    frame[at:at + 4] = struct.pack("<I", 0)
    return frame


def subtype_offset(frame):
    sig = frame.find(struct.pack("<I", 0xFEEF04BD))
    assert sig > 0
    return sig + 40


def entry(name, kind, payload, name_bytes=None):
    raw = name.encode("utf-16-le") if name_bytes is None else name_bytes
    return MARKER + struct.pack("<I", len(raw)) + raw + struct.pack("<IH", len(payload), kind) + payload


def package(entries, tail=b""):
    frame = neutral_frame()
    struct.pack_into("<I", frame, subtype_offset(frame), len(frame))
    return bytes(frame) + b"".join(entries) + tail


def settings_utf16():
    text = data("package", "Properties_Tovu.ini").decode("utf-8-sig")
    return b"\xff\xfe" + text.encode("utf-16-le")


def write(folder, name, content):
    os.makedirs(os.path.join(HERE, "seeds", folder), exist_ok=True)
    with open(os.path.join(HERE, "seeds", folder, name), "wb") as f:
        f.write(content)


def main():
    cab = data("package", "WebCab1.cab")
    typical = [entry("Properties_Tovu.ini", 200, settings_utf16()),
               entry("Defaultx.ulf", 200, data("package", "Defaultx.ulf")),
               entry("750TopImage.PNG", 200, data("package", "750TopImage.PNG")),
               entry("750BottomImage.PNG", 200, data("package", "750BottomImage.PNG")),
               entry("WebCab1", 100, cab)]
    write("package", "typical.exe", package(typical))
    write("package", "after_cabinet.exe",
          package([typical[0], entry("WebCab1", 100, cab), entry("Late.ulf", 200, b"late"), entry("Empty", 200, b"")],
                  tail=b"trailing bytes that are no entry" * 3))
    write("package", "bare_container.bin", b"".join(typical[:2]) + entry("WebCab1", 100, b"TOVU"))
    write("package", "odd_name.exe", package([typical[0], entry("", 200, b"x", name_bytes=b"abc")]))
    write("package", "neutral_frame.dll", bytes(neutral_frame()))

    lines = [
        r'"C:\Package\Package.exe" /silent /extractpath="C:\Program Files\Tovu" /autolaunch=no',
        r'C:\Package.exe -unattended -setupLanguage=1031 -extractionpassword=se"cr"et -d',
        r'"C:\a b\p.exe" /NoOSCheck /NoConditioncheck "a\\\"b" a\\\\"b c" "" x""y "q ""inner"" q"',
        'p.exe\t/debug  \t "tab\tinside" \\\\server\\share\\ \\"',
        r'p.exe /extractpath=C:\a=b /extractpath= = /=x //x - /',
    ]
    for i, line in enumerate(lines):
        write("cmdline", "line%d.txt" % (i + 1), line.encode("utf-16-le"))


if __name__ == "__main__":
    main()
