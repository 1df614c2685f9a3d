#pragma once

// The dialog templates and strings of res/korvane.rc, as data, for backends
// that build their windows themselves. The table is generated from the
// resource script at build time (scripts/rc_table.py), so the script stays the
// one description of the dialogs.
#include <cstdint>
#include <span>

struct ControlTemplate {
    const char*
        statement;  // the resource statement: "DEFPUSHBUTTON", "EDITTEXT", "LTEXT", "ICON", ...
    const char* windowClass;  // "Button", "Edit" or "Static"
    const char* text;         // caption; empty for edit controls and icons
    int iconId;               // for ICON: the icon resource shown, else 0
    int id;                   // control id; -1 for static text
    int x, y, cx, cy;         // dialog units
    std::uint32_t style;      // complete window style, the statement's defaults included
    std::uint32_t exStyle;
};

struct DialogTemplate {
    int id;
    bool extended;  // DIALOGEX
    const char* caption;
    std::uint32_t style;
    std::uint32_t exStyle;
    int pointSize;
    const char* typeface;
    int weight;
    bool italic;
    int charset;
    int x, y, cx, cy;  // dialog units
    std::span<const ControlTemplate> controls;
};

struct StringResource {
    int id;
    const char* text;
};

std::span<const DialogTemplate> DialogTemplates();
std::span<const StringResource> StringResources();

const DialogTemplate* FindDialogTemplate(int id);
const char* FindStringResource(int id);  // nullptr if there is none
