#include "SkinData.h"

#include "Exception.h"

#include <QFile>

namespace platform {

void TbsCompressedSkinList::addFromFile(const QString& name, const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot open skin " + fileName.toStdString());
    skins_.append({name, QString::fromUtf8(file.readAll())});
}

void TbsSkinData::setCompressedStoredSkin(const TbsCompressedSkinList* list, int index) {
    list_ = list;
    index_ = index;
}

QString TbsSkinData::skinName() const {
    if (!list_ || index_ < 0 || index_ >= list_->skins().size())
        return {};
    return list_->skins()[index_].name;
}

void TbsSkinData::apply(QWidget* form) const {
    if (!list_ || index_ < 0 || index_ >= list_->skins().size())
        return;
    form->setStyleSheet(list_->skins()[index_].styleSheet);
    // Style sheet properties (border widths, colours) take effect at polish.
    form->ensurePolished();
    for (QWidget* child : form->findChildren<QWidget*>())
        child->ensurePolished();
}

} // namespace platform
