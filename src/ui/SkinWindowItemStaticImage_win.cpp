#include "ui/Skin.h"
#include "ui/SkinItemRules.h"
#include "ui/SkinWindowItemStaticImage.h"
#include "wfc/DIB.h"

namespace ui {

CSkinWindowItemStaticImage::CSkinWindowItemStaticImage(ISkinWindowItemAccessor& accessor, int id,
                                                       const SkinItem& item)
    : CSkinWindowItem(accessor, id) {
    static const PropertySpec kSpec[] = {{"Position", "ii"}, {"Size", "ii"}, {"Image", "siiii"}};
    CheckProperties(item, kSpec, 3);
    ReadRect(item);
    const SkinValues& image = item.properties.at("Image");
    m_file = image[0];
    const SkinRect r = ToRect(image, 1);
    m_source = RECT{r.left, r.top, r.right, r.bottom};
    m_toolTip = ReadText(item, "ToolTipText");
    if (HasProperty(item, "Tile")) {
        const std::string tile = ReadText(item, "Tile");
        m_tile = !tile.empty() && tile != "0";
    }
    m_label.Read(item);
    accessor.RequireImage(m_file);
}

bool CSkinWindowItemStaticImage::OnLButtonDown(int, int) {
    if (IsEnabled()) Notify(kItemPictureDown);
    return false;
}

// A picture reports its double click (a window's icon closes it); one its
// window does not take is a press.
bool CSkinWindowItemStaticImage::OnLButtonDblClk(int x, int y) {
    if (IsEnabled() && Notify(kItemDoubleClick)) return false;
    return OnLButtonDown(x, y);
}

void CSkinWindowItemStaticImage::SetLabel(const std::string& text) {
    const bool changed = text != m_label.Text();
    m_label.SetText(text);
    Redraw();
    if (changed) Announce(SkinItemChange::kName);
}

SkinRole CSkinWindowItemStaticImage::AccessibleRole() const {
    if (!m_label.Text().empty()) return SkinRole::kStaticText;
    return GetAccessibleName().empty() ? SkinRole::kNone : SkinRole::kGraphic;
}

void CSkinWindowItemStaticImage::Draw() {
    if (lib::wfc::CDIB* picture = BeginCompose()) {
        lib::wfc::CDIB& canvas = *picture;
        const lib::wfc::CDIB& image = Accessor().GetImageCache(m_file);
        const int w = m_source.right - m_source.left, h = m_source.bottom - m_source.top;
        if (m_tile) {
            for (const TilePiece& row : TileSpan(m_source.top, h, 0, m_height))
                for (const TilePiece& col : TileSpan(m_source.left, w, 0, m_width))
                    canvas.KeyCopy(col.destination, row.destination, col.length, row.length, image,
                                   col.source, row.source);
        } else {
            canvas.KeyCopy(0, 0, w, h, image, m_source.left, m_source.top);
        }
        m_label.Draw(canvas, IsEnabled());
    }
    EndCompose();
}

void CSkinWindowItemStaticImage::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    Convert(m_source, oldDpi);
    m_label.ConvertScale(oldDpi, Accessor().Dpi());
}

}  // namespace ui
