#!/usr/bin/env python3
"""Turns the dialogs and strings of a resource script into a C++ table.

usage: rc_table.py RESOURCE.rc RESOURCE.h OUTPUT.cpp

Reads the subset of the resource language that res/korvane.rc uses: DIALOG and
DIALOGEX blocks with STYLE, EXSTYLE, CAPTION and FONT, the control statements
below, and STRINGTABLE. Anything else in the script is skipped. Ids may be
numbers or names defined in the header or known to the system.
"""
import re
import sys

# The system's style values, as its headers give them.
STYLES = {
    "WS_POPUP": 0x80000000, "WS_CHILD": 0x40000000, "WS_VISIBLE": 0x10000000,
    "WS_CAPTION": 0x00C00000, "WS_BORDER": 0x00800000, "WS_SYSMENU": 0x00080000,
    "WS_GROUP": 0x00020000, "WS_TABSTOP": 0x00010000, "WS_EX_APPWINDOW": 0x00040000,
    "DS_MODALFRAME": 0x80, "DS_SETFONT": 0x40,
    "BS_PUSHBUTTON": 0x0, "BS_DEFPUSHBUTTON": 0x1,
    "ES_LEFT": 0x0, "ES_AUTOHSCROLL": 0x80, "ES_READONLY": 0x800,
    "SS_LEFT": 0x0, "SS_ICON": 0x3, "SS_NOPREFIX": 0x80,
}
SYSTEM_IDS = {"IDOK": 1, "IDCANCEL": 2, "IDC_STATIC": -1}

# statement: (window class, default style, whether a text comes first)
CONTROLS = {
    "DEFPUSHBUTTON": ("Button", STYLES["BS_DEFPUSHBUTTON"] | STYLES["WS_TABSTOP"], True),
    "PUSHBUTTON": ("Button", STYLES["BS_PUSHBUTTON"] | STYLES["WS_TABSTOP"], True),
    "EDITTEXT": ("Edit", STYLES["ES_LEFT"] | STYLES["WS_BORDER"] | STYLES["WS_TABSTOP"], False),
    "LTEXT": ("Static", STYLES["SS_LEFT"] | STYLES["WS_GROUP"], True),
    "ICON": ("Static", STYLES["SS_ICON"], True),
}
CHILD = STYLES["WS_CHILD"] | STYLES["WS_VISIBLE"]


def fail(message):
    sys.exit(f"rc_table.py: {message}")


def read_defines(header_path):
    defines = {}
    with open(header_path, encoding="utf-8") as header:
        for line in header:
            match = re.match(r"\s*#define\s+(\w+)\s+\(?(-?(?:0x[0-9A-Fa-f]+|\d+))\)?", line)
            if match:
                defines[match.group(1)] = int(match.group(2), 0)
    return defines


def tokens(line):
    """Splits a statement's arguments at commas, keeping quoted strings whole."""
    parts = re.findall(r'"(?:[^"]|"")*"|[^,]+', line)
    return [part.strip() for part in parts if part.strip()]


def unquote(text):
    if not (text.startswith('"') and text.endswith('"')):
        fail(f"expected a quoted string: {text}")
    return text[1:-1].replace('""', '"')


class Script:
    def __init__(self, defines):
        self.defines = {**SYSTEM_IDS, **defines}

    def number(self, text):
        text = text.strip()
        if re.fullmatch(r"-?(0x[0-9A-Fa-f]+|\d+)L?", text):
            return int(text.rstrip("L"), 0)
        if text in self.defines:
            return self.defines[text]
        fail(f"unknown id {text}")

    def styles(self, text):
        value = 0
        for name in text.split("|"):
            name = name.strip()
            if name not in STYLES:
                fail(f"unknown style {name}")
            value |= STYLES[name]
        return value


