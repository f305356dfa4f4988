#pragma once

// A layout that places the children of a container the way the form library
// aligns its controls. Every child has stored bounds (left, top, width,
// height, counted from the container's top left corner) and an alignment:
// top-aligned children are stacked from the top down in the order of their
// stored tops, then bottom-aligned ones from the bottom up, then left- and
// right-aligned ones, each keeping its stored height or width; the one client
// child takes what is left. Aligned children fill the inner area, the
// container less its contents margins; children that are not aligned keep
// their stored bounds.

#include <QLayout>
#include <QList>
#include <QRect>

namespace platform {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class AlignedLayout : public QLayout {
    Q_OBJECT

public:
    explicit AlignedLayout(QWidget* container);
    ~AlignedLayout() override;

    // Adds a child with its stored bounds; the child becomes the container's.
    void addWidget(QWidget* child, TAlign align, const QRect& bounds);

    // Stored bounds; for an aligned child, the place the layout gave it.
    QRect bounds(const QWidget* child) const;
    void setBounds(QWidget* child, const QRect& bounds);
    void setHeight(QWidget* child, int height);

    // The layout of a widget's container, if that is an AlignedLayout.
    static AlignedLayout* of(const QWidget* child);

    // QLayout
    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry {
        QLayoutItem* item;
        TAlign align;
        QRect bounds;
    };
    // How the children of one side take their places.
    struct Side {
        TAlign align;
        bool (*stacksBefore)(const QRect& a, const QRect& b);
        QRect (*take)(QRect& free, const QRect& bounds);
    };
    static const Side Sides[4];

    void place(Entry& entry, const QRect& r);
    void placeSide(const Side& side, QRect& free);
    Entry* find(const QWidget* child);
    const Entry* find(const QWidget* child) const;

    QList<Entry> entries_;
};

} // namespace platform
