#include "spacemap/SpaceMapView.h"

#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "common/TextHelpers.h"
#include "spacemap/MapCanvas.h"
#include "spacemap/SpaceTreeModel.h"
#include "spacemap/Treemap.h"

namespace rk {

namespace {

constexpr double smallest = 2.0;  // pixels: anything thinner is drawn as part of its folder

}  // namespace

SpaceMapView::SpaceMapView(QWidget* parent) : QWidget(parent) {
    for (int k = 0; k < KindCount; ++k)
        shades_[std::size_t(k)] = MapCanvas::cushion(colourOf(Kind(k)));
    setMouseTracking(true);
    setMinimumSize(120, 90);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor SpaceMapView::colourOf(Kind kind) {
    static const QColor colours[KindCount] = {QColor(0x4c, 0xaf, 0x50), QColor(0xe5, 0x39, 0x35),
                                              QColor(0x8e, 0x44, 0xad), QColor(0x1e, 0x88, 0xe5),
                                              QColor(0xfb, 0x8c, 0x00), QColor(0x00, 0x89, 0x7b),
                                              QColor(0x90, 0x90, 0x90)};
    return colours[kind];
}

QString SpaceMapView::kindName(Kind kind) {
    static const char* names[KindCount] = {
        "Images", "Video", "Audio", "Text", "Archives and packages", "Programs", "Other"};
    return QLatin1String(names[kind]);
}

SpaceMapView::Kind SpaceMapView::kindOf(QByteArrayView fileName) {
    // One look-up per extension: a map of a million files has a few hundred.
    static QHash<QByteArray, Kind> known;
    // A library's versioned name (libz.so.1.2.13) ends in its version, not its kind.
    if (const qsizetype so = fileName.indexOf(".so."); so > 0) {
        const QByteArrayView version = fileName.sliced(so + 4);
        if (!version.isEmpty() && std::all_of(version.begin(), version.end(), [](char c) {
                return (c >= '0' && c <= '9') || c == '.';
            }))
            return Program;
    }
    const qsizetype dot = fileName.lastIndexOf('.');
    const QByteArray extension =
        dot > 0 ? fileName.sliced(dot + 1).toByteArray().toLower() : QByteArray();
    if (const auto it = known.constFind(extension); it != known.constEnd()) return *it;
    Kind kind = Other;
    if (!extension.isEmpty()) {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(
            QStringLiteral("x.") + QString::fromUtf8(extension), QMimeDatabase::MatchExtension);
        const QString name = type.name();
        if (name.startsWith(QLatin1String("image/")))
            kind = Image;
        else if (name.startsWith(QLatin1String("video/")))
            kind = Video;
        else if (name.startsWith(QLatin1String("audio/")))
            kind = Audio;
        else if (name.startsWith(QLatin1String("text/")))
            kind = Text;
        else if (type.inherits(QStringLiteral("application/x-executable")) ||
                 type.inherits(QStringLiteral("application/x-sharedlib")) ||
                 name == QLatin1String("application/x-shellscript"))
            kind = Program;
        else if (name.contains(QLatin1String("zip")) || name.contains(QLatin1String("tar")) ||
                 name.contains(QLatin1String("compressed")) ||
                 name.contains(QLatin1String("package")) ||
                 name.contains(QLatin1String("archive")) ||
                 name.contains(QLatin1String("iso9660")) ||
                 name.contains(QLatin1String("cd-image")) ||
                 name.contains(QLatin1String("disk-image")))
            kind = Archive;
    }
    known.insert(extension, kind);
    return kind;
}

void SpaceMapView::setTree(const SpaceTree* tree) {
    tree_ = tree;
    selected_ = SpaceTree::none;
    zoomed_ = tree && !tree->empty() ? tree->root() : SpaceTree::none;
    refresh();
}

void SpaceMapView::zoomTo(SpaceTree::Index folder) {
    if (!tree_ || folder == SpaceTree::none || !tree_->folderOf(folder)) return;
    zoomed_ = folder;
    stale_ = true;
    update();
}

void SpaceMapView::setSelected(SpaceTree::Index node) {
    selected_ = node;
    update();
}

void SpaceMapView::refresh() {
    entries_.clear();
    kinds_.assign(tree_ ? tree_->size() : 0, unknownKind);
    stale_ = true;
    update();
}

void SpaceMapView::resizeEvent(QResizeEvent*) {
    stale_ = true;
}

const SpaceMapView::Entries& SpaceMapView::entriesOf(SpaceTree::Index folder) {
    auto it = entries_.find(folder);
    if (it != entries_.end()) return it->second;
    Entries e;
    e.nodes = tree_->children(folder);
    // Another file system mounted here takes no room in this one: it goes last, with nothing.
    std::stable_partition(e.nodes.begin(), e.nodes.end(), [this](SpaceTree::Index c) {
        return !tree_->has(c, SpaceTree::otherMount);
    });
    e.rooms.reserve(e.nodes.size());
    for (const SpaceTree::Index c : e.nodes)
        e.rooms.push_back(tree_->has(c, SpaceTree::otherMount) ? 0 : tree_->node(c).room);
    return entries_.emplace(folder, std::move(e)).first->second;
}

SpaceMapView::Kind SpaceMapView::kindOfFile(SpaceTree::Index file) {
    std::uint8_t& kind = kinds_[file];
    if (kind == unknownKind) kind = std::uint8_t(kindOf(tree_->nameView(file)));
    return Kind(kind);
}

void SpaceMapView::layOut() {
    placed_.clear();
    picture_ = QImage(size() * devicePixelRatio(), QImage::Format_RGB32);
    picture_.setDevicePixelRatio(devicePixelRatio());
    picture_.fill(palette().color(QPalette::Base));
    stale_ = false;
    if (!tree_ || zoomed_ == SpaceTree::none) return;
    if (kinds_.size() != tree_->size()) kinds_.assign(tree_->size(), unknownKind);
    MapCanvas canvas(picture_);
    const QRgb folderFill = palette().color(QPalette::Window).darker(110).rgb();
    const QRgb outline = palette().color(QPalette::Dark).rgb();
    std::vector<std::int64_t> weights;
    std::vector<Placed> stack{{QRectF(rect()), zoomed_}};
    while (!stack.empty()) {
        const Placed item = stack.back();
        stack.pop_back();
        placed_.push_back(item);
        if (!tree_->has(item.node, SpaceTree::isFolder)) {
            const Kind kind = kindOfFile(item.node);
            // Too small for the shading to show: one colour is as good.
            if (item.rect.width() * item.rect.height() < 64)
                canvas.fill(item.rect, shades_[kind][MapCanvas::baseShade]);
            else
                canvas.shade(item.rect, shades_[kind]);
            continue;
        }
        canvas.fill(item.rect, folderFill);
        canvas.frame(item.rect, outline);
        const QRectF inner = item.rect.adjusted(1, 1, -1, -1);
        if (inner.width() < smallest || inner.height() < smallest) continue;
        const Entries& entries = entriesOf(item.node);
        // The entries that would come out smaller than the smallest square are laid out as
        // one, which is the folder's own colour: a folder of thousands lays out its few
        // visible ones.
        std::int64_t total = 0;
        for (const std::int64_t room : entries.rooms)
            total += room;
        if (total <= 0) continue;
        const double perByte = inner.width() * inner.height() / double(total);
        weights.clear();
        std::int64_t rest = total;
        for (const std::int64_t room : entries.rooms) {
            if (double(room) * perByte < smallest * smallest) break;
            weights.push_back(room);
            rest -= room;
        }
        // The rest in its place by size, so the squarified rows stay largest first.
        std::size_t restAt = weights.size();
        if (rest > 0) {
            restAt = std::size_t(
                std::upper_bound(weights.begin(), weights.end(), rest, std::greater<>()) -
                weights.begin());
            weights.insert(weights.begin() + std::ptrdiff_t(restAt), rest);
        }
        const std::vector<QRectF> rects = squarify(weights, inner);
        for (std::size_t i = rects.size(); i-- > 0;) {
            if (i == restAt) continue;
            const std::size_t entry = i > restAt ? i - 1 : i;
            if (rects[i].width() >= smallest && rects[i].height() >= smallest)
                stack.push_back({rects[i], entries.nodes[entry]});
        }
    }
}

void SpaceMapView::paintEvent(QPaintEvent*) {
    if (stale_ || picture_.size() != size() * devicePixelRatio()) layOut();
    QPainter p(this);
    p.drawImage(0, 0, picture_);
    const QRectF selected = rectOf(selected_);
    if (!selected.isEmpty()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(selected.adjusted(1, 1, -1, -1));
    }
}

SpaceTree::Index SpaceMapView::nodeAt(const QPoint& point) const {
    // The innermost: what a folder holds is placed after it.
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it)
        if (it->rect.contains(point)) return it->node;
    return SpaceTree::none;
}

QRectF SpaceMapView::rectOf(SpaceTree::Index node) const {
    for (const Placed& p : placed_)
        if (p.node == node) return p.rect;
    return {};
}

void SpaceMapView::mouseMoveEvent(QMouseEvent* event) {
    const SpaceTree::Index at = nodeAt(event->position().toPoint());
    if (at == SpaceTree::none) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(
        event->globalPosition().toPoint(),
        displayPath(tree_->path(at)) + QLatin1Char('\n') + roomText(tree_->node(at).room), this);
}

void SpaceMapView::mousePressEvent(QMouseEvent* event) {
    const SpaceTree::Index at = nodeAt(event->position().toPoint());
    if (at != SpaceTree::none) emit clicked(at);
}

void SpaceMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    SpaceTree::Index at = nodeAt(event->position().toPoint());
    // A file's double click zooms into its folder.
    while (at != SpaceTree::none && !tree_->folderOf(at))
        at = tree_->node(at).parent;
    if (at != SpaceTree::none) emit zoomRequested(at);
}

}  // namespace rk
