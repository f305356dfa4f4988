#pragma once

// What a screen reader sees of the skinned controls that draw themselves:
// a panel is a grouping without a name of its own, a link picture is a
// link that pressing opens.

#include "access/AccessibleParts.h"

namespace platform {

class TbsSkinLinkImage;

// Installs the interfaces below; once is enough.
void installControlAccessibility();

// A link picture: a link named by the text drawn on it (a placeholder's)
// or else by its address, which is also its description. Pressing it does
// what a click does.
class LinkImageAccessible : public PressableAccessible {
public:
    explicit LinkImageAccessible(TbsSkinLinkImage* image);
    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;

protected:
    void press() override;

private:
    TbsSkinLinkImage* image() const;
    QString address() const;
};

} // namespace platform
