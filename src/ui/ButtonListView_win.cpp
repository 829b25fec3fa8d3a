#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "common/CodePage.h"
#include "ui/ButtonListView.h"
#include "ui/Skin.h"
#include "ui/SkinRequiredKeys.h"
#include "ui/SkinScale.h"
#include "ui/SkinWindowItemScrollBar.h"

namespace ui {

namespace {

int Int(const SkinValues& values, size_t index) { return ParseSkinInteger(values[index]); }

const SkinValues& Checked(const SkinItem& item, const std::string& key, const char* types) {
    const PropertySpec spec = {key.c_str(), types};
    CheckProperties(item, &spec, 1);
    return item.properties.at(key);
}

bool Same(const ListHit& a, const ListHit& b) {
    return a.part == b.part && a.row == b.row && a.column == b.column;
}

}  // namespace

CButtonListView::CButtonListView(ISkinWindowItemAccessor& accessor, int id, const SkinItem& item,
                                 CSkinWindowItemScrollBar* scrollBar,
                                 CButtonListViewListener* listener)
    : CSkinWindowItem(accessor, id), m_scrollBar(scrollBar), m_listener(listener) {
    CheckProperties(item, kListViewSpec, SpecCount(kListViewSpec));
    ReadRect(item);
    const auto& p = item.properties;
    m_font.Create(ToLogFont(p.at("Font")));
    auto picture = [&](const SkinValues& v) {
        Picture pic;
        pic.file = v[0];
        pic.rect = RECT{Int(v, 1), Int(v, 2), Int(v, 3), Int(v, 4)};
        if (v.size() >= 7) pic.at = POINT{Int(v, 5), Int(v, 6)};
        accessor.RequireImage(pic.file);
        return pic;
    };
    auto strip = [&](const SkinValues& v) {
        Strip s;
        s.file = v[0];
        for (int i = 0; i < 4; ++i) s.x[i] = Int(v, 1 + i);
        s.y[0] = Int(v, 5);
        s.y[1] = Int(v, 6);
        accessor.RequireImage(s.file);
        return s;
    };
    const char* const buttons[4] = {"NormalButton", "NormalHotButton", "PushedButton",
                                    "PushedHotButton"};
    for (int i = 0; i < 4; ++i) m_buttons[i] = picture(p.at(buttons[i]));
    m_header = strip(p.at("NormalHeader"));
    m_pushedHeader = strip(p.at("PushedHeader"));
    m_activeRow = strip(p.at("ActiveRow"));
    const int rowCount = std::max(Int(p.at("NormalRowCount"), 0), 0);
    for (int i = 0; i < rowCount; ++i)
        m_rows.push_back(strip(Checked(item, "NormalRow." + std::to_string(i), "siiiiii")));
    const int labelCount = std::max(Int(p.at("LabelCount"), 0), 0);
    for (int i = 0; i < labelCount; ++i) {
        const std::string n = "." + std::to_string(i);
        Label label;
        label.on = picture(Checked(item, "OnLabel" + n, "siiii"));
        label.off = picture(Checked(item, "OffLabel" + n, "siiii"));
        label.onDisabled = picture(Checked(item, "OnDLabel" + n, "siiii"));
        label.offDisabled = picture(Checked(item, "OffDLabel" + n, "siiii"));
        label.tip = Checked(item, "ButtonToolTipText" + n, "s")[0];
        label.tipOn = Checked(item, "ButtonToolTipTextP" + n, "s")[0];
        m_labels.push_back(label);
    }
    if (HasProperty(item, "IconCount")) {
        const int icons = std::max(Int(Checked(item, "IconCount", "i"), 0), 0);
        for (int i = 0; i < icons; ++i)
            m_icons.push_back(picture(Checked(item, "IconImage." + std::to_string(i), "siiiiii")));
    }
    const Strip& row = m_rows.empty() ? m_activeRow : m_rows[0];
    m_rowHeight = std::max(row.y[1] - row.y[0], 1);
    m_headerHeight = std::max(m_header.y[1] - m_header.y[0], 0);
    UpdateRange();
}

CButtonListView::~CButtonListView() = default;

// --- data and geometry ---------------------------------------------------------------------

void CButtonListView::SetTable(CButtonListViewTable* table) {
    m_table = table;
    m_tableW = dynamic_cast<CButtonListViewTableW*>(table);
    UpdateRange();
    if (m_hover.row >= RowCount()) m_hover = ListHit();
    if (m_press.row >= RowCount()) ClearPress();
    UpdateToolTipText();
    Redraw();
}

void CButtonListView::ShowHeader(bool visible) {
    if (visible == m_headerVisible) return;
    m_headerVisible = visible;
    UpdateRange();
    Redraw();
}

void CButtonListView::RefreshRow(int row) {
    if (row < 0) {
        UpdateRange();
        Redraw();
    } else {
        RedrawRow(row);
    }
    if (m_hover.row >= RowCount()) m_hover = ListHit();
    UpdateToolTipText();
}

// Widths come in 96-DPI pixels; each column is laid by its edges.
void CButtonListView::AddColumn(const ListColumn& column) {
    int left = 0;
    for (const ListColumn& c : m_columns) left += c.width;
    ListColumn scaled = column;
    scaled.width =
        ScaleLength(UnscaleCoordinate(left, Accessor().Dpi()), column.width, Accessor().Dpi());
    m_columns.push_back(scaled);
}

void CButtonListView::AddColumn(const std::string& title, int width, UINT format, bool button,
                                int labelIndex) {
    ListColumn column;
    column.title = title;
    column.width = width;
    column.format = format;
    column.button = button;
    column.labelIndex = labelIndex;
    AddColumn(column);
}

void CButtonListView::SetAnimation(int frames, DWORD frameTime) {
    m_animationFrames = std::max(frames, 1);
    m_animationTime = std::max<DWORD>(frameTime, 1);
}

int CButtonListView::RowCount() const { return m_table ? std::max(m_table->GetRowCount(), 0) : 0; }

int CButtonListView::VisibleRows() const {
    const int space = m_height - HeaderHeight();
    return space > 0 ? (space + m_rowHeight - 1) / m_rowHeight : 0;
}

int CButtonListView::FirstRow() const {
    return m_scrollBar ? m_scrollBar->GetPosition() : m_position;
}

int CButtonListView::WholeRows() const {
    return std::max((m_height - HeaderHeight()) / m_rowHeight, 1);
}

void CButtonListView::UpdateRange() {
    // A list that shrank keeps its keyboard row inside it.
    m_selected = std::min(m_selected, RowCount() - 1);
    m_rangeEnd = std::max(RowCount() - 1, 0);
    const int position = std::clamp(FirstRow(), 0, m_rangeEnd);
    m_position = position;
    if (m_scrollBar) {
        m_scrollBar->SetRange(m_rangeEnd, VisibleRows());
        m_scrollBar->SetPosition(position);
    }
}

void CButtonListView::ScrollTo(int position) {
    position = std::clamp(position, 0, m_rangeEnd);
    if (position == FirstRow()) return;
    m_position = position;
    if (m_scrollBar) m_scrollBar->SetPosition(position);
    Redraw();
    if (m_listener) m_listener->OnListScrolled(position);
}

intptr_t CButtonListView::Control(int code, intptr_t value, intptr_t) {
    if (code != WM_VSCROLL) return 0;
    const int page = std::max(VisibleRows(), 1);
    const int first = FirstRow();
    int position = first;
    switch (LOWORD(value)) {
        case SB_LINEUP:
            position = first - 1;
            break;
        case SB_LINEDOWN:
            position = first + 1;
            break;
        case SB_PAGEUP:
            position = first - page;
            break;
        case SB_PAGEDOWN:
            position = first + page;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            position = HIWORD(value);
            break;
        case SB_TOP:
            position = 0;
            break;
        case SB_BOTTOM:
            position = m_rangeEnd;
            break;
        default:
            return 0;
    }
    ScrollTo(position);
    return 1;
}

int CButtonListView::ColumnLeft(int column) const {
    int x = 0;
    for (int i = 0; i < column && i < static_cast<int>(m_columns.size()); ++i)
        x += m_columns[static_cast<size_t>(i)].width;
    return x;
}

int CButtonListView::ColumnAt(int x) const {
    int left = 0;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (x >= left && x < left + m_columns[i].width) return static_cast<int>(i);
        left += m_columns[i].width;
    }
    return -1;
}

