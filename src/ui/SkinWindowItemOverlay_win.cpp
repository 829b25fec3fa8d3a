#include <algorithm>

#include "ui/Skin.h"
#include "ui/SkinItemText.h"
#include "ui/SkinWindowItemOverlay.h"
#include "ui/SkinWindowItemResizableStaticImage.h"

namespace ui {

CSkinWindowItemOverlay::CSkinWindowItemOverlay(ISkinWindowItemAccessor& accessor, int id,
                                               const SkinItem& item)
    : CSkinWindowItem(accessor, id) {
    static const PropertySpec kSpec[] = {{"Image", "siiiiiiii"}};
    CheckProperties(item, kSpec, 1);
    m_file = item.properties.at("Image")[0];
    m_slice = ReadNineSlice(item.properties.at("Image"), 1);
    m_alpha = std::clamp(ReadInteger(item, "Alpha", 255), 0, 255);
    m_coversWindow = true;
    accessor.GetImageCache(m_file);
}

void CSkinWindowItemOverlay::Draw() {
    lib::wfc::CDIB* back = Accessor().GetBackBuffer();
    if (!back) return;
    // Follows the window's size: the frame always lies along its edges. It is
    // cut once per size; a redraw of a small part only lays that part again.
    m_x = m_y = 0;
    m_width = back->Width();
    m_height = back->Height();
    if (m_frame.Width() != m_width || m_frame.Height() != m_height) {
        m_frame.Create(m_width, m_height);
        m_frame.Fill(RECT{0, 0, m_width, m_height}, lib::wfc::kKeyColor);
        lib::wfc::DrawNineSlice(m_frame, RECT{0, 0, m_width, m_height}, nullptr,
                                Accessor().GetImageCache(m_file), m_slice, 255, lib::wfc::kNoKey);
    }
    const RECT clip = Accessor().GetRedrawClip();
    back->Compose(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, m_frame,
                  clip.left, clip.top, m_alpha, static_cast<long>(lib::wfc::kKeyColor));
}

}  // namespace ui
