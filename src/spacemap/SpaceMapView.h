#pragma once

#include <QHash>
#include <QWidget>
#include <array>
#include <unordered_map>
#include <vector>

#include "spacemap/MapCanvas.h"
#include "spacemap/SpaceTree.h"

namespace rk {

// The treemap of one folder's subtree: each entry a rectangle in proportion to its room, laid
// out squarified; files filled in the colour of their kind with a cushion's shading, folders
// outlined around their entries. What would come out smaller than about two pixels is drawn
// as part of its folder. Hovering tells the path and room; a click selects, a double click on
// a folder zooms into it.
class SpaceMapView : public QWidget {
    Q_OBJECT
public:
    // The kinds files are coloured by, from the top level of their MIME type.
    enum Kind { Image, Video, Audio, Text, Archive, Program, Other, KindCount };

    explicit SpaceMapView(QWidget* parent = nullptr);

    // The tree is not owned. Shows its root.
    void setTree(const SpaceTree* tree);
    void zoomTo(SpaceTree::Index folder);
    [[nodiscard]] SpaceTree::Index zoomed() const { return zoomed_; }
    void setSelected(SpaceTree::Index node);
    // The entry drawn at a point of the widget, or none.
    [[nodiscard]] SpaceTree::Index nodeAt(const QPoint& point) const;
    // Where an entry was drawn; empty when it was not (too small, or not in the zoomed folder).
    [[nodiscard]] QRectF rectOf(SpaceTree::Index node) const;
    // Lays the map out again, after the tree changed.
    void refresh();

    [[nodiscard]] static QColor colourOf(Kind kind);
    [[nodiscard]] static QString kindName(Kind kind);
    [[nodiscard]] static Kind kindOf(QByteArrayView fileName);

signals:
    void clicked(SpaceTree::Index node);
    void zoomRequested(SpaceTree::Index folder);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Placed {
        QRectF rect;
        SpaceTree::Index node;
    };
    // A folder's entries as the map lays them out: largest first, with their weights.
    struct Entries {
        std::vector<SpaceTree::Index> nodes;
        std::vector<std::int64_t> rooms;
    };
    void layOut();
    const Entries& entriesOf(SpaceTree::Index folder);
    Kind kindOfFile(SpaceTree::Index file);

    const SpaceTree* tree_ = nullptr;
    SpaceTree::Index zoomed_ = SpaceTree::none;
    SpaceTree::Index selected_ = SpaceTree::none;
    std::vector<Placed> placed_;  // in drawing order: folders before what they hold
    // What a resize lays out again is the same folders in the same order: each folder's
    // entries sorted once, and each file's kind found once, until the tree changes.
    std::unordered_map<SpaceTree::Index, Entries> entries_;
    static constexpr std::uint8_t unknownKind = 0xff;
    std::vector<std::uint8_t> kinds_;  // by node
    std::array<MapCanvas::Shades, KindCount> shades_;
    QImage picture_;
    bool stale_ = true;
};

}  // namespace rk
