#include "ui/SkinScale.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace ui {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Keys whose every value is a length or coordinate.
const char* const kScaledKeys[] = {
    "BorderPadding", "BorderWidth",  "BottomPadding",  "ButtonSize",
    "CaptionHeight", "DivPoint",     "Divide",         "DarkImageYPosition",
    "ImageSize",     "Kerning",      "LayoutSize",     "LeftPadding",
    "MinSize",       "Position",     "PushImageShift", "RightPadding",
    "TextIndent",    "TextPosition", "ThumbPart",      "ThumbSize",
    "TopPadding",    "Width",
};

bool IsScaledKey(const std::string& key) {
    for (const char* name : kScaledKeys)
        if (key == name) return true;
    return false;
}

bool EndsWith(const std::string& text, const char* tail) {
    const size_t n = std::strlen(tail);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[text.size() - n + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != tail[i]) return false;
    }
    return true;
}

bool IsPictureName(const std::string& text) {
    return EndsWith(text, ".png") || EndsWith(text, ".png/lang");
}

// Only values written as integers are touched: an empty font value waits for
// the base block's, and text stays text.
bool IsInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

void ScaleValue(std::string& text, int dpi) {
    if (IsInteger(text)) text = std::to_string(ScaleCoordinate(ParseSkinInteger(text), dpi));
}

// A size laid from a position: the far edge mapped, less the mapped origin.
void ScaleSizeFrom(SkinValues& size, const SkinValues* position, int dpi) {
    for (size_t i = 0; i < size.size() && i < 2; ++i) {
        if (!IsInteger(size[i])) continue;
        const int origin = position && i < position->size() && IsInteger((*position)[i])
                               ? ParseSkinInteger((*position)[i])
                               : 0;
        size[i] = std::to_string(ScaleLength(origin, ParseSkinInteger(size[i]), dpi));
    }
}

}  // namespace

void ScaleSkinItem(SkinItem& item, int dpi) {
    if (dpi == kBaseDpi) return;
    auto& props = item.properties;
    // An animation's picture names its first frame and then how many frames
    // lie across and down.
    const bool animation = props.count("Time") != 0;
    // Sizes first, while their positions are still in 96-DPI pixels.
    for (const auto& pair :
         {std::make_pair("Size", "Position"), std::make_pair("TextSize", "TextPosition")}) {
        auto size = props.find(pair.first);
        if (size == props.end()) continue;
        auto position = props.find(pair.second);
        ScaleSizeFrom(size->second, position == props.end() ? nullptr : &position->second, dpi);
    }
    for (auto& property : props) {
        SkinValues& values = property.second;
        const std::string& key = property.first;
        if (key == "Size" || key == "TextSize") continue;
        if (key == "Font" || key == "TextFont") {
            if (values.size() > 1) ScaleValue(values[1], dpi);
        } else if (!values.empty() && IsPictureName(values[0])) {
            const size_t end = animation && key == "Image" ? 3 : values.size();
            for (size_t i = 1; i < end && i < values.size(); ++i) ScaleValue(values[i], dpi);
        } else if (IsScaledKey(key)) {
            for (std::string& value : values) ScaleValue(value, dpi);
        }
    }
}

namespace {

// Tent filter weights of one axis: for each target index, the source indexes
// and their weights (summing to 1).
struct Tap {
    int index;
    float weight;
};
std::vector<std::vector<Tap>> AxisTaps(int sourceLength, int targetLength) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(targetLength));
    const double ratio = static_cast<double>(sourceLength) / targetLength;
    const double radius = std::max(1.0, ratio);
    for (int t = 0; t < targetLength; ++t) {
        const double centre = (t + 0.5) * ratio - 0.5;
        const int first = static_cast<int>(std::floor(centre - radius)) + 1;
        const int last = static_cast<int>(std::ceil(centre + radius)) - 1;
        double sum = 0;
        std::vector<Tap>& list = taps[static_cast<size_t>(t)];
        for (int s = first; s <= last; ++s) {
            const double w = 1.0 - std::fabs(s - centre) / radius;
            if (w <= 0) continue;
            list.push_back({std::clamp(s, 0, sourceLength - 1), static_cast<float>(w)});
            sum += w;
        }
        for (Tap& tap : list) tap.weight = static_cast<float>(tap.weight / sum);
    }
    return taps;
}

}  // namespace

