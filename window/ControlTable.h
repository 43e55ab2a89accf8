#pragma once

#include "window/Palette.h"
#include "window/Twips.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kelvanter {

// What each toolkit has to make of a control.
enum class ControlKind {
    TextBox,
    PictureButton,
    CaptionedPictureButton,
    PictureBox,
    Label,
    OptionButton,
    Shape,
    ListBox,
    PushButton
};

enum class FontFace { SansSerif, FixedPitch };

struct FontSpec {
    FontFace face = FontFace::SansSerif;
    double points = 8.25;
    bool bold = false;
};

// The design's face names; each toolkit adds fallbacks where they are not installed.
inline const char* faceName(FontFace face) {
    return face == FontFace::FixedPitch ? "Courier New" : "MS Sans Serif";
}

inline constexpr std::uint32_t kToolkitColor = 0xFFFFFFFF; // the toolkit's own colour

// One control of a window, as designed: kind, text, place, focus order and looks.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* caption;
    TwipsRect rect;
    int tabIndex; // -1: never takes the focus
    std::uint32_t textColor = kToolkitColor;
    std::uint32_t backColor = kToolkitColor;
    FontSpec font = {};
    const char* toolTip = nullptr;
    bool visible = true;
    bool enabled = true;
    // What a screen reader calls a control that shows only a picture.
    const char* accessibleName = nullptr;
};

struct FormSpec {
    const char* caption;
    int clientWidthTwips;
    int clientHeightTwips;
};

// The main window frmVesk. Labels are sized to their text from these top-left corners; Label1
// lies inside Picture1.
struct MainWindowDesign {
    FormSpec form;
    std::uint32_t backColor;
    ControlSpec Fname, Command1, Command2, Picture1, Label2, Label3, Option1_0, Option1_1, Label1, Command3, Command4,
        Label4, Label5, Label6, Label7, Shape1;
    int shapeBorderPixels;
    int timerIntervalMs;

    // Every control in the order of its tab index; the frame last.
    std::array<const ControlSpec*, 16> controls() const {
        return {&Fname,  &Command1, &Command2, &Picture1, &Label2, &Label3, &Option1_0, &Option1_1,
                &Label1, &Command3, &Command4, &Label4,   &Label5, &Label6, &Label7,    &Shape1};
    }
};

inline constexpr FontSpec kBoldFont{FontFace::SansSerif, 8.25, true};
inline constexpr FontSpec kDestroyFont{FontFace::SansSerif, 9.75, true};

// clang-format off
inline constexpr MainWindowDesign kMainWindow{
    {"Kelvanter", 7110, 3150},
    palette::kBlack,
    //  name         kind                                 caption                              left  top   width height tab text colour          back colour            font          tooltip                          visible enabled screen-reader name
    {"Fname",     ControlKind::TextBox,                "",                                  {240, 720, 5895, 300},  0,  palette::kRed,        palette::kLightYellow},
    {"Command1",  ControlKind::PictureButton,          "",                                  {6240, 720, 615, 325},  1,  kToolkitColor,        kToolkitColor,         {},           "Zu zerstörende Datei öffnen.", true, true,  "Durchsuchen"},
    {"Command2",  ControlKind::CaptionedPictureButton, "Datei zerstören",                   {2160, 1170, 2175, 975}, 2, kToolkitColor,        kToolkitColor,         kDestroyFont, nullptr,                        true, false},
    {"Picture1",  ControlKind::PictureBox,             "",                                  {255, 2640, 6600, 255}, 3,  kToolkitColor,        palette::kDarkGreen,   {},           nullptr,                        true, true,  "Fortschritt"},
    {"Label2",    ControlKind::Label,                  "Zu zerstörende Datei auswählen:",   {240, 480, 2340, 195}, -1,  palette::kDarkYellow},
    {"Label3",    ControlKind::Label,                  "Datei wurde zerstört !",            {260, 2130, 1500, 195}, -1, palette::kRed,        kToolkitColor,         {},           nullptr,                        false},
    {"Option1_0", ControlKind::OptionButton,           "normal",                            {4560, 1320, 1215, 255}, 6, palette::kDarkYellow, palette::kBlack},
    {"Option1_1", ControlKind::OptionButton,           "intensiv",                          {4560, 1800, 1215, 255}, 7, palette::kDarkYellow, palette::kBlack},
    {"Label1",    ControlKind::Label,                  "0 %",                               {3120, 0, 345, 195},   -1,  palette::kWhite,      kToolkitColor,         kBoldFont},
    {"Command3",  ControlKind::PictureButton,          "",                                  {6000, 1320, 855, 735}, 9,  kToolkitColor,        kToolkitColor,         {},           "Info",                         true, true,  "Info"},
    {"Command4",  ControlKind::PictureButton,          "",                                  {240, 1320, 855, 735}, 10,  kToolkitColor,        kToolkitColor,         {},           "Beenden",                      true, true,  "Beenden"},
    {"Label4",    ControlKind::Label,                  "00:00:00",                          {1320, 2400, 630, 195}, -1, palette::kDarkYellow},
    {"Label5",    ControlKind::Label,                  "00:00:00",                          {6120, 2400, 630, 195}, -1, palette::kDarkYellow},
    {"Label6",    ControlKind::Label,                  "Time Elapsed:",                     {240, 2400, 1005, 195}, -1, palette::kDarkYellow},
    {"Label7",    ControlKind::Label,                  "Time Estimated:",                   {4920, 2400, 1125, 195}, -1, palette::kDarkYellow},
    {"Shape1",    ControlKind::Shape,                  "",                                  {120, 240, 6855, 2775}, -1, palette::kDarkYellow, palette::kBlack},
    3,
    1000,
};
// clang-format on

