#pragma once

// The window's look: a list of stored skins and the skin data that applies
// one of them to a form and every skinned control on it.
//
// A skin is a Qt style sheet for the controls, which pick their part of it
// by their skinEntry property, and the look of the skinned frame. The style
// sheet is stored as a template that names the skin's values instead of
// spelling them: "@Face@" stands for the colour palette::Face as
// "rgb(227, 238, 253)", "@ControlFontFamily@" and "@ControlFontSize@" for
// the family and pixel size of palette::ControlFont (likewise WindowFont),
// "@PanelBorderWidth@" and "@ToolPanelBorderWidth@" for the border widths.

#include "skin/SkinLook.h"

#include <QList>
#include <QString>
#include <QWidget>

namespace platform {

// The style sheet for a template: every "@Name@" replaced by its value.
// Throws platform::Exception naming the first placeholder it does not know.
QString styleSheetFromTemplate(const QString& styleTemplate);

class TbsCompressedSkinList {
public:
    struct Skin {
        QString name;
        QString styleSheet;
        FrameLook frame;
    };

    // Adds a skin whose style sheet template is read from a file or
    // resource; throws platform::Exception when it cannot be read or names
    // an unknown value.
    void addFromFile(const QString& name, const QString& fileName);
    void add(Skin skin) { skins_.append(std::move(skin)); }
    const QList<Skin>& skins() const { return skins_; }

private:
    QList<Skin> skins_;
};

class TbsSkinData {
public:
    void setCompressedStoredSkin(const TbsCompressedSkinList* list, int index);
    // Applies the selected skin's style sheet to the form and all of its
    // children.
    void apply(QWidget* form) const;
    QString skinName() const;
    // The selected skin's frame look; the palette's when none is selected.
    FrameLook frameLook() const;

private:
    const TbsCompressedSkinList::Skin* selected() const;

    const TbsCompressedSkinList* list_ = nullptr;
    int index_ = 0;
};

} // namespace platform
