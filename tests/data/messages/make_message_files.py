#!/usr/bin/env python3
"""Writes the language files of the message tests (UTF-16LE with BOM, CRLF).

  Default1031.ulf   German: [FileInfo] ID and LangName, texts in two sections,
                    a number given twice, a key that is no number, "[NEWLINE]"
                    and a literal backslash-n
  Default1036.ulf   French: fewer texts (no 113)
  Default1041.ulf   a section far longer than 1,024 characters and more
                    section names than fit into 1,024 characters
  Defaultx.ulf      the radio-button captions of the language choice, one
                    of them empty
  wrongid/Default1031.ulf   [FileInfo] ID 1036 under the name of 1031
  noid/Default1034.ulf      no ID line at all
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def write(relative, lines):
    path = os.path.join(HERE, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))


write("Default1031.ulf", [
    "[FileInfo]",
    "ID=1031",
    "LangName=Deutsch",
    "[Buttons]",
    "110=< &Zurück",
    "111=&Weiter >",
    "112=&Abbrechen",
    "113=Wollen Sie wirklich abbrechen?",
    "[Texte]",
    "200=Willkommen beim Setup von [PACKAGEDISPLAYNAME].",
    "421=Sie haben nicht die nötigen Rechte.\\nWenden Sie sich an Ihren Administrator.",
    "509=[FILENAME] kann nicht kopiert werden.[NEWLINE]Schließen Sie alle Programme.",
    "602=Ein Fehler ist aufgetreten.[NEWLINE][NEWLINE]Siehe Protokoll.",
    "Hinweis=kein Nummernschlüssel",
    "[Nachtrag]",
    "112=Abbre&chen",
])

write("Default1036.ulf", [
    "[FileInfo]",
    "ID=1036",
    "LangName=Français",
    "[Boutons]",
    "110=< &Précédent",
    "111=&Suivant >",
    "112=&Annuler",
])

long_lines = ["[FileInfo]", "ID=1041", "LangName=日本語"]
long_lines.append("[Messages]")
for n in range(2000, 2300):
    long_lines.append("%d=メッセージ %d の本文はここにあります。" % (n, n))
for s in range(120):
    long_lines.append("[Abschnitt mit einem langen Namen Nummer %03d]" % s)
    long_lines.append("%d=Abschnitt %03d" % (3000 + s, s))
write("Default1041.ulf", long_lines)

write("Defaultx.ulf", [
    "[RADIOBUTTONSTRING]",
    "1031=&Deutsch",
    "1033=&English",
    "1036=&Français",
    "1034=Españ&ol",
    "1040=&Italiano",
    "2052=简体中文 (&H)",
    "1041=日本語 (&J)",
    "1028=繁體中文 (&X)",
    "1042=한국어 (&K)",
    "3082=Españo&l",
    "1049=P&yсский",
    "1046=Portu&guês",
    "1044=",
])

write("wrongid/Default1031.ulf", [
    "[FileInfo]",
    "ID=1036",
    "LangName=Français",
    "[Boutons]",
    "112=&Annuler",
])

write("noid/Default1034.ulf", [
    "[FileInfo]",
    "LangName=Español",
    "[Botones]",
    "112=&Cancelar",
])
