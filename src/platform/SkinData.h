#pragma once

// The window's look: a list of stored skins and the skin data that applies
// one of them to a form and every skinned control on it. A skin is a Qt
// style sheet; controls pick their part of it by their skinEntry property.

#include <QString>
#include <QStringList>
#include <QWidget>

namespace platform {

class TbsCompressedSkinList {
public:
    struct Skin {
        QString name;
        QString styleSheet;
    };

    // Adds a skin read from a file or resource; throws platform::Exception
    // when it cannot be read.
    void addFromFile(const QString& name, const QString& fileName);
    const QList<Skin>& skins() const { return skins_; }

private:
    QList<Skin> skins_;
};

class TbsSkinData {
public:
    void setCompressedStoredSkin(const TbsCompressedSkinList* list, int index);
    // Applies the selected skin to the form and all of its children.
    void apply(QWidget* form) const;
    QString skinName() const;

private:
    const TbsCompressedSkinList* list_ = nullptr;
    int index_ = 0;
};

} // namespace platform