ListHit CButtonListView::HitTestPoint(int x, int y) const {
    ListHit hit;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return hit;
    if (y < HeaderHeight()) {
        int right = 0;
        for (size_t i = 0; i < m_columns.size(); ++i) {
            right += m_columns[i].width;
            if (m_columns[i].resizable && std::abs(x - right) <= Scaled(kDividerReach)) {
                hit.part = kListHitDivider;
                hit.column = static_cast<int>(i);
                return hit;
            }
        }
        hit.column = ColumnAt(x);
        if (hit.column >= 0) hit.part = kListHitHeader;
        return hit;
    }
    const int row = FirstRow() + (y - HeaderHeight()) / m_rowHeight;
    const int column = ColumnAt(x);
    if (row >= RowCount() || column < 0) return hit;
    hit.row = row;
    hit.column = column;
    hit.part =
        m_columns[static_cast<size_t>(column)].button && m_table->IsButtonEnabled(row, column)
            ? kListHitButton
            : kListHitCell;
    return hit;
}

RECT CButtonListView::CellRect(int row, int column) const {
    const int top = HeaderHeight() + (row - FirstRow()) * m_rowHeight;
    if (row < FirstRow() || top >= m_height || column < 0 ||
        column >= static_cast<int>(m_columns.size()))
        return RECT{};
    const int left = ColumnLeft(column);
    return RECT{left, top, left + m_columns[static_cast<size_t>(column)].width, top + m_rowHeight};
}

