#pragma once
// The arithmetic of the skin items, apart from any window: disabled text
// colour, digits, animation frames, tiling, and the scroll bar's geometry.
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// Grey of the colour (R in the low byte), lightened by 102 per channel.
uint32_t DisabledTextColor(uint32_t color);

// The decimal digits of value, most significant first ("0" for 0).
std::vector<int> DecimalDigits(uint32_t value);

// The frame of an animation of count frames, Time ms each, started at start.
int AnimationFrame(uint32_t now, uint32_t start, int frameTime, int count, int startFrame);

// One piece of a tiled span: copy length pixels from source offset to
// destination offset.
struct TilePiece {
    int source;
    int destination;
    int length;
};
// Fills destination length dstLength by repeating a source piece of
// srcLength pixels, the last piece cut off.
std::vector<TilePiece> TileSpan(int srcStart, int srcLength, int dstStart, int dstLength);

// A backslash-r-backslash-n sequence becomes CR LF.
std::string ExpandLineBreaks(const std::string& text);

// Scroll bar geometry along its axis (pixels from the bar's start).
struct ScrollGeometry {
    int length = 0;       // the whole bar
    int button = 0;       // each end button
    int thumbMin = 0;     // the thumb's own length from the skin
    int maxPosition = 0;  // positions run 0..maxPosition
    int page = 0;         // visible amount (0: fixed thumb)
    int position = 0;

    int TrackStart() const { return button; }
    int TrackLength() const { return length - 2 * button > 0 ? length - 2 * button : 0; }
    int ThumbLength() const;
    int ThumbStart() const;
    // 0 up button, 1 down button, 2 thumb, 4 track before, 5 track after; -1 nowhere.
    int PartAt(int offset) const;
    // The position after dragging the thumb by distance pixels from startPosition.
    int DragPosition(int startPosition, int distance) const;
};

enum ScrollPart : int {
    kScrollUp = 0,
    kScrollDown = 1,
    kScrollThumb = 2,
    kScrollTrackBefore = 4,
    kScrollTrackAfter = 5,
    kScrollNone = -1,
};

}  // namespace ui
