// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QRgb>

#include <vector>

// What an entry of the layout becomes on the window.
enum class SkinKind {
    WindowPicture,  // the window's own background picture, lowest of all
    Button,         // a picture that reacts to the mouse
    DragArea,       // transparent, moves the borderless window
    Surface,        // drawn on by copies from the strips
    Box,            // a plain filled container
    Label,          // transparent text
};

// One element of the main window. Coordinates are relative to the parent's
// inner area; a control array member carries its index in the name.
struct SkinElement {
    const char *name;
    const char *parent;    // nullptr: the window itself
    SkinKind kind;
    QRect rect;
    const char *picture;   // file of the skin, nullptr: none
    const char *toolTip;   // UTF-8, nullptr: none
    QRgb colour;           // Surface/Box: fill without picture; Label: text
    const char *caption;   // Label: design-time text
};

// Every element of the main window, parents before their children and in
// stacking order (later entries lie above earlier siblings).
const std::vector<SkinElement> &skinLayout();

// The entry of that name; aborts on a name the layout does not know.
const SkinElement &skinElement(const char *name);

inline constexpr QSize MainWindowSize{276, 139};

// The places on the disc panel `discPanel` the indicators are copied to.
namespace DiscPanelArea {
inline constexpr QPoint ModeStrip{8, 67};
inline constexpr QPoint TurningDisc{8, 82};
inline constexpr QPoint TransportIcon{29, 84};
inline constexpr QPoint PauseIcon{30, 84};
inline constexpr QPoint Speaker{48, 84};
inline constexpr QPoint SpeakerMuted{50, 84};
inline constexpr QPoint KeyboardLamp{110, 84};
}  // namespace DiscPanelArea

// The three hidden strips' pictures.
namespace StripPicture {
inline constexpr const char *digitStrip = "strip_digits.png";
inline constexpr const char *iconStrip = "strip_icons.png";
inline constexpr const char *modeStrip = "strip_modes.png";
}  // namespace StripPicture