// --- keyboard and screen readers -----------------------------------------------------------

void CButtonListView::SelectRow(int row) {
    row = RowCount() > 0 ? std::clamp(row, -1, RowCount() - 1) : -1;
    if (row >= 0) ScrollTo(FirstRowShowing(row, FirstRow(), WholeRows()));
    if (row == m_selected) return;
    m_selected = row;
    Redraw();
    Accessor().OnItemPartFocused(this, row);
}

bool CButtonListView::OnKey(UINT key) {
    static const std::pair<UINT, ListKey> kKeys[] = {
        {VK_UP, ListKey::kUp},   {VK_DOWN, ListKey::kDown},    {VK_HOME, ListKey::kHome},
        {VK_END, ListKey::kEnd}, {VK_PRIOR, ListKey::kPageUp}, {VK_NEXT, ListKey::kPageDown},
    };
    const auto found = std::find_if(std::begin(kKeys), std::end(kKeys),
                                    [&](const auto& entry) { return entry.first == key; });
    if (found == std::end(kKeys) || !IsEnabled() || RowCount() == 0) return false;
    SelectRow(ListKeyRow(found->second, m_selected, RowCount(), WholeRows()));
    return true;
}

SkinAccessPart CButtonListView::AccessiblePart(int row) const {
    SkinAccessPart part;
    if (!m_table || row < 0 || row >= RowCount()) return part;
    std::vector<std::string> cells;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const int column = static_cast<int>(c);
        // Buttons, icons and animations show pictures, not text.
        if (m_columns[c].button || m_table->GetIconIndex(row, column) >= 0 ||
            m_table->GetAnimationIndex(row, column) >= 0)
            continue;
        if (m_tableW && m_tableW->IsCellWide(row, column)) {
            cells.push_back(WideToAnsi(m_tableW->GetCellTextW(row, column)));
        } else {
            cells.push_back(m_table->GetCellText(row, column));
        }
    }
    part.name = RowName(cells);
    const int top = HeaderHeight() + (row - FirstRow()) * m_rowHeight;
    part.rect = RECT{m_x, m_y + top, m_x + m_width, m_y + top + m_rowHeight};
    part.shown = row >= FirstRow() && top < m_height;
    part.selected = row == m_selected;
    return part;
}

RECT CButtonListView::FocusRect() const {
    const int top = HeaderHeight() + (m_selected - FirstRow()) * m_rowHeight;
    if (m_selected < 0 || m_selected < FirstRow() || top >= m_height) return GetRect();
    return RECT{m_x, m_y + top, m_x + m_width, m_y + std::min(top + m_rowHeight, m_height)};
}

// --- mouse ---------------------------------------------------------------------------------

