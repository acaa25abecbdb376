#!/usr/bin/env python3
"""Writes the awkward INI files used by the profile tests (run from any
folder; the files land beside this script). The files are committed; the
script documents how each was made and remakes them."""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))


def utf16le(text, bom=True):
    return (b"\xff\xfe" if bom else b"") + text.encode("utf-16-le")


def put(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def crlf(*lines):
    return "".join(l + "\r\n" for l in lines)


put("quotes.ini", utf16le(crlf(
    "[Quotes]",
    'both="hello"',
    'one_start="hello',
    'one_end=hello"',
    'inside=he"ll"o',
    "single='hello'",
    "mixed=\"hello'",
    'empty=""',
    'lone="',
    "lonesingle='",
    'spaced = "  padded  "  ',
    'nested=""x""',
    "justq=''",
    'q3="a"',
    'outer= " x " ',
    'three="""',
)))

put("blanks.ini", utf16le(crlf(
    "[Blanks]",
    "  key1  =  value1  ",
    "key2\t=\tvalue2\t",
    "key3=",
    "key4 =    ",
    "\tkey5=tab start",
    "key 6 = inner blank",
    "key7=a  =  b",
    "  [  Spaced Section  ]  ",
    "a=1",
    "[Tabbed\t]",
    "b=2",
    "[ Lead]",
    "c=3",
)))

put("comments.ini", utf16le(crlf(
    "// comment before any section",
    ";semi=0",
    "[Comments]",
    "//slash=3",
    ";semi=4",
    "#hash=5",
    " ; indented=6",
    "real=7",
    "// trailing comment",
    "; Comments = 8",
    "[After]",
    "x=1",
)))

put("blank_lines.ini", utf16le(
    "\r\n\r\n   \r\n[First]\r\n\r\n\r\nk=v\r\n \t \r\n\r\nk2=v2\r\n\r\n\r\n[Second]\r\n\r\n"))

put("duplicates.ini", utf16le(crlf(
    "[Dup]",
    "Name=first",
    "name=second",
    "NAME=third",
    "[Other]",
    "x=1",
    "[dup]",
    "Name=fourth",
    "only2=here",
    "[DUP]",
    "third=yes",
)))

put("noequals.ini", utf16le(crlf(
    "[NoEq]",
    "justakey",
    "=value1",
    "=value2",
    " = value3",
    "key=",
    "other=x",
    "=",
    "lonely",
    "=after lonely",
    "[Second]",
    "=first in second",
    "plain",
)))

long1500 = "".join(chr(ord("a") + i % 26) for i in range(1500))
many = ["k%03d=%s" % (i, "v" * 40) for i in range(60)]
put("long.ini", utf16le(crlf(
    "[Long]",
    "v1500=" + long1500,
    "q1021=\"" + "x" * 1021 + "\"",
    "q1022=\"" + "y" * 1022 + "\"",
    "q1023=\"" + "z" * 1023 + "\"",
    "n1023=" + "n" * 1023,
    "n1024=" + "m" * 1024,
    "[" + "S" * 300 + "]",
    "a=1",
    "[Big]",
    *many,
    "last=end",
)))

put("junk_sections.ini", utf16le(crlf(
    "[Sec]junk",
    "a=1",
    "[Sec2] ; comment",
    "b=2",
    "[x]y]",
    "c=3",
    "[]",
    "d=4",
    "[ ]",
    "e=5",
    "[[inner]]",
    "f=6",
    "[a=b]",
    "g=7",
)))

put("unclosed.ini", utf16le(crlf(
    "[Fine]",
    "a=1",
    "[Unclosed",
    "b=2",
    "[Unclosed=3",
    "[Next]",
    "c=4",
)))

put("ansi_ascii.ini", crlf("[Plain]", "name=ascii value", "num=12", "[Second]", "x=y").encode("ascii"))

put("ansi_high.ini",
    b"[Hoch]\r\nname=Gr\xfc\xdfe \x80 \x81 \x9f\r\n\xc4rger=\xe9t\xe9\r\n[\xd6sterreich]\r\nk=\xa0nbsp\xa0\r\n")

put("utf8_bom.ini", b"\xef\xbb\xbf" + crlf("[Umlaut]", "name=Gr\u00fc\u00dfe \u20ac", "\u00c4rger=\u00e9t\u00e9",
                                           "[\u00d6sterreich]", "k=v").encode("utf-8"))

put("utf8_invalid.ini", b"\xef\xbb\xbf[Bad]\r\nk1=a\xffb\r\nk2=c\xc3(d\r\nk3=\xe2\x82\r\nk4=ok\r\n")

put("utf8_nobom.ini", crlf("[Umlaut]", "name=Gr\u00fc\u00dfe").encode("utf-8"))

put("utf16be.ini", b"\xfe\xff" + crlf("[Big]", "endian=yes", "name=\u00c4rger").encode("utf-16-be"))

put("utf16le_nobom.ini", utf16le(crlf("[NoBom]", "k=v"), bom=False))

rnd = random.Random(1234)
put("binary.bin", bytes(rnd.randrange(256) for _ in range(4096)))
put("binary_bom.bin", b"\xff\xfe" + bytes(rnd.randrange(256) for _ in range(4096)))

put("empty.ini", b"")
put("bom_only.ini", b"\xff\xfe")
put("one_byte.ini", b"\xff")

# An odd byte after the last line: it starts a character that does not
# exist. The last line is a section line, so nothing depends on it.
put("odd_length.ini", utf16le(crlf("[Odd]", "k=v", "w=x") + "[Tail]") + b"\x41")

put("nul_inside.ini", utf16le(crlf(
    "[Nul]",
    "na\0me=value",
    "key=val\0ue",
    "\0hidden=1",
    "after=2",
    "[Se\0ction]",
    "s=1",
    "[Zero]",
    "\0",
    "z=\0",
)))

put("cr_only.ini", utf16le("[CR]\rk1=v1\rk2 = v2 \r\r[CR2]\rk3=v3"))
put("lf_only.ini", utf16le("[LF]\nk1=v1\nk2 = v2 \n\n[LF2]\nk3=v3"))
put("mixed_ends.ini", utf16le("[Mix]\n\rk1=v1\r\n\rk2=v2\n\n\r\r[Mix2]\r\nk3=v3\n"))
put("no_final_break.ini", utf16le("[End]\r\nk=v\r\nlast=no break"))

put("ints.ini", utf16le(crlf(
    "[Int]",
    "plain=42",
    "lead= 42",
    "plus=+7",
    "minus=-7",
    "hex=0x10",
    "mixed=12abc",
    "alpha=abc",
    "empty=",
    "wrap=4294967296",
    "big=2147483648",
    "neg=-2147483649",
    "huge=99999999999999999999",
    "quoted=\"15\"",
    "squoted='16'",
    "gap=1 2",
    "signgap=- 3",
    "zeros=007",
    "long=" + "1" * 40,
    "longzero=" + "0" * 28 + "123",
    "plusminus=+-4",
    "bin=0b101",
    "oct=0o17",
    "upperhex=0X10",
    "neghex=-0x10",
    "hexcase=0xfF",
    "badhex=0x1G",
    "onlyprefix=0x",
    "spacehex= 0x20",
    "octal=017",
    "tabbed=\t9",
    "fullwidth=\uff11\uff12",
    "nokey",
)))

put("case.ini", utf16le(crlf(
    "[CaseTest]",
    "MixedKey=1",
    "\u00c4\u00d6\u00dc=latin1",
    "\u0416\u0418\u0412=cyrillic",
    "\u0391\u0392\u0393=greek",
    "\u0178=ydiaeresis",
    "\u0130=dotted",
    "\u0100\u0141=extA",
    "[\u00c4rger]",
    "k=v",
)))

put("unicode_spaces.ini", utf16le(crlf(
    "[Spaces]",
    "nbsp=\u00a0v\u00a0",
    "ctrlz=\x1av\x1a",
    "ideo=\u3000v\u3000",
    "ff=\x0cv\x0c",
    "vt=\x0bv\x0b",
    "\u00a0lead=1",
    "em\u2003=2",
    "[\x1aZ\x1a]",
    "z=1",
)))

put("nameless.ini", utf16le(crlf(
    "top=1",
    "Other=2",
    "[Real]",
    "top=3",
)))

put("settings_like.ini", utf16le(crlf(
    "// Package settings",
    "[Package]",
    "Name=Sample",
    "NameDispl=Sample Product",
    "VersionString=1.0",
    "MultiPartDownload=0",
    "[Runtime]",
    "AutoLaunch=setup.exe",
    "ExtractPasswordRequired=1",
    "ExtractionPassword=shifted",
    "CheckAdmin=1",
    "[Size]",
    "128MB=0",
    "[Temporary]",
    "Number=3",
)))

# A complete settings file as a package carries it.
put("demo_package.ini", utf16le(crlf(
    "//*****PACKAGE FOR THE WEB*****",
    "[Package]",
    "Name=Demo",
    "NameDispl=Demo Library",
    "Version=01.03.0000",
    "TechnVersion=V1.3.0.0",
    "VersionString=V1.3",
    "Release=01.03.00.00_01.00.00.06",
    "PackageFileName=Demo Library.exe",
    "PackageFileIcon=",
    "MultipartDownload=0",
    "// current size = 20 MB",
    "PartSize=1998000000",
    "CheckOS=0",
    "Setuptype=classic",
    "",
    "[Conditions]",
    "Action1Condition=",
    "Action1=Extract",
    "Condition1=",
    "",
    "[Runtime]",
    "AllowChangeTarget=1",
    "AutoLaunch=setup.exe",
    "ExtractPath=%TEMP%\\Demo",
    "CheckAdmin=1",
    "ExtractPasswordRequired=0",
    "DisplayWelcomeImage=0",
    "OpenExtractionLocation=1",
    "",
    "[LogFiles]",
    "ExtractLogFileName=Demo.txt",
    "",
    "[Dialogs]",
    "LicenseDialog=0",
    "LanguageDialog=0",
    "",
    "[LicenseFiles]",
    "",
    "[Images]",
    "WELCOMEBMP=Welcome.bmp",
    "TOPBANNERBMP=Banner.BMP",
    "BOTTOMIMAGE=750BottomImage.PNG",
    "TOPIMAGE=750TopImage.PNG",
    "",
    "[LANGUAGES]",
    "SetupLanguages=1033;",
    "",
    "[OS]",
    "NoOSCheck=1",
    "osallowed=Windows7+;Windows2008R264",
    "windows7+exclude=",
    "",
    "[Tovu]",
    "Rahmensetup=1",
    "VrelBundle=0",
    "GUID2=38629",
    "FrameVersion=03.11.00.00_01.03.00.01",
    "",
    "[Size]",
    "CabSize=214609917",
    "PackageSize=268299230",
    "128MB=5242880",
    "",
    "[FileCount]",
    "Count=60",
)))
