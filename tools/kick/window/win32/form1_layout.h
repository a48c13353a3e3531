// Where Prodwell's Win32 window puts its controls, in twips (1440 to the inch),
// and its client size; the tests check the pixels against these.
#pragma once

#include "window/win32/form1_ids.h"

namespace vendral::kick::win32 {

struct TwipRect {
    int Id;
    int Left;
    int Top;
    int Width;
    int Height;
};

constexpr int kForm1ClientWidth = 6360;
constexpr int kForm1ClientHeight = 2760;

constexpr TwipRect kForm1Layout[] = {
    {kLabel1Id, 240, 270, 1200, 255},       {kTxtAssociateId, 1500, 210, 1335, 330},
    {kLabel4Id, 1500, 600, 4740, 255},      {kLabel2Id, 240, 990, 1200, 255},
    {kTxtKickDateId, 1500, 930, 1335, 330}, {kCheck1Id, 1500, 1380, 2055, 285},
    {kCommand1Id, 1500, 1800, 2175, 405},   {kLabel3Id, 1500, 2340, 2175, 255},
};

// Twips to pixels at the screen's pixels per inch (15 twips a pixel at 96).
constexpr int TwipsToPixels(int twips, int pixelsPerInch) {
    return (twips * pixelsPerInch + 720) / 1440;
}

}  // namespace vendral::kick::win32