void CButtonListView::ClearPress() {
    m_press = ListHit();
    m_pressInside = false;
    m_resizeColumn = -1;
}

bool CButtonListView::OnLButtonDown(int x, int y) {
    if (!IsEnabled() || m_press.part != kListHitNothing) return false;
    const ListHit hit = HitTestPoint(x, y);
    m_pressRight = false;
    m_pressPoint = POINT{x, y};
    m_dragStarted = false;
    switch (hit.part) {
        case kListHitButton:
            m_press = hit;
            m_pressInside = true;
            RedrawRow(hit.row);
            return true;
        case kListHitHeader:
            if (!m_columns[static_cast<size_t>(hit.column)].headerClick) return false;
            m_press = hit;
            m_pressInside = true;
            RedrawHeader();
            return true;
        case kListHitDivider:
            m_press = hit;
            m_resizeColumn = hit.column;
            m_resizeStartWidth = m_columns[static_cast<size_t>(hit.column)].width;
            m_resizeStartX = x;
            return true;
        case kListHitCell:
            m_press = hit;
            return true;
        default:
            return false;
    }
}

bool CButtonListView::OnLButtonDblClk(int x, int y) {
    const ListHit hit = HitTestPoint(x, y);
    if (hit.part == kListHitCell) {
        if (m_listener) m_listener->OnCellDoubleClicked(hit.row, hit.column, POINT{x, y});
        return false;
    }
    return OnLButtonDown(x, y);
}

void CButtonListView::OnMouseMove(int x, int y) {
    if (m_press.part == kListHitNothing || m_pressRight) {
        if (m_press.part == kListHitNothing) Hover(HitTestPoint(x, y));
        return;
    }
    switch (m_press.part) {
        case kListHitDivider: {
            ListColumn& column = m_columns[static_cast<size_t>(m_resizeColumn)];
            const int room = std::max(m_width - ColumnLeft(m_resizeColumn), 0);
            const int width = std::clamp(m_resizeStartWidth + x - m_resizeStartX, 0, room);
            if (width == column.width) return;
            column.width = width;
            Redraw();
            if (m_listener) m_listener->OnColumnsChanged();
            return;
        }
        case kListHitCell: {
            if (m_dragStarted) return;
            const double dx = x - m_pressPoint.x, dy = y - m_pressPoint.y;
            const int distance =
                Scaled(static_cast<int>(::GetProfileIntA("windows", "DragMinDist", 2)));
            if (std::sqrt(dx * dx + dy * dy) > distance) {
                m_dragStarted = true;
                if (m_listener) m_listener->OnDragBegin(m_press.row, m_press.column);
            }
            return;
        }
        default: {
            const bool inside = Same(HitTestPoint(x, y), m_press);
            if (inside == m_pressInside) return;
            m_pressInside = inside;
            if (m_press.part == kListHitHeader)
                RedrawHeader();
            else
                RedrawRow(m_press.row);
        }
    }
}

void CButtonListView::OnLButtonUp(int x, int y) {
    if (m_pressRight || m_press.part == kListHitNothing) return;
    const ListHit press = m_press;
    const ListHit hit = HitTestPoint(x, y);
    const bool dragged = m_dragStarted;
    ClearPress();
    m_dragStarted = false;
    if (press.part == kListHitHeader)
        RedrawHeader();
    else if (press.part == kListHitButton)
        RedrawRow(press.row);
    if (m_listener) {
        const bool same = Same(hit, press);
        if (same && press.part == kListHitHeader) m_listener->OnHeaderClicked(press.column);
        if (same && press.part == kListHitButton)
            m_listener->OnButtonClicked(press.row, press.column);
        if (same && press.part == kListHitCell)
            m_listener->OnCellClicked(press.row, press.column, POINT{x, y});
        if (dragged) m_listener->OnDragEnd(press.row, press.column);
    }
    if (press.part == kListHitCell && Same(hit, press)) SelectRow(press.row);
    Hover(hit);
}

bool CButtonListView::OnRButtonDown(int x, int y) {
    if (!IsEnabled() || m_press.part != kListHitNothing) return false;
    const ListHit hit = HitTestPoint(x, y);
    if (hit.part != kListHitCell) return false;
    m_press = hit;
    m_pressRight = true;
    m_pressPoint = POINT{x, y};
    return true;
}

