// FrmODBCSettings as designed: every control with its kind, caption and place
// in twips (controls inside the frame relative to it), the tab order, the
// colours and the window heights. Both faces draw the dialog from this table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vendral::internal {

enum class DialogControlKind { Picture, Button, Label, Combo, Text, Password };

struct DialogControlDesign {
    const char* Name;
    DialogControlKind Kind;
    const char* Caption;
    int Left, Top, Width, Height;
    bool InFrame;
    bool Visible;
};

inline constexpr std::array kSettingsDialogDesign{
    DialogControlDesign{"Image2", DialogControlKind::Picture, "", 4920, 120, 1275, 1110, false,
                        true},
    DialogControlDesign{"BtnTest", DialogControlKind::Button, "&Test", 5040, 1320, 1040, 280, false,
                        true},
    DialogControlDesign{"BtnSave", DialogControlKind::Button, "&Save", 5040, 1680, 1040, 280, false,
                        true},
    DialogControlDesign{"BtnCancel", DialogControlKind::Button, "&Cancel", 5040, 2040, 1040, 280,
                        false, true},
    DialogControlDesign{"BtnHelp", DialogControlKind::Button, "&Help", 5040, 4800, 1040, 280, false,
                        false},
    DialogControlDesign{"LblVersion", DialogControlKind::Label, "", 4920, 2400, 1455, 255, false,
                        false},
    DialogControlDesign{"Label3", DialogControlKind::Label,
                        "Changes take effect at the next start.", 120, 5520, 2655, 255, false,
                        false},
    DialogControlDesign{"Label1(0)", DialogControlKind::Label, "First ODBC Connection", 120, 240,
                        2535, 255, true, true},
    DialogControlDesign{"Label1(6)", DialogControlKind::Label, "Database Prefix", 3120, 240, 1455,
                        255, true, true},
    DialogControlDesign{"CBCentralDSN", DialogControlKind::Combo, "", 120, 480, 2535, 315, true,
                        true},
    DialogControlDesign{"TxtPrefixNetwork", DialogControlKind::Text, "", 3120, 480, 1335, 285, true,
                        true},
    DialogControlDesign{"Label1(1)", DialogControlKind::Label, "ODBC entry driver", 120, 840, 3975,
                        255, true, false},
    DialogControlDesign{"CBCentralType", DialogControlKind::Combo, "", 120, 1080, 4335, 315, true,
                        false},
    DialogControlDesign{"Label1(2)", DialogControlKind::Label, "UserID:", 120, 1440, 735, 255, true,
                        true},
    DialogControlDesign{"Label1(3)", DialogControlKind::Label, "Password:", 2520, 1440, 1935, 255,
                        true, true},
    DialogControlDesign{"TxtCentralUID", DialogControlKind::Text, "", 120, 1680, 1935, 285, true,
                        true},
    DialogControlDesign{"TxtCentralPWD", DialogControlKind::Password, "", 2520, 1680, 1935, 285,
                        true, true},
    DialogControlDesign{"Label1(4)", DialogControlKind::Label, "Servername:", 120, 2040, 1575, 255,
                        true, true},
    DialogControlDesign{"Label1(5)", DialogControlKind::Label, "Databasename:", 2520, 2040, 1335,
                        255, true, true},
    DialogControlDesign{"TxtCentralServer", DialogControlKind::Text, "", 120, 2280, 1935, 285, true,
                        true},
    DialogControlDesign{"TxtCentralDatabase", DialogControlKind::Text, "", 2520, 2280, 1935, 285,
                        true, true},
    DialogControlDesign{"Label2(0)", DialogControlKind::Label, "Second ODBC Entry", 120, 2640, 2895,
                        255, true, true},
    DialogControlDesign{"Label1(7)", DialogControlKind::Label, "Database Prefix", 3120, 2640, 1455,
                        255, true, true},
    DialogControlDesign{"CBLocalDSN", DialogControlKind::Combo, "", 120, 2880, 2535, 315, true,
                        false},
    DialogControlDesign{"TxtPrefixLocal", DialogControlKind::Text, "", 3120, 2880, 1335, 285, true,
                        true},
    DialogControlDesign{"Label2(1)", DialogControlKind::Label, "ODBC entry driver", 120, 3240, 3975,
                        255, true, false},
    DialogControlDesign{"CBLocalType", DialogControlKind::Combo, "", 120, 3480, 4335, 315, true,
                        false},
    DialogControlDesign{"Label2(2)", DialogControlKind::Label, "UserID:", 120, 3960, 735, 255, true,
                        true},
    DialogControlDesign{"Label2(3)", DialogControlKind::Label, "Password:", 2520, 3960, 1095, 255,
                        true, true},
    DialogControlDesign{"TxtLocalUID", DialogControlKind::Text, "", 120, 4200, 1935, 285, true,
                        true},
    DialogControlDesign{"TxtLocalPWD", DialogControlKind::Password, "", 2400, 4200, 1935, 285, true,
                        true},
    DialogControlDesign{"Label2(4)", DialogControlKind::Label, "Servername:", 120, 4560, 1575, 255,
                        true, true},
    DialogControlDesign{"Label2(5)", DialogControlKind::Label, "Databasename:", 2520, 4560, 1815,
                        255, true, true},
    DialogControlDesign{"TxtLocalServer", DialogControlKind::Text, "", 120, 4800, 1935, 285, true,
                        true},
    DialogControlDesign{"TxtLocalDatabase", DialogControlKind::Text, "", 2400, 4800, 1935, 285,
                        true, true},
};

