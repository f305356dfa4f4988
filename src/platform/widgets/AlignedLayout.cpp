#include "widgets/AlignedLayout.h"

#include <QWidget>
#include <QWidgetItem>
#include <algorithm>

namespace platform {
namespace {

// Children take exactly the place given, whatever their size policies say.
void setItemGeometry(QLayoutItem* item, const QRect& r) {
    if (QWidget* widget = item->widget())
        widget->setGeometry(r);
    else
        item->setGeometry(r);
}

// Each side takes its children's stored height or width off the free area,
// from the outside in.
QRect takeTop(QRect& free, const QRect& bounds) {
    const QRect r(free.left(), free.top(), free.width(), bounds.height());
    free.setTop(r.bottom() + 1);
    return r;
}

QRect takeBottom(QRect& free, const QRect& bounds) {
    const QRect r(free.left(), free.bottom() + 1 - bounds.height(), free.width(), bounds.height());
    free.setBottom(r.top() - 1);
    return r;
}

QRect takeLeft(QRect& free, const QRect& bounds) {
    const QRect r(free.left(), free.top(), bounds.width(), free.height());
    free.setLeft(r.right() + 1);
    return r;
}

QRect takeRight(QRect& free, const QRect& bounds) {
    const QRect r(free.right() + 1 - bounds.width(), free.top(), bounds.width(), free.height());
    free.setRight(r.left() - 1);
    return r;
}

} // namespace

// Top-aligned children from the top down in the order of their stored tops,
// bottom-aligned ones from the bottom up, then left and right likewise.
const AlignedLayout::Side AlignedLayout::Sides[] = {
    {TAlign::alTop, [](const QRect& a, const QRect& b) { return a.top() < b.top(); }, takeTop},
    {TAlign::alBottom, [](const QRect& a, const QRect& b) { return a.bottom() > b.bottom(); },
     takeBottom},
    {TAlign::alLeft, [](const QRect& a, const QRect& b) { return a.left() < b.left(); }, takeLeft},
    {TAlign::alRight, [](const QRect& a, const QRect& b) { return a.right() > b.right(); },
     takeRight},
};

AlignedLayout::AlignedLayout(QWidget* container)
    : QLayout(container) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    // Children keep their own sizes: the container is never resized to fit.
    setSizeConstraint(QLayout::SetNoConstraint);
}

AlignedLayout::~AlignedLayout() {
    for (const Entry& entry : entries_)
        delete entry.item;
}

void AlignedLayout::addWidget(QWidget* child, TAlign align, const QRect& bounds) {
    addChildWidget(child);
    entries_.append({new QWidgetItem(child), align, bounds});
    invalidate();
}

AlignedLayout::Entry* AlignedLayout::find(const QWidget* child) {
    for (Entry& entry : entries_)
        if (entry.item->widget() == child)
            return &entry;
    return nullptr;
}

const AlignedLayout::Entry* AlignedLayout::find(const QWidget* child) const {
    return const_cast<AlignedLayout*>(this)->find(child);
}

QRect AlignedLayout::bounds(const QWidget* child) const {
    const Entry* entry = find(child);
    return entry ? entry->bounds : QRect();
}

void AlignedLayout::setBounds(QWidget* child, const QRect& bounds) {
    if (Entry* entry = find(child)) {
        entry->bounds = bounds;
        invalidate();
        activate();
    }
}

void AlignedLayout::setHeight(QWidget* child, int height) {
    if (Entry* entry = find(child))
        setBounds(child, QRect(entry->bounds.topLeft(), QSize(entry->bounds.width(), height)));
}

AlignedLayout* AlignedLayout::of(const QWidget* child) {
    if (!child || !child->parentWidget())
        return nullptr;
    return qobject_cast<AlignedLayout*>(child->parentWidget()->layout());
}

void AlignedLayout::addItem(QLayoutItem* item) {
    entries_.append({item, TAlign::alNone, QRect()});
}

QLayoutItem* AlignedLayout::itemAt(int index) const {
    return index >= 0 && index < entries_.size() ? entries_[index].item : nullptr;
}

QLayoutItem* AlignedLayout::takeAt(int index) {
    if (index < 0 || index >= entries_.size())
        return nullptr;
    return entries_.takeAt(index).item;
}

int AlignedLayout::count() const {
    return int(entries_.size());
}

QSize AlignedLayout::sizeHint() const {
    return QSize(0, 0);
}

QSize AlignedLayout::minimumSize() const {
    return QSize(0, 0);
}

void AlignedLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    QRect free = contentsRect();
    for (const Side& side : Sides)
        placeSide(side, free);
    for (Entry& entry : entries_) {
        if (entry.align == TAlign::alClient)
            place(entry, QRect(free.topLeft(), free.size().expandedTo(QSize(0, 0))));
        else if (entry.align == TAlign::alNone)
            setItemGeometry(entry.item, entry.bounds.translated(rect.topLeft()));
    }
}

void AlignedLayout::place(Entry& entry, const QRect& r) {
    entry.bounds = r;
    setItemGeometry(entry.item, r);
}

// The children of one side, in their stacking order: a stable sort keeps the
// order of addition among equal stored places.
void AlignedLayout::placeSide(const Side& side, QRect& free) {
    QList<Entry*> children;
    for (Entry& entry : entries_)
        if (entry.align == side.align)
            children.append(&entry);
    std::stable_sort(children.begin(), children.end(), [&side](const Entry* a, const Entry* b) {
        return side.stacksBefore(a->bounds, b->bounds);
    });
    for (Entry* child : children)
        place(*child, side.take(free, child->bounds));
}

} // namespace platform
