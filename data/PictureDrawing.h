// The drawing both picture kinds share: conversion to the screen's depth, the
// displayed size from the zoom settings, and the stretched, optionally
// flipped copy onto the surface.
#pragma once

#include <cstdint>
#include <vector>

#include "data/CData.h"
#include "data/DrawSurface.h"
#include "data/PictureTypes.h"

namespace brelko {

// The zoom level as drawn: the factor 2^level stays between 1/16 and 4096
// (CData::kMinZoomLevel, kMaxZoomLevel) whatever the level was set to.
int ClampZoomLevel(int level);

// The displayed size: the client size when fitting to the window; otherwise
// the picture size times 2^level (at least one pixel), the height following
// from the width as naturalNum/naturalDen under natural scale.
PictureSize ComputeDisplayedSize(int width, int height, int zoomLevel, bool naturalScale, bool fitToWindow,
                                 PictureSize clientSize, int naturalNum, int naturalDen);

// A picture as the drawing needs it. 8-bit pixels are taken through the
// colour table, 16-bit pixels are 15-bit values.
struct PictureImage {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 8 or 16
    const std::uint8_t* pixels8 = nullptr;
    const RgbQuad* colorTable = nullptr;
    const std::uint16_t* pixels16 = nullptr;
    const LogicalPalette* palette = nullptr;  // null: none selected
    bool flipVertical = false;                // memory rows run bottom-up
    int naturalNum = 2;                       // natural scale: height = width * num / den
    int naturalDen = 3;
};

// Draws the picture at the zoom settings of `state` and returns the displayed
// size. The 8-bit-screen index cache is filled on first use and kept.
PictureSize DrawPicture(DrawSurface& surface, const PictureImage& image, const CData& state,
                        std::vector<std::uint8_t>& indexCache);

}  // namespace brelko