// The info window frmKelvanterInfo; its background is the system's dialog colour.
struct InfoWindowDesign {
    FormSpec form;
    ControlSpec List1, Command1;
};

inline constexpr InfoWindowDesign kInfoWindow{
    {"Kelvanter - Info", 7395, 4800},
    {"List1",
     ControlKind::ListBox,
     "",
     {240, 240, 6855, 3840},
     0,
     palette::kDarkBlue,
     palette::kLightYellow,
     {FontFace::FixedPitch, 8.25, false}},
    {"Command1", ControlKind::PushButton, "Beenden", {2640, 4320, 2295, 375}, 1},
};

// The free-space window frmFreierSpeicher, in the main window's look.
struct FreeSpaceWindowDesign {
    FormSpec form;
    std::uint32_t backColor;
    ControlSpec Label2, Fname, Command1, Label8, Command2, Command5, Picture1, Label1, Label4, Label5, Label6, Label7,
        Shape1;
    int shapeBorderPixels;
    int timerIntervalMs;
};

// clang-format off
inline constexpr FreeSpaceWindowDesign kFreeSpaceWindow{
    {"Kelvanter - Freien Speicher überschreiben", 7110, 3150},
    palette::kBlack,
    {"Label2",   ControlKind::Label,         "Ordner auf dem Laufwerk, dessen freier Speicher überschrieben wird:",     {240, 480, 6600, 195}, -1, palette::kDarkYellow},
    {"Fname",    ControlKind::TextBox,       "",                  {240, 720, 5895, 300},   0, palette::kRed,        palette::kLightYellow},
    {"Command1", ControlKind::PictureButton, "",                  {6240, 720, 615, 325},   1, kToolkitColor,        kToolkitColor, {}, "Ordner wählen.", true, true, "Ordner wählen"},
    {"Label8",   ControlKind::Label,         "",                  {240, 1200, 6600, 195}, -1, palette::kDarkYellow},
    {"Command2", ControlKind::PushButton,    "Überschreiben",     {1440, 1680, 1935, 495}, 2, kToolkitColor,        kToolkitColor, kBoldFont, nullptr, true, false},
    {"Command5", ControlKind::PushButton,    "Abbrechen",         {3735, 1680, 1935, 495}, 3, kToolkitColor,        kToolkitColor, kBoldFont, nullptr, true, false},
    {"Picture1", ControlKind::PictureBox,    "",                  {255, 2640, 6600, 255},  4, kToolkitColor,        palette::kDarkGreen, {}, nullptr, true, true, "Fortschritt"},
    {"Label1",   ControlKind::Label,         "0 %",               {3120, 0, 345, 195},    -1, palette::kWhite,      kToolkitColor, kBoldFont},
    {"Label4",   ControlKind::Label,         "00:00:00",          {1320, 2400, 630, 195}, -1, palette::kDarkYellow},
    {"Label5",   ControlKind::Label,         "00:00:00",          {6120, 2400, 630, 195}, -1, palette::kDarkYellow},
    {"Label6",   ControlKind::Label,         "Time Elapsed:",     {240, 2400, 1005, 195}, -1, palette::kDarkYellow},
    {"Label7",   ControlKind::Label,         "Time Estimated:",   {4920, 2400, 1125, 195}, -1, palette::kDarkYellow},
    {"Shape1",   ControlKind::Shape,         "",                  {120, 240, 6855, 2775}, -1, palette::kDarkYellow, palette::kBlack},
    3,
    1000,
};
// clang-format on

// The bar, its percent and the two times with their timer, alike in every window that shows a run.
struct ProgressRowDesign {
    const ControlSpec& Picture1;
    const ControlSpec& Label1;
    const ControlSpec& Label4;
    const ControlSpec& Label5;
    const ControlSpec& Label6;
    const ControlSpec& Label7;
    int timerIntervalMs;
};

template <typename Design> ProgressRowDesign progressRowOf(const Design& design) {
    return {design.Picture1, design.Label1, design.Label4,         design.Label5,
            design.Label6,   design.Label7, design.timerIntervalMs};
}

// The controls that take the focus, in the order the Tab key visits them.
std::vector<const ControlSpec*> tabOrder(const MainWindowDesign& design);

} // namespace kelvanter
