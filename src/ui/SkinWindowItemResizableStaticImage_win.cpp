#include "ui/Skin.h"
#include "ui/SkinWindowItemResizableStaticImage.h"

namespace ui {

lib::wfc::NineSlice ReadNineSlice(const SkinValues& values, size_t first) {
    lib::wfc::NineSlice slice = {};
    for (size_t i = 0; i < 4; ++i) {
        slice.x[i] = values.size() > first + i ? ParseSkinInteger(values[first + i]) : 0;
        slice.y[i] = values.size() > first + 4 + i ? ParseSkinInteger(values[first + 4 + i]) : 0;
    }
    return slice;
}

CSkinWindowItemResizableStaticImage::CSkinWindowItemResizableStaticImage(
    ISkinWindowItemAccessor& accessor, int id, const SkinItem& item)
    : CSkinWindowItem(accessor, id) {
    static const PropertySpec kSpec[] = {
        {"Position", "ii"}, {"Size", "ii"}, {"Image", "siiiiiiii"}};
    CheckProperties(item, kSpec, 3);
    ReadRect(item);
    m_file = item.properties.at("Image")[0];
    m_slice = ReadNineSlice(item.properties.at("Image"), 1);
    m_label.Read(item);
    accessor.RequireImage(m_file);
}

bool CSkinWindowItemResizableStaticImage::OnLButtonDown(int, int) { return false; }

void CSkinWindowItemResizableStaticImage::SetRect(int left, int top, int right, int bottom) {
    RedrawMoved(SetPlace(left, top, right, bottom));
}

void CSkinWindowItemResizableStaticImage::Draw() {
    if (lib::wfc::CDIB* picture = BeginCompose()) {
        lib::wfc::CDIB& canvas = *picture;
        lib::wfc::DrawNineSlice(canvas, RECT{0, 0, m_width, m_height}, nullptr,
                                Accessor().GetImageCache(m_file), m_slice, 255, lib::wfc::kNoKey);
        m_label.Draw(canvas, IsEnabled());
    }
    EndCompose();
}

void CSkinWindowItemResizableStaticImage::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    Convert(m_slice, oldDpi);
    m_label.ConvertScale(oldDpi, Accessor().Dpi());
}

}  // namespace ui
