#include "spacemap/SpaceMapView.h"

#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "common/TextHelpers.h"
#include "spacemap/SpaceTreeModel.h"
#include "spacemap/Treemap.h"

namespace rk {

namespace {

constexpr double smallest = 2.0;  // pixels: anything thinner is drawn as part of its folder

}  // namespace

SpaceMapView::SpaceMapView(QWidget* parent) : QWidget(parent) {
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
    order_.clear();
    kinds_.clear();
    stale_ = true;
    update();
}

void SpaceMapView::resizeEvent(QResizeEvent*) {
    stale_ = true;
}

void SpaceMapView::layOut() {
    placed_.clear();
    picture_ = QImage(size() * devicePixelRatio(), QImage::Format_RGB32);
    picture_.setDevicePixelRatio(devicePixelRatio());
    picture_.fill(palette().color(QPalette::Base));
    stale_ = false;
    if (!tree_ || zoomed_ == SpaceTree::none) return;
    QPainter p(&picture_);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor folderFill = palette().color(QPalette::Window).darker(110);
    std::vector<Placed> stack{{QRectF(rect()), zoomed_}};
    while (!stack.empty()) {
        const Placed item = stack.back();
        stack.pop_back();
        placed_.push_back(item);
        const SpaceTree::Node& n = tree_->node(item.node);
        if (!(n.flags & SpaceTree::isFolder)) {
            // A cushion: lit from the upper left, darker towards the far edges.
            auto kind = kinds_.find(item.node);
            if (kind == kinds_.end())
                kind = kinds_.emplace(item.node, kindOf(tree_->nameView(item.node))).first;
            const QColor base = colourOf(kind->second);
            // Too small for the shading to show: one colour is as good and much quicker.
            if (item.rect.width() * item.rect.height() < 64) {
                p.fillRect(item.rect, base);
                continue;
            }
            QLinearGradient shade(item.rect.topLeft(), item.rect.bottomRight());
            shade.setColorAt(0, base.lighter(135));
            shade.setColorAt(0.5, base);
            shade.setColorAt(1, base.darker(150));
            p.fillRect(item.rect, shade);
            continue;
        }
        p.fillRect(item.rect, folderFill);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(item.rect.adjusted(0, 0, -1, -1));
        const QRectF inner = item.rect.adjusted(1, 1, -1, -1);
        if (inner.width() < smallest || inner.height() < smallest) continue;
        auto sorted = order_.find(item.node);
        if (sorted == order_.end())
            sorted = order_.emplace(item.node, tree_->children(item.node)).first;
        const std::vector<SpaceTree::Index>& children = sorted->second;
        std::vector<std::int64_t> weights;
        weights.reserve(children.size());
        for (const SpaceTree::Index c : children)
            weights.push_back(tree_->has(c, SpaceTree::otherMount) ? 0 : tree_->node(c).room);
        const std::vector<QRectF> rects = squarify(weights, inner);
        for (std::size_t i = rects.size(); i-- > 0;)
            if (rects[i].width() >= smallest && rects[i].height() >= smallest)
                stack.push_back({rects[i], children[i]});
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