void CButtonListView::OnRButtonUp(int x, int y) {
    if (!m_pressRight || m_press.part == kListHitNothing) return;
    const ListHit press = m_press;
    ClearPress();
    m_pressRight = false;
    if (m_listener && Same(HitTestPoint(x, y), press))
        m_listener->OnCellRightClicked(press.row, press.column, POINT{x, y});
}

void CButtonListView::OnMouseLeave() {
    if (m_press.part == kListHitHeader) RedrawHeader();
    if (m_press.part == kListHitButton) RedrawRow(m_press.row);
    if (Accessor().GetCaptureItem() != this) ClearPress();
    Hover(ListHit());
}

bool CButtonListView::OnSetCursor(int x, int y) {
    const ListHit hit = HitTestPoint(x, y);
    if (hit.part == kListHitDivider) return true;
    if (hit.part == kListHitButton) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
        return true;
    }
    return false;
}

void CButtonListView::Hover(const ListHit& hit) {
    if (Same(hit, m_hover)) return;
    const ListHit old = m_hover;
    m_hover = hit;
    if (old.part == kListHitButton) RedrawRow(old.row);
    if (hit.part == kListHitButton && hit.row != old.row) RedrawRow(hit.row);
    if (m_table && hit.part != kListHitNothing && hit.part != kListHitDivider)
        m_table->OnCellHover(hit.part == kListHitHeader ? -1 : hit.row, hit.column);
    UpdateToolTipText();
}

int CButtonListView::LabelOf(int row, int column) const {
    const int own = m_columns[static_cast<size_t>(column)].labelIndex;
    return own >= 0 ? own : m_table->GetLabelIndex(row, column);
}

void CButtonListView::UpdateToolTipText() {
    std::string text;
    if (m_table && m_hover.part == kListHitHeader) {
        text = m_table->GetHeaderToolTip(m_hover.column);
    } else if (m_table && m_hover.part == kListHitButton) {
        // The tips run off, on, off, on... per label.
        const int index = LabelOf(m_hover.row, m_hover.column) * 2 +
                          (m_table->IsButtonOn(m_hover.row, m_hover.column) ? 1 : 0);
        if (index >= 0 && index < static_cast<int>(m_labels.size()) * 2) {
            const Label& label = m_labels[static_cast<size_t>(index / 2)];
            text = index % 2 ? label.tipOn : label.tip;
        }
    } else if (m_table && m_hover.part == kListHitCell) {
        text = m_table->GetCellToolTip(m_hover.row, m_hover.column);
    }
    if (text == m_toolTip) return;
    m_toolTip = text;
    Accessor().UpdateToolTip(this);
}

void CButtonListView::OnTick(DWORD tickCount) {
    if (m_animationFrames <= 1 || !m_table) return;
    if (!m_animationStarted) {
        m_animationStarted = true;
        m_animationStart = tickCount;
    }
    const int frame =
        static_cast<int>((tickCount - m_animationStart) / m_animationTime % m_animationFrames);
    if (frame == m_animationFrame) return;
    m_animationFrame = frame;
    const int first = FirstRow(), last = std::min(first + VisibleRows(), RowCount());
    for (int row = first; row < last; ++row) {
        for (size_t c = 0; c < m_columns.size(); ++c) {
            if (m_table->GetAnimationIndex(row, static_cast<int>(c)) >= 0) {
                RedrawRow(row);
                break;
            }
        }
    }
}

// --- drawing -------------------------------------------------------------------------------

void CButtonListView::RedrawRow(int row) {
    MarkChanged();
    const int top = HeaderHeight() + (row - FirstRow()) * m_rowHeight;
    if (row < FirstRow() || top >= m_height || !Accessor().IsReady()) return;
    Accessor().RedrawRect(m_x, m_y + top, m_x + m_width,
                          m_y + std::min(top + m_rowHeight, m_height), true);
}

void CButtonListView::RedrawHeader() {
    MarkChanged();
    if (!m_headerVisible || !Accessor().IsReady()) return;
    Accessor().RedrawRect(m_x, m_y, m_x + m_width, m_y + HeaderHeight(), true);
}

