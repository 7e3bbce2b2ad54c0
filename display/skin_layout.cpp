// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_layout.h"

#include <QtGlobal>

#include <cstring>

namespace {

constexpr QRgb kEntryBoxColour = qRgb(75, 198, 250);
constexpr QRgb kGlyphColour = qRgb(0, 0, 0);
constexpr QRgb kShadowColour = qRgb(3, 94, 133);

using K = SkinKind;

const std::vector<SkinElement> kLayout = {
    // name        parent      kind               left top  w    h     picture                  tooltip
    {"Background", nullptr,    K::WindowPicture, {0,   0,   276, 139}, "background.png",        nullptr, 0, nullptr},
    {"Image7",     nullptr,    K::Button,        {4,   4,   16,  16},  "button_exit.png",       "終了", 0, nullptr},
    {"Image6",     nullptr,    K::Button,        {4,   24,  16,  16},  "button_minimize.png",   "最小化", 0, nullptr},
    {"Label1",     nullptr,    K::DragArea,      {4,   40,  17,  97},  nullptr,                 nullptr, 0, nullptr},
    {"PicD",       nullptr,    K::Surface,       {28,  5,   178, 105}, "panel_disc.png",        nullptr, 0, nullptr},
    {"PicDH",      nullptr,    K::Surface,       {28,  5,   178, 105}, "panel_idle.png",        nullptr, 0, nullptr},
    {"Image1",     nullptr,    K::Button,        {211, 8,   56,  17},  "button_repeat.png",     "リピート", 0, nullptr},
    {"Image2",     nullptr,    K::Button,        {211, 28,  56,  17},  "button_mute.png",       "消音", 0, nullptr},
    {"Picture1",   nullptr,    K::Button,        {211, 48,  56,  17},  "button_program.png",    "プログラム", 0, nullptr},
    {"Image5",     nullptr,    K::Button,        {211, 68,  56,  17},  "button_cancel.png",     "予約解除", 0, nullptr},
    {"Image3",     nullptr,    K::Button,        {211, 88,  56,  17},  "button_info.png",       "製品情報", 0, nullptr},
    {"ContP(0)",   nullptr,    K::Button,        {25,  113, 21,  21},  "transport_prev.png",    "トラックの先頭／前のトラック", 0, nullptr},
    {"ContP(6)",   nullptr,    K::Button,        {49,  113, 21,  21},  "transport_back10.png",  "10秒巻戻し", 0, nullptr},
    {"ContP(7)",   nullptr,    K::Button,        {73,  113, 21,  21},  "transport_back5.png",   "5秒巻戻し", 0, nullptr},
    {"ContP(8)",   nullptr,    K::Button,        {97,  113, 21,  21},  "transport_fwd5.png",    "5秒早送り", 0, nullptr},
    {"ContP(9)",   nullptr,    K::Button,        {121, 113, 21,  21},  "transport_fwd10.png",   "10秒早送り", 0, nullptr},
    {"ContP(1)",   nullptr,    K::Button,        {145, 113, 21,  21},  "transport_next.png",    "次のトラック", 0, nullptr},
    {"ContP(2)",   nullptr,    K::Button,        {169, 113, 30,  21},  "transport_play.png",    "再生", 0, nullptr},
    {"ContP(3)",   nullptr,    K::Button,        {202, 113, 21,  21},  "transport_pause.png",   "一時停止", 0, nullptr},
    {"ContP(4)",   nullptr,    K::Button,        {226, 113, 21,  21},  "transport_stop.png",    "停止", 0, nullptr},
    {"ContP(5)",   nullptr,    K::Button,        {250, 113, 21,  21},  "transport_eject.png",   "取り出し", 0, nullptr},

    // The digits and the track-entry box lie on the disc panel.
    {"DspT",       "PicD",     K::Surface,       {16,  20,  155, 30},  nullptr, nullptr, kEntryBoxColour, nullptr},
    {"Picture2",   "PicD",     K::Box,           {83,  83,  27,  15},  nullptr, nullptr, kEntryBoxColour, nullptr},

    // Each entry text is shown twice, the second one pixel lower right as its shadow.
    {"PluN(1)",    "Picture2", K::Label,         {1,   1,   6,   12},  nullptr, nullptr, kShadowColour, "+"},
    {"PluN(0)",    "Picture2", K::Label,         {0,   0,   6,   12},  nullptr, nullptr, kGlyphColour, "+"},
    {"ContTr(1)",  "Picture2", K::Label,         {9,   1,   22,  10},  nullptr, nullptr, kShadowColour, "99"},
    {"ContTr(0)",  "Picture2", K::Label,         {8,   0,   22,  10},  nullptr, nullptr, kGlyphColour, "99"},
};

}  // namespace

const std::vector<SkinElement> &skinLayout()
{
    return kLayout;
}

const SkinElement &skinElement(const char *name)
{
    for (const SkinElement &element : kLayout) {
        if (std::strcmp(element.name, name) == 0)
            return element;
    }
    qFatal("skin layout has no element %s", name);
}
