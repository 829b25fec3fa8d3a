#include <algorithm>

#include "ui/Skin.h"
#include "ui/SkinItemRules.h"
#include "ui/SkinWindowItemAnimation.h"
#include "wfc/DIB.h"

namespace ui {

CSkinWindowItemAnimation::CSkinWindowItemAnimation(ISkinWindowItemAccessor& accessor, int id,
                                                   const SkinItem& item)
    : CSkinWindowItem(accessor, id) {
    static const PropertySpec kSpec[] = {
        {"Position", "ii"}, {"Size", "ii"}, {"Image", "siiii"}, {"Time", "i"}};
    CheckProperties(item, kSpec, 4);
    ReadRect(item);
    const SkinValues& image = item.properties.at("Image");
    m_file = image[0];
    m_x0 = ParseSkinInteger(image[1]);
    m_y0 = ParseSkinInteger(image[2]);
    m_columns = std::max(1, ParseSkinInteger(image[3]));
    m_rows = std::max(1, ParseSkinInteger(image[4]));
    m_time = ParseSkinInteger(item.properties.at("Time")[0]);
    m_label.Read(item);
    accessor.RequireImage(m_file);
}

bool CSkinWindowItemAnimation::OnLButtonDown(int, int) {
    if (IsEnabled()) Notify(kItemPictureDown);
    return false;
}

void CSkinWindowItemAnimation::Start(int startFrame) {
    m_running = true;
    m_started = false;
    m_startFrame = startFrame;
}

void CSkinWindowItemAnimation::Stop() { m_running = false; }

void CSkinWindowItemAnimation::SetFrame(int frame) {
    if (frame == m_frame) return;
    m_frame = frame;
    Redraw();
}

void CSkinWindowItemAnimation::OnTick(DWORD tickCount) {
    if (!m_running) return;
    if (!m_started) {
        m_started = true;
        m_start = tickCount;
    }
    SetFrame(AnimationFrame(tickCount, m_start, m_time, m_columns * m_rows, m_startFrame));
}

void CSkinWindowItemAnimation::Draw() {
    if (lib::wfc::CDIB* picture = BeginCompose()) {
        lib::wfc::CDIB& canvas = *picture;
        const int frame = m_frame % (m_columns * m_rows);
        canvas.KeyCopy(0, 0, m_width, m_height, Accessor().GetImageCache(m_file),
                       m_x0 + (frame % m_columns) * m_width, m_y0 + (frame / m_columns) * m_height);
        m_label.Draw(canvas, IsEnabled());
    }
    EndCompose();
}

void CSkinWindowItemAnimation::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    m_x0 = Converted(m_x0, oldDpi);
    m_y0 = Converted(m_y0, oldDpi);
    m_label.ConvertScale(oldDpi, Accessor().Dpi());
}

}  // namespace ui