void CButtonListView::SetRect(int left, int top, int right, int bottom) {
    const RECT old = SetPlace(left, top, std::max(right, left), std::max(bottom, top));
    UpdateRange();
    RedrawMoved(old);
}

void CButtonListView::DrawStrip(lib::wfc::CDIB& canvas, const Strip& strip, int top, int width) {
    const lib::wfc::CDIB& image = Accessor().GetImageCache(strip.file);
    const int height = strip.y[1] - strip.y[0];
    const int leftWidth = std::min(strip.x[1] - strip.x[0], width);
    const int rightWidth = std::min(strip.x[3] - strip.x[2], width - leftWidth);
    const int middle = strip.x[2] - strip.x[1];
    canvas.KeyCopy(0, top, leftWidth, height, image, strip.x[0], strip.y[0]);
    if (middle > 0) {
        for (int x = leftWidth; x < width - rightWidth; x += middle)
            canvas.KeyCopy(x, top, std::min(middle, width - rightWidth - x), height, image,
                           strip.x[1], strip.y[0]);
    }
    canvas.KeyCopy(width - rightWidth, top, rightWidth, height, image, strip.x[3] - rightWidth,
                   strip.y[0]);
}

void CButtonListView::DrawPicture(lib::wfc::CDIB& canvas, const Picture& picture, const RECT& cell,
                                  bool centre) {
    const int w = picture.rect.right - picture.rect.left,
              h = picture.rect.bottom - picture.rect.top;
    const int x = centre ? cell.left + (cell.right - cell.left - w) / 2 : cell.left + picture.at.x;
    const int y = centre ? cell.top + (cell.bottom - cell.top - h) / 2 : cell.top + picture.at.y;
    canvas.KeyCopy(x, y, std::min<int>(w, cell.right - x), std::min<int>(h, cell.bottom - y),
                   Accessor().GetImageCache(picture.file), picture.rect.left, picture.rect.top);
}

int CButtonListView::ButtonState(int row, int column) const {
    const bool pressed = m_press.part == kListHitButton && m_press.row == row &&
                         m_press.column == column && m_pressInside;
    const bool hot =
        m_hover.part == kListHitButton && m_hover.row == row && m_hover.column == column;
    return (pressed ? 2 : 0) + (hot ? 1 : 0);
}

void CButtonListView::DrawHeader(lib::wfc::CDIB& canvas) {
    // The strip runs on past the last column, under the cells drawn below.
    DrawStrip(canvas, m_header, 0, m_width);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const int left = ColumnLeft(static_cast<int>(c));
        const int width = std::min(m_columns[c].width, m_width - left);
        if (width <= 0) continue;
        const bool pressed = m_press.part == kListHitHeader &&
                             m_press.column == static_cast<int>(c) && m_pressInside;
        // Each header cell is its own strip, drawn on a piece of the canvas.
        lib::wfc::CDIB piece;
        piece.Create(width, m_headerHeight);
        piece.Fill(RECT{0, 0, width, m_headerHeight}, lib::wfc::kKeyColor);
        DrawStrip(piece, pressed ? m_pushedHeader : m_header, 0, width);
        canvas.KeyCopy(left, 0, width, m_headerHeight, piece, 0, 0);
        RECT text = {left + Scaled(4), 0, left + width - Scaled(4), m_headerHeight};
        canvas.DrawTextA(m_columns[c].title.c_str(), static_cast<int>(m_columns[c].title.size()),
                         &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, m_font.Get(),
                         RGB(0, 0, 0));
    }
}

