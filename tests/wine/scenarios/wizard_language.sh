#!/usr/bin/env bash
# The setup-language page as a person uses it: a package whose settings
# ask for the language choice shows one radio button per setup language
# after the welcome page; a click switches the page, the buttons and the
# welcome page to that language, and the setup is started with that
# language's parameters. Languages the system has no locale for are shown
# disabled; the page has room for ten. Pictures are kept as artifacts.
set -u
source "$(dirname "$0")/../wine-lib.sh"
source "$(dirname "$0")/../package-lib.sh"

source "$(dirname "$0")/../wizard-lib.sh"
wizard_scenario wizard_language
wizard_payload

# ulf NAME: a language file (UTF-16LE with byte-order mark) from stdin.
ulf() { { printf '\xff\xfe'; sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$WORK/$1"; }
ulf Default1031.ulf <<'ULF'
[FileInfo]
ID=1031
LangName=Deutsch
[Buttons]
110=< &Zurück
111=&Weiter >
112=&Abbrechen
[Texte]
200=Willkommen beim Setup von [PACKAGEDISPLAYNAME].
208=Bitte wählen Sie die Setup-Sprache:
ULF
# Tamazight (Arabic script): Wine 8 has no locale for 1119.
ulf Default1119.ulf <<'ULF'
[FileInfo]
ID=1119
LangName=Tamazight
ULF

# make_package NAME LANGUAGES: the fixture settings with the language
# choice on, the setup languages LANGUAGES, setup.exe as the setup and
# parameters of its own for German.
make_package() {
  wizard_settings "$1" 's/^LanguageDialog=.*/LanguageDialog=1/'"
    s/^SetupLanguages=.*/SetupLanguages=$2/"'
    s/^LaunchEXEParams=.*/LaunchEXEParams=\/gui \/exit=0 \/lang=en/
    s/^\[Tovu\]/[1031]\nLaunchEXEParams=\/gui \/exit=0 \/lang=de\n\n[Tovu]/'
  wizard_pack "$1" --entry "$WORK/Default1031.ulf" --entry "$WORK/Default1119.ulf" --payload "$WORK/payload"
}

is_disabled() { [ "$(control_line "$1" | cut -f4)" = 0 ]; }
is_checked() { [ "$(control_line "$1" | cut -f5)" = 1 ]; }
is_unchecked() { [ "$(control_line "$1" | cut -f5)" = 0 ]; }
RADIOS="1006 1007 1008 1009 1010 1011 1012 1015 1016 1017"

start_case() {
  rm -rf "$TARGET" "$RECORD"
  gui_start "C:\\$1.exe"
}

# ---- English and German: choosing German ------------------------------------
make_package two '1033;1031'
start_case two
expect "the wizard opens on the welcome page" ui wait-text "$TITLE" 1047 "Demo Library V1.3" 90000
ui click "$TITLE" 12324 >/dev/null
expect "Next shows the language page's prompt" \
  ui wait-text "$TITLE" 1013 "Please choose the setup language:" 30000
expect "radio 1006 shows English" [ "$(visible_text 1006)" = "&English" ]
expect "radio 1007 shows German" [ "$(visible_text 1007)" = "&Deutsch" ]
expect "English can be chosen" is_enabled 1006
expect "German can be chosen" is_enabled 1007
expect "English, the setup language, is checked" is_checked 1006
expect "German is not checked" is_unchecked 1007
for id in 1008 1009 1010 1011 1012 1015 1016 1017; do
  no_visible $id || { echo "FAIL: radio $id is shown for two languages"; fail=1; }
done
expect "Back is shown on the language page" has_visible 12323
shot=$(gui_shot wizard-language "$TITLE") && expect "the language page's picture is not blank" gui_shot_not_blank "$shot"
ui check "$TITLE" 1007 1 >/dev/null
expect "choosing German turns the prompt German" \
  ui wait-text "$TITLE" 1013 "Bitte wählen Sie die Setup-Sprache:" 30000
expect "English is no longer checked" is_unchecked 1006
expect "Next reads '&Weiter >'" [ "$(visible_text 12324)" = "&Weiter >" ]
expect "Cancel reads '&Abbrechen'" [ "$(visible_text 2)" = "&Abbrechen" ]
shot=$(gui_shot wizard-language-german "$TITLE") || true
ui click "$TITLE" 12323 >/dev/null
expect "Back shows the welcome page in German" \
  ui wait-text "$TITLE" 1047 "Willkommen beim Setup von Demo Library V1.3." 30000
ui click "$TITLE" 12324 >/dev/null
expect "the language page keeps German" ui wait-text "$TITLE" 1013 "Bitte wählen Sie die Setup-Sprache:" 30000
expect "German is still checked" is_checked 1007
ui click "$TITLE" 12324 >/dev/null
expect "Next extracts and installs: the finish page" quiet ui wait-control "$TITLE" 12325 120000
gui_activate "$TITLE"
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "the run ends with exit code 0" [ "$GUI_RC" = 0 ]
expect "the setup ran once" [ "$(setup_runs)" = 1 ]
expect "the setup got German's parameters" grep -q '/lang=de' "$RECORD"
expect "not English's" not_in_file "$RECORD" "/lang=en"
expect_lines_in_order "$XLOG" "Setting the radio button for LanguageID : 1033" \
  "ID of the Language selected : 1031" "Launching - "

# ---- the default stays: English's parameters --------------------------------
start_case two
ui wait-text "$TITLE" 1047 "Demo Library V1.3" 90000 >/dev/null
ui click "$TITLE" 12324 >/dev/null
ui wait-text "$TITLE" 1013 "Please choose the setup language:" 30000 >/dev/null
ui click "$TITLE" 12324 >/dev/null
expect "Next on the language page goes on to the finish page" quiet ui wait-control "$TITLE" 12325 120000
gui_activate "$TITLE"
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "exit code 0 with English" [ "$GUI_RC" = 0 ]
expect "the setup got English's parameters" grep -q '/lang=en' "$RECORD"

# ---- German alone: its button is checked and the run follows it ---------------
make_package one '1031'
start_case one
ui wait-text "$TITLE" 1047 "Demo Library V1.3" 90000 >/dev/null
ui click "$TITLE" 12324 >/dev/null
expect "the only language's page is German" ui wait-text "$TITLE" 1013 "Bitte wählen Sie die Setup-Sprache:" 30000
expect "its button shows German" [ "$(visible_text 1006)" = "&Deutsch" ]
expect "and is checked" is_checked 1006
expect "no second button" no_visible 1007
ui click "$TITLE" 12324 >/dev/null
expect "Next goes on to the finish page" quiet ui wait-control "$TITLE" 12325 120000
gui_activate "$TITLE"
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "exit code 0 with German alone" [ "$GUI_RC" = 0 ]
expect "the setup got German's parameters, as the page showed" grep -q '/lang=de' "$RECORD"

# ---- eleven languages, one without a locale ----------------------------------
make_package eleven '1033;1031;1119;1036;1037;1065;1079;1093;1100;1108;1125'
start_case eleven
ui wait-text "$TITLE" 1047 "Demo Library V1.3" 90000 >/dev/null
ui click "$TITLE" 12324 >/dev/null
expect "the language page opens" ui wait-text "$TITLE" 1013 "Please choose the setup language:" 30000
for id in $RADIOS; do
  has_visible $id || { echo "FAIL: radio $id is not shown for eleven languages"; fail=1; }
done
expect "only the ten radio buttons are shown" \
  [ "$(ui list "$TITLE" | awk -F'\t' '$2 == "Button" && $3 == 1 && $1 >= 1006 && $1 <= 1017' | wc -l)" = 10 ]
expect "the language without a locale shows its name" [ "$(visible_text 1008)" = "Tamazight" ]
expect "and is disabled" is_disabled 1008
expect "a language with a locale is enabled" is_enabled 1009
expect "the last shown language is the tenth" is_enabled 1017
expect "the log says it was disabled" grep -q "Language : Tamazight not supported and has been disabled" "$XLOG"
shot=$(gui_shot wizard-language-eleven "$TITLE") || true
gui_key "$TITLE" Escape
ui wait-text "$TITLE" 65535 "Do you really want to cancel?" 30000 >/dev/null
ui msgbox-press "$TITLE" 6 >/dev/null
expect "a confirmed cancel ends on the finish page" quiet ui wait-control "$TITLE" 12325 30000
ui click "$TITLE" 12325 >/dev/null
gui_wait_exit 60
expect "no setup started after the cancel" [ "$(setup_runs)" = 0 ]

exit $fail
