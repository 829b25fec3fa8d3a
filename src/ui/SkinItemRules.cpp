#include "ui/SkinItemRules.h"

#include <algorithm>

namespace ui {

uint32_t DisabledTextColor(uint32_t color) {
    const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    const uint32_t grey = (g * 600 + b * 117 + r * 306) >> 10;
    const uint32_t light = std::min<uint32_t>(grey + 40 * 255 / 100, 255);
    return light | (light << 8) | (light << 16);
}

std::vector<int> DecimalDigits(uint32_t value) {
    std::vector<int> digits;
    do {
        digits.insert(digits.begin(), static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

int AnimationFrame(uint32_t now, uint32_t start, int frameTime, int count, int startFrame) {
    if (count <= 0) return 0;
    const uint32_t step = frameTime > 0 ? (now - start) / static_cast<uint32_t>(frameTime) : 0;
    const uint32_t n = static_cast<uint32_t>(count);
    return static_cast<int>((step % n + static_cast<uint32_t>(startFrame)) % n);
}

std::vector<TilePiece> TileSpan(int srcStart, int srcLength, int dstStart, int dstLength) {
    std::vector<TilePiece> pieces;
    if (srcLength <= 0) return pieces;
    for (int done = 0; done < dstLength; done += srcLength)
        pieces.push_back({srcStart, dstStart + done, std::min(srcLength, dstLength - done)});
    return pieces;
}

std::string ExpandLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 4, "\\r\\n") == 0) {
            out += "\r\n";
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

int ScrollGeometry::ThumbLength() const {
    const int track = TrackLength();
    int thumb = thumbMin;
    if (page > 0 && maxPosition >= 0) {
        const long long total = static_cast<long long>(maxPosition) + page;
        thumb =
            std::max<int>(thumb, static_cast<int>(track * static_cast<long long>(page) / total));
    }
    return std::min(thumb, track);
}

int ScrollGeometry::ThumbStart() const {
    const int room = TrackLength() - ThumbLength();
    if (maxPosition <= 0 || room <= 0) return TrackStart();
    const int pos = std::clamp(position, 0, maxPosition);
    return TrackStart() + static_cast<int>(static_cast<long long>(room) * pos / maxPosition);
}

int ScrollGeometry::PartAt(int offset) const {
    if (offset < 0 || offset >= length) return kScrollNone;
    if (offset < button) return kScrollUp;
    if (offset >= length - button) return kScrollDown;
    const int thumb = ThumbStart();
    if (offset < thumb) return kScrollTrackBefore;
    if (offset < thumb + ThumbLength()) return kScrollThumb;
    return kScrollTrackAfter;
}

int ScrollGeometry::DragPosition(int startPosition, int distance) const {
    const int room = TrackLength() - ThumbLength();
    if (room <= 0 || maxPosition <= 0) return startPosition;
    const long long moved = static_cast<long long>(distance) * maxPosition / room;
    return static_cast<int>(std::clamp<long long>(startPosition + moved, 0, maxPosition));
}

}  // namespace ui
