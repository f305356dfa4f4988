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

} // namespace

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

TAlign AlignedLayout::align(const QWidget* child) const {
    const Entry* entry = find(child);
    return entry ? entry->align : TAlign::alNone;
}

void AlignedLayout::setAlign(QWidget* child, TAlign align) {
    if (Entry* entry = find(child)) {
        entry->align = align;
        invalidate();
        activate();
    }
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

    // Stable sorts keep the order of addition among equal stored places.
    auto ordered = [this](TAlign align, auto before) {
        QList<Entry*> list;
        for (Entry& entry : entries_)
            if (entry.align == align)
                list.append(&entry);
        std::stable_sort(list.begin(), list.end(), before);
        return list;
    };
    auto place = [](Entry* entry, const QRect& r) {
        entry->bounds = r;
        setItemGeometry(entry->item, r);
    };

    for (Entry* e : ordered(TAlign::alTop,
                            [](Entry*a, Entry*b) { return a->bounds.top() < b->bounds.top(); })) {
        place(e, QRect(free.left(), free.top(), free.width(), e->bounds.height()));
        free.setTop(free.top() + e->bounds.height());
    }
    for (Entry* e : ordered(TAlign::alBottom, [](Entry*a, Entry*b) {
             return a->bounds.bottom() > b->bounds.bottom();
         })) {
        const int h = e->bounds.height();
        place(e, QRect(free.left(), free.bottom() + 1 - h, free.width(), h));
        free.setBottom(free.bottom() - h);
    }
    for (Entry* e : ordered(TAlign::alLeft,
                            [](Entry*a, Entry*b) { return a->bounds.left() < b->bounds.left(); })) {
        place(e, QRect(free.left(), free.top(), e->bounds.width(), free.height()));
        free.setLeft(free.left() + e->bounds.width());
    }
    for (Entry* e : ordered(TAlign::alRight, [](Entry*a, Entry*b) {
             return a->bounds.right() > b->bounds.right();
         })) {
        const int w = e->bounds.width();
        place(e, QRect(free.right() + 1 - w, free.top(), w, free.height()));
        free.setRight(free.right() - w);
    }
    for (Entry& e : entries_) {
        if (e.align == TAlign::alClient)
            place(&e, QRect(free.topLeft(),
                            QSize(std::max(0, free.width()), std::max(0, free.height()))));
        else if (e.align == TAlign::alNone)
            setItemGeometry(e.item, e.bounds.translated(rect.topLeft()));
    }
}

} // namespace platform
