// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_editor_layout.h"

const QSize ProgramEditorClientTwips(4935, 2700);

const std::vector<ProgramEditorControl> &programEditorControls()
{
    using K = ProgramEditorControl::Kind;
    // The captions hold plain ASCII spaces between their characters.
    static const std::vector<ProgramEditorControl> controls = {
        {"Label1",   K::Label,      {0, 120, 1215, 255},     "ＣＤ総トラック"},
        {"Label3",   K::Label,      {0, 360, 1455, 255},     ""},
        {"Label2",   K::Label,      {3120, 120, 2055, 255},  "プログラム総トラック"},
        {"Label4",   K::CountLabel, {3960, 360, 975, 255},   ""},
        {"List1",    K::List,       {0, 600, 1815, 1980},    ""},
        {"List2",    K::List,       {3120, 600, 1815, 1980}, ""},
        {"Command1", K::Button,     {1920, 720, 1095, 375},  "追 加 >"},
        {"Command2", K::Button,     {1920, 1200, 1095, 375}, "< 削 除"},
        {"Command3", K::Button,     {1920, 1680, 1095, 375}, "全削除"},
        {"Command4", K::Button,     {1920, 120, 1095, 375},  "キャンセル"},
        {"Command5", K::Button,     {1920, 2160, 1095, 375}, "予約開始"},
    };
    return controls;
}
