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
    accessor.RequireImage(m_file);
}

void CSkinWindowItemOverlay::SetAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == m_alpha) return;
    m_alpha = alpha;
    // Only the blend changes: the frame's picture is kept, the window is
    // composed again over its whole size.
    if (!Accessor().IsReady()) return;
    if (const lib::wfc::CDIB* back = Accessor().GetBackBuffer())
        Accessor().RedrawRect(0, 0, back->Width(), back->Height(), true);
}

void CSkinWindowItemOverlay::Draw() {
    const lib::wfc::CDIB* back = Accessor().GetBackBuffer();
    // A blend at alpha 0 would still round some pixels down by one.
    if (!back || m_alpha == 0) return;
    // Follows the window's size: the frame always lies along its edges. It is
    // cut again only when that size changes.
    m_x = m_y = 0;
    m_width = back->Width();
    m_height = back->Height();
    if (lib::wfc::CDIB* picture = BeginCompose())
        lib::wfc::DrawNineSlice(*picture, RECT{0, 0, m_width, m_height}, nullptr,
                                Accessor().GetImageCache(m_file), m_slice, 255, lib::wfc::kNoKey);
    EndCompose(m_alpha);
}

void CSkinWindowItemOverlay::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    Convert(m_slice, oldDpi);
}

}  // namespace ui