int ScaleCoordinate(int v, int dpi) {
    return ClampToInt(FloorDiv(static_cast<int64_t>(v) * dpi * 2 + kBaseDpi, 2 * kBaseDpi));
}

int UnscaleCoordinate(int v, int dpi) {
    if (dpi <= 0) return v;
    return ClampToInt(FloorDiv(static_cast<int64_t>(v) * 2 * kBaseDpi + dpi, 2 * int64_t{dpi}));
}

int ConvertCoordinate(int v, int fromDpi, int toDpi) {
    if (fromDpi == toDpi) return v;
    return ScaleCoordinate(UnscaleCoordinate(v, fromDpi), toDpi);
}

SkinRect ScaleEdges(const SkinRect& rect, int dpi) {
    return SkinRect{ScaleCoordinate(rect.left, dpi), ScaleCoordinate(rect.top, dpi),
                    ScaleCoordinate(rect.right, dpi), ScaleCoordinate(rect.bottom, dpi)};
}

int ScaleLength(int origin, int length, int dpi) {
    const int64_t end = static_cast<int64_t>(origin) + length;
    return ScaleCoordinate(ClampToInt(end), dpi) - ScaleCoordinate(origin, dpi);
}

int SheetDpiFor(int dpi) {
    for (int sheet : kSheetDpis)
        if (dpi <= sheet) return sheet;
    return kSheetDpis[sizeof kSheetDpis / sizeof kSheetDpis[0] - 1];
}

std::string ScaledSheetName(const std::string& name, int sheetDpi) {
    if (sheetDpi == kBaseDpi) return name;
    const char* suffix = sheetDpi == 144 ? "@1.5x" : sheetDpi == 192 ? "@2x" : nullptr;
    if (!suffix) return name;
    const size_t lang = EndsWith(name, "/lang") ? 5 : 0;
    const size_t dot = name.rfind('.', name.size() - lang);
    if (dot == std::string::npos) return name;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

void ScaleSkin(SkinData& skin, int dpi) {
    if (dpi == kBaseDpi) return;
    for (auto& entry : skin) ScaleSkinItem(entry.second, dpi);
}

void ResampleKeyed(const PixelPlane& source, const PixelPlane& target) {
    if (source.width <= 0 || source.height <= 0 || target.width <= 0 || target.height <= 0) return;
    const auto columns = AxisTaps(source.width, target.width);
    const auto rows = AxisTaps(source.height, target.height);
    // Premultiplied: blue, green, red weighted by coverage, then coverage.
    const size_t tw = static_cast<size_t>(target.width);
    std::vector<float> across(tw * static_cast<size_t>(source.height) * 4);
    for (int y = 0; y < source.height; ++y) {
        const uint8_t* row = source.Row(y);
        float* out = &across[static_cast<size_t>(y) * tw * 4];
        for (size_t x = 0; x < tw; ++x, out += 4) {
            for (const Tap& tap : columns[x]) {
                const uint8_t* p = row + tap.index * 3;
                if (p[0] == 255 && p[1] == 0 && p[2] == 255) continue;
                out[0] += tap.weight * p[0];
                out[1] += tap.weight * p[1];
                out[2] += tap.weight * p[2];
                out[3] += tap.weight;
            }
        }
    }
    for (int y = 0; y < target.height; ++y) {
        uint8_t* row = target.Row(y);
        for (size_t x = 0; x < tw; ++x) {
            float sum[4] = {};
            for (const Tap& tap : rows[static_cast<size_t>(y)]) {
                const float* in = &across[(static_cast<size_t>(tap.index) * tw + x) * 4];
                for (int k = 0; k < 4; ++k) sum[k] += tap.weight * in[k];
            }
            uint8_t* p = row + x * 3;
            if (sum[3] < 0.5f) {
                p[0] = 255;
                p[1] = 0;
                p[2] = 255;
                continue;
            }
            for (int k = 0; k < 3; ++k)
                p[k] = static_cast<uint8_t>(std::clamp(sum[k] / sum[3] + 0.5f, 0.0f, 255.0f));
            // An opaque pixel never turns into the key by rounding.
            if (p[0] == 255 && p[1] == 0 && p[2] == 255) p[0] = 254;
        }
    }
}

}  // namespace ui