// The controls that take the focus, in the order Tab moves through them.
inline constexpr std::array kSettingsDialogTabOrder{
    "CBCentralDSN",   "CBCentralType",    "TxtCentralUID",
    "TxtCentralPWD",  "TxtCentralServer", "TxtCentralDatabase",
    "CBLocalDSN",     "CBLocalType",      "BtnCancel",
    "BtnSave",        "BtnTest",          "TxtPrefixNetwork",
    "TxtPrefixLocal", "BtnHelp",          "TxtLocalUID",
    "TxtLocalPWD",    "TxtLocalDatabase", "TxtLocalServer"};

// The items of the two (never shown) driver type lists.
inline constexpr std::array kSettingsDialogDriverTypes{"Microsoft Acces", "Sybase SQL Anywhere",
                                                       "Microsoft SQL Server", "Oracle"};

inline constexpr const char* kSettingsDialogCaption = "ODBC Settings";

// The frame: left, top, width, height in twips; the window's client width.
inline constexpr std::array kSettingsDialogFrame{120, 120, 4695, 5175};
inline constexpr int kSettingsDialogClientWidthTwips = 6300;
// The design's window heights are outer heights: a title bar and borders of
// 390 twips stand above the client area of 5760.
inline constexpr int kSettingsDialogNonClientTwips = 390;
inline constexpr int kSettingsDialogFullWindowTwips = 6150;
inline constexpr int kSettingsDialogFullFrameTwips = 5295;

// Colours as 0x00BBGGRR: the form, the labels' text, the frame's line.
inline constexpr std::uint32_t kSettingsDialogFormColour = 0x00F5EFE8;
inline constexpr std::uint32_t kSettingsDialogLabelColour = 0x00808080;
inline constexpr std::uint32_t kSettingsDialogFrameLineColour = 0x00CCBEB0;
// The form's font: Tahoma 8.25 pt.
inline constexpr const char* kSettingsDialogFontFace = "Tahoma";
inline constexpr double kSettingsDialogFontPoints = 8.25;

// The design entry of a control, nullptr for a name the design does not have.
constexpr const DialogControlDesign* FindDialogControl(std::string_view name) {
    for (const DialogControlDesign& design : kSettingsDialogDesign)
        if (name == design.Name) return &design;
    return nullptr;
}

}  // namespace vendral::internal