def parse(rc_path, defines):
    script = Script(defines)
    with open(rc_path, encoding="utf-8") as rc:
        lines = [line.split("//")[0].rstrip() for line in rc]
    dialogs, strings = [], []
    i = 0
    while i < len(lines):
        words = lines[i].split()
        if len(words) >= 2 and words[1] in ("DIALOG", "DIALOGEX"):
            dialog = {"id": script.number(words[0]), "extended": words[1] == "DIALOGEX", "caption": "",
                      "style": 0, "exStyle": 0, "font": (8, "MS Sans Serif", 0, False, 1),
                      "rect": [script.number(v) for v in tokens(lines[i].split(None, 2)[2])], "controls": []}
            i += 1
            while lines[i].strip() != "BEGIN":
                key, _, rest = lines[i].strip().partition(" ")
                rest = rest.strip()
                if key == "STYLE":
                    dialog["style"] = script.styles(rest)
                elif key == "EXSTYLE":
                    dialog["exStyle"] = script.styles(rest)
                elif key == "CAPTION":
                    dialog["caption"] = unquote(rest)
                elif key == "FONT":
                    args = tokens(rest)
                    size, face = script.number(args[0]), unquote(args[1])
                    weight = script.number(args[2]) if len(args) > 2 else 0
                    italic = script.number(args[3]) != 0 if len(args) > 3 else False
                    charset = script.number(args[4]) if len(args) > 4 else 1
                    dialog["font"] = (size, face, weight, italic, charset)
                i += 1
            i += 1
            while lines[i].strip() != "END":
                statement, _, rest = lines[i].strip().partition(" ")
                if statement not in CONTROLS:
                    fail(f"unsupported control statement {statement}")
                window_class, style, has_text = CONTROLS[statement]
                args = tokens(rest)
                text, icon = "", 0
                if statement == "ICON":
                    icon = script.number(args.pop(0))
                elif has_text:
                    text = unquote(args.pop(0))
                control_id = script.number(args[0])
                x, y, cx, cy = (script.number(v) for v in args[1:5])
                if len(args) > 5:
                    style |= script.styles(args[5])
                ex_style = script.styles(args[6]) if len(args) > 6 else 0
                dialog["controls"].append((statement, window_class, text, icon, control_id, x, y, cx, cy,
                                           style | CHILD, ex_style))
                i += 1
            dialogs.append(dialog)
        elif lines[i].strip() == "STRINGTABLE":
            i += 2  # STRINGTABLE, BEGIN
            while lines[i].strip() != "END":
                name, _, text = lines[i].strip().partition(" ")
                strings.append((script.number(name), unquote(text.strip())))
                i += 1
        i += 1
    return dialogs, strings


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def emit(dialogs, strings, out_path):
    out = ["// Generated by scripts/rc_table.py from res/korvane.rc: edit the resource script, not this file.",
           '#include "platform/resource_table.h"', "", "#include <algorithm>", "", "namespace {", ""]
    for dialog in dialogs:
        out.append(f"constexpr ControlTemplate kControls{dialog['id']}[] = {{")
        for (statement, window_class, text, icon, control_id, x, y, cx, cy, style, ex_style) in dialog["controls"]:
            out.append(f"    {{{c_string(statement)}, {c_string(window_class)}, {c_string(text)}, {icon}, "
                       f"{control_id}, {x}, {y}, {cx}, {cy}, 0x{style:08X}u, 0x{ex_style:08X}u}},")
        out.append("};")
    out.append("")
    out.append("constexpr DialogTemplate kDialogs[] = {")
    for dialog in dialogs:
        size, face, weight, italic, charset = dialog["font"]
        x, y, cx, cy = dialog["rect"]
        out.append(f"    {{{dialog['id']}, {str(dialog['extended']).lower()}, {c_string(dialog['caption'])}, "
                   f"0x{dialog['style']:08X}u, 0x{dialog['exStyle']:08X}u, {size}, {c_string(face)}, {weight}, "
                   f"{str(italic).lower()}, {charset}, {x}, {y}, {cx}, {cy}, kControls{dialog['id']}}},")
    out.append("};")
    out.append("")
    out.append("constexpr StringResource kStrings[] = {")
    for string_id, text in strings:
        out.append(f"    {{{string_id}, {c_string(text)}}},")
    out.append("};")
    out += ["", "}  // namespace", "",
            "std::span<const DialogTemplate> DialogTemplates() { return kDialogs; }",
            "std::span<const StringResource> StringResources() { return kStrings; }", "",
            "const DialogTemplate* FindDialogTemplate(int id) {",
            "    const auto* found = std::find_if(std::begin(kDialogs), std::end(kDialogs),",
            "                                     [id](const DialogTemplate& d) { return d.id == id; });",
            "    return found == std::end(kDialogs) ? nullptr : found;",
            "}", "",
            "const char* FindStringResource(int id) {",
            "    const auto* found = std::find_if(std::begin(kStrings), std::end(kStrings),",
            "                                     [id](const StringResource& s) { return s.id == id; });",
            "    return found == std::end(kStrings) ? nullptr : found->text;",
            "}", ""]
    with open(out_path, "w", encoding="utf-8") as output:
        output.write("\n".join(out))


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    dialogs, strings = parse(sys.argv[1], read_defines(sys.argv[2]))
    emit(dialogs, strings, sys.argv[3])


if __name__ == "__main__":
    main()