void CButtonListView::DrawRow(lib::wfc::CDIB& canvas, int row, int top) {
    const Strip& background = m_table->IsRowActive(row) ? m_activeRow
                              : m_rows.empty()          ? m_activeRow
                                               : m_rows[static_cast<size_t>(row) % m_rows.size()];
    DrawStrip(canvas, background, top, m_width);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const int column = static_cast<int>(c);
        const int left = ColumnLeft(column);
        if (left >= m_width) break;
        const RECT cell = {left, top, std::min(left + m_columns[c].width, m_width),
                           top + m_rowHeight};
        if (m_listener && m_listener->DrawCell(canvas, cell, row, column)) continue;
        if (m_columns[c].button) {
            DrawPicture(canvas, m_buttons[ButtonState(row, column)], cell, true);
            const int index = LabelOf(row, column);
            if (index >= 0 && index < static_cast<int>(m_labels.size())) {
                const Label& label = m_labels[static_cast<size_t>(index)];
                const bool on = m_table->IsButtonOn(row, column);
                const bool enabled = m_table->IsButtonEnabled(row, column);
                DrawPicture(canvas,
                            enabled ? (on ? label.on : label.off)
                                    : (on ? label.onDisabled : label.offDisabled),
                            cell, true);
            }
            continue;
        }
        const int icon = m_table->GetIconIndex(row, column);
        const int animation = m_table->GetAnimationIndex(row, column);
        const int picture = icon >= 0 ? icon : animation >= 0 ? animation + m_animationFrame : -1;
        if (picture >= 0) {
            if (picture < static_cast<int>(m_icons.size()))
                DrawPicture(canvas, m_icons[static_cast<size_t>(picture)], cell, false);
            continue;
        }
        UINT format = m_columns[c].format;
        m_table->GetCellFormat(row, column, format);
        COLORREF color = RGB(0, 0, 0);
        m_table->GetCellTextColor(row, column, color);
        RECT text = {cell.left + Scaled(4), cell.top, cell.right - Scaled(4), cell.bottom};
        if (m_tableW && m_tableW->IsCellWide(row, column)) {
            const std::wstring w = m_tableW->GetCellTextW(row, column);
            canvas.DrawTextW(w.c_str(), static_cast<int>(w.size()), &text, format | DT_NOPREFIX,
                             m_font.Get(), color);
        } else {
            const std::string s = m_table->GetCellText(row, column);
            canvas.DrawTextA(s.c_str(), static_cast<int>(s.size()), &text, format | DT_NOPREFIX,
                             m_font.Get(), color);
        }
    }
}

void CButtonListView::Draw() {
    if (m_width <= 0 || m_height <= 0) return;
    // Null when nothing changed since the last picture: it is laid again as it is.
    if (lib::wfc::CDIB* canvas = BeginCompose()) {
        if (m_headerVisible && m_headerHeight > 0) DrawHeader(*canvas);
        if (m_table) {
            const int first = FirstRow(), count = RowCount();
            for (int row = first, top = HeaderHeight(); row < count && top < m_height;
                 ++row, top += m_rowHeight)
                DrawRow(*canvas, row, top);
        }
    }
    EndCompose();
}

void CButtonListView::OnScaleChanged(int oldDpi) {
    CSkinWindowItem::OnScaleChanged(oldDpi);
    Convert(m_font, oldDpi);
    for (Picture* picture : {&m_buttons[0], &m_buttons[1], &m_buttons[2], &m_buttons[3]}) {
        Convert(picture->rect, oldDpi);
        Convert(picture->at, oldDpi);
    }
    for (Label& label : m_labels) {
        for (Picture* picture : {&label.on, &label.off, &label.onDisabled, &label.offDisabled}) {
            Convert(picture->rect, oldDpi);
            Convert(picture->at, oldDpi);
        }
    }
    for (Picture& icon : m_icons) {
        Convert(icon.rect, oldDpi);
        Convert(icon.at, oldDpi);
    }
    std::vector<Strip*> strips = {&m_header, &m_pushedHeader, &m_activeRow};
    for (Strip& row : m_rows) strips.push_back(&row);
    for (Strip* strip : strips) {
        for (int& x : strip->x) x = Converted(x, oldDpi);
        for (int& y : strip->y) y = Converted(y, oldDpi);
    }
    // Columns by their edges, so the table keeps its width.
    int oldLeft = 0, newLeft = 0;
    for (ListColumn& column : m_columns) {
        const int oldRight = oldLeft + column.width;
        const int newRight = Converted(oldRight, oldDpi);
        column.width = newRight - newLeft;
        oldLeft = oldRight;
        newLeft = newRight;
    }
    const Strip& row = m_rows.empty() ? m_activeRow : m_rows[0];
    m_rowHeight = std::max(row.y[1] - row.y[0], 1);
    m_headerHeight = std::max(m_header.y[1] - m_header.y[0], 0);
    UpdateRange();
}

}  // namespace ui
